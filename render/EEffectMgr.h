#pragma once
// The compiled effects: every "fx\*.fxc" file loaded at engine start, found by name, each with its
// first valid technique and the handles of every parameter and technique the passes set, looked
// up once so that no pass looks a name up while drawing.
#include <cstdint>
#include <memory>

#include "platform/gfx/Effect.h"

// The parameters whose handles every effect record caches (a name the effect does not declare
// leaves its handle null).
#define EFFECT_PARAMETER_HANDLES(X)                                                                                   \
    X(g_SkyLightDir) X(g_SkyLightDiffuse) X(g_AmbientLightDiffuse) X(g_LightPos) X(g_LightDiffuse) X(g_LightRange)     \
    X(g_LightPower) X(g_LightView) X(g_fFarClip) X(g_Texture) X(g_Normal) X(g_Normal2) X(g_Normal3) X(g_NormalMask)   \
    X(g_Environmental) X(g_Detail) X(g_AddWaterNormal) X(g_mWorld) X(g_mView) X(g_mViewProj) X(g_mViewInv)           \
    X(g_mProj) X(g_mWorldView) X(g_mWorldViewProjection) X(g_CameraPosition) X(g_CameraModel) X(g_fDetailDensity)    \
    X(g_fNormalDensity) X(g_fDebugLights) X(g_WaterColor) X(g_SpecularPower) X(g_SpecularCone)                       \
    X(g_bSpecularInDetailMask) X(g_fFogMax) X(g_FogColor) X(g_FogFar) X(g_FogNear) X(g_UseSkyLight) X(g_bItemDropped) \
    X(g_vItemDropped) X(g_vLightDir) X(g_vLightPos) X(g_fCosTheta) X(SHADOW_EPSILON) X(SMAP_SIZE) X(SMAP_SIZE1)       \
    X(g_txLight) X(g_txShadow) X(g_mViewToLightProj) X(mWorldMatrixArray) X(CurNumBones) X(g_bDrawSpecular)          \
    X(g_fTextureDensity) X(g_bDrawTransparent) X(g_bDrawTranslucent) X(g_bUseSkyLight) X(g_bBoss1) X(g_bAddWater)    \
    X(g_bFullyBrightINM) X(g_bDrawDetail) X(g_bDetailAsNormal) X(g_fBumpHeight) X(g_fDrzewoLiscie) X(g_DefPos)      \
    X(g_DefCol) X(g_DefRadius) X(g_DefPower) X(g_bUseFog) X(g_bUseLight) X(g_fLightRange) X(g_vLightDiffuse)         \
    X(g_fLightPower) X(g_bCastShadows) X(g_bUseMinusLight) X(g_vMinusLightPos) X(g_fMinusLightRange)                 \
    X(g_fMinusLightPower) X(g_bLinearScatter) X(cShadowResolution) X(cWorld) X(cWorldIT) X(g_fTextureDensityX)       \
    X(g_fTextureDensityY) X(g_bUseTexture) X(g_LightDir) X(bCastShadow) X(g_tMultitextureR)                          \
    X(g_tMultitextureRNormal) X(g_fMultitextureDensityR) X(g_tMultitextureG) X(g_tMultitextureGNormal)               \
    X(g_fMultitextureDensityG) X(g_tMultitextureB) X(g_tMultitextureBNormal) X(g_fMultitextureDensityB)              \
    X(g_bTextureColor) X(g_bTextureSlot) X(g_fTextureColorDensity) X(g_fTextureColorSharpness)                       \
    X(g_fTextureColorBrightness) X(g_vAdditionalColor0) X(g_vAdditionalColor1) X(g_vAdditionalColor2)                \
    X(g_fAdditionalColorSaturation) X(g_bRenderColor) X(g_vRenderColor) X(g_fOcclusionData) X(g_fVertIncrease)       \
    X(g_bSelectedInEditor)

#define EFFECT_TECHNIQUE_HANDLES(X)                                                                                   \
    X(RenderSkinMesh20) X(RenderSkinMesh) X(RenderSkinMeshSpecular) X(RenderSkinMeshT20) X(RenderSkinMeshT)          \
    X(RenderSkinMeshSpecularT) X(RenderScene) X(RenderScene20) X(RenderSceneBase) X(RenderSceneBaseT)                \
    X(RenderSceneAmbientWater) X(RenderSceneAmbientWater20)

// One loaded effect.
struct EffectRecord {
    char m_szName[256];  // the file name without its extension
    char m_szPath[512];
    std::unique_ptr<gfx::Effect> m_pEffect;
    gfx::FxHandle m_hTechnique;  // the first valid technique
#define EFFECT_DECLARE_HANDLE(name) gfx::FxHandle name = nullptr;
    EFFECT_PARAMETER_HANDLES(EFFECT_DECLARE_HANDLE)
    // The point-light group's own handle of g_vLightPos (the same parameter again).
    gfx::FxHandle g_vLightPosPoint = nullptr;
    EFFECT_TECHNIQUE_HANDLES(EFFECT_DECLARE_HANDLE)
#undef EFFECT_DECLARE_HANDLE
    // The world matrices of the instances of one draw (three float4 each: the matrix's first
    // three columns), which the mesh passes set in place of g_mWorld, and how many the effect's
    // array holds (the effect file decides, to suit the drivers it is made for).
    gfx::FxHandle m_hInstanceWorld = nullptr;
    uint32_t m_uInstanceCapacity = 0;
    EffectRecord* m_pNext = nullptr;
    EffectRecord* m_pPrev = nullptr;
};

using HEFFECT = EffectRecord*;

// A parameter by its name, for the few the passes set by name rather than by a cached handle.
inline gfx::FxHandle Param(HEFFECT effect, const char* name) {
    return effect->m_pEffect->GetParameterByName(nullptr, name);
}

class EEffectMgr {
public:
    EEffectMgr();
    virtual ~EEffectMgr();

    // Sets the loaded flag and loads every effect. Needs the device.
    void Init();
    void LoadAll();
    // The effect of that name when one is loaded already; else loads the file. Null on failure.
    HEFFECT CreateEffect(const char* name, const char* path);
    // Newest first, ignoring case; null when none.
    HEFFECT GetEffect(const char* name) const;
    // The parameter's handle in the newest effect.
    void AddEffectParam(gfx::FxHandle* handle, const char* name);
    // Around a device reset. Both are safe to repeat.
    void OnLostDevice();
    void OnResetDevice();
    void Release();
    void OnStartWorld() {}
    void OnEndWorld() {}

    uint8_t m_bLoaded = 0;
    HEFFECT m_pEffects = nullptr;
    uint32_t m_dwExtra = 0;

private:
    void FillHandles(EffectRecord& record);
};

extern EEffectMgr g_EffectMgr;
