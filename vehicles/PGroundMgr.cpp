#include "vehicles/PGroundMgr.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EOrientation.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "vehicles/FieldVertex.h"
#include "vehicles/Truck.h"
#include "world/EEngine.h"

PGroundMgr g_GroundMgr;

namespace {

constexpr const char* kBufferTag = "PGroundMgrVB";
constexpr const char* kLockTag = "LockVB";
constexpr uint32_t kStampBytes = PGroundMgr::kStampVertices * sizeof(FieldVertex);
constexpr uint32_t kTriangleBytes = 3 * sizeof(FieldVertex);
constexpr uint32_t kCloudStage = 15;
constexpr float kHidden = -1000.0f;
constexpr float kHalfPi = 1.5707963f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

struct KindSetup {
    const char* texture;
    float halfDiagonal, height, jitter;
    bool randomTurn, atlas;
};

constexpr KindSetup kKindSetups[PGroundMgr::kKinds] = {
    {"spr_siano.tga", 2.5f, 0.4f, 2.5f, true, false},      // straw swaths behind a combine
    {"spr_siano.tga", 3.0f, 0.6f, 1.5f, true, false},      // hay swaths for baling
    {"spr_orka.tga", 1.2f, 0.24f, 0.0f, false, true},      // ploughed earth
    {"spr_sadzenie.tga", 1.6f, 0.1f, 0.8f, false, true},   // planting strips
    {"spr_sianie.tga", 2.0f, 0.1f, 0.8f, false, true},     // sowing strips
};

// A random sign (odd: +1, even: -1) times a second draw, times the amplitude over 65536.
float Jitter(float amplitude) {
    const float sign = (plat::Random() & 1) ? 1.0f : -1.0f;
    return sign * static_cast<float>(plat::Random()) * amplitude / 65536.0f;
}

DV UnitOr(const DV& v) {
    const float length = pmath::Length(v);
    return v * (1.0f / (length == 0.0f ? 1.0f : length));
}

uint32_t FadeColour(float fade) { return static_cast<uint32_t>(fade * 255.0f) << 24 | 0x00FFFFFFu; }

FieldVertex Vertex(const DV& position, uint32_t colour, const DV& normal, float u, float v) {
    return FieldVertex{position, colour, normal, u, v};
}

// A stamp's four triangles fanned round its centre.
void WriteStamp(FieldVertex* out, const PGroundMgr::Mark& m, uint32_t colour) {
    const FieldVertex centre = Vertex(m.m_vCentre, colour, m.m_vNormal, m.m_fU[0], m.m_fV[0]);
    for (int k = 0; k < 4; ++k) {
        const int next = (k + 1) % 4;
        *out++ = centre;
        *out++ = Vertex(m.m_vCorners[k], colour, m.m_vNormal, m.m_fU[k + 1], m.m_fV[k + 1]);
        *out++ = Vertex(m.m_vCorners[next], colour, m.m_vNormal, m.m_fU[next + 1], m.m_fV[next + 1]);
    }
}

}  // namespace

PGroundMgr::PGroundMgr() = default;

PGroundMgr::~PGroundMgr() = default;

void PGroundMgr::Init() {
    for (uint32_t i = 0; i < kRecordSlots; ++i) m_Records[i] = Record{};
    m_dwRecords = 0;
    LoadTextures();
}

void PGroundMgr::LoadTextures() {
    for (const KindSetup& setup : kKindSetups) {
        Record& r = m_Records[m_dwRecords];
        r = Record{};
        r.m_uKind = m_dwRecords;
        std::snprintf(r.m_szTexture, sizeof r.m_szTexture, "%s", setup.texture);
        r.m_fHalfDiagonal = setup.halfDiagonal;
        r.m_fHeight = setup.height;
        r.m_fJitter = setup.jitter;
        r.m_bRandomTurn = setup.randomTurn;
        r.m_bAtlas = setup.atlas;
        r.m_pMarks = std::make_unique<Mark[]>(MAX_GROUND_EFFECTS);
        CreateVB(m_dwRecords);
        ++m_dwRecords;
    }
}

void PGroundMgr::CreateVB(uint32_t index) {
    if (index >= kRecordSlots) return;
    m_pVB[index].reset();
    if (!g_pd3dDevice || gfx::Failed(g_pd3dDevice->CreateVertexBuffer(kBufferBytes, 0, 0, gfx::POOL_MANAGED,
                                                                       m_pVB[index]))) {
        m_pVB[index].reset();
        g_Console.PrintInt("Failed to create PGroundMgr pVB dla ", static_cast<int>(index));
    } else {
        g_Console.PrintInt("Created PGroundMgr pVB #", static_cast<int>(index));
    }
    g_Debug.AddAlloc(kBufferTag);
}

