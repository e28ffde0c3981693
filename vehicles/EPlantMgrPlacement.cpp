// Placing the plants: the field plants on a grid over each kind's field mesh, the terrain tufts
// one cell in four over the "grass" marker's box where the ground bears grass.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EOrientation.h"
#include "core/NumericHelpers.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMesh.h"
#include "platform/os/Random.h"
#include "render/AmbientProbe.h"
#include "render/ERenderer.h"
#include "vehicles/EPlantMgr.h"
#include "world/EEngine.h"
#include "world/IntersectFilters.h"

namespace {

constexpr float kFieldRayLift = 64.0f;
constexpr float kFieldRayLength = 128.0f;
constexpr float kTuftCell = 1.4f;
constexpr float kTuftJitter = 0.9f;
constexpr float kTuftRayLift = 128.0f;
constexpr float kTuftRayLength = 256.0f;
constexpr float kSteepest = 0.5f;
constexpr float kSectorSize = 100.0f;
// A field's grid, at most: a field of 1000 x 1000 at a density of 1.
constexpr double kMaxGridPoints = 1000000.0;
constexpr float kHalfPi = 1.5707963f;

// A random sign (odd draw: +1, even: -1), then a draw masked to 16 bits, over 65536.
float SignedDraw() {
    const float sign = (plat::Random() & 1) ? 1.0f : -1.0f;
    return sign * static_cast<float>(plat::Random() & 0xFFFF) / 65536.0f;
}

DV UnitOr(const DV& v) {
    const float length = pmath::Length(v);
    return v * (1.0f / (length == 0.0f ? 1.0f : length));
}

// The first surface straight down from the point.
bool HitBelow(const DV& from, float length, IntersectFilterFn filter, EObjectSlot* argument, SegmentHit* hit) {
    const DV to = from - DV{0, length, 0};
    SegmentQuery query;
    query.m_pStart = &from;
    query.m_pEnd = &to;
    query.m_pFilter = filter;
    query.m_pFilterArgument = argument;
    return g_IntersectSegment.Intersect(&query, hit);
}

// Ground a plant may stand on: a mesh whose face is no steeper than 60 degrees.
bool Standable(const SegmentHit& hit) {
    return hit.m_pObject && hit.m_pObject->Type == OT_MESH && UnitOr(hit.m_vNormal).y >= kSteepest;
}

// The ambient probe sees grass on the textures the script names, and only on them.
void MarkGrassBearingTextures(const TerrainGrass& t) {
    for (strtexture* r = g_Renderer.m_pTextures; r; r = r->m_pNext) r->m_bGrassBearing = 0;
    for (uint32_t i = 0; i < t.m_dwTextures; ++i)
        if (strtexture* r = g_Renderer.LoadRegisteredTexture(t.m_szTextures[i])) r->m_bGrassBearing = 1;
}

}  // namespace

bool EPlantMgr::ComputeGrass() {
    ReleaseGrassBuffers();
    if (CzytajDaneZPliku()) return true;
    // The ambient probe draws what the scene would show.
    for (EObjectSlot& o : g_Engine.m_Objects)
        if (o.m_bUsed) o.m_bVisibleThisFrame = 1;
    g_Engine.SetShaderLights(g_Renderer.m_ShaderLights);
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        g_Console.PrintInt("Przeliczam trawe #", static_cast<int>(i));
        PlaceKind(i);
    }
    ComputeTGrass();
    WriteGrassCache();
    return false;
}

