#pragma once
// The cache of static mesh geometry: each model file loaded once and shared by its meshes.

class EMeshMgr {
public:
    EMeshMgr();
    virtual ~EMeshMgr();
};

extern EMeshMgr g_MeshMgr;

// The mesh manager's steps around a device reset. Its meshes live in the managed pool and
// survive a reset, so both do nothing.
void MeshMgrLostDevice();
void MeshMgrResetDevice();
