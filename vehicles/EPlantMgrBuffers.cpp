// The plants' vertex buffers: one per kind (plant i at vertices 12 i to 12 i + 11) and one per
// 100 x 100 sector of terrain tufts (half of the tufts, most of them the widest variant).
#include <cmath>
#include <cstdio>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EOrientation.h"
#include "core/ESettings.h"
#include "core/NumericHelpers.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/FieldVertex.h"

namespace {

constexpr float kSectorSize = 100.0f;
constexpr uint32_t kTuftVertices = 18;
constexpr float kTwoPi = 6.2831853f;
constexpr uint32_t kTuftTopAlpha = 0xF0;

// A tuft's three quads by variant: half width, height, lean, base offset, v at the bottom and top.
struct TuftVariant {
    float halfWidth, height, lean, baseOffset, bottomV, topV;
};
constexpr TuftVariant kTuftVariants[3] = {
    {2.0f, 0.8f, 0.7f, -0.2f, 0.25f, 0.0f},
    {1.4f, 1.2f, 0.8f, -0.3f, 0.5f, 0.25f},
    {1.2f, 1.6f, 0.2f, -0.1f, 0.75f, 0.5f},
};

bool CreateBuffer(uint32_t bytes, std::unique_ptr<gfx::VertexBuffer>& buffer) {
    return g_pd3dDevice &&
           !gfx::Failed(g_pd3dDevice->CreateVertexBuffer(bytes, gfx::USAGE_WRITEONLY, 0, gfx::POOL_MANAGED, buffer));
}

FieldVertex* LockAll(gfx::VertexBuffer& buffer) {
    void* data = nullptr;
    if (gfx::Failed(buffer.Lock(0, 0, &data, 0)) || !data) return nullptr;
    return static_cast<FieldVertex*>(data);
}

}  // namespace

void EPlantMgr::CreateAndFillVBuffers() {
    g_Console.Print("EPlantMgr::CreateAndFillVBuffers");
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        const GrassKind& k = m_Grass[i];
        // Meadow kinds are left out while grass is not drawn; crops stay, for the field work.
        if (k.pVB || !k.m_bHasPlants || k.dwGrassesDefined == 0 || (!k.m_bCrop && !g_Settings.m_bDrawGrass)) continue;
        CreateKindBuffer(i);
    }
    g_Console.Print("exiting EPlantMgr::CreateAndFillVBuffers");
}