void PGroundMgr::ResolveTextures() {
    for (uint32_t i = 0; i < m_dwRecords; ++i)
        if (const strtexture* t = g_Renderer.LoadRegisteredTexture(m_Records[i].m_szTexture))
            m_Records[i].m_pTexture = t->DeviceTexture();
}

void PGroundMgr::ClearEffects() {
    for (uint32_t i = 0; i < m_dwRecords; ++i) {
        Record& r = m_Records[i];
        if (r.m_pMarks) std::fill_n(r.m_pMarks.get(), MAX_GROUND_EFFECTS, Mark{});
        r.m_dwMarks = r.m_dwTriangles = r.m_dwFirstFading = 0;
        r.m_pTexture = nullptr;
    }
}

void PGroundMgr::Shutdown() { TnijGroundDefs(); }

void PGroundMgr::TnijGroundDefs() {
    g_Console.Print("PGroundMgr.TnijGroundDefs");
    for (uint32_t i = 0; i < m_dwRecords; ++i) ReleaseRecord(i);
    m_dwRecords = 0;
}

void PGroundMgr::ReleaseRecord(uint32_t index) {
    g_Console.PrintInt("Kolejny ", static_cast<int>(index));
    Record& r = m_Records[index];
    r.m_pMarks.reset();
    r.m_dwMarks = r.m_dwTriangles = r.m_dwFirstFading = 0;
    r.m_pTexture = nullptr;
    if (!m_pVB[index]) {
        g_Console.Print("Nie ma pVB");
        return;
    }
    g_Console.Print("Jest pVB");
    m_pVB[index].reset();
    g_Console.PrintInt("GroundMgr p->pVB->Release() OK for ", static_cast<int>(index));
    g_Debug.RemoveAlloc(kBufferTag);
}

// ---- Adding, writing and hiding marks -----------------------------------------------------------

void PGroundMgr::AddGroundEffect(uint32_t kind, const DV* position, const DV* direction, const DV* normal) {
    if (kind >= m_dwRecords || !position || !normal) return;
    Record& r = m_Records[kind];
    if (r.m_dwMarks >= kMaxStamps) {
        g_Console.PrintInt("MAX_GROUND_EFFECTS OVERFLOW for ", static_cast<int>(r.m_dwMarks));
        return;
    }
    if (!m_pVB[kind]) return;
    float jx = 0, jz = 0;
    if (r.m_fJitter > 0) {
        jx = Jitter(r.m_fJitter);
        jz = Jitter(r.m_fJitter);
    }
    Mark& m = r.m_pMarks[r.m_dwMarks];
    m = Mark{};
    m.m_vCentre = DV{position->x + jx, position->y + r.m_fHeight, position->z + jz};
    DV heading = direction ? UnitOr(DV{direction->x, 0, direction->z}) : DV{1, 0, 0};
    m.m_vNormal = UnitOr(*normal);
    // Corners at half diagonals 45 degrees off the heading: a square with its edges along it.
    const DV up{0, 1, 0};
    EOrientation o = EOrientation::EOrientationFromDirection(&heading);
    o.RotateAxis(&up, kHalfPi / 2);
    if (r.m_bRandomTurn) o.RotateAxis(&up, static_cast<float>(plat::Random() % 4) * kHalfPi);
    for (DV& corner : m.m_vCorners) {
        corner = m.m_vCentre + o.m_Front * r.m_fHalfDiagonal;
        o.RotateAxis(&up, kHalfPi);
    }
    float ua = 0, va = 0, ub = 1, vb = 1;
    if (r.m_bAtlas) {
        ua = static_cast<float>(plat::Random() % 4) * 0.25f;
        va = static_cast<float>(plat::Random() % 4) * 0.25f;
        ub = ua + 0.25f;
        vb = va + 0.25f;
    }
    const float u[5] = {(ua + ub) / 2, ua, ub, ub, ua}, v[5] = {(va + vb) / 2, va, va, vb, vb};
    std::copy(u, u + 5, m.m_fU);
    std::copy(v, v + 5, m.m_fV);
    // The mark keeps its slot whether or not its vertices could be written.
    WriteMarkToVB(kind, r.m_dwMarks);
    ++r.m_dwMarks;
}

