#pragma once
// The plants of the running world: the kinds of field plants that the world's grass script
// ("scripts\grass\*.txt", the first whose "world" line names the world) grows on named field
// meshes, and the terrain tufts scattered over the ground inside the "grass" marker's box on the
// script's terrain textures. At main-game frame 219 the plants are placed (or read from the
// world's placement cache, "<world file>.grs") and put into static vertex buffers: one per kind,
// where plant i owns vertices 12 i to 12 i + 11 for the field work to rewrite, and one per
// 100 x 100 sector of tufts. They are drawn in the scene pass, alpha-tested and swaying, culled by
// distance.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vehicles/GrassRecords.h"

class EObjectSlot;
struct FieldVertex;

// What a placement cache holds, read apart from the plants in use so that a cache that fails any
// check leaves them as the script made them.
struct GrassCacheContents {
    std::vector<GrassKind> kinds;
    TerrainGrass terrain;
};

class EPlantMgr {
public:
    static constexpr uint32_t MAX_GRASS = 64;
    static constexpr uint32_t kCacheVersion = 6;
    static constexpr uint32_t kMaxSectors = 512;
    static constexpr int kScriptPathSize = 256;

    EPlantMgr();
    virtual ~EPlantMgr();
    EPlantMgr(const EPlantMgr&) = delete;
    EPlantMgr& operator=(const EPlantMgr&) = delete;

    // ---- Definitions (world start) ------------------------------------------------------------
    // Every kind and the terrain block zeroed, then the world's script read (no plants yet).
    void LoadGrass();
    // The path of the current world's script; "" when none names it.
    const char* FindGrassScript();
    void ReadGrassScript(const char* path);

    // ---- Placement (main-game frame 219) --------------------------------------------------------
    // The plants placed or read from the cache, the buffers built, the crop kinds given their
    // cut marks.
    void CreateGrass();
    // True when the plants came from the cache.
    bool ComputeGrass();
    void ComputeTGrass();
    // The 12 vertices, texture bytes and alpha bytes of one plant of a kind.
    void BuildPlantGeometry(uint32_t kind, Plant* plant);

    // ---- The placement cache --------------------------------------------------------------------
    // The current world's cache name.
    static std::string CacheName();
    // True when the cache was read whole, passed every check and now holds the plants.
    bool CzytajDaneZPliku();
    void WriteGrassCache();
    // The cache's bytes as the writer writes them.
    std::vector<uint8_t> CacheBytes() const;
    // The contents of a cache's bytes; false when they are short, of another version, or hold
    // counts beyond their limits and grids.
    static bool ReadGrassCache(const uint8_t* bytes, size_t size, GrassCacheContents& out);

    // ---- Buffers and sectors --------------------------------------------------------------------
    void CreateAndFillVBuffers();
    void CreateAndFillTSectors();
    void CreateAndFillTVBuffers();
    void BuildTPlantGeometry(uint32_t sector, uint32_t tuft, int variant, FieldVertex* locked);

    // ---- Drawing --------------------------------------------------------------------------------
    void RenderGrass();
    // The route's crop field on the overview map (the map has set its effect and states).
    void RenderFieldOnAutoMap();
    // Grass casts no sky shadow.
    void RenderSkyDepth() {}

    // ---- Release (world end) --------------------------------------------------------------------
    void ReleaseGrassBuffers();
    void ReleaseTGrass();
    void Release();

    // ---- Field work -----------------------------------------------------------------------------
    void UpdateFieldWork();
    // A combine starts or stops cutting.
    void RegisterCombine(EObjectSlot* object);
    void UnregisterCombine(EObjectSlot* object);

    GrassKind m_Grass[MAX_GRASS];
    // Vertices in each kind's buffer (12 per plant).
    uint32_t m_dwGrassVertices[MAX_GRASS] = {};
    uint32_t m_dwGrass = 0;
    uint32_t m_dwVersion = kCacheVersion;
    TerrainGrass m_TGrass;
    std::unique_ptr<strTSector[]> m_pTSectors;
    uint32_t m_dwTSectors = 0;
    // Vertices in each sector's buffer (18 per tuft).
    uint32_t m_dwTSectorVertices[kMaxSectors] = {};
    // Draw calls of the last RenderGrass.
    uint32_t m_dwDrawCalls = 0;
    // How much of each field task is done, 0..100, as the field work counts it.
    float m_fHarvestPercent = 0;
    float m_fBalingPercent = 0;
    float m_fPloughingPercent = 0;
    float m_fPlantingPercent = 0;
    float m_fSowingPercent = 0;
    float m_fBaleCollectingPercent = 0;

private:
    // The tags the heap blocks and buffers are counted under.
    static constexpr const char* kPlantsTag = "m_GrasspPlants";
    static constexpr const char* kBufferTag = "m_GrasspVB";
    static constexpr const char* kCutTag = "pScieta";
    static constexpr const char* kReachTag = "pScinalne";
    static constexpr const char* kTuftsTag = "pTPlants";
    static constexpr const char* kSectorsTag = "strTSector";
    static constexpr const char* kSectorTuftsTag = "m_pTSectors[dw].pTPlants";
    static constexpr const char* kSectorBufferTag = "m_pTSectorsVB";
    static constexpr const char* kLockTag = "LockVB";

    // Opens kind m_dwGrass with this name; false (and a console line) when all 64 are in use.
    bool OpenKind(const char* name);
    // Splits every kind of several field meshes into kinds of one.
    void UnpackMeshes();
    // Places one kind's plants on its field; false when the kind stays empty.
    void PlaceKind(uint32_t kind);
    // The terrain tuft of one cell, when the ground there bears grass; the rays start above the
    // marker's height.
    void PlaceTuft(uint32_t row, uint32_t column, EObjectSlot* terrain, float markerHeight);
    // The plants read from a cache take the place of the script's.
    void TakeCache(GrassCacheContents& contents);
    void CreateKindBuffer(uint32_t kind);
    void CreateSectorBuffer(uint32_t sector);
    // Begins the grass technique with the sky-lit parameters; false when the effect is missing.
    bool BeginGrassPass();
};

// The path of the grass script chosen for the current world ("" when none).
extern char g_szGrassScriptPath[EPlantMgr::kScriptPathSize];

extern EPlantMgr g_PlantMgr;
