// The renderer's frame: the per-frame update and texture grouping, the pre-render step, the main
// scene pass in its fixed order, the translucent pass, the world start, and what the passes share.
#include <algorithm>
#include <cstdio>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "core/NumericHelpers.h"
#include "render/CPowerLines.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

// The reduced-render mode: its switch on and its override off.
bool Reduced() { return g_Settings.m_bSimpleRender && !g_Settings.m_bRendererSwitch; }

// Textures whose keys are equal draw with the same effect states: they are grouped together.
bool SameMeshKey(const strtexture* a, const strtexture* b) {
    return a->m_bSpecular == b->m_bSpecular && a->m_bFullyBrightInNormalMask == b->m_bFullyBrightInNormalMask &&
           a->m_bWater == b->m_bWater && a->m_bAnimated == b->m_bAnimated && !a->m_pDetail == !b->m_pDetail &&
           !a->m_pNormal == !b->m_pNormal && !a->m_pAddWaterNormal == !b->m_pAddWaterNormal &&
           a->m_fTextureDensity == b->m_fTextureDensity && a->m_bTransparent == b->m_bTransparent &&
           a->m_bTranslucent == b->m_bTranslucent && a->m_bTwoSided == b->m_bTwoSided;
}

bool SameSkinKey(const strtexture* a, const strtexture* b) {
    return a->m_bSpecular == b->m_bSpecular && a->m_bFullyBrightInNormalMask == b->m_bFullyBrightInNormalMask &&
           a->m_bWater == b->m_bWater && a->m_bAnimated == b->m_bAnimated && !a->m_pDetail == !b->m_pDetail &&
           !a->m_pNormal == !b->m_pNormal && !a->m_pAddWaterNormal == !b->m_pAddWaterNormal &&
           a->m_bTransparent == b->m_bTransparent && a->m_bTranslucent == b->m_bTranslucent;
}

// Puts the texture before the first one with an equal key, or at the end.
template <class Same>
void InsertGrouped(strtexture** list, uint32_t& count, strtexture* t, Same same) {
    uint32_t at = 0;
    while (at < count && !same(list[at], t)) ++at;
    for (uint32_t i = count; i > at; --i) list[i] = list[i - 1];
    list[at] = t;
    ++count;
}

bool AnyVisibleThisFrame(const strlistameshy* e) {
    for (; e; e = e->m_pNext)
        if (e->m_hObject && e->m_hObject->m_bVisibleThisFrame) return true;
    return false;
}

bool AnyVisibleThisFrame(const strlistaskinmeshy* e) {
    for (; e; e = e->m_pNext)
        if (e->m_hObject && e->m_hObject->m_bVisibleThisFrame) return true;
    return false;
}

void SetDeviceState(gfx::RenderState state, uint32_t value) { g_pd3dDevice->SetRenderState(state, value); }

// Advances one sway angle; a full turn draws a new speed.
void Sway(float& phase, float& speed, float frameTime) {
    phase += frameTime * speed;
    if (phase <= kTwoPi) return;
    phase -= kTwoPi;
    speed = RandomFloat(1.5f) + 0.7f;
}

}  // namespace

void ERenderer::Update() {
    m_fFrameTime = g_FrameFacts.frameTime;
    m_fSceneTime += m_fFrameTime * 0.01f;
    if (m_fSceneTime >= 1.0f) m_fSceneTime -= 1.0f;
    g_Settings.m_bDrawProjectors = g_Settings.m_bDrawShadows && g_Settings.m_iShadowQuality <= 2;
    UpdateLightRays();
    if (!Reduced()) g_ShadowMaps.Update();
    SortRenderLists();
    if (g_Settings.m_bRaportUndefinedTextures) WriteUndefinedTexturesReport();
    if (g_Settings.m_bRaportDoubleTextures) WriteDuplicatedTexturesReport();
}

