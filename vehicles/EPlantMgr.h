#pragma once
// Grass and crops of a world and the field work done on them.
class EPlantMgr {
public:
    void LoadGrass();
    void Release();
    void UpdateFieldWork();
};

extern EPlantMgr g_PlantMgr;
