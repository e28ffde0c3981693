#pragma once
// The renderer: the registry of texture files and their definitions, the loaded textures with the
// meshes that draw with them, and the per-texture render lists rebuilt every frame.
#include <cstdint>

#include "core/DV.h"
#include "render/TextureRecords.h"

class ERenderer {
public:
    static constexpr uint32_t kMaxTextures = 1024;
    static constexpr uint32_t kListSize = 1024;
    static constexpr int kLightRays = 5;

    ERenderer();
    virtual ~ERenderer();

    // Before the scene begins: the overview map, the shadow maps and the render-list build.
    void PreRender();

    // Texture registry: every .tga and .dds file below the start directory, with its definition.
    void InitTextures();
    void ScanTextureDirectory(const char* directory, bool checkDuplicates);
    void AddTexturePath(const char* path);
    void ResolveTextureAliases();
    strtexturepaths* FindTextureDescription(const char* name) const;
    void WriteUndefinedTexturesReport();
    void WriteDuplicatedTexturesReport();

    // Definition scripts.
    void LoadTextureScripts();
    void LoadTextureDescriptions(const char* path);
    void LoadTextureSubstitutes();
    strtexturesubstitutes* FindTextureSubstitutes(const char* name) const;

    // Loaded textures.
    uint32_t GetTextureByName(const char* name, bool reduce, bool high);
    strtexture* LoadTextureByName(const char* name, bool reduce, bool high, bool cube = false);
    strtexture* GetTexture(uint32_t id) const;
    gfx::Result SetTexture(uint32_t stage, uint32_t id);
    // Enters a mesh subset (or skinned-mesh container) in its texture's list; the texture id.
    uint32_t AddMeshToTextureLists(const char* textureName, const DrawRecord& mesh);
    uint32_t AddSkinMeshToTextureLists(const char* textureName, const DrawRecord& skinMesh);
    // Removes every entry of the mesh (a DrawRecord's owner).
    void RemoveMeshFromLists(const void* mesh);
    void RemoveSkinMeshFromLists(const void* skinMesh);
    void RemoveTexture(strtexture* record);
    void ClearTextures();
    void Release() { ClearTextures(); }
    void ReloadTextures();
    void OnStartWorld();
    void OnEndWorld();

    // The frame: the per-frame update, the main scene pass and the translucent pass.
    void Update();
    void Render();
    void RenderTranslucent();

    // Render lists.
    void BuildRenderLists();
    void MergeRenderLists();
    static void SortRenderList(strtexture** list);

    // Light-ray flares.
    void AddLightRay(const DV& position);
    void UpdateLightRays();

    // Particle effects drawn in the current frame.
    int32_t m_iFXRendered = 0;
    // Per-frame statistics, cleared by the engine at the start of each frame.
    uint8_t m_FrameStats[13] = {};
    // Set by the engine's visibility pass when a visible mesh or skinned mesh is near enough to
    // cast into the shadow map.
    uint8_t m_bMeshesInShadowRange = 0;
    uint8_t m_bSkinMeshesInShadowRange = 0;

    strtexturepaths* m_pTexturePaths = nullptr;
    strtexturesubstitutes* m_pSubstitutes = nullptr;
    strtexture* m_pTextures = nullptr;
    strtexture* m_pTextureTable[kMaxTextures] = {};
    strtexture* m_pMeshTextures[kListSize] = {};
    strtexture* m_pSkinTextures[kListSize] = {};
    strtexture* m_pMergedTextures[kListSize] = {};
    strtexture* m_pIdleTextures[kListSize] = {};
    uint8_t m_bAnyWater = 0;
    uint8_t m_bAnyLava = 0;
    uint8_t m_bAnyAdditiveMesh = 0;
    uint8_t m_bAnyAdditiveSkin = 0;
    uint8_t m_bAnyWaterMesh = 0;
    uint8_t m_bAnyLightRay = 0;
    DV m_vLightRayPos[kLightRays] = {};
    float m_fLightRayLife[kLightRays] = {};
    uint8_t m_bAnyRayAlive = 0;
    const gfx::BaseTexture* m_pWhiteTexture = nullptr;
    const gfx::BaseTexture* m_pAmbientTexture = nullptr;

private:
    const char* TextureFileName(const char* path);
    strtexture* FindLoadedTexture(const char* name) const;
    const char* HighVariantPath(const char* path);
    void ReadImageInfo(strtexture* record, const char* path);
    void ApplyTextureDescription(strtexture* record, const strtexturepaths* definition);
    void CreateDeviceTexture(strtexture* record);
    void ExtractTexture(const char* path, const char* name);
    // The extra maps of a texture's definition, loaded when its first mesh (or skinned mesh) comes.
    void LoadMeshMaps(strtexture* record, const strtexturepaths* definition, int32_t quality);
    void LoadSkinMeshMaps(strtexture* record, const strtexturepaths* definition, int32_t quality);
    strtexture* LoadNormalMap(strtexture* record, const strtexturepaths* definition, int32_t quality);
    strtexture* LoadMap(const char* name, bool reduce, bool high, bool cube);
    void FreeTexturePaths();
    void FreeSubstitutes();

    char m_szFileName[256] = {};
    char m_szHighPath[512] = {};
};

extern ERenderer g_Renderer;