void ERenderer::SortRenderLists() {
    m_bAnyWater = m_bAnyLava = m_bAnyAdditiveMesh = m_bAnyAdditiveSkin = m_bAnyWaterMesh = 0;
    uint32_t meshes = 0, skins = 0, idle = 0;
    for (uint32_t id = 1; id < kMaxTextures; ++id) {
        strtexture* t = m_pTextureTable[id];
        if (!t) continue;
        t->m_bGrouped = 0;
        if (t->m_bDoNotRender) continue;
        if (AnyVisibleThisFrame(t->m_pMeshes)) {
            InsertGrouped(m_pMeshTextures, meshes, t, SameMeshKey);
            t->m_bGrouped = 1;
        }
        if (AnyVisibleThisFrame(t->m_pSkinMeshes)) InsertGrouped(m_pSkinTextures, skins, t, SameSkinKey);
        if (!t->m_pMeshes && !t->m_pSkinMeshes) m_pIdleTextures[idle++] = t;
    }
    m_pMeshTextures[meshes] = nullptr;
    m_pSkinTextures[skins] = nullptr;
    m_pIdleTextures[idle] = nullptr;
    SortRenderList(m_pMeshTextures);
    SortRenderList(m_pSkinTextures);
    MergeRenderLists();
}

void ERenderer::PreRender() {
    if (Reduced() || !g_pd3dDevice) return;
    SetDeviceState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
    if (!g_Settings.m_bSimpleRender && !g_Settings.m_bMucha) g_RenderHooks.renderOverviewMap();
    if (g_Settings.m_bDrawShadows) {
        RenderShadowMaps(1);
        RenderShadowMaps(0);
    }
    BuildRenderLists();
}

void ERenderer::Render() {
    m_bGrassSwitch = m_bTreeSwitch = 0;
    m_uDrawnSubsets = m_uSkyLitSubsets = m_uInstancedSubsets = m_uNoninstancedSubsets = 0;
    for (int i = 0; i < kSwayPairs; ++i) {
        Sway(m_fSwayPhaseA[i], m_fSwaySpeedA[i], m_fFrameTime);
        Sway(m_fSwayPhaseB[i], m_fSwaySpeedB[i], m_fFrameTime);
    }
    ++m_uFrame;
    g_RenderHooks.setShaderLights(m_ShaderLights);
    if (Reduced()) SetupFrameStates();
    else RenderScene();
}

void ERenderer::ClearPolygonCounters() {
    g_Debug.m_iVisibleMeshPolygons = g_Debug.m_iRenderedMeshPolygons = g_Debug.m_iVisibleShadowPolygons = 0;
    std::fill(std::begin(g_Debug.m_iSubsetStats), std::end(g_Debug.m_iSubsetStats), 0);
}

void ERenderer::RenderScene() {
    if (!g_pd3dDevice) return;
    g_RenderStateCache.SetSamplerFilters(16);
    g_RenderStateCache.ForceCulling();
    SetDeviceState(gfx::RS_STENCILENABLE, 0);
    SetDeviceState(gfx::RS_ZENABLE, 1);
    SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
    SetDeviceState(gfx::RS_ALPHABLENDENABLE, 0);
    SetDeviceState(gfx::RS_ALPHATESTENABLE, 0);
    m_fFrameTime = g_FrameFacts.frameTime;
    PrepareFrameStates();
    g_RenderStateCache.m_bEffectRunning = 0;
    g_RenderStateCache.m_hCurrentTechnique = nullptr;
    g_RenderStateCache.SetSamplerFilters(2);
    SetDeviceState(gfx::RS_ZENABLE, 1);
    SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
    bool skyLit = g_Settings.m_bDrawSkylightLitObjects != 0;
    if (m_bSkyLitMeshes && skyLit) {
        SetDeviceState(gfx::RS_ZENABLE, 1);
        SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
        RenderSceneOpaque();
        RenderSceneAlphaTested();
        if (m_bGrassSwitch) RenderMeshesSkyLight();
        SetDeviceState(gfx::RS_ZENABLE, 1);
        SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
        if (m_bTreeSwitch) RenderTrees();
        g_RenderHooks.renderGrass();
        g_PowerLines.RenderCables();
    }
    g_RenderStateCache.SetSamplerFilters(16);
    if (m_bSkinMeshes && skyLit) {
        SetDeviceState(gfx::RS_ALPHABLENDENABLE, 0);
        RenderSkinMeshesSkyLight(false);
    }
    if (m_bAnyWater && g_Settings.m_bRendererPass) {
        SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
        RenderWater();
        SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
    }
    g_Sky.RenderSky(0);
    g_Console.SetVariable("NumRenderedInstancedSubsets", static_cast<float>(m_uInstancedSubsets), 0);
    g_Console.SetVariable("NumRenderedNoninstancedSubsets", static_cast<float>(m_uNoninstancedSubsets), 0);
    if (g_Settings.m_iDebugLights) g_RenderHooks.drawLightCounts();
}

