#pragma once
// Named points on mesh models (hitches, seats, nozzles), read from "scripts\mesh_sockets\".
#include "core/DV.h"

class EObjectSlot;

class EMeshSocketsMgr {
public:
    // Loads every socket file; once at engine start.
    void LoadAll();
    // The socket's point in world space on a mesh object; false when the model has no such socket.
    bool GetSocketWorldPos(EObjectSlot* object, const char* socketName, DV* out) const;
};

extern EMeshSocketsMgr g_MeshSocketsMgr;
