#pragma once
// The cache of static mesh geometry: each model file loaded once and shared by its meshes.

class EObjectSlot;

class EMeshMgr {
public:
    EMeshMgr();
    virtual ~EMeshMgr();

    void Init();
    // Frees every shared record; at world start and at shut-down.
    void ReleaseAll();
    void OnWorldStarted();
    // The level-of-detail meshes of a mesh object.
    void PrepareObjectLods(EObjectSlot* object);
};

extern EMeshMgr g_MeshMgr;

// The mesh manager's steps around a device reset. Its meshes live in the managed pool and
// survive a reset, so both do nothing.
void MeshMgrLostDevice();
void MeshMgrResetDevice();
