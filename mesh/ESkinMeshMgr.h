#pragma once
// The shared resources of skinned models and the common animation cache.

class ESkinMeshMgr {
public:
    void Init();
};

extern ESkinMeshMgr g_SkinMeshMgr;
