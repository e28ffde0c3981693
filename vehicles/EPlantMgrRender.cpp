// Drawing the plants: alpha-tested, swaying with the renderer's sway angles, lit as the ground
// under them; a field only within 260 of the camera, a sector of tufts only within 140, and
// beyond 100 only when it is not behind the camera.
#include <cmath>
#include <cstdio>

#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/FieldVertex.h"
#include "world/CRoutesMgr.h"

namespace {

constexpr float kFieldRange = 260.0f;
constexpr float kSectorRange = 140.0f;
constexpr float kNearRange = 100.0f;
constexpr float kBehind = -0.2f;
constexpr float kMapRange = 360.0f;
constexpr float kSwayAmplitude = 0.2f;
constexpr uint32_t kAlphaReference = 0x60;
constexpr uint32_t kCloudStage = 15;

// The camera's viewing direction: the view's z axis.
DV CameraFront() {
    const pmath::Matrix& v = g_DrawCamera.view;
    return pmath::Normalize(DV{v.m[0][2], v.m[1][2], v.m[2][2]});
}

// Near enough, and near or not behind the camera.
bool InView(const DV& place, float range) {
    const DV to = place - g_DrawCamera.position;
    const float d = pmath::Length(to);
    if (d > range) return false;
    return d <= kNearRange || pmath::Dot(to * (1.0f / (d == 0.0f ? 1.0f : d)), CameraFront()) >= kBehind;
}

void Draw(const gfx::VertexBuffer& buffer, uint32_t triangles) {
    g_pd3dDevice->SetStreamSource(0, &buffer, 0, sizeof(FieldVertex));
    g_pd3dDevice->DrawPrimitive(gfx::PT_TRIANGLELIST, 0, triangles);
}

}  // namespace

bool EPlantMgr::BeginGrassPass() {
    HEFFECT e = g_Renderer.PassEffect("skylight", "skylight");
    if (!e || !g_pd3dDevice) return false;
    gfx::Effect& fx = *e->m_pEffect;
    gfx::Device& device = *g_pd3dDevice;
    char technique[16];
    std::snprintf(technique, sizeof technique, "RenderGrass%i", g_Settings.m_bDrawShadows ? 1 : 0);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndTransparent(e);
    g_Renderer.BeginPass(e, technique);
    g_Renderer.SetShadowConstants(e, true, g_Sky.m_fSkyLightPower);
    g_Renderer.SetFogAndAmbient(e);
    const pmath::Matrix world = pmath::Identity(), view = g_DrawCamera.view;
    const pmath::Matrix viewProjection = view * g_DrawCamera.projection;
    fx.SetMatrix(e->g_mWorld, &world.m[0][0]);
    fx.SetMatrix(e->g_mWorldView, &view.m[0][0]);
    fx.SetMatrix(e->g_mWorldViewProjection, &viewProjection.m[0][0]);
    g_Renderer.SetCameraParameters(e, view);
    fx.SetBool(e->g_bUseSkyLight, g_Settings.m_bUseSkyLight != 0);
    // The two pairs of sway angles: first with third, second with fourth.
    fx.SetFloat(Param(e, "g_fGrassX0"), kSwayAmplitude * std::sin(g_Renderer.m_fSwayPhaseA[0]));
    fx.SetFloat(Param(e, "g_fGrassZ0"), kSwayAmplitude * std::sin(g_Renderer.m_fSwayPhaseB[0]));
    fx.SetFloat(Param(e, "g_fGrassX1"), kSwayAmplitude * std::sin(g_Renderer.m_fSwayPhaseA[1]));
    fx.SetFloat(Param(e, "g_fGrassZ1"), kSwayAmplitude * std::sin(g_Renderer.m_fSwayPhaseB[1]));
    if (const strtexture* clouds = g_Renderer.LoadRegisteredTexture("tc_clouds.tga"))
        device.SetTexture(kCloudStage, clouds->DeviceTexture());
    fx.SetFloat(Param(e, "g_fCzas01"), g_Renderer.m_fSceneTime);
    device.SetRenderState(gfx::RS_ALPHAREF, kAlphaReference);
    device.SetRenderState(gfx::RS_ALPHATESTENABLE, 1);
    device.SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
    device.SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    device.SetRenderState(gfx::RS_ZENABLE, 1);
    device.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    device.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    return true;
}

void EPlantMgr::RenderGrass() {
    m_dwDrawCalls = 0;
    if (m_dwGrass == 0 || !BeginGrassPass()) return;
    HEFFECT e = g_EffectMgr.GetEffect("skylight");
    gfx::Effect& fx = *e->m_pEffect;
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        const GrassKind& k = m_Grass[i];
        if (k.m_dwTriangles == 0 || !k.pVB) continue;
        const strtexture* texture = g_Renderer.GetTexture(k.m_uTexture);
        g_pd3dDevice->SetTexture(0, texture ? texture->DeviceTexture() : nullptr);
        if (!InView(k.m_vPosition, kFieldRange)) continue;
        fx.CommitChanges();
        Draw(*k.pVB, k.m_dwTriangles);
        ++m_dwDrawCalls;
    }
    if (m_dwTSectors && g_Settings.m_bDrawGrass) {
        const strtexture* tuft = g_Renderer.LoadRegisteredTexture("spr_trawa00.tga");
        g_pd3dDevice->SetTexture(0, tuft ? tuft->DeviceTexture() : nullptr);
        for (uint32_t i = 0; i < m_dwTSectors; ++i) {
            strTSector& s = m_pTSectors[i];
            if (s.m_dwTriangles == 0 || !s.pTPlants || !s.pVB) continue;
            // Sectors are judged at the camera's height.
            s.m_vCentre.y = g_DrawCamera.position.y;
            if (!InView(s.m_vCentre, kSectorRange)) continue;
            fx.SetBool(e->g_bDrawSpecular, false);
            fx.CommitChanges();
            Draw(*s.pVB, s.m_dwTriangles);
            ++m_dwDrawCalls;
        }
    }
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.ForceCulling();
    g_RenderStateCache.EndEffect(&fx);
}

void EPlantMgr::RenderFieldOnAutoMap() {
    const RouteRecord* route = g_RoutesMgr.m_pCurrentRoute;
    if (!route || !g_pd3dDevice) return;
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        const GrassKind& k = m_Grass[i];
        if (k.m_dwTriangles == 0 || !k.m_bCrop || !k.pVB || StrICmp(k.m_szMeshes[0], route->m_szField) != 0) continue;
        if (pmath::Length(k.m_vPosition - g_DrawCamera.position) <= kMapRange) Draw(*k.pVB, k.m_dwTriangles);
    }
}
