// The scene mesh passes: opaque, alpha-tested and translucent static meshes lit by the sky light,
// and the water surface. Each walks the mesh-texture list, takes the textures that belong to it,
// sets the texture's states once and draws its visible subsets in as few draws as they allow.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"

namespace {

// Multitexture layers go on stages 8 to 13 (a texture and its normal map each), clear of the
// ambient texture (5) and the shadow maps (6 and 7).
constexpr uint32_t kFirstLayerStage = 8;
constexpr uint32_t kEnvironmentStage = 6;
constexpr uint32_t kCloudStage = 15;

// What the scene passes leave out, whatever else they take.
bool SpecialSurface(const strtexture* t) {
    return t->m_bWater || t->m_pLava || t->m_bAdditive || t->m_bStain || t->m_bRayOfLight;
}

// A subset drawn this frame: a live entry of a visible mesh with its video mesh.
DrawMesh* DrawnMesh(const strlistameshy* e) {
    if (!e->m_pDrawMesh || !e->m_pDrawMesh->geometry || !e->m_hObject || !e->m_hObject->m_bVisibleThisFrame)
        return nullptr;
    return e->m_pDrawMesh;
}

void SetLodBias(uint32_t stage, float bias) {
    g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_MIPMAPLODBIAS, FloatState(bias));
}

}  // namespace

HEFFECT ERenderer::BeginScenePass(const char* technique) {
    HEFFECT e = PassEffect("skylight", "skylight");
    if (!e || !g_pd3dDevice) return nullptr;
    gfx::Effect& fx = *e->m_pEffect;
    BeginPass(e, technique);
    g_ShadowMaps.m_fTime = 0.0f;
    fx.SetFloat(Param(e, "g_fCzas01"), m_fSceneTime);
    SetShadowConstants(e, true, g_Sky.m_fSkyLightPower);
    SetFogAndAmbient(e);
    SetCameraParameters(e, g_DrawCamera.view);
    fx.SetBool(e->g_bDrawDetail, false);
    fx.SetBool(e->g_bDetailAsNormal, false);
    fx.SetBool(e->g_bFullyBrightINM, false);
    fx.SetBool(Param(e, "g_bWire"), false);
    fx.SetBool(Param(e, "g_bDrzewo"), false);
    fx.SetBool(Param(e, "g_bDrzewoLiscie"), false);
    if (const strtexture* clouds = LoadRegisteredTexture("tc_clouds.tga"))
        g_pd3dDevice->SetTexture(kCloudStage, clouds->DeviceTexture());
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.ForceCulling();
    return e;
}

void ERenderer::SetSceneTextureStates(HEFFECT e, strtexture* t, const DrawMesh& mesh, uint32_t subset) {
    gfx::Effect& fx = *e->m_pEffect;
    BindTextureFrame(t, 0);
    bool detail = t->m_pDetail && g_Settings.m_bDrawDetail;
    if (detail) {
        g_pd3dDevice->SetTexture(2, g_Settings.m_bDrawTextures ? t->m_pDetail->DeviceTexture() : m_pWhiteTexture);
        fx.SetFloat(e->g_fDetailDensity, t->m_fDetailDensity);
    }
    fx.SetBool(e->g_bDrawDetail, detail);
    fx.SetBool(e->g_bDetailAsNormal, detail && t->m_bDetailAsNormal);
    g_RenderStateCache.SetCulling(!t->m_bTwoSided);
    const DrawLayer* layers = subset < mesh.subsetCount ? mesh.subsets[subset].multitexture : nullptr;
    bool multitexture = g_Settings.m_bDrawMultitextures && layers;
    fx.SetBool(Param(e, "g_bMultitexture"), multitexture);
    if (!multitexture) return;
    float present[LAYERS] = {}, density[LAYERS] = {};
    for (int layer = 0; layer < LAYERS; ++layer) {
        const DrawLayer& l = layers[layer];
        if (!l.present) continue;
        present[layer] = 1.0f;
        density[layer] = std::max(l.density * 3.0f, 0.01f);
        uint32_t stage = kFirstLayerStage + 2 * static_cast<uint32_t>(layer);
        const strtexture* texture = GetTexture(l.texture);
        const strtexture* normal = GetTexture(l.normal);
        g_pd3dDevice->SetTexture(stage, texture ? texture->DeviceTexture() : nullptr);
        g_pd3dDevice->SetTexture(stage + 1, normal ? normal->DeviceTexture() : nullptr);
    }
    fx.SetFloatArray(Param(e, "g_bMultitextureLayers"), present, LAYERS);
    fx.SetFloatArray(Param(e, "g_fMultitextureDensities"), density, LAYERS);
}