void EPlantMgr::PlaceKind(uint32_t index) {
    GrassKind& k = m_Grass[index];
    if (k.m_dwMeshes == 0) return;
    EObjectSlot* field = g_Engine.FindObject(k.m_szMeshes[0], false);
    if (!field) {
        g_Console.PrintStr2("Nie znaleziono ", k.m_szMeshes[0]);
        return;
    }
    const EMesh* mesh = field->Mesh();
    if (!mesh) return;
    k.m_vPosition = field->m_vPosition;
    k.m_fRadius = field->m_fRadius;
    k.m_vScale = field->m_vScale;
    if (const EObjectSlot* wipeout = g_Engine.FindObject("wipeout", false)) {
        const float radius = (wipeout->m_vScale.x + wipeout->m_vScale.y + wipeout->m_vScale.z) / 3.0f;
        if (pmath::Length(k.m_vPosition - wipeout->m_vPosition) > radius + k.m_fRadius) {
            g_Console.Print("Outside wipeout - rejecting");
            return;
        }
    }
    k.m_fExtentX = std::fabs(mesh->m_vMax.x - mesh->m_vMin.x) * k.m_vScale.x;
    k.m_fExtentZ = std::fabs(mesh->m_vMax.z - mesh->m_vMin.z) * k.m_vScale.z;
    // A spacing of 0 or less, or a grid too large to hold, is the script's mistake: the kind stays
    // empty and the console says why.
    const double columns = std::floor(k.m_fExtentX / k.m_fDensity) + 1, rows = std::floor(k.m_fExtentZ / k.m_fDensity) + 1;
    if (!(k.m_fDensity > 0) || !(columns * rows <= kMaxGridPoints)) {
        g_Console.PrintStr3("ERROR: EPlantMgr: the grass of ", k.m_szMeshes[0], " needs a density above 0 and fewer grid points");
        return;
    }
    k.m_Szer = static_cast<uint32_t>(columns);
    k.m_Wys = static_cast<uint32_t>(rows);
    k.WTabeli = k.m_Szer * k.m_Wys;
    g_Console.PrintInt("m_Szer == ", static_cast<int>(k.m_Szer));
    g_Console.PrintInt("m_Wys == ", static_cast<int>(k.m_Wys));
    g_Console.PrintInt("WTabeli == ", static_cast<int>(k.WTabeli));
    k.pPlants = std::make_unique<Plant[]>(k.WTabeli);
    g_Debug.AddAlloc(kPlantsTag);
    for (uint32_t r = 0; r < k.m_Wys; ++r)
        for (uint32_t c = 0; c < k.m_Szer; ++c) {
            // Three points in four are tried.
            if (plat::Random() % 4 == 0) continue;
            DV point{static_cast<float>(c) * k.m_fDensity - k.m_fExtentX * 0.5f + k.m_vPosition.x,
                     k.m_vPosition.y + kFieldRayLift,
                     static_cast<float>(r) * k.m_fDensity - k.m_fExtentZ * 0.5f + k.m_vPosition.z};
            if (k.m_fRandomSeed != 0) {
                point.x += SignedDraw() * k.m_fRandomSeed;
                point.z += SignedDraw() * k.m_fRandomSeed;
            }
            SegmentHit hit;
            if (!HitBelow(point, kFieldRayLength, IntersectFilterSolidMeshes, nullptr, &hit) || !Standable(hit) ||
                hit.m_pObject != field)
                continue;
            Plant& plant = k.pPlants[k.dwGrassesDefined++];
            plant.m_vPosition = hit.m_vPoint;
            plant.m_vNormal = UnitOr(hit.m_vNormal);
            plant.m_bValid = 1;
            k.m_bHasPlants = 1;
            BuildPlantGeometry(index, &plant);
        }
    g_Console.PrintInt("Znaleziono poprawnych trawek ", static_cast<int>(k.dwGrassesDefined));
}

void EPlantMgr::BuildPlantGeometry(uint32_t kind, Plant* plant) {
    if (kind >= MAX_GRASS || !plant) return;
    const GrassKind& k = m_Grass[kind];
    const float x = SignedDraw(), z = SignedDraw();
    DV direction = UnitOr(DV{x + 0.05f, 0, z + 0.05f});
    EOrientation o = EOrientation::EOrientationFromDirection(&direction);
    const float size = 0.95f + RandomFloat(0.1f);
    const float halfWidth = k.m_fWidth * 0.5f * size, height = k.m_fHeight * size;
    const DV& foot = plant->m_vPosition;
    for (int q = 0; q < 2; ++q) {
        const auto alpha = static_cast<uint8_t>(RandomFloat(1.0f) * 255.0f);
        const DV b = foot - o.m_Side * halfWidth, a = foot + o.m_Side * halfWidth;
        const DV lift{0, height, 0};
        // Quad 0 takes the texture's upper half, quad 1 its lower half.
        const uint8_t bottomV = q == 0 ? 4 : 8, topV = q == 0 ? 0 : 4;
        const DV positions[6] = {b, a, b + lift, b + lift, a, a + lift};
        const uint8_t u[6] = {0, 8, 0, 0, 8, 8};
        const bool top[6] = {false, false, true, true, false, true};
        for (int i = 0; i < 6; ++i) {
            const int v = 6 * q + i;
            plant->m_vVertices[v] = positions[i];
            plant->m_uTexCoords[v] = static_cast<uint8_t>(u[i] * 16 + (top[i] ? topV : bottomV));
            plant->m_uAlpha[v] = top[i] ? alpha : 0;
        }
        const DV axis = o.m_Up;
        o.RotateAxis(&axis, kHalfPi);
    }
}

