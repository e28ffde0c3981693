#include "render/CPowerLines.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/EOrientation.h"
#include "core/FrameFacts.h"
#include "core/NumericHelpers.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/RenderHooks.h"

CPowerLines g_PowerLines;

namespace {

constexpr const char* kDirectory = "scripts\\slupy";
constexpr const char* kLineTag = "strLinia";
constexpr const char* kPoleTag = "strSlup";
constexpr const char* kBufferTag = "SlupVB";
constexpr const char* kLockTag = "LockVB";
constexpr float kTwoPi = 6.2831855f;
// Cables are rebuilt after this much camera travel, for spans with a pole this near.
constexpr float kRebuildTravel = 10.0f;
constexpr float kBuildDistance = 1200.0f;
constexpr float kSwaySpeed = 1.6f;
const DV kNowhere{999999.0f, 999999.0f, 999999.0f};
const DV kUp{0.0f, 1.0f, 0.0f};

// The eleven points of a sagging cable: where along the span, how far down (of the sag), and how
// much each sways (nothing at the poles, most in the middle).
constexpr float kAlong[11] = {0, 0.05f, 0.125f, 0.225f, 0.375f, 0.5f, 0.625f, 0.775f, 0.875f, 0.95f, 1};
constexpr float kDip[11] = {0, 0.2f, 0.4f, 0.6f, 0.75f, 0.8f, 0.75f, 0.6f, 0.4f, 0.2f, 0};
constexpr float kSwayWeight[11] = {0, 0.1f, 0.2f, 0.3f, 0.375f, 0.4f, 0.375f, 0.3f, 0.2f, 0.1f, 0};

// The sway word of a corner: the weight in its low byte, the phase (as a share of a turn) in the
// next one; the upper-edge mark goes above them, so no field reaches into another.
uint32_t SwayWord(float weight, float phase) {
    return ChannelByte(weight * 255.0f) | ChannelByte(phase / kTwoPi * 255.0f) << 8;
}
constexpr uint32_t kUpperEdge = 0xFF0000u;

CableVertex Vertex(const DV& p, uint32_t sway, const DV& side, float u, float v) { return CableVertex{p, sway, side, u, v}; }

}  // namespace

CPowerLines::CPowerLines() : m_vLastBuild(kNowhere) {}

CPowerLines::~CPowerLines() = default;

void CPowerLines::OnStartWorld() {
    m_vLastBuild = kNowhere;
    LoadAll();
    m_uVertexCount = m_uTriangleCount = 0;
    m_fSwayPhase = 0;
}

void CPowerLines::Release() {
    while (Line* line = m_pLines) {
        while (Pole* pole = line->m_pPoles) {
            line->m_pPoles = pole->m_pNext;
            delete pole;
            g_Debug.RemoveAlloc(kPoleTag);
        }
        m_pLines = line->m_pNext;
        delete line;
        g_Debug.RemoveAlloc(kLineTag);
    }
    if (m_pVB) {
        m_pVB.reset();
        g_Debug.RemoveAlloc(kBufferTag);
    }
    m_uVertexCount = m_uTriangleCount = 0;
}

void CPowerLines::LoadAll() {
    const char* world = g_RenderHooks.worldName();
    for (const std::string& file : plat::ListDirectory(kDirectory, "*.txt")) {
        if (file[0] == '.') continue;
        std::string path = std::string(kDirectory) + "\\" + file;
        FILE* f = plat::OpenFile(path, "r");
        if (!f) continue;
        bool ours = false;
        char line[kScriptLineMax];
        while (!ours && !std::feof(f)) {
            ReadLine(f, line, kScriptLineMax - 1);
            ours = IsKeyword(line, "world") && StrICmp(GetKeywordValue(line), world) == 0;
        }
        std::fclose(f);
        if (ours) {
            LoadFile(path.c_str());
            return;
        }
    }
}

void CPowerLines::LoadFile(const char* path) {
    FILE* f = plat::OpenFile(path ? path : "", "r");
    if (!f) return;
    Line* current = nullptr;
    char line[kScriptLineMax];
    while (!std::feof(f)) {
        ReadLine(f, line, kScriptLineMax - 1);
        if (IsKeyword(line, "linia")) {
            current = new Line{};
            g_Debug.AddAlloc(kLineTag);
            current->m_pNext = m_pLines;
            m_pLines = current;
        }
        if (!current) continue;
        if (IsKeyword(line, "grubosc_kabla")) current->m_fThickness = static_cast<float>(std::atof(GetKeywordValue(line)));
        // A name longer than its field keeps its first 63 characters.
        if (IsKeyword(line, "socket") && current->m_uSocketCount < kMaxSockets)
            std::snprintf(current->m_szSockets[current->m_uSocketCount++], kSocketNameSize, "%s", GetKeywordValue(line));
        if (IsKeyword(line, "slup")) AddPole(*current, GetKeywordValue(line));
    }
    std::fclose(f);
}

