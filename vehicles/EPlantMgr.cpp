#include "vehicles/EPlantMgr.h"

#include <algorithm>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"

EPlantMgr g_PlantMgr;
char g_szGrassScriptPath[EPlantMgr::kScriptPathSize];

EPlantMgr::EPlantMgr() = default;

EPlantMgr::~EPlantMgr() = default;

void EPlantMgr::LoadGrass() {
    m_dwGrass = 0;
    ReleaseFieldWork();
    for (GrassKind& kind : m_Grass) {
        kind = GrassKind{};
        kind.m_fRandom = 1.0f;
    }
    m_TGrass = TerrainGrass{};
    if (const char* path = FindGrassScript()) ReadGrassScript(path);
}

void EPlantMgr::CreateGrass() {
    if (m_dwGrass == 0) return;
    ComputeGrass();
    CreateAndFillVBuffers();
    CreateAndFillTSectors();
    CreateAndFillTVBuffers();
    g_Console.Print("przed Croppable");
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        GrassKind& k = m_Grass[i];
        if (!k.m_bHasPlants || k.dwGrassesDefined == 0 || !k.m_bCrop) continue;
        if (k.pScieta) g_Debug.RemoveAlloc(kCutTag);
        k.pScieta = std::make_unique<uint8_t[]>(k.dwGrassesDefined);
        g_Debug.AddAlloc(kCutTag);
        k.pFeet = std::make_unique<DV[]>(k.dwGrassesDefined);
        for (uint32_t p = 0; p < k.dwGrassesDefined; ++p) k.pFeet[p] = k.pPlants[p].m_vPosition;
    }
    g_Console.Print("po Croppable");
}

void EPlantMgr::ReleaseGrassBuffers() {
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        GrassKind& k = m_Grass[i];
        if (k.pVB) {
            k.pVB.reset();
            g_Debug.RemoveAlloc(kBufferTag);
            g_Console.PrintInt("m_Grass[dw].pVB->Release OK for ", static_cast<int>(i));
        }
        if (k.pPlants) g_Debug.RemoveAlloc(kPlantsTag);
        if (k.pScieta) g_Debug.RemoveAlloc(kCutTag);
        k.pPlants.reset();
        k.pScieta.reset();
        k.pFeet.reset();
        for (int s = 0; s < GrassKind::kCombineSlots; ++s) {
            if (k.pScinalne[s]) g_Debug.RemoveAlloc(kReachTag);
            k.pScinalne[s].reset();
            k.m_pCombines[s] = nullptr;
        }
        k.m_bHasPlants = 0;
        k.dwGrassesDefined = 0;
        k.dwSciete = 0;
        k.m_dwTriangles = 0;
        m_dwGrassVertices[i] = 0;
    }
}

void EPlantMgr::ReleaseTGrass() {
    if (m_TGrass.pTPlants) g_Debug.RemoveAlloc(kTuftsTag);
    m_TGrass = TerrainGrass{};
    for (uint32_t i = 0; i < m_dwTSectors; ++i) {
        strTSector& s = m_pTSectors[i];
        if (s.pTPlants) g_Debug.RemoveAlloc(kSectorTuftsTag);
        if (s.pVB) {
            s.pVB.reset();
            g_Debug.RemoveAlloc(kSectorBufferTag);
            g_Console.PrintInt("m_pTSectors[dw].pVB->Release() OK for ", static_cast<int>(i));
        }
    }
    if (m_pTSectors) g_Debug.RemoveAlloc(kSectorsTag);
    m_pTSectors.reset();
    m_dwTSectors = 0;
    std::memset(m_dwTSectorVertices, 0, sizeof m_dwTSectorVertices);
}

void EPlantMgr::Release() {
    ReleaseGrassBuffers();
    ReleaseTGrass();
    m_dwGrass = 0;
    ReleaseFieldWork();
}

// A world starts its tasks at 0, with no grid.
void EPlantMgr::ReleaseFieldWork() {
    if (m_pGround) g_Debug.RemoveAlloc(kGroundTag);
    m_pGround.reset();
    m_dwGroundColumns = m_dwGroundRows = m_dwGroundCells = 0;
    m_dwValidCells = m_dwWorkedCells = 0;
    std::fill_n(m_fProgress, kProgressCount, 0.0f);
    m_dwBales = m_dwBalesInside = 0;
    m_fFrameTime = m_fRunTime = 0;
}
