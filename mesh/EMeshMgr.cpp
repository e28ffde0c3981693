#include "mesh/EMeshMgr.h"

EMeshMgr g_MeshMgr;

EMeshMgr::EMeshMgr() {}

EMeshMgr::~EMeshMgr() = default;

void EMeshMgr::Init() {}

// No record is kept yet: meshes hold no shared geometry.
void EMeshMgr::ReleaseAll() {}

void EMeshMgr::OnWorldStarted() {}

void EMeshMgr::PrepareObjectLods(EObjectSlot*) {}

void MeshMgrLostDevice() {}
void MeshMgrResetDevice() {}