void ERenderer::RenderSceneOpaque() {
    HEFFECT e = BeginScenePass(g_Settings.m_bDrawShadows ? "RenderScene1" : "RenderScene0");
    if (!e) return;
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i]; ++i) {
        strtexture* t = m_pMeshTextures[i];
        if (t->m_bTransparent) {
            m_bTransparentPresent = 1;
            continue;
        }
        if (SpecialSurface(t)) continue;
        bool first = true;
        for (strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            DrawMesh* mesh = DrawnMesh(entry);
            if (!mesh) continue;
            if (t->m_bTranslucent) {
                m_bTranslucentMeshes = 1;
                continue;
            }
            if (first) SetSceneTextureStates(e, t, *mesh, entry->m_uSubset);
            first = false;
            m_Batch.Add(*mesh, entry->m_uSubset);
        }
        DrawBatch(e, m_uDrawnSubsets);
    }
    g_RenderStateCache.EndEffect(e->m_pEffect.get());
}

void ERenderer::RenderSceneAlphaTested() {
    if (!g_Settings.m_bDrawTransparent) return;
    HEFFECT e = BeginScenePass("RenderSceneT");
    if (!e) return;
    g_RenderStateCache.BeginTransparent(e);
    g_RenderStateCache.SetCulling(false);
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i]; ++i) {
        strtexture* t = m_pMeshTextures[i];
        if (!t->m_bTransparent || SpecialSurface(t)) continue;
        bool first = true;
        for (strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            DrawMesh* mesh = DrawnMesh(entry);
            if (!mesh) continue;
            // Trees, grass and translucent surfaces have passes of their own.
            bool tree = entry->m_hObject->m_bTree != 0;
            if (tree) m_bTreeSwitch = 1;
            if (t->m_bGrassTexture) m_bGrassSwitch = 1;
            if (t->m_bTranslucent) m_bTranslucentMeshes = 1;
            if (tree || t->m_bGrassTexture || t->m_bTranslucent) continue;
            if (first) BindTextureFrame(t, 0);
            first = false;
            CountSubsetFaces(*mesh, entry->m_uSubset);
            m_Batch.Add(*mesh, entry->m_uSubset);
        }
        DrawBatch(e, m_uSkyLitSubsets);
    }
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndEffect(e->m_pEffect.get());
}

void ERenderer::RenderSceneTranslucent() {
    HEFFECT e = BeginScenePass("RenderSceneTransl0");
    if (!e) return;
    gfx::Effect& fx = *e->m_pEffect;
    const char* running = "RenderSceneTransl0";
    g_RenderStateCache.BeginTranslucent(e);
    fx.SetBool(e->g_bUseSkyLight, g_Settings.m_bUseSkyLight != 0);
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i]; ++i) {
        strtexture* t = m_pMeshTextures[i];
        if (!t->m_bTranslucent || t->m_bTransparent || t->m_bGrassTexture || SpecialSurface(t)) continue;
        bool first = true;
        for (strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            DrawMesh* mesh = DrawnMesh(entry);
            if (!mesh) continue;
            if (first) {
                const char* technique = t->m_pAddWaterNormal ? "RenderSceneTransl1" : "RenderSceneTransl0";
                if (StrICmp(technique, running) != 0 && g_RenderStateCache.BeginEffectTechnique(&fx, technique, false)) {
                    running = technique;
                    g_RenderStateCache.BeginTranslucent(e);
                }
                SetSceneTextureStates(e, t, *mesh, entry->m_uSubset);
                SetSpecular(e, t);
            }
            first = false;
            CountSubsetFaces(*mesh, entry->m_uSubset);
            CountMeshFaces(*mesh);
            m_Batch.Add(*mesh, entry->m_uSubset);
        }
        DrawBatch(e, m_uDrawnSubsets);
    }
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndEffect(&fx);
}

