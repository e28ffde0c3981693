// The sky-light passes of skinned meshes, grass-textured meshes and trees.
#include <cmath>
#include <cstdio>

#include "core/EConsole.h"
#include "core/EOrientation.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"

namespace {

constexpr float kAmbientTilt = 0.6283185f;   // pi / 5
constexpr float kAmbientTurn = 1.727876f;    // 0.55 pi
constexpr uint32_t kAmbientStage = 5;

// The camera's viewing direction: the view's z axis.
DV ViewDirection() {
    const pmath::Matrix& v = g_DrawCamera.view;
    return pmath::Normalize(DV{v.m[0][2], v.m[1][2], v.m[2][2]});
}

// Three directions the skinned meshes take ambient light from: ahead of the camera tilted down
// by a fifth of a turn, and that turned both ways about the vertical.
void SetAmbientDirections(HEFFECT e) {
    DV direction = ViewDirection();
    EOrientation ahead = EOrientation::EOrientationFromDirection(&direction);
    DV side = ahead.m_Side;
    ahead.RotateAxis(&side, kAmbientTilt);
    const DV up{0.0f, 1.0f, 0.0f};
    EOrientation left = ahead, right = ahead;
    left.RotateAxis(&up, kAmbientTurn);
    right.RotateAxis(&up, -kAmbientTurn);
    float directions[12] = {};
    const DV* fronts[3] = {&ahead.m_Front, &left.m_Front, &right.m_Front};
    for (int i = 0; i < 3; ++i) {
        directions[4 * i + 0] = fronts[i]->x;
        directions[4 * i + 1] = fronts[i]->y;
        directions[4 * i + 2] = fronts[i]->z;
    }
    e->m_pEffect->SetFloatArray(Param(e, "g_AmbientLightDirection"), directions, 12);
}

bool Drawn(const DrawVisibility* object) {
    return object && (object->m_uFlags & FLAG_VISIBLE) && object->m_bVisibleThisFrame;
}

}  // namespace

