#pragma once
// Named points on static models (hitches, seats, nozzles, camera mounts), read once at engine
// start from the files of "scripts\mesh_sockets\", one file per model.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;

struct strmeshsocket {
    static constexpr int kNameSize = 44;  // 43 characters and the terminator
    char m_szName[kNameSize] = {};
    uint32_t m_uReserved = 0;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct strmeshsocketfile {
    char m_szMeshFileName[256] = {};
    uint32_t m_uSocketCount = 0;
    strmeshsocket m_Sockets[60];
};

class EMeshSocketsMgr {
public:
    static constexpr uint32_t MAX_FILES_WITH_SOCKETS = 200;
    static constexpr uint32_t MAX_SOCKETS_IN_ONE_FILE = 60;

    // Every file of the folder, in the folder's sorted order, from an empty table.
    void LoadAll();
    // One file into the next free record; false when it does not open.
    bool LoadFile(const char* path);
    // The socket of a mesh object in world space; false when the object, its model's file or the
    // socket is not there.
    bool GetSocketWorldPos(const EObjectSlot* object, const char* name, DV* out) const;
    // The socket in the model's own space; out stays as it was when there is none.
    void GetSocketDV(const EObjectSlot* object, const char* name, DV* out) const;
    // Overwrites the socket's model-space point for every object of the model.
    void SetRagDollSocketDV(const EObjectSlot* object, const char* name, const DV& position);

    uint32_t m_uFileCount = 0;
    strmeshsocketfile m_Files[MAX_FILES_WITH_SOCKETS];

private:
    // The socket of the first file that names the object's model; null when the object has no
    // static mesh (missing says whether it had one but no such socket).
    strmeshsocket* Find(const EObjectSlot* object, const char* name, bool* missing) const;
};

extern EMeshSocketsMgr g_MeshSocketsMgr;