void ERenderer::RenderTranslucent() {
    if (!g_pd3dDevice) return;
    g_RenderStateCache.SetSamplerFilters(16);
    g_RenderStateCache.ForceCulling();
    SetDeviceState(gfx::RS_ZENABLE, 1);
    SetDeviceState(gfx::RS_ZWRITEENABLE, 0);
    g_pd3dDevice->SetVertexShader(nullptr);
    g_pd3dDevice->SetFVF(0);
    g_pd3dDevice->SetVertexDeclaration(g_pVertexDeclaration.get());
    if (m_bTranslucentMeshes) {
        SetDeviceState(gfx::RS_ZWRITEENABLE, 0);
        SetDeviceState(gfx::RS_ZENABLE, 1);
        RenderSceneTranslucent();
        SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
    }
    if (m_bTranslucentSkinned && g_Settings.m_bDrawSkylightLitObjects) {
        SetDeviceState(gfx::RS_ZENABLE, 1);
        SetDeviceState(gfx::RS_ZWRITEENABLE, 0);
        RenderSkinMeshesSkyLight(true);
        SetDeviceState(gfx::RS_ZWRITEENABLE, 1);
    }
}

void ERenderer::OnStartWorld() {
    g_ShadowMaps.Enable();
    m_fSceneTime = 0;
    std::fill(std::begin(m_pMeshTextures), std::end(m_pMeshTextures), nullptr);
    std::fill(std::begin(m_pSkinTextures), std::end(m_pSkinTextures), nullptr);
    std::fill(std::begin(m_pMergedTextures), std::end(m_pMergedTextures), nullptr);
    // Both are the renderer's own: missing from the installation, they are left out and the frame
    // goes on.
    if (const strtexture* white = LoadRegisteredTexture("bialy.tga")) m_pWhiteTexture = white->DeviceTexture();
    const strtexture* ambient = LoadRegisteredTexture("sys_ambient.tga");
    if (!ambient) g_Console.Print("Nie ma m_hAmbient");
    else if (!ambient->DeviceTexture()) g_Console.Print("Nie ma m_hAmbient->hTexture");
    else m_pAmbientTexture = ambient->DeviceTexture();
    for (int i = 0; i < kSwayPairs; ++i) {
        m_fSwayPhaseA[i] = m_fSwayPhaseB[i] = 0;
        m_fSwaySpeedA[i] = RandomFloat(1.0f) + 1.0f;
        m_fSwaySpeedB[i] = RandomFloat(1.0f) + 1.0f;
    }
}

void ERenderer::SetupFrameStates() {
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    for (uint32_t stage = 0; stage < 8; ++stage) {
        device.SetSamplerState(stage, gfx::SAMP_MIPMAPLODBIAS, FloatState(g_RenderStateCache.m_fLodBias));
        device.SetSamplerState(stage, gfx::SAMP_MAGFILTER, gfx::TEXF_ANISOTROPIC);
        device.SetSamplerState(stage, gfx::SAMP_MINFILTER, gfx::TEXF_ANISOTROPIC);
        device.SetSamplerState(stage, gfx::SAMP_MIPFILTER, gfx::TEXF_ANISOTROPIC);
        device.SetSamplerState(stage, gfx::SAMP_MAXANISOTROPY, 4);
    }
    PrepareFrameStates();
    if (g_Settings.m_bSimpleRender && !g_Settings.m_bRendererSwitch) return;
    device.SetVertexDeclaration(nullptr);
}

void ERenderer::PrepareFrameStates() {
    gfx::Device& device = *g_pd3dDevice;
    device.SetVertexShader(nullptr);
    device.SetFVF(0);
    device.SetVertexDeclaration(g_pVertexDeclaration.get());
    SetDeviceState(gfx::RS_DEPTHBIAS, 0);
    if (g_Settings.m_bPrintPolygonCount) ClearPolygonCounters();
    if (!g_Settings.m_bSimpleRender) return;
    g_ShadowMaps.UpdateLightMatrices();
    g_RenderHooks.rebuildCameraProjection();
}

// ---- Shared by the passes -----------------------------------------------------------------------

HEFFECT ERenderer::PassEffect(const char* name, const char* what) const {
    HEFFECT effect = g_EffectMgr.GetEffect(name);
    char line[96];
    if (!effect) std::snprintf(line, sizeof line, "No %s HEFFECT", what);
    else if (!effect->m_pEffect) std::snprintf(line, sizeof line, "No %s ID3DXEffect", what);
    else return effect;
    g_Console.Print(line);
    return nullptr;
}