void EPlantMgr::ComputeTGrass() {
    if (m_TGrass.m_dwTextures == 0) return;
    EObjectSlot* marker = g_Engine.FindObject("grass", false);
    const char* fault = !marker ? "Error - NO grass marker!"
                        : marker->Type != OT_MESH ? "hGrass->Type!=OT_MESH"
                        : !marker->Mesh() ? "!hGrass->Object"
                                          : nullptr;
    if (fault) {
        g_Console.Print(fault);
        return;
    }
    const EMesh& box = *marker->Mesh();
    m_TGrass.m_fMinX = std::min(box.m_vWorldMin.x, box.m_vWorldMax.x);
    m_TGrass.m_fMaxX = std::max(box.m_vWorldMin.x, box.m_vWorldMax.x);
    m_TGrass.m_fMinZ = std::min(box.m_vWorldMin.z, box.m_vWorldMax.z);
    m_TGrass.m_fMaxZ = std::max(box.m_vWorldMin.z, box.m_vWorldMax.z);
    m_TGrass.m_fCell = kTuftCell;
    // The tufts are drawn by sectors, of which there are so many: a larger box is refused.
    const double sectors = (std::floor((m_TGrass.m_fMaxX - m_TGrass.m_fMinX) / kSectorSize) + 1) *
                           (std::floor((m_TGrass.m_fMaxZ - m_TGrass.m_fMinZ) / kSectorSize) + 1);
    if (!(sectors <= kMaxSectors)) {
        g_Console.PrintInt("ERROR: EPlantMgr: the grass marker's box needs more sectors than ", kMaxSectors);
        return;
    }
    m_TGrass.dwSzer = static_cast<uint32_t>((m_TGrass.m_fMaxX - m_TGrass.m_fMinX) / kTuftCell) + 1;
    m_TGrass.dwWys = static_cast<uint32_t>((m_TGrass.m_fMaxZ - m_TGrass.m_fMinZ) / kTuftCell) + 1;
    g_Console.PrintInt("m_TGrass.dwSzer == ", static_cast<int>(m_TGrass.dwSzer));
    g_Console.PrintInt("m_TGrass.dwWys == ", static_cast<int>(m_TGrass.dwWys));
    g_Console.PrintInt("W sumie == ", static_cast<int>(m_TGrass.dwSzer * m_TGrass.dwWys));
    m_TGrass.pTPlants = std::make_unique<TPlant[]>(size_t{m_TGrass.dwSzer} * m_TGrass.dwWys);
    g_Debug.AddAlloc(kTuftsTag);
    m_TGrass.dwTPlants = 0;
    EObjectSlot* terrain = m_TGrass.m_szTeren[0] ? g_Engine.FindObject(m_TGrass.m_szTeren, false) : nullptr;
    const uint32_t terrainFlags = terrain ? terrain->m_uFlags : 0;
    // A terrain marked dead would let the rays through.
    if (terrain) g_Engine.SetObjectFlags(terrain, 0, FLAG_DEAD);
    MarkGrassBearingTextures(m_TGrass);
    g_AmbientProbe.BeginRender();
    g_Console.Print("Generuje Ttrawe");
    for (uint32_t r = 0; r < m_TGrass.dwWys; ++r) {
        char line[64];
        std::snprintf(line, sizeof line, "z == %u (out of %u)", r, m_TGrass.dwWys);
        g_Console.Print(line);
        for (uint32_t c = 0; c < m_TGrass.dwSzer; ++c) PlaceTuft(r, c, terrain, marker->m_vPosition.y);
    }
    g_Console.PrintInt("Znaleziono poprawnych trawek ", static_cast<int>(m_TGrass.dwTPlants));
    // The tufts found, in cell order, in an array of their own size.
    if (m_TGrass.dwTPlants) {
        auto found = std::make_unique<TPlant[]>(m_TGrass.dwTPlants);
        const size_t cells = size_t{m_TGrass.dwSzer} * m_TGrass.dwWys;
        for (size_t i = 0, n = 0; i < cells; ++i)
            if (m_TGrass.pTPlants[i].m_bValid) found[n++] = m_TGrass.pTPlants[i];
        m_TGrass.pTPlants = std::move(found);
    }
    if (terrain) g_Engine.SetObjectFlags(terrain, terrainFlags, ~0u);
    g_AmbientProbe.EndRender();
}

void EPlantMgr::PlaceTuft(uint32_t row, uint32_t column, EObjectSlot* terrain, float markerHeight) {
    // One cell in four is tried.
    if (plat::Random() % 4 != 0) return;
    const float jx = SignedDraw() * kTuftJitter, jz = SignedDraw() * kTuftJitter;
    const DV point{m_TGrass.m_fMinX + static_cast<float>(column) * kTuftCell + jx, markerHeight + kTuftRayLift,
                   m_TGrass.m_fMinZ + static_cast<float>(row) * kTuftCell + jz};
    SegmentHit hit;
    if (!HitBelow(point, kTuftRayLength, terrain ? IntersectFilterOnlyTargetAny : IntersectFilterSolidMeshes, terrain,
                  &hit) ||
        !Standable(hit))
        return;
    const DrawVisibility* ground = terrain ? terrain : hit.m_pObject;
    if (!g_AmbientProbe.RenderPlantProbe(hit.m_vPoint, ground)) return;
    TPlant& tuft = m_TGrass.pTPlants[size_t{row} * m_TGrass.dwSzer + column];
    tuft.m_vPosition = hit.m_vPoint;
    tuft.m_vNormal = UnitOr(hit.m_vNormal);
    tuft.m_uColour = g_AmbientProbe.ReadPlantAmbientColour(hit.m_vPoint, ground);
    tuft.m_bValid = 1;
    ++m_TGrass.dwTPlants;
}
