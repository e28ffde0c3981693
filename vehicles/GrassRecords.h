#pragma once
// The records of a world's plants: the kinds of field plants (a crop or meadow grass growing on one
// named field mesh), each placed plant with its two crossed quads, the terrain tufts scattered over
// the landscape, and the 100 x 100 sectors the tufts are drawn by. Their stored forms in the
// placement cache are GrassCache's.
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "platform/gfx/Resource.h"

class EObjectSlot;

// One field plant: two crossed quads standing on its foot point. Vertices 2, 3 and 5 (quad 0) and
// 8, 9 and 11 (quad 1) are the tops; 0, 0, 1 and 6, 6, 7 their bottom partners.
struct Plant {
    static constexpr int kVertices = 12;
    DV m_vPosition;
    // The unit normal of the field under it.
    DV m_vNormal;
    uint8_t m_bValid = 0;
    DV m_vVertices[kVertices];
    // High nibble u, low nibble v, each in eighths.
    uint8_t m_uTexCoords[kVertices] = {};
    // 0 at the roots: how far each vertex sways.
    uint8_t m_uAlpha[kVertices] = {};
};

// One terrain tuft.
struct TPlant {
    DV m_vPosition;
    DV m_vNormal;
    // The colour the ground shows under it, 0x00RRGGBB.
    uint32_t m_uColour = 0;
    uint8_t m_bValid = 0;
};

// A kind of field plant, from a "grows" block of the world's grass script.
struct GrassKind {
    static constexpr int kNameSize = 256;
    static constexpr int kMeshSlots = 16;
    static constexpr uint32_t kMaxMeshes = 15;
    static constexpr int kMeshNameSize = 64;
    static constexpr int kCombineSlots = 8;
    static constexpr int MAX_SCIETYCH_ROSLIN = 128;

    // Also the name of its texture.
    char m_szName[kNameSize] = {};
    uint32_t m_uTexture = 0;
    // Can be cut (mown, harvested).
    uint8_t m_bCrop = 0;
    // The field object's position, scaling and bounding radius, and its extent in x and z.
    DV m_vPosition;
    DV m_vScale;
    // Distance between neighbouring grid points.
    float m_fDensity = 0;
    float m_fRadius = 0;
    float m_fExtentX = 0;
    float m_fExtentZ = 0;
    // Grid columns, rows and points.
    uint32_t m_Szer = 0;
    uint32_t m_Wys = 0;
    uint32_t WTabeli = 0;
    char m_szMeshes[kMeshSlots][kMeshNameSize] = {};
    uint32_t m_dwMeshes = 0;
    float m_fWidth = 0;
    float m_fHeight = 0;
    // The placement jitter's amplitude, and the script's "random" value.
    float m_fRandomSeed = 0;
    float m_fRandom = 0;
    uint8_t m_bHasPlants = 0;
    uint32_t dwGrassesDefined = 0;

    // Run-time: the buffer and its triangles, the plants, which are cut, the combines' reach lists
    // and slots, and this frame's cuts.
    std::unique_ptr<gfx::VertexBuffer> pVB;
    uint32_t m_dwTriangles = 0;
    std::unique_ptr<Plant[]> pPlants;
    std::unique_ptr<uint8_t[]> pScieta;
    // The plants' foot points packed together (crop kinds), for the combines' search each frame.
    std::unique_ptr<DV[]> pFeet;
    std::unique_ptr<int32_t[]> pScinalne[kCombineSlots];
    EObjectSlot* m_pCombines[kCombineSlots] = {};
    uint32_t m_dwCut[MAX_SCIETYCH_ROSLIN] = {};
    uint32_t dwSciete = 0;
};

// The terrain tufts: the script's terrain textures and object, the "grass" marker's box, its cells
// and the tufts found.
struct TerrainGrass {
    static constexpr int kTextureSlots = 16;
    static constexpr uint32_t kMaxTextures = 15;
    static constexpr int kNameSize = 64;

    char m_szTextures[kTextureSlots][kNameSize] = {};
    uint32_t m_dwTextures = 0;
    char m_szTeren[kNameSize] = {};
    float m_fMinX = 0;
    float m_fMinZ = 0;
    float m_fMaxX = 0;
    float m_fMaxZ = 0;
    float m_fCell = 0;
    uint32_t dwSzer = 0;
    uint32_t dwWys = 0;
    std::unique_ptr<TPlant[]> pTPlants;
    uint32_t dwTPlants = 0;
};

// One cell of the grid a ploughing, sowing or planting task lays over its field.
struct GroundCell {
    // On the field.
    uint8_t m_bValid = 0;
    // The field's surface at the cell.
    DV m_vPoint;
    uint8_t m_bWorked = 0;
    // Valid cells before this one.
    uint32_t m_dwIndex = 0;
};

// A 100 x 100 square of the tufts, drawn as one buffer.
struct strTSector {
    float m_fMinX = 0;
    float m_fMinZ = 0;
    float m_fMaxX = 0;
    float m_fMaxZ = 0;
    std::unique_ptr<TPlant[]> pTPlants;
    uint32_t dwTPlants = 0;
    DV m_vCentre;
    float m_fRadius = 0;
    std::unique_ptr<gfx::VertexBuffer> pVB;
    uint32_t m_dwTriangles = 0;
};
