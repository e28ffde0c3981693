#include "vehicles/EPlantMgr.h"

EPlantMgr g_PlantMgr;

// No grass definition is read yet: a world has no plants to load, work or release.
void EPlantMgr::LoadGrass() {}
void EPlantMgr::Release() {}
void EPlantMgr::UpdateFieldWork() {}
void EPlantMgr::RenderFieldOnAutoMap() {}
// With no crop there is nothing a combine could cut, so no cutting machine is kept.
void EPlantMgr::RegisterCombine(EObjectSlot*) {}
void EPlantMgr::UnregisterCombine(EObjectSlot*) {}
