#include "mesh/EMeshSocketsMgr.h"

EMeshSocketsMgr g_MeshSocketsMgr;

// No socket file is read yet, so no model has sockets.
void EMeshSocketsMgr::LoadAll() {}

bool EMeshSocketsMgr::GetSocketWorldPos(EObjectSlot*, const char*, DV*) const { return false; }
