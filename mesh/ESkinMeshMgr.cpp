#include "mesh/ESkinMeshMgr.h"

ESkinMeshMgr g_SkinMeshMgr;

// No skinned model is read yet: there is no common animation folder to scan.
void ESkinMeshMgr::Init() {}
