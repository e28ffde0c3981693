#pragma once
// Grass and crops of a world and the field work done on them.
class EObjectSlot;

class EPlantMgr {
public:
    void LoadGrass();
    void Release();
    void UpdateFieldWork();
    // The task's field drawn into the overview map's pass.
    void RenderFieldOnAutoMap();
    // A combine starts or stops cutting.
    void RegisterCombine(EObjectSlot* object);
    void UnregisterCombine(EObjectSlot* object);
};

extern EPlantMgr g_PlantMgr;