void CPowerLines::AddPole(Line& line, const char* objectName) {
    auto* pole = new Pole{};
    g_Debug.AddAlloc(kPoleTag);
    pole->m_pNext = line.m_pPoles;
    line.m_pPoles = pole;
    const DrawVisibility* object = g_RenderHooks.findObject(objectName);
    EffectObject facts;
    if (!object || !g_RenderHooks.effectObject(object, facts)) {
        g_Console.PrintStr2("Brak slupa ", objectName);
        return;
    }
    std::snprintf(pole->m_szObject, sizeof pole->m_szObject, "%s", objectName);
    pole->m_vPosition = facts.position;
    pole->m_bFound = 1;
    for (uint32_t i = 0; i < line.m_uSocketCount; ++i) {
        pole->m_bSocketFound[i] = g_RenderHooks.objectSocket(object, line.m_szSockets[i], pole->m_vSockets[i], nullptr);
        if (!pole->m_bSocketFound[i]) g_Console.PrintStr4("Slup ", objectName, " - brak socketa ", line.m_szSockets[i]);
        pole->m_fSag[i] = 0.9f + RandomFloat(0.44f);
        pole->m_fPhase[i] = RandomFloat(kTwoPi);
    }
}

void CPowerLines::Update() {
    DV camera = g_RenderHooks.cameraPosition();
    if (pmath::Length(camera - m_vLastBuild) > kRebuildTravel) {
        RebuildVB();
        m_vLastBuild = camera;
    }
    m_fSwayPhase += g_FrameFacts.frameTime * kSwaySpeed;
    if (m_fSwayPhase > kTwoPi) m_fSwayPhase -= kTwoPi;
}

void CPowerLines::CreateVB() {
    if (g_pd3dDevice)
        g_pd3dDevice->CreateVertexBuffer(kCapacity * sizeof(CableVertex), gfx::USAGE_WRITEONLY, 0, gfx::POOL_MANAGED, m_pVB);
    if (!m_pVB) {
        g_Console.Print("Failed to create cable VB!");
        return;
    }
    g_Debug.AddAlloc(kBufferTag);
}