bool ERenderer::BeginPass(HEFFECT effect, const char* technique) {
    gfx::Device& device = *g_pd3dDevice;
    for (uint32_t stage = 0; stage < ERenderStateCache::kStages; ++stage) device.SetTexture(stage, nullptr);
    g_RenderStateCache.EndEffect(effect->m_pEffect.get());
    device.SetFVF(0);
    device.SetVertexShader(nullptr);
    device.SetPixelShader(nullptr);
    device.SetVertexDeclaration(g_pVertexDeclaration.get());
    return g_RenderStateCache.BeginEffectTechnique(effect->m_pEffect.get(), technique, true);
}

void ERenderer::SetCameraParameters(HEFFECT effect, const pmath::Matrix& view) const {
    gfx::Effect& fx = *effect->m_pEffect;
    pmath::Matrix inverse = pmath::Identity();
    pmath::Inverse(view, &inverse);
    pmath::Matrix viewProjection = view * g_DrawCamera.projection;
    fx.SetMatrix(effect->g_mView, &view.m[0][0]);
    fx.SetMatrix(effect->g_mViewInv, &inverse.m[0][0]);
    fx.SetMatrix(effect->g_mProj, &g_DrawCamera.projection.m[0][0]);
    fx.SetMatrix(effect->g_mViewProj, &viewProjection.m[0][0]);
    const DV& eye = g_DrawCamera.position;
    const float position[4] = {eye.x, eye.y, eye.z, 1.0f};
    fx.SetVector(effect->g_CameraPosition, position);
}

void ERenderer::SetShadowConstants(HEFFECT effect, bool bothMaps, float lightScale) {
    gfx::Effect& fx = *effect->m_pEffect;
    float size[2], size1[2], epsilon[2], direction[8], colour[8], viewToLight[32];
    bool useSkyLight[2];
    pmath::Matrix inverseView = pmath::Identity();
    pmath::Inverse(g_DrawCamera.view, &inverseView);
    DV d = g_Sky.m_vSkyLightDirection;
    float length = pmath::Length(d);
    d = d * (1.0f / (length == 0.0f ? 1.0f : length));
    uint32_t skyLight = g_Sky.m_uSkyLightColour;
    for (int i = 0; i < 2; ++i) {
        int map = bothMaps ? i : 0;
        uint32_t mapSize = 0;
        float bias = 0;
        g_ShadowMaps.GetMap(map, &mapSize, nullptr, nullptr, &bias);
        size[i] = static_cast<float>(mapSize);
        size1[i] = mapSize == 0 ? 1.0f : 1.0f / static_cast<float>(mapSize);
        epsilon[i] = bias * 0.0037f;
        pmath::Matrix toLight = inverseView * g_ShadowMaps.m_mView[map] * g_ShadowMaps.m_mProj[map];
        std::copy(&toLight.m[0][0], &toLight.m[0][0] + 16, viewToLight + 16 * i);
        const float dir[4] = {d.x, d.y, d.z, 0.0f};
        std::copy(dir, dir + 4, direction + 4 * i);
        colour[4 * i + 0] = ((skyLight >> 16) & 0xFF) / 255.0f * lightScale;
        colour[4 * i + 1] = ((skyLight >> 8) & 0xFF) / 255.0f * lightScale;
        colour[4 * i + 2] = (skyLight & 0xFF) / 255.0f * lightScale;
        colour[4 * i + 3] = 1.0f;
        useSkyLight[i] = g_Sky.m_bSkyLightUsed != 0;
    }
    fx.SetFloatArray(effect->SMAP_SIZE, size, 2);
    fx.SetFloatArray(effect->SMAP_SIZE1, size1, 2);
    fx.SetFloatArray(effect->SHADOW_EPSILON, epsilon, 2);
    fx.SetFloatArray(effect->g_mViewToLightProj, viewToLight, 32);
    fx.SetFloatArray(effect->g_SkyLightDir, direction, 8);
    fx.SetFloatArray(effect->g_SkyLightDiffuse, colour, 8);
    const float switches[2] = {useSkyLight[0] ? 1.0f : 0.0f, useSkyLight[1] ? 1.0f : 0.0f};
    if (gfx::Failed(fx.SetFloatArray(Param(effect, "g_bUseSkyLightX"), switches, 2))) g_Console.Print("Set failed");
    // Whether the maps hold this frame's shadows (the effects sample them only then).
    bool shadows = g_Settings.m_bDrawShadows && g_ShadowMaps.m_pTexture[0] && g_ShadowMaps.m_pTexture[1];
    fx.SetBool(Param(effect, "g_bShadows"), shadows);
    if (!shadows) return;
    g_pd3dDevice->SetTexture(6, g_ShadowMaps.m_pTexture[0].get());
    g_pd3dDevice->SetTexture(7, g_ShadowMaps.m_pTexture[1].get());
}