// The opaque call draws every skinned texture but the translucent ones, which it notes for the
// translucent pass; the translucent call draws those, blended.
void ERenderer::RenderSkinMeshesSkyLight(bool translucent) {
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    device.SetFVF(0);
    device.SetVertexDeclaration(g_pSkinVertexDeclaration.get());
    if (!g_Settings.m_bDrawModels || !m_pSkinTextures[0]) return;
    HEFFECT e = PassEffect("SkyLightSkinmesh", "SkyLightSkinmesh");
    if (!e) return;
    gfx::Effect& fx = *e->m_pEffect;
    SetShadowConstants(e, true, g_Sky.m_fSkyLightPower);
    SetFogAndAmbient(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndTransparent(e);
    fx.SetBool(e->g_bUseSkyLight, g_Settings.m_bUseSkyLight != 0);
    fx.SetBool(e->g_bFullyBrightINM, false);
    SetCameraParameters(e, g_DrawCamera.view);
    SetAmbientDirections(e);
    char technique[32];
    std::snprintf(technique, sizeof technique, "RenderScene%i", g_Settings.m_bDrawShadows ? 1 : 0);
    if (g_RenderStateCache.BeginEffectTechnique(&fx, technique, true)) SetShadowConstants(e, true, g_Sky.m_fSkyLightPower);
    g_RenderStateCache.SetSamplerFilters(16);
    device.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    device.SetTexture(kAmbientStage, m_pAmbientTexture);
    for (uint32_t i = 0; i < kListSize && m_pSkinTextures[i]; ++i) {
        strtexture* t = m_pSkinTextures[i];
        if (t->m_bDoNotRender || t->m_bAdditive || t->m_bStain) continue;
        if (!translucent && t->m_bTranslucent) m_bTranslucentSkinned = 1;
        if ((t->m_bTranslucent != 0) != translucent) continue;
        bool first = true;
        for (strlistaskinmeshy* entry = t->m_pSkinMeshes; entry; entry = entry->m_pNext) {
            if (!entry->m_pDrawSkin || !Drawn(entry->m_hObject)) continue;
            if (first) {
                device.SetTexture(0, g_Settings.m_bDrawCharacterTextures ? t->DeviceTexture() : m_pWhiteTexture);
                g_RenderStateCache.SetCulling(!t->m_bTwoSided);
                if (translucent) {
                    g_RenderStateCache.BeginTranslucent(e);
                } else if (t->m_bTransparent) {
                    g_RenderStateCache.BeginTransparent(e);
                } else {
                    g_RenderStateCache.EndTransparent(e);
                    device.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
                    g_RenderStateCache.EndTranslucent(e);
                }
                fx.CommitChanges();
            }
            first = false;
            fx.CommitChanges();
            entry->m_pDrawSkin->Render(t->m_uId, entry->m_uContainer, e);
        }
    }
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    for (uint32_t stage = 3; stage <= 7; ++stage) {
        device.SetSamplerState(stage, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
        device.SetSamplerState(stage, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
        device.SetSamplerState(stage, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
    }
    g_RenderStateCache.EndEffect(&fx);
}

void ERenderer::SetSkyLitPassParameters(HEFFECT e) {
    gfx::Effect& fx = *e->m_pEffect;
    fx.SetBool(e->g_bUseSkyLight, g_Settings.m_bUseSkyLight != 0);
    SetCameraParameters(e, g_DrawCamera.view);
    fx.SetBool(e->g_bDrawDetail, false);
    fx.SetBool(e->g_bDetailAsNormal, false);
    fx.SetBool(e->g_bFullyBrightINM, false);
    float farZ = g_DrawCamera.farZ;
    fx.SetFloat(Param(e, "g_fFarZ"), farZ);
    fx.SetFloat(Param(e, "g_fFarZ1"), farZ != 0.0f ? 1.0f / farZ : 0.0f);
    // The grass window: the sway phases, times 7.
    fx.SetFloat(Param(e, "g_fGrassX0"), std::floor(m_fSwayPhaseA[0]) * 7.0f);
    fx.SetFloat(Param(e, "g_fGrassZ0"), std::floor(m_fSwayPhaseB[0]) * 7.0f);
    fx.SetFloat(Param(e, "g_fGrassX1"), std::floor(m_fSwayPhaseA[1]) * 7.0f);
    fx.SetFloat(Param(e, "g_fGrassZ1"), std::floor(m_fSwayPhaseB[1]) * 7.0f);
}

void ERenderer::RenderMeshesSkyLight() {
    HEFFECT e = PassEffect("skylight", "skylight");
    if (!e || !g_pd3dDevice) return;
    gfx::Effect& fx = *e->m_pEffect;
    BeginPass(e, "RenderScene");
    const char* running = "RenderScene";
    DV d = g_Sky.m_vSkyLightDirection;
    float length = pmath::Length(d);
    float height = -d.y / (length == 0.0f ? 1.0f : length);
    // Grass lies flat: the higher the sun, the more light it gets. Both elements of the shadow
    // arrays are filled (the second repeats map 0), so no effect reads stale values.
    SetShadowConstants(e, false, g_Sky.m_fSkyLightPower * height * 0.3f);
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.BeginTranslucent(e);
    g_RenderStateCache.ForceCulling();
    SetSkyLitPassParameters(e);
    fx.SetFloat(Param(e, "g_fGrassDist0"), 10000.0f);
    fx.SetFloat(Param(e, "g_fGrassDist1"), 10000.0f);
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i]; ++i) {
        strtexture* t = m_pMeshTextures[i];
        if (!t->m_bGrassTexture || (t->m_bTransparent && !g_Settings.m_bDrawTransparent)) continue;
        if (t->m_bAdditive || t->m_bStain || t->m_bRayOfLight) continue;
        bool first = true;
        for (strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            DrawMesh* mesh = entry->m_pDrawMesh;
            if (!mesh || !mesh->geometry || !entry->m_hObject || !entry->m_hObject->m_bVisibleThisFrame) continue;
            if (StrICmp(running, "RenderGrass") != 0 && g_RenderStateCache.BeginEffectTechnique(&fx, "RenderGrass", false))
                running = "RenderGrass";
            if (first) {
                BindTextureFrame(t, 0);
                fx.SetFloat(e->g_fNormalDensity, t->m_fNormalDensity);
                g_RenderStateCache.SetCulling(!t->m_bTwoSided);
                if (t->m_bTranslucent) g_RenderStateCache.BeginTranslucent(e);
                else g_RenderStateCache.EndTranslucent(e);
                if (t->m_bTransparent) g_RenderStateCache.BeginTransparent(e);
                else g_RenderStateCache.EndTransparent(e);
                SetSpecular(e, t);
                fx.SetFloat(e->g_fTextureDensity, t->m_fTextureDensity == 0.0f ? 1.0f : t->m_fTextureDensity);
            }
            first = false;
            CountSubsetFaces(*mesh, entry->m_uSubset);
            m_Batch.Add(*mesh, entry->m_uSubset);
        }
        DrawBatch(e, m_uSkyLitSubsets);
    }
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndEffect(&fx);
}

void ERenderer::RenderTrees() {
    if (!g_Settings.m_bDrawTransparent) return;
    HEFFECT e = PassEffect("skylight", "skylight");
    if (!e || !g_pd3dDevice) return;
    gfx::Effect& fx = *e->m_pEffect;
    BeginPass(e, "RenderTrees");
    SetShadowConstants(e, true, g_Sky.m_fSkyLightPower);
    SetFogAndAmbient(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.BeginTransparent(e);
    g_RenderStateCache.ForceCulling();
    // Leaves are seen from both sides.
    g_pd3dDevice->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    SetSkyLitPassParameters(e);
    fx.SetFloat(Param(e, "g_fGrassDist0"), 1000.0f);
    fx.SetFloat(Param(e, "g_fCzas01"), m_fSceneTime);
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i]; ++i) {
        strtexture* t = m_pMeshTextures[i];
        if (!t->m_bTransparent || t->m_bAdditive || t->m_bStain || t->m_bRayOfLight) continue;
        bool first = true;
        for (strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            DrawMesh* mesh = entry->m_pDrawMesh;
            if (!mesh || !mesh->geometry || !entry->m_hObject || !entry->m_hObject->m_bTree ||
                !entry->m_hObject->m_bVisibleThisFrame)
                continue;
            if (first) {
                BindTextureFrame(t, 0);
                // The leaves move in steps.
                fx.SetFloat(e->g_fDrzewoLiscie, std::floor(g_RenderHooks.engineClock() * 0.7f) * 0.05f);
            }
            first = false;
            CountSubsetFaces(*mesh, entry->m_uSubset);
            m_Batch.Add(*mesh, entry->m_uSubset);
        }
        DrawBatch(e, m_uSkyLitSubsets);
    }
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndEffect(&fx);
    g_pd3dDevice->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
}