void ERenderer::RenderWater() {
    if (!g_Settings.m_bRendererPass || !g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    device.SetFVF(0);
    device.SetVertexDeclaration(g_pVertexDeclaration.get());
    HEFFECT e = g_EffectMgr.GetEffect("ambient");
    if (!e || !e->m_pEffect) return;
    gfx::Effect& fx = *e->m_pEffect;
    g_RenderStateCache.BeginEffect(&fx, e->m_hTechnique, true);
    SetLodBias(kEnvironmentStage, -1000.0f);
    SetCameraParameters(e, g_DrawCamera.view);
    float ambient[4];
    g_Sky.GetAmbientLightVector(ambient);
    ambient[3] = 1.0f;
    fx.SetVector(e->g_AmbientLightDiffuse, ambient);
    uint32_t fog = 0;
    g_Sky.GetFogColour(fog, 0);
    const float fogColour[4] = {((fog >> 16) & 0xFF) / 255.0f, ((fog >> 8) & 0xFF) / 255.0f, (fog & 0xFF) / 255.0f,
                                1.0f};
    fx.SetVector(e->g_FogColor, fogColour);
    DV d = pmath::Normalize(g_Sky.m_vSkyLightDirection);
    const float direction[4] = {d.x, d.y, d.z, 1.0f};
    fx.SetVector(e->g_SkyLightDir, direction);
    uint32_t sun = g_Sky.m_uSkyLightColour;
    const float sunColour[4] = {((sun >> 16) & 0xFF) / 255.0f, ((sun >> 8) & 0xFF) / 255.0f, (sun & 0xFF) / 255.0f,
                                1.0f};
    fx.SetVector(e->g_SkyLightDiffuse, sunColour);
    const strtexture* environment = LoadRegisteredTexture("env_miasto2.tga", true);
    float farZ = g_DrawCamera.farZ;
    fx.SetFloat(Param(e, "g_fFarZ"), farZ);
    fx.SetFloat(Param(e, "g_fFarZ1"), farZ != 0.0f ? 1.0f / farZ : 0.0f);
    float levelTime = g_RenderHooks.levelTime();
    for (uint32_t i = 0; i < kListSize && m_pMeshTextures[i]; ++i) {
        strtexture* t = m_pMeshTextures[i];
        if (!t->m_bWater || t->m_bAnimated || t->m_bRayOfLight) continue;
        bool first = true;
        for (strlistameshy* entry = t->m_pMeshes; entry; entry = entry->m_pNext) {
            DrawMesh* mesh = DrawnMesh(entry);
            if (!mesh) continue;
            if (first) {
                device.SetTexture(0, t->DeviceTexture());
                SetLodBias(kEnvironmentStage, -1000.0f);
                SetLodBias(3, -1000.0f);
                if (t->m_pNormal) device.SetTexture(1, t->m_pNormal->DeviceTexture());
                fx.SetFloat(e->g_fNormalDensity, t->m_fNormalDensity);
                if (environment) device.SetTexture(kEnvironmentStage, environment->DeviceTexture());
                fx.SetVector(e->g_FogColor, fogColour);
                fx.SetFloat(Param(e, "g_SinF"), std::sin(levelTime * 0.25f));
                fx.SetFloat(Param(e, "g_WaterHeight"), t->m_fWaterHeight);
                fx.SetFloat(Param(e, "g_LevelTime"), levelTime);
                fx.SetFloat(Param(e, "g_FalaX"), levelTime * 0.00004f);
                fx.SetFloat(Param(e, "g_FalaZ"), levelTime * 0.00005f + 0.5f);
                fx.SetFloat(Param(e, "g_WaterTransparent"), t->m_fWaterTransparency);
                fx.SetFloat(e->g_fFogMax, g_Sky.m_fFogMax);
            }
            first = false;
            CountMeshFaces(*mesh);
            m_Batch.Add(*mesh, entry->m_uSubset);
        }
        DrawBatch(e, m_uDrawnSubsets);
    }
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndEffect(&fx);
    SetLodBias(kEnvironmentStage, g_RenderStateCache.m_fLodBias);
    SetLodBias(3, g_RenderStateCache.m_fLodBias);
}
