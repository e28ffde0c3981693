// Grass scripts: the input read as a world's grass script, its kinds split into kinds of one field
// each, never more than the table holds.
#include "FuzzSupport.h"
#include "vehicles/EPlantMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("scripts\\grass\\fuzz.txt", data, size);
    g_PlantMgr.LoadGrass();
    g_PlantMgr.ReadGrassScript("scripts\\grass\\fuzz.txt");
    if (g_PlantMgr.m_dwGrass > EPlantMgr::MAX_GRASS) __builtin_trap();
    for (uint32_t i = 0; i < g_PlantMgr.m_dwGrass; ++i)
        if (g_PlantMgr.m_Grass[i].m_dwMeshes > GrassKind::kMaxMeshes) __builtin_trap();
    g_PlantMgr.Release();
    return 0;
}
