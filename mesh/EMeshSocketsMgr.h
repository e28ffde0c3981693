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
    // Moves the socket's model-space point for this object alone: every object of a model shares
    // the model's table, so the new point is kept beside it, per object.
    void SetRagDollSocketDV(const EObjectSlot* object, const char* name, const DV& position);
    // Forgets the object's moved sockets (its slot is about to be reused).
    void ReleaseObjectSockets(const EObjectSlot* object);

    static constexpr uint32_t MAX_MOVED_SOCKETS = 256;

    // A socket moved for one object.
    struct strMovedSocket {
        const EObjectSlot* m_hObject = nullptr;
        const strmeshsocket* m_pSocket = nullptr;
        DV m_vPosition;
    };

    uint32_t m_uFileCount = 0;
    strmeshsocketfile m_Files[MAX_FILES_WITH_SOCKETS];
    uint32_t m_uMovedCount = 0;
    strMovedSocket m_Moved[MAX_MOVED_SOCKETS];

private:
    // The socket of the first file that names the object's model; null when the object has no
    // static mesh (missing says whether it had one but no such socket).
    strmeshsocket* Find(const EObjectSlot* object, const char* name, bool* missing) const;
    // The socket's model-space point for the object: its own when moved, else the model's.
    DV PointFor(const EObjectSlot* object, const strmeshsocket& socket) const;
};

extern EMeshSocketsMgr g_MeshSocketsMgr;
