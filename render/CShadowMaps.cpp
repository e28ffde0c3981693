#include "render/CShadowMaps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "render/D3DDevice.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"

CShadowMaps g_ShadowMaps;

namespace {

struct Quality {
    uint32_t size0, size1;
    float bias0, bias1;
};
constexpr Quality kQualities[] = {{2048, 2048, 0.1f, 0.4f}, {1024, 512, 0.3f, 1.5f}, {512, 256, 0.8f, 2.7f}};
constexpr float kMenuBias[] = {0.2f, 0.5f, 0.9f};

int QualityIndex() { return std::clamp(g_Settings.m_iShadowQuality, 0, 2); }

bool SkyLightOn() { return g_Sky.m_bSkyLightUsed != 0; }

// The settings pair that holds the shadow update back (the video-memory switch without the byte
// after it).
bool UpdateHeldBack() { return g_Settings.m_bTextureDescription && !g_Settings.m_bNoLight; }

void PrintMapLine(const char* text, int map) {
    char line[96];
    std::snprintf(line, sizeof line, "%s%i", text, map);
    g_Console.Print(line);
}

}  // namespace

CShadowMaps::CShadowMaps()
    : m_uSize{2048, 1024}, m_uExtent{40, 500}, m_uDepthRange(200), m_fBias{0.76f, 0.76f} {}

CShadowMaps::~CShadowMaps() = default;

void CShadowMaps::Enable() {
    m_bRendered[0] = m_bRendered[1] = 0;
    m_fTime = 0.0f;
    m_vLastEye1 = DV{-1e8f, -1e8f, -1e8f};
    m_bEnabled = 1;
}

void CShadowMaps::Disable() {
    ReleaseRenderTextures();
    m_bEnabled = 0;
}

void CShadowMaps::CreateRenderTextures() {
    if (!g_Settings.m_bDrawShadows || !SkyLightOn() || !g_pd3dDevice) return;
    g_Debug.BeginVideoMemoryCount(EDebug::kCategoryRenderTargets);
    for (auto& texture : m_pTexture) texture.reset();
    const Quality& q = kQualities[QualityIndex()];
    m_uDepthRange = 600;
    m_uExtent[0] = 80;
    m_uExtent[1] = 500;
    m_uSize[0] = q.size0;
    m_uSize[1] = q.size1;
    m_fBias[0] = q.bias0;
    m_fBias[1] = q.bias1;
    for (int map = 0; map < kMaps; ++map) {
        uint32_t size = m_uSize[map];
        if (gfx::Failed(g_pd3dDevice->CreateTexture(size, size, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_R32F,
                                                    gfx::POOL_DEFAULT, m_pTexture[map])))
            PrintMapLine("CreateRenderTextures failed: ", map);
        if (!m_pTexture[map]) {
            g_Console.Print("Shadow texture not created");
            break;
        }
        m_pDepth[map].reset();
        if (gfx::Failed(g_pd3dDevice->CreateDepthStencilSurface(size, size, g_d3dpp.autoDepthStencilFormat, true,
                                                                m_pDepth[map])))
            g_Console.Print("Sky CreateRenderTextures 2 failed");
        if (!m_pDepth[map]) {
            g_Console.Print("Sky Shadow depth not created");
            m_pTexture[map].reset();
            break;
        }
        m_bRendered[map] = 0;
    }
    g_Debug.EndVideoMemoryCount();
}

void CShadowMaps::ReleaseRenderTextures() {
    g_Debug.BeginVideoMemoryCount(EDebug::kCategoryRenderTargets);
    for (int map = 0; map < kMaps; ++map) {
        m_pDepth[map].reset();
        m_pTexture[map].reset();
    }
    g_Debug.EndVideoMemoryCount();
}

void CShadowMaps::Update() {
    if (UpdateHeldBack()) return;
    if (!g_Settings.m_bDrawShadows || !m_bEnabled) return;
    UpdateLightMatrices();
    m_fTime += g_FrameFacts.frameTime;
}

