#include "render/AmbientProbe.h"

#include <cmath>
#include <cstring>

#include "core/EConsole.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"

AmbientProbe g_AmbientProbe;

namespace {

constexpr uint32_t kCentre = AmbientProbe::kSize / 2;
// Grass-bearing ground reads with more blue than this.
constexpr uint32_t kGrassBlue = 12;

// What the probe draws: textures with static-mesh subsets that are ordinary surfaces.
bool ProbedTexture(const strtexture* t) {
    return !t->m_bDoNotRender && t->m_pMeshes && !t->m_bWater && !t->m_pLava && !t->m_bAdditive;
}

}  // namespace

AmbientProbe::AmbientProbe() {}

AmbientProbe::~AmbientProbe() = default;

void AmbientProbe::CreateSurfaces() {
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    if (gfx::Failed(device.CreateTexture(kSize, kSize, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_A8R8G8B8,
                                         gfx::POOL_DEFAULT, m_pTexture))) {
        g_Console.Print("Unable to create render target for ambient probe");
        return;
    }
    if (gfx::Failed(device.CreateDepthStencilSurface(kSize, kSize, g_d3dpp.autoDepthStencilFormat, true, m_pDepth))) {
        g_Console.Print("Unable to create depth/stencil surface for ambient probe");
        return;
    }
    m_pTexture->GetSurfaceLevel(0, m_pTargetSurf);
    if (gfx::Failed(device.CreateOffscreenPlainSurface(kSize, kSize, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM,
                                                       m_pCalculateSurface)))
        g_Console.Print("Unable to create m_pCalculateSurface for render occluder");
}

void AmbientProbe::ReleaseSurfaces() {
    m_pTargetSurf.reset();
    m_pDepth.reset();
    m_pTexture.reset();
    m_pCalculateSurface.reset();
}

void AmbientProbe::OnStartWorld() {
    CreateSurfaces();
    m_bActive = 0;
}

void AmbientProbe::OnEndWorld() {
    ReleaseSurfaces();
    m_bActive = 0;
}

void AmbientProbe::BeginRender() {
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    device.GetViewport(m_SavedViewport);
    device.GetRenderTarget(0, m_pSavedTarget);
    device.GetDepthStencilSurface(m_pSavedDepth);
    if (m_pTargetSurf) device.SetRenderTarget(0, m_pTargetSurf.get());
    if (m_pDepth) device.SetDepthStencilSurface(m_pDepth.get());
    device.SetViewport(gfx::Viewport{0, 0, kSize, kSize, 0.0f, 1.0f});
    m_bActive = 1;
}

void AmbientProbe::EndRender() {
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    if (m_pSavedDepth) device.SetDepthStencilSurface(m_pSavedDepth.get());
    if (m_pSavedTarget) device.SetRenderTarget(0, m_pSavedTarget.get());
    m_pSavedDepth.reset();
    m_pSavedTarget.reset();
    device.SetViewport(m_SavedViewport);
    g_RenderHooks.rebuildCameraProjection();
    m_bActive = 0;
}

uint32_t AmbientProbe::ReadColour() {
    if (!m_pTargetSurf || !m_pCalculateSurface || !g_pd3dDevice ||
        gfx::Failed(g_pd3dDevice->GetRenderTargetData(*m_pTargetSurf, *m_pCalculateSurface))) {
        if (!m_pTargetSurf) g_Console.Print("!m_pTargetSurf");
        if (!m_pCalculateSurface) g_Console.Print("!m_pCalculateSurface");
        g_Console.Print("GetRenderTargetData failed!");
        return 0;
    }
    // A failed lock has no pixels to read; the pixel is found through the surface's own pitch.
    gfx::LockedRect rect;
    if (gfx::Failed(m_pCalculateSurface->LockRect(rect, gfx::LOCK_READONLY)) || !rect.bits) {
        g_Console.Print("LockRect FAILED!");
        return 0;
    }
    uint32_t pixel = 0;
    std::memcpy(&pixel, static_cast<const uint8_t*>(rect.bits) + rect.pitch * kCentre + kCentre * 4, sizeof pixel);
    m_pCalculateSurface->UnlockRect();
    return pixel & 0x00FFFFFF;
}