void ERenderer::SetFogAndAmbient(HEFFECT effect) {
    gfx::Effect& fx = *effect->m_pEffect;
    float ambient[4];
    g_Sky.GetAmbientLightVector(ambient);
    fx.SetVector(effect->g_AmbientLightDiffuse, ambient);
    fx.SetFloat(effect->g_FogNear, g_Sky.GetFogNear(0));
    fx.SetFloat(effect->g_FogFar, g_Sky.GetFogFar(0));
    uint32_t fog = 0;
    g_Sky.GetFogColour(fog, 0);
    const float fogColour[4] = {((fog >> 16) & 0xFF) / 255.0f, ((fog >> 8) & 0xFF) / 255.0f, (fog & 0xFF) / 255.0f,
                                0.0f};
    fx.SetVector(effect->g_FogColor, fogColour);
    fx.SetFloat(effect->g_fFogMax, g_Sky.m_fFogMax);
}

void ERenderer::SetSpecular(HEFFECT effect, const strtexture* t) {
    gfx::Effect& fx = *effect->m_pEffect;
    bool specular = t->m_bSpecular && g_Settings.m_bSkyLightPass[0];
    if (specular) {
        fx.SetFloat(effect->g_SpecularCone, t->m_fSpecular1);
        fx.SetFloat(effect->g_SpecularPower, t->m_fSpecular2);
    }
    fx.SetBool(effect->g_bDrawSpecular, specular);
}

void ERenderer::CountSubsetFaces(const DrawMesh& mesh, uint32_t subset) {
    if (!g_Settings.m_bPrintPolygonCount || !mesh.geometry || subset >= mesh.geometry->rangeCount) return;
    uint32_t faces = mesh.geometry->ranges[subset].faceCount;
    ++g_Debug.m_iSubsetStats[EDebug::SWITCHED_SUBSETS];
    if (faces < 100) ++g_Debug.m_iSubsetStats[EDebug::SUBSETS_UNDER_100];
    else if (faces < 500) ++g_Debug.m_iSubsetStats[EDebug::SUBSETS_100_499];
    else if (faces < 1000) ++g_Debug.m_iSubsetStats[EDebug::SUBSETS_500_999];
}

void ERenderer::CountMeshFaces(DrawMesh& mesh) {
    if (!g_Settings.m_bPrintPolygonCount || !mesh.geometry || mesh.countedFrame == m_uFrame) return;
    g_Debug.m_iRenderedMeshPolygons += static_cast<int32_t>(mesh.geometry->faceCount);
    mesh.countedFrame = m_uFrame;
}

void ERenderer::DrawBatch(HEFFECT effect, uint32_t& subsetCounter) {
    EDrawBatch::Counts counts = m_Batch.Draw(effect);
    subsetCounter += counts.subsets;
    m_uInstancedSubsets += counts.instancedSubsets;
    m_uNoninstancedSubsets += counts.subsets - counts.instancedSubsets;
}

void ERenderer::BindTextureFrame(strtexture* t, uint32_t) {
    const gfx::BaseTexture* own = g_Settings.m_bDrawTextures ? t->DeviceTexture() : m_pWhiteTexture;
    if (!t->m_bAnimated) {
        g_pd3dDevice->SetTexture(0, own);
        return;
    }
    if (t->m_bPlaying) {
        t->m_fAnimationTime += m_fFrameTime;
        if (t->m_fAnimationTime > t->m_fAnimationSpeed) {
            ++t->m_uCurrentFrame;
            t->m_fAnimationTime = 0;
        }
        if (t->m_uCurrentFrame > t->m_uFrameCount) t->m_uCurrentFrame = 0;
    }
    // Frame n (1 .. the frame count) is the n-th frame texture of the definition.
    if (t->m_uCurrentFrame == 0) {
        g_RenderStateCache.SetTexture(0, own);
    } else if (const strtexture* frame = t->m_pFrames[t->m_uCurrentFrame - 1]) {
        g_RenderStateCache.SetTexture(0, frame->DeviceTexture());
    }
}