void CShadowMaps::UpdateLightMatrices() {
    if (!SkyLightOn() || UpdateHeldBack()) return;
    bool menu = g_RenderHooks.menuActive();
    if (menu) {
        m_uExtent[1] = 120;
        m_fBias[1] = kMenuBias[QualityIndex()];
    }
    float length = pmath::Length(g_Sky.m_vSkyLightDirection);
    m_vLightDir = g_Sky.m_vSkyLightDirection * (1.0f / (length == 0.0f ? 1.0f : length));
    const DV target = g_RenderHooks.cameraPosition();
    DV eye = target + m_vLightDir * (static_cast<float>(m_uDepthRange) * -0.5f);
    // A sun straight overhead looks along the vertical: the maps' up is then taken along z, as
    // a view cannot be aimed with an up that is its own direction.
    const DV up = std::fabs(m_vLightDir.y) > 0.9999f ? DV{0.0f, 0.0f, 1.0f} : DV{0.0f, 1.0f, 0.0f};
    m_bRendered[0] = 0;
    m_mProj[0] = pmath::OrthoLH(static_cast<float>(m_uExtent[0]), static_cast<float>(m_uExtent[0]), 1.0f,
                                static_cast<float>(m_uDepthRange));
    m_mView[0] = pmath::LookAtLH(eye, target, up);
    // A cutscene's camera moves in small steps that the map must follow closely.
    float reaimDistance = g_RenderHooks.cutscenePlaying() ? 2.0f : 16.0f;
    bool moved = pmath::Length(eye - m_vLastEye1) >= reaimDistance;
    bool menuSettling = menu && g_RenderHooks.engineFrame() < 400;
    if (moved || g_Settings.m_bTextureDescription || g_Settings.m_bRecalculateSkyLightEveryFrame || menuSettling) {
        m_vLastEye1 = eye;
        m_bRendered[1] = 0;
        m_mProj[1] = pmath::OrthoLH(static_cast<float>(m_uExtent[1]), static_cast<float>(m_uExtent[1]), 1.0f,
                                    static_cast<float>(m_uDepthRange));
        m_mView[1] = pmath::LookAtLH(eye, target, up);
    }
}

bool CShadowMaps::BeginRender(int map) {
    if (!m_bEnabled || (map == 0 && !SkyLightOn()) || !g_pd3dDevice) return false;
    map = map == 0 ? 0 : 1;
    m_fTime = 0.0f;
    if (!HasTargets(map)) {
        PrintMapLine("Nie ma, tworze ", map);
        CreateRenderTextures();
        // Without its surfaces the map is skipped: nothing is drawn into the back buffer.
        if (!HasTargets(map)) {
            g_Console.Print("Dalej nie ma, wychodze");
            return false;
        }
    }
    gfx::Device& device = *g_pd3dDevice;
    // Without the map's surface the shadow casters would be drawn into (and the clear wipe) the
    // current target, the back buffer: the map is skipped instead.
    std::unique_ptr<gfx::Surface> level;
    if (gfx::Failed(m_pTexture[map]->GetSurfaceLevel(0, level))) {
        g_Console.Print("GetSurfaceLevel[1] failed!");
        return false;
    }
    device.GetViewport(m_SavedViewport);
    device.GetRenderTarget(0, m_pSavedTarget);
    device.SetRenderTarget(0, level.get());
    device.SetViewport(gfx::Viewport{0, 0, m_uSize[map], m_uSize[map], 0.0f, 1.0f});
    if (!gfx::Failed(device.GetDepthStencilSurface(m_pSavedDepth))) device.SetDepthStencilSurface(m_pDepth[map].get());
    device.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFFFFFFFFu, 1.0f, 0);
    return true;
}

void CShadowMaps::EndRender() {
    if (!g_pd3dDevice) return;
    if (m_pSavedDepth) g_pd3dDevice->SetDepthStencilSurface(m_pSavedDepth.get());
    if (m_pSavedTarget) g_pd3dDevice->SetRenderTarget(0, m_pSavedTarget.get());
    m_pSavedDepth.reset();
    m_pSavedTarget.reset();
    g_pd3dDevice->SetViewport(m_SavedViewport);
}

void CShadowMaps::GetMap(int map, uint32_t* size, uint32_t* extent, uint32_t* depthRange, float* bias) const {
    int i = map == 0 ? 0 : 1;
    if (size) *size = m_uSize[i];
    if (extent) *extent = m_uExtent[i];
    if (depthRange) *depthRange = m_uDepthRange;
    if (bias) *bias = m_fBias[i];
}
