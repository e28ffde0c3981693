#pragma once
// The records of the renderer's textures: a registered texture file with its definition, a
// loaded texture with the meshes that draw with it, and a skinned model's substitute textures.
#include <cstdint>
#include <memory>

#include "platform/gfx/Resource.h"
#include "render/DrawRecord.h"

// Surface materials of a texture, read by collision and sound.
enum TextureMaterial : uint32_t {
    MATERIAL_CEMENT, MATERIAL_METAL, MATERIAL_WOOD, MATERIAL_SAND, MATERIAL_SNOW, MATERIAL_WATER, MATERIAL_COAL,
    MATERIAL_GLASS, MATERIAL_PLASTIC,
};

constexpr int kAnimationFrames = 128;
constexpr int kAnimationFrameName = 128;
enum MultitextureLayer { LAYER_R, LAYER_G, LAYER_B, LAYERS };

// One registered texture file and its definition (the defaults stand until a script says else).
struct strtexturepaths {
    char m_szFileName[256];
    char m_szPath[1024];
    char m_szBaseName[256];
    char m_szEnvironmental[256];
    char m_szNormal[256];
    float m_fNormalDensity = 1.0f;
    float m_fBumpHeight = 1.0f;
    char m_szLava[256];
    float m_fLavaSpeedUp = 1.0f;
    float m_fLavaSpeedDown = 1.0f;
    float m_fLavaMapCoef = 1.0f;
    char m_szMultitexture[LAYERS][256];
    float m_fMultitextureDensity[LAYERS] = {1.0f, 1.0f, 1.0f};
    char (*m_pAnimationFrames)[kAnimationFrameName] = nullptr;
    float m_fAnimationSpeed = 1.0f;
    uint32_t m_uFrameCount = 0;
    char m_szAddWater[256];
    float m_fAddWaterHeight = 1.0f;
    float m_fAddWaterDensity = 1.0f;
    uint8_t m_bWater = 0;
    float m_fWaterHeight = 16.0f;
    float m_fWaterColour[3] = {1.0f, 1.0f, 1.0f};
    float m_fWaterFogFar = 20000.0f;
    float m_fWaterFogNear = 0.0f;
    float m_fWaterTransparency = 1.0f;
    float m_fTextureDensity = 0.0f;
    uint8_t m_bIsTga = 0;
    strtexturepaths* m_pAlias = nullptr;
    uint8_t m_bDescribed = 0;
    uint8_t m_bPriority = 0;
    uint8_t m_bGrassTexture = 0;
    uint8_t m_bTransparent = 0;
    uint8_t m_bNoIntersect = 0;
    uint8_t m_bTranslucent = 0;
    uint8_t m_bAdditive = 0;
    float m_fAppearDistance = 0.0f;
    uint8_t m_bStain = 0;
    uint8_t m_bTwoSided = 0;
    uint8_t m_bDoNotRender = 0;
    uint8_t m_bDoNotCastShadow = 0;
    uint8_t m_bSpecular = 0;
    float m_fSpecular1 = 1.05f;
    float m_fSpecular2 = 24.0f;
    uint8_t m_bSpecularInDetailMask = 0;
    uint8_t m_bNoFog = 0;
    uint8_t m_bNoLight = 0;
    uint8_t m_bFullyBrightInNormalMask = 0;
    char m_szDetail[256];
    float m_fDetailDensity = 16.0f;
    uint8_t m_bDetailAsNormal = 0;
    char m_szGrow[256];
    uint32_t m_uMaterial = MATERIAL_CEMENT;
    uint8_t m_bRayOfLight = 0;
    strtexturepaths* m_pPrev = nullptr;
    strtexturepaths* m_pNext = nullptr;
};

// A mesh subset drawn with a texture.
struct strlistameshy {
    const DrawVisibility* m_hObject = nullptr;
    // The mesh (a DrawRecord's owner) and what of it the passes draw.
    const void* m_pMesh = nullptr;
    DrawMesh* m_pDrawMesh = nullptr;
    uint32_t m_uSubset = 0;
    uint32_t m_uRegisteredSubset = 0;
    uint32_t m_uReserved[3] = {};
    strlistameshy* m_pNext = nullptr;
    strlistameshy* m_pPrev = nullptr;
};

