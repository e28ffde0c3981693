#include "mesh/EMeshMgr.h"

EMeshMgr g_MeshMgr;

EMeshMgr::EMeshMgr() {}

EMeshMgr::~EMeshMgr() = default;

void MeshMgrLostDevice() {}
void MeshMgrResetDevice() {}