uint32_t AmbientProbe::RenderObject(const DV& point, const DrawVisibility* object, const gfx::BaseTexture* white,
                                    const gfx::BaseTexture* black) {
    if (!g_pd3dDevice) return 0;
    gfx::Device& device = *g_pd3dDevice;
    bool wasActive = m_bActive != 0;
    float ambient[4];
    g_Sky.GetAmbientLightVector(ambient);
    // The camera one unit above the point, looking almost straight down.
    DV eye = point + DV{0.0f, 1.0f, 0.0f};
    DV direction = pmath::Normalize(DV{0.02f, -0.98f, 0.02f});
    g_DrawCamera.view = pmath::LookAtLH(eye, eye + direction, DV{0.0f, 1.0f, 0.0f});
    g_DrawCamera.position = eye;
    HEFFECT e = g_EffectMgr.GetEffect("SkyLight");
    if (!e || !e->m_pEffect) return 0;
    gfx::Effect& fx = *e->m_pEffect;
    if (!wasActive) BeginRender();
    device.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndTransparent(e);
    device.SetPixelShader(nullptr);
    device.SetVertexShader(nullptr);
    device.SetFVF(0);
    g_Renderer.SetCameraParameters(e, g_DrawCamera.view);
    fx.SetVector(e->g_AmbientLightDiffuse, ambient);
    g_RenderStateCache.BeginEffectTechnique(&fx, "RenderPlantProbe0", true);
    device.SetVertexDeclaration(g_pVertexDeclaration.get());
    fx.SetBool(Param(e, "g_bWire"), false);
    fx.SetBool(Param(e, "g_bTree"), false);
    const strtexture* clouds = g_Renderer.LoadRegisteredTexture("tc_clouds.tga");
    if (clouds) device.SetTexture(15, clouds->DeviceTexture());
    const DrawMesh* mesh = object ? object->m_pDrawMesh : nullptr;
    for (uint32_t id = 1; mesh && mesh->geometry && id < ERenderer::kMaxTextures; ++id) {
        const strtexture* t = g_Renderer.GetTexture(id);
        if (!t || !ProbedTexture(t)) continue;
        bool first = true;
        for (const strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            if (entry->m_pDrawMesh != mesh) continue;
            if (first) {
                const gfx::BaseTexture* texture = t->DeviceTexture();
                if (white) texture = t->m_bGrassBearing ? white : black;
                device.SetTexture(0, texture);
            }
            first = false;
            g_Renderer.m_Batch.Add(*mesh, entry->m_uSubset);
        }
        g_Renderer.m_Batch.Draw(e);
    }
    g_RenderStateCache.EndEffect(&fx);
    g_RenderStateCache.ForceCulling();
    if (!wasActive) EndRender();
    return ReadColour();
}

bool AmbientProbe::RenderPlantProbe(const DV& point, const DrawVisibility* object) {
    const strtexture* white = g_Renderer.LoadRegisteredTexture("bialy.tga");
    const strtexture* black = g_Renderer.LoadRegisteredTexture("czarne.tga");
    if (!white) g_Console.Print("bialy.tga NOT found");
    if (!black) g_Console.Print("czarne.tga NOT found");
    if (!white || !black) return false;
    uint32_t colour = RenderObject(point, object, white->DeviceTexture(), black->DeviceTexture());
    return (colour & 0xFF) > kGrassBlue;
}

uint32_t AmbientProbe::ReadPlantAmbientColour(const DV& point, const DrawVisibility* object) {
    return RenderObject(point, object, nullptr, nullptr);
}