void EPlantMgr::CreateKindBuffer(uint32_t index) {
    GrassKind& k = m_Grass[index];
    const uint32_t n = k.dwGrassesDefined;
    g_Console.PrintInt("CreateAndFillVBuffers creates VB of ", static_cast<int>(Plant::kVertices * n));
    m_dwGrassVertices[index] = Plant::kVertices * n;
    if (!CreateBuffer(n * Plant::kVertices * sizeof(FieldVertex), k.pVB)) {
        k.pVB.reset();
        g_Console.PrintInt("Failed to create grass m_pVB dla", static_cast<int>(index));
        return;
    }
    g_Debug.AddAlloc(kBufferTag);
    k.m_dwTriangles = 0;
    if (!k.pPlants) {
        g_Console.PrintInt("NO pPlants for ", static_cast<int>(index));
        return;
    }
    FieldVertex* out = LockAll(*k.pVB);
    if (!out) {
        g_Console.PrintInt("Failed to lock VB for ", static_cast<int>(index));
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    for (uint32_t p = 0; p < n; ++p) {
        const Plant& plant = k.pPlants[p];
        if (!plant.m_bValid) continue;
        for (int v = 0; v < Plant::kVertices; ++v)
            out[Plant::kVertices * p + v] =
                FieldVertex{plant.m_vVertices[v], uint32_t{plant.m_uAlpha[v]} << 24, plant.m_vNormal,
                            (plant.m_uTexCoords[v] >> 4) * 0.125f, (plant.m_uTexCoords[v] & 0x0F) * 0.125f};
        k.m_dwTriangles += 4;
    }
    if (gfx::Failed(k.pVB->Unlock())) g_Console.Print("FAILED to unlock CreateAndFillVBuffers VB");
    else g_Debug.RemoveAlloc(kLockTag);
}

void EPlantMgr::CreateAndFillTSectors() {
    if (m_TGrass.dwTPlants == 0) {
        g_Console.Print("CreateAndFillTSectors - !m_TGrass.dwTPlants");
        return;
    }
    if (!g_Settings.m_bDrawGrass) return;
    g_Console.Print("EPlantMgr::CreateAndFillTSectors()");
    const double columns = std::floor((double{m_TGrass.m_fMaxX} - m_TGrass.m_fMinX) / kSectorSize) + 1;
    const double rows = std::floor((double{m_TGrass.m_fMaxZ} - m_TGrass.m_fMinZ) / kSectorSize) + 1;
    if (!(columns * rows <= kMaxSectors)) {
        g_Console.PrintInt("ERROR: EPlantMgr: the grass marker's box needs more sectors than ", kMaxSectors);
        return;
    }
    const auto c = static_cast<uint32_t>(columns), r = static_cast<uint32_t>(rows);
    char line[64];
    std::snprintf(line, sizeof line, "Sektorow: %ix%i == %i", c, r, c * r);
    g_Console.Print(line);
    m_dwTSectors = c * r;
    m_pTSectors = std::make_unique<strTSector[]>(m_dwTSectors);
    g_Debug.AddAlloc(kSectorsTag);
    for (uint32_t row = 0; row < r; ++row)
        for (uint32_t column = 0; column < c; ++column) {
            strTSector& s = m_pTSectors[row * c + column];
            s.m_fMinX = m_TGrass.m_fMinX + kSectorSize * static_cast<float>(column);
            s.m_fMinZ = m_TGrass.m_fMinZ + kSectorSize * static_cast<float>(row);
            s.m_fMaxX = s.m_fMinX + kSectorSize;
            s.m_fMaxZ = s.m_fMinZ + kSectorSize;
            s.m_vCentre = DV{s.m_fMinX + kSectorSize / 2, 0, s.m_fMinZ + kSectorSize / 2};
            s.m_fRadius = kSectorSize;
            auto inside = [&s](const TPlant& t) {
                return s.m_fMinX <= t.m_vPosition.x && t.m_vPosition.x < s.m_fMaxX && s.m_fMinZ <= t.m_vPosition.z &&
                       t.m_vPosition.z < s.m_fMaxZ;
            };
            for (uint32_t t = 0; t < m_TGrass.dwTPlants; ++t) s.dwTPlants += inside(m_TGrass.pTPlants[t]);
            if (s.dwTPlants == 0) continue;
            s.pTPlants = std::make_unique<TPlant[]>(s.dwTPlants);
            g_Debug.AddAlloc(kSectorTuftsTag);
            for (uint32_t t = 0, n = 0; t < m_TGrass.dwTPlants; ++t)
                if (inside(m_TGrass.pTPlants[t])) s.pTPlants[n++] = m_TGrass.pTPlants[t];
        }
    g_Console.Print("exiting EPlantMgr::CreateAndFillTSectors()");
}

void EPlantMgr::CreateAndFillTVBuffers() {
    if (m_dwTSectors == 0 || !g_Settings.m_bDrawGrass) return;
    g_Console.Print("EPlantMgr::CreateAndFillTVBuffers()");
    for (uint32_t i = 0; i < m_dwTSectors; ++i)
        if (m_pTSectors[i].dwTPlants) CreateSectorBuffer(i);
    g_Console.Print("exiting EPlantMgr::CreateAndFillTVBuffers()");
}

void EPlantMgr::CreateSectorBuffer(uint32_t index) {
    strTSector& s = m_pTSectors[index];
    g_Console.PrintInt("CreateAndFillTVBuffers creates VB, vertex number == ", static_cast<int>(kTuftVertices * s.dwTPlants));
    m_dwTSectorVertices[index] = kTuftVertices * s.dwTPlants;
    if (!CreateBuffer(m_dwTSectorVertices[index] * sizeof(FieldVertex), s.pVB)) {
        s.pVB.reset();
        g_Console.PrintInt("Failed to create TGrass pVB dla sektora ", static_cast<int>(index));
        return;
    }
    g_Debug.AddAlloc(kSectorBufferTag);
    FieldVertex* out = LockAll(*s.pVB);
    if (!out) {
        g_Console.PrintInt("Failed to lock TGrass VB dla sektora ", static_cast<int>(index));
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    for (uint32_t t = 0; t < s.dwTPlants; ++t) {
        // Half of the tufts are left out; of the rest one in ten is one of the taller variants.
        if (plat::Random() & 1) continue;
        int variant = 0;
        if (plat::Random() % 10 == 0) variant = 1 + (plat::Random() & 1);
        BuildTPlantGeometry(index, t, variant, out);
    }
    if (gfx::Failed(s.pVB->Unlock())) g_Console.Print("FAILED to unlock CreateAndFillTVBuffers VB");
    else g_Debug.RemoveAlloc(kLockTag);
}

void EPlantMgr::BuildTPlantGeometry(uint32_t sector, uint32_t tuft, int variant, FieldVertex* locked) {
    if (sector >= m_dwTSectors || !m_pTSectors[sector].pTPlants || !locked) return;
    strTSector& s = m_pTSectors[sector];
    if (tuft >= s.dwTPlants || variant < 0 || variant > 2) return;
    // Drawn tufts lie packed one after the other.
    const uint32_t first = 3 * s.m_dwTriangles;
    if (first + kTuftVertices > m_dwTSectorVertices[sector]) {
        g_Console.Print("Proba pisania poza VB TSectora wychwycona!");
        return;
    }
    const TPlant& t = s.pTPlants[tuft];
    const TuftVariant& shape = kTuftVariants[variant];
    const DV up{0, 1, 0}, ahead{0, 0, 1};
    EOrientation o = EOrientation::EOrientationFromDirection(&ahead);
    o.RotateAxis(&up, RandomFloat(kTwoPi));
    const uint32_t bottom = t.m_uColour & 0x00FFFFFFu, top = kTuftTopAlpha << 24 | bottom;
    FieldVertex* out = locked + first;
    for (int q = 0; q < 3; ++q) {
        const DV base = t.m_vPosition + o.m_Front * shape.baseOffset;
        const DV left = base - o.m_Side * shape.halfWidth, right = base + o.m_Side * shape.halfWidth;
        const DV rise = up * shape.height + o.m_Front * shape.lean;
        *out++ = FieldVertex{left, bottom, t.m_vNormal, 0, shape.bottomV};
        *out++ = FieldVertex{right, bottom, t.m_vNormal, 1, shape.bottomV};
        *out++ = FieldVertex{left + rise, top, t.m_vNormal, 0, shape.topV};
        *out++ = FieldVertex{left + rise, top, t.m_vNormal, 0, shape.topV};
        *out++ = FieldVertex{right, bottom, t.m_vNormal, 1, shape.bottomV};
        *out++ = FieldVertex{right + rise, top, t.m_vNormal, 1, shape.topV};
        s.m_dwTriangles += 2;
        o.RotateAxis(&up, kTwoPi / 3);
    }
}