void CPowerLines::RebuildVB() {
    if (!m_pLines) return;
    if (!m_pVB) CreateVB();
    if (!m_pVB) return;
    void* data = nullptr;
    if (gfx::Failed(m_pVB->Lock(0, kCapacity * sizeof(CableVertex), &data, 0)) || !data) {
        g_Console.Print("Failed to lock cable VB!");
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    m_pWrite = static_cast<CableVertex*>(data);
    m_uVertexCount = m_uTriangleCount = 0;
    const DV camera = g_RenderHooks.cameraPosition();
    for (const Line* line = m_pLines; line; line = line->m_pNext) {
        for (const Pole* a = line->m_pPoles; a && a->m_pNext; a = a->m_pNext) {
            const Pole* b = a->m_pNext;
            if (!a->m_bFound || !b->m_bFound) continue;
            if (pmath::Length(a->m_vPosition - camera) > kBuildDistance &&
                pmath::Length(b->m_vPosition - camera) > kBuildDistance)
                continue;
            for (uint32_t i = 0; i < line->m_uSocketCount; ++i) {
                if (!a->m_bSocketFound[i] || !b->m_bSocketFound[i]) continue;
                BuildCableGeometry(a->m_vSockets[i], b->m_vSockets[i], line->m_fThickness, a->m_fSag[i], a->m_fPhase[i]);
            }
        }
    }
    m_pWrite = nullptr;
    if (gfx::Failed(m_pVB->Unlock())) g_Console.Print("FAILED to unlock SlupVB");
    else g_Debug.RemoveAlloc(kLockTag);
}

void CPowerLines::BuildCableGeometry(const DV& a, const DV& b, float thickness, float sag, float phase) {
    const float s = pmath::Length(b - a) * 0.03f * sag;
    DV points[11];
    for (int k = 0; k < 11; ++k) {
        points[k] = LerpDV(&a, &b, kAlong[k]);
        points[k].y -= kDip[k] * s;
    }
    for (int k = 0; k < 10; ++k) AddSegment(points[k], points[k + 1], thickness, kSwayWeight[k], kSwayWeight[k + 1], phase);
}

void CPowerLines::AddSegment(const DV& p, const DV& q, float thickness, float weightStart, float weightEnd, float phase) {
    if (thickness < 0.01f || !m_pWrite || m_uVertexCount > kCapacity - 13 || pmath::Length(q - p) < 0.01f) return;
    DV d = pmath::Normalize(q - p);
    const DV side = EOrientation::EOrientationFromDirection(&d).m_Side;
    const DV h = side * (0.7f * thickness), v = kUp * (0.5f * thickness);
    const uint32_t cS = SwayWord(weightStart, phase), cE = SwayWord(weightEnd, phase);
    CableVertex* out = m_pWrite + m_uVertexCount;
    // The horizontal ribbon, then the vertical one.
    *out++ = Vertex(p - h, cS, side, 0, 1);
    *out++ = Vertex(q - h, cE, side, 0, 0);
    *out++ = Vertex(p + h, cS, side, 1, 1);
    *out++ = Vertex(p + h, cS, side, 1, 1);
    *out++ = Vertex(q - h, cE, side, 0, 0);
    *out++ = Vertex(q + h, cE, side, 1, 0);
    *out++ = Vertex(p - v, cS, side, 1, 1);
    *out++ = Vertex(p + v, cS | kUpperEdge, side, 0, 1);
    *out++ = Vertex(q - v, cE, side, 1, 0);
    *out++ = Vertex(p + v, cS | kUpperEdge, side, 0, 1);
    *out++ = Vertex(q + v, cE | kUpperEdge, side, 0, 0);
    *out++ = Vertex(q - v, cE, side, 1, 0);
    m_uVertexCount += 12;
    m_uTriangleCount += 4;
}

void CPowerLines::RenderCables() {
    if (!g_pd3dDevice) return;
    HEFFECT effect = g_Renderer.PassEffect("skylight", "skylight");
    if (!effect || !m_pVB || !m_uTriangleCount) return;
    gfx::Device& d = *g_pd3dDevice;
    gfx::Effect& fx = *effect->m_pEffect;
    if (!g_Renderer.BeginPass(effect, "RenderCable")) return;
    g_Renderer.SetShadowConstants(effect, true, 1.0f);
    fx.SetFloat(Param(effect, "g_fFarZ1"), 1.0f / g_DrawCamera.farZ);
    fx.SetFloat(Param(effect, "fMnoznikGrubosci"), 4.0f / g_fScaleY);
    if (g_Settings.m_bDrawShadows) {
        for (uint32_t sampler = 3; sampler <= 7; ++sampler)
            for (gfx::SamplerState s : {gfx::SAMP_MAGFILTER, gfx::SAMP_MINFILTER, gfx::SAMP_MIPFILTER})
                d.SetSamplerState(sampler, s, gfx::TEXF_POINT);
    }
    g_RenderStateCache.BeginTransparent(effect);
    d.SetRenderState(gfx::RS_ZENABLE, 1);
    d.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    g_RenderStateCache.SetCulling(false);
    const pmath::Matrix& view = g_DrawCamera.view;
    const pmath::Matrix world = pmath::Identity(), viewProjection = view * g_DrawCamera.projection;
    fx.SetMatrix(effect->g_mWorldViewProjection, &viewProjection.m[0][0]);
    fx.SetMatrix(effect->g_mWorld, &world.m[0][0]);
    fx.SetMatrix(effect->g_mWorldView, &view.m[0][0]);
    g_Renderer.SetCameraParameters(effect, view);
    g_Renderer.SetFogAndAmbient(effect);
    fx.SetBool(effect->g_bUseSkyLight, true);
    fx.SetFloat(Param(effect, "g_fFogMax"), 1.0f);
    fx.SetFloat(Param(effect, "g_fGrassX0"), m_fSwayPhase);
    fx.CommitChanges();
    const strtexture* texture = g_Renderer.LoadRegisteredTexture("SlupMgr.tga");
    if (!texture) g_Console.Print("Brak tekstury!");
    g_RenderStateCache.SetTexture(0, texture ? texture->DeviceTexture() : nullptr);
    d.SetStreamSource(0, m_pVB.get(), 0, sizeof(CableVertex));
    d.DrawPrimitive(gfx::PT_TRIANGLELIST, 0, m_uTriangleCount);
    for (uint32_t sampler = 3; sampler <= 7; ++sampler)
        for (gfx::SamplerState s : {gfx::SAMP_MAGFILTER, gfx::SAMP_MINFILTER, gfx::SAMP_MIPFILTER})
            d.SetSamplerState(sampler, s, gfx::TEXF_LINEAR);
    g_RenderStateCache.ForceCulling();
    g_RenderStateCache.EndTransparent(effect);
    g_RenderStateCache.EndTranslucent(effect);
    g_RenderStateCache.EndEffect(effect->m_pEffect.get());
}