// A skinned-mesh container drawn with a texture.
struct strlistaskinmeshy {
    const DrawVisibility* m_hObject = nullptr;
    // The skinned mesh (a DrawRecord's owner), which draws itself.
    const void* m_pSkinMesh = nullptr;
    DrawSkin* m_pDrawSkin = nullptr;
    uint32_t m_uContainer = 0;
    strlistaskinmeshy* m_pNext = nullptr;
    strlistaskinmeshy* m_pPrev = nullptr;
};

// A loaded texture, with its definition copied in and its extra maps as textures of their own.
struct strtexture {
    uint32_t m_uId = 0;
    char m_szName[256] = {};
    uint8_t m_bGrouped = 0;
    uint32_t m_uWidth = 0;
    uint32_t m_uHeight = 0;
    uint32_t m_uFormat = 0;
    char m_szPath[512] = {};
    uint8_t m_bCube = 0;
    uint8_t m_bIsTga = 0;
    uint8_t m_bReduce = 0;
    uint8_t m_bPriority = 0;
    uint8_t m_bHigh = 0;
    uint8_t m_bAnimated = 0;
    uint32_t m_uCurrentFrame = 0;
    uint32_t m_uFrameCount = 0;
    float m_fAnimationSpeed = 0;
    float m_fAnimationTime = 0;
    uint8_t m_bPlaying = 0;
    float m_fTextureDensity = 0;
    float m_fBumpHeight = 0;
    float m_fLavaSpeedUp = 0;
    float m_fLavaSpeedDown = 0;
    float m_fLavaMapCoef = 0;
    std::unique_ptr<gfx::Texture> m_pTexture;
    std::unique_ptr<gfx::CubeTexture> m_pCubeTexture;
    strtexture* m_pFrames[kAnimationFrames] = {};
    strtexture* m_pLava = nullptr;
    strtexture* m_pNormal = nullptr;
    strtexture* m_pDetail = nullptr;
    strtexture* m_pGrow = nullptr;
    strtexture* m_pEnvironmental = nullptr;
    strtexture* m_pAddWaterNormal = nullptr;
    float m_fAddWaterHeight = 0;
    float m_fNormalDensity = 0;
    float m_fAddWaterDensity = 0;
    uint8_t m_bHasMultitexture = 0;
    strtexture* m_pMultitexture[LAYERS] = {};
    float m_fMultitextureDensity[LAYERS] = {};
    uint8_t m_bWater = 0;
    float m_fWaterHeight = 0;
    float m_fWaterColour[3] = {};
    float m_fWaterFogFar = 0;
    float m_fWaterFogNear = 0;
    float m_fWaterTransparency = 0;
    float m_fDetailDensity = 0;
    uint8_t m_bDetailAsNormal = 0;
    strlistameshy* m_pMeshes = nullptr;
    strlistaskinmeshy* m_pSkinMeshes = nullptr;
    uint8_t m_bFullyBrightInNormalMask = 0;
    uint8_t m_bGrassTexture = 0;
    uint8_t m_bTransparent = 0;
    uint8_t m_bTranslucent = 0;
    uint8_t m_bAdditive = 0;
    uint8_t m_bStain = 0;
    uint8_t m_bNoIntersect = 0;
    float m_fAppearDistance = 0;
    uint8_t m_bTwoSided = 0;
    uint8_t m_bSpecular = 0;
    float m_fSpecular1 = 0;
    float m_fSpecular2 = 0;
    uint8_t m_bSpecularInDetailMask = 0;
    uint8_t m_bNoFog = 0;
    uint8_t m_bNoLight = 0;
    uint8_t m_bDoNotRender = 0;
    uint8_t m_bDoNotCastShadow = 0;
    uint32_t m_uMaterial = MATERIAL_CEMENT;
    uint8_t m_bRayOfLight = 0;
    // Set by the grass generator on the textures its grass grows on (the ambient probe reads it).
    uint8_t m_bGrassBearing = 0;
    strtexture* m_pNext = nullptr;
    strtexture* m_pPrev = nullptr;

    // The device texture to bind: the two-dimensional one or the cube.
    const gfx::BaseTexture* DeviceTexture() const;
};

// The substitute textures of a skinned model's texture.
struct strtexturesubstitutes {
    static constexpr uint32_t kMaxSubstitutes = 31;
    char m_szName[64] = {};
    char m_szSubstitutes[kMaxSubstitutes][64] = {};
    uint32_t m_uCount = 0;
    strtexturesubstitutes* m_pPrev = nullptr;
    strtexturesubstitutes* m_pNext = nullptr;
};