bool PGroundMgr::WriteMarkToVB(uint32_t kind, uint32_t index) {
    if (kind >= m_dwRecords) return false;
    if (!m_pVB[kind]) {
        g_Console.PrintInt("Fatal: brak PGroundMgr VB #", static_cast<int>(kind));
        return false;
    }
    Record& r = m_Records[kind];
    if (index >= kMaxStamps) {
        g_Console.Print("MAX_GROUND_EFFECTS overflow!");
        return false;
    }
    uint8_t* bytes = LockRange(kind, index * kStampBytes, kStampBytes);
    if (!bytes) return false;
    Mark& m = r.m_pMarks[index];
    WriteStamp(reinterpret_cast<FieldVertex*>(bytes), m, 0);
    m.m_bWritten = 1;
    r.m_dwTriangles = std::max(r.m_dwTriangles, 4 * (index + 1));
    Unlock(kind, "FAILED to unlock PGroundMgrVB");
    return true;
}

void PGroundMgr::HideMark(uint32_t kind, uint32_t index) {
    if (kind >= m_dwRecords || index >= m_Records[kind].m_dwMarks) return;
    Mark& m = m_Records[kind].m_pMarks[index];
    m.m_vCentre.y = kHidden;
    for (DV& corner : m.m_vCorners) corner.y = kHidden;
    m.m_bRemoved = 1;
    if (!m_pVB[kind] || !m.m_bWritten) return;
    uint8_t* bytes = LockRange(kind, index * kStampBytes, kStampBytes);
    if (!bytes) return;
    WriteStamp(reinterpret_cast<FieldVertex*>(bytes), m, FadeColour(m.m_fFade));
    Unlock(kind, "FAILED to unlock PoZiemie VB");
}

void PGroundMgr::AddPlantingStrip(const Truck* implement) {
    AddStrip(3, implement, implement && implement->m_bSadzarkaDuza ? 2.0f : 1.0f, "FAILED to unlock sadzenie VB");
}

void PGroundMgr::AddSowingStrip(const Truck* implement) { AddStrip(4, implement, 1.0f, "FAILED to unlock sianie VB"); }

void PGroundMgr::AddStrip(uint32_t kind, const Truck* implement, float u, const char* unlockFailure) {
    if (kind >= m_dwRecords || !implement || !m_pVB[kind]) return;
    Record& r = m_Records[kind];
    // The buffer holds so many triangles and no more: a segment past it is refused.
    if (r.m_dwTriangles + 2 > kBufferTriangles) {
        g_Console.Print("MAX_GROUND_EFFECTS overflow!");
        return;
    }
    const DV& first = implement->m_vTrackEnds[0];
    const DV& second = implement->m_vTrackEnds[1];
    const DV& previousFirst = implement->m_vPreviousTrackEnds[0];
    const DV& previousSecond = implement->m_vPreviousTrackEnds[1];
    if (r.m_dwMarks < MAX_GROUND_EFFECTS) r.m_pMarks[r.m_dwMarks].m_vCentre = first + DV{0, r.m_fHeight, 0};
    uint8_t* bytes = LockRange(kind, r.m_dwTriangles * kTriangleBytes, kStripVertices * sizeof(FieldVertex));
    if (!bytes) return;
    const DV up{0, 1, 0};
    auto* out = reinterpret_cast<FieldVertex*>(bytes);
    out[0] = Vertex(first, kOpaqueWhite, up, 0, 0);
    out[1] = Vertex(second, kOpaqueWhite, up, u, 0);
    out[2] = Vertex(previousFirst, kOpaqueWhite, up, 0, 1);
    out[3] = Vertex(previousFirst, kOpaqueWhite, up, 0, 1);
    out[4] = Vertex(second, kOpaqueWhite, up, u, 0);
    out[5] = Vertex(previousSecond, kOpaqueWhite, up, u, 1);
    r.m_dwTriangles += 2;
    Unlock(kind, unlockFailure);
}

uint8_t* PGroundMgr::LockRange(uint32_t kind, uint32_t offset, uint32_t size) {
    void* data = nullptr;
    if (gfx::Failed(m_pVB[kind]->Lock(offset, size, &data, 0)) || !data) {
        g_Console.PrintInt("Failed to lock Ground VB for ", static_cast<int>(kind));
        return nullptr;
    }
    g_Debug.AddAlloc(kLockTag);
    return static_cast<uint8_t*>(data);
}

void PGroundMgr::Unlock(uint32_t kind, const char* failure) {
    if (gfx::Failed(m_pVB[kind]->Unlock())) {
        g_Console.Print(failure);
        return;
    }
    g_Debug.RemoveAlloc(kLockTag);
}

// ---- The frame ----------------------------------------------------------------------------------

// Marks fade at one rate from when they are added, so the ones still fading are the newest: the
// step walks from the first of them and locks only their vertices.
void PGroundMgr::UpdateVB() {
    m_fFadeStep = g_Engine.m_fFrameTime;
    for (uint32_t kind = 0; kind < m_dwRecords; ++kind) {
        Record& r = m_Records[kind];
        if (!r.m_pMarks) continue;
        while (r.m_dwFirstFading < r.m_dwMarks && r.m_pMarks[r.m_dwFirstFading].m_fFade >= 1.0f) ++r.m_dwFirstFading;
        const uint32_t first = r.m_dwFirstFading, end = std::min(r.m_dwMarks, kMaxStamps);
        if (first >= end) continue;
        uint8_t* bytes = m_pVB[kind] ? LockRange(kind, first * kStampBytes, (end - first) * kStampBytes) : nullptr;
        for (uint32_t i = first; i < end; ++i) {
            Mark& m = r.m_pMarks[i];
            if (m.m_fFade >= 1.0f) continue;
            m.m_fFade = std::min(m.m_fFade + m_fFadeStep, 1.0f);
            if (!bytes || !m.m_bWritten) continue;
            auto* vertices = reinterpret_cast<FieldVertex*>(bytes + (i - first) * kStampBytes);
            for (uint32_t v = 0; v < kStampVertices; ++v) vertices[v].colour = FadeColour(m.m_fFade);
        }
        if (bytes) Unlock(kind, "Failed to unlock PGroundMgr update VB");
    }
}

void PGroundMgr::Render() {
    if (m_dwRecords == 0 || !g_pd3dDevice) return;
    HEFFECT e = g_Renderer.PassEffect("skylight", "skylight");
    if (!e) return;
    gfx::Device& device = *g_pd3dDevice;
    gfx::Effect& fx = *e->m_pEffect;
    g_Renderer.BeginPass(e, "RenderGround0");
    g_Renderer.SetShadowConstants(e, true, g_Sky.m_fSkyLightPower);
    const pmath::Matrix world = pmath::Identity(), view = g_DrawCamera.view;
    const pmath::Matrix viewProjection = view * g_DrawCamera.projection;
    fx.SetMatrix(e->g_mWorld, &world.m[0][0]);
    fx.SetMatrix(e->g_mWorldView, &view.m[0][0]);
    fx.SetMatrix(e->g_mWorldViewProjection, &viewProjection.m[0][0]);
    g_Renderer.SetCameraParameters(e, view);
    g_Renderer.SetFogAndAmbient(e);
    fx.SetBool(e->g_bUseSkyLight, true);
    const strtexture* clouds = g_Renderer.LoadRegisteredTexture("tc_clouds.tga");
    const gfx::BaseTexture* cloudTexture = clouds ? clouds->DeviceTexture() : nullptr;
    device.SetTexture(kCloudStage, cloudTexture);
    fx.SetFloat(Param(e, "g_fCzas01"), g_Renderer.m_fSceneTime);
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.BeginTranslucent(e);
    device.SetRenderState(gfx::RS_ZENABLE, 1);
    device.SetRenderState(gfx::RS_ZWRITEENABLE, 0);
    device.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    for (uint32_t kind = 0; kind < m_dwRecords; ++kind) {
        if (m_Records[kind].m_dwTriangles == 0 || !m_pVB[kind]) continue;
        device.SetTexture(0, m_Records[kind].m_pTexture);
        device.SetTexture(kCloudStage, cloudTexture);
        fx.CommitChanges();
        device.SetStreamSource(0, m_pVB[kind].get(), 0, sizeof(FieldVertex));
        device.DrawPrimitive(gfx::PT_TRIANGLELIST, 0, m_Records[kind].m_dwTriangles);
    }
    device.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    g_RenderStateCache.ForceCulling();
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndEffect(&fx);
}

void PGroundMgr::DrawBuffers() {
    if (!g_pd3dDevice) return;
    for (uint32_t kind = 0; kind < m_dwRecords; ++kind) {
        if (m_Records[kind].m_dwTriangles == 0 || !m_pVB[kind]) continue;
        g_pd3dDevice->SetStreamSource(0, m_pVB[kind].get(), 0, sizeof(FieldVertex));
        g_pd3dDevice->DrawPrimitive(gfx::PT_TRIANGLELIST, 0, m_Records[kind].m_dwTriangles);
    }
}
