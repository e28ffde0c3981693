#pragma once
// The renderer: the registry of texture files and their definitions, the loaded textures with the
// meshes that draw with them, the per-texture render lists rebuilt every frame, and the frame's
// passes (shadow maps, the sky-lit scene, water, the translucent pass).
//
// Settings read as the renderer's switches: SimpleRender is the reduced-render switch and the
// renderer switch its override; the renderer pass switch lets water be drawn; the first sky-light
// pass switch lets specular textures shine.
#include <cstdint>

#include "core/DV.h"
#include "platform/math/Matrix.h"
#include "render/EDrawBatch.h"
#include "render/EEffectMgr.h"
#include "render/RenderHooks.h"
#include "render/TextureRecords.h"

class ERenderer {
public:
    static constexpr uint32_t kMaxTextures = 1024;
    static constexpr uint32_t kListSize = 1024;
    // A texture can stand in both the mesh-texture and the skin-texture list: the merged list
    // holds both lists whole, with its null.
    static constexpr uint32_t kMergedListSize = 2 * kListSize;
    static constexpr int kLightRays = 5;
    static constexpr int kSwayPairs = 2;

    ERenderer();
    virtual ~ERenderer();

    // ---- The frame ----------------------------------------------------------------------------
    // Per frame from the engine's update: timers, light rays, shadow matrices, the texture grouping.
    void Update();
    void SortRenderLists();
    // Before the scene begins: the overview map, the shadow maps and the render-list build.
    void PreRender();
    // Inside the scene: the main scene pass (or, in the reduced-render mode, only the set-up).
    void Render();
    void RenderScene();
    // After the scene and the ground marks: translucent meshes and skinned meshes.
    void RenderTranslucent();
    // World (or menu scene) start.
    void OnStartWorld();
    // The reduced-render mode's device set-up; nothing is drawn.
    void SetupFrameStates();

    // ---- Sky-light passes ---------------------------------------------------------------------
    // The texture's current animation frame on stage 0 (the second argument is not used).
    void BindTextureFrame(strtexture* texture, uint32_t unused);
    void RenderSkinMeshesSkyLight(bool translucent);
    void RenderMeshesSkyLight();
    void RenderTrees();

    // ---- Shadow maps --------------------------------------------------------------------------
    // Map 1 (static objects, drawn when re-aimed) or map 0 (moving objects and skinned meshes).
    void RenderShadowMaps(int map);
    // True when alpha-tested subsets were left for RenderShadowTransparent.
    bool RenderShadowStatic(const pmath::Matrix& lightView);
    void RenderShadowTransparent(const pmath::Matrix& lightView);
    void RenderSkinMeshShadow(const pmath::Matrix& lightView);
    void RenderShadowDynamic(const pmath::Matrix& lightView);

    // ---- Scene mesh passes --------------------------------------------------------------------
    void RenderSceneOpaque();
    void RenderSceneAlphaTested();
    void RenderSceneTranslucent();
    void RenderWater();

    // ---- Shared by the passes -----------------------------------------------------------------
    // The effect of that name; null, with "No <what> HEFFECT" or "No <what> ID3DXEffect" printed,
    // when it or its effect interface is missing.
    HEFFECT PassEffect(const char* name, const char* what) const;
    // Every stage's texture cleared, any running effect ended, no fixed-function format or shaders,
    // the mesh layout, then the technique begun; false when it does not begin.
    bool BeginPass(HEFFECT effect, const char* technique);
    // The camera's projection with the given view: view, inverse view, projection, their product
    // and the eye position.
    void SetCameraParameters(HEFFECT effect, const pmath::Matrix& view) const;
    // The shadow constants of both maps (element 1 repeats map 0 when only map 0 is wanted), with
    // the sky-light colour times lightScale, and the shadow maps on stages 6 and 7.
    void SetShadowConstants(HEFFECT effect, bool bothMaps, float lightScale);
    // Ambient light, fog near, far and colour of set 0, and the fog maximum.
    void SetFogAndAmbient(HEFFECT effect);

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
    // Loads a texture the renderer itself asks for only when the installation has its file: a
    // missing one is null, not a reason to end the game.
    strtexture* LoadRegisteredTexture(const char* name, bool cube = false);
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
    void OnEndWorld();

    // Render lists. BuildRenderLists runs after SortRenderLists filled the mesh and skin lists.
    void BuildRenderLists();
    void MergeRenderLists();
    static void SortRenderList(strtexture** list);

    // Light-ray flares.
    void AddLightRay(const DV& position);
    void UpdateLightRays();

    // Per-frame statistics, cleared by the engine at the start of each frame.
    uint8_t m_FrameStats[13] = {};
    // Set by the engine's visibility pass when a visible mesh or skinned mesh is near enough to
    // cast into the shadow map of moving objects (map 0).
    uint8_t m_bMeshesInShadowRange = 0;
    uint8_t m_bSkinMeshesInShadowRange = 0;

    strtexturepaths* m_pTexturePaths = nullptr;
    strtexturesubstitutes* m_pSubstitutes = nullptr;
    strtexture* m_pTextures = nullptr;
    strtexture* m_pTextureTable[kMaxTextures] = {};
    strtexture* m_pMeshTextures[kListSize] = {};
    strtexture* m_pSkinTextures[kListSize] = {};
    strtexture* m_pMergedTextures[kMergedListSize] = {};
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

    // Presence flags of the frame. The engine's visibility pass sets the sky-lit-meshes and the
    // skinned-meshes flags every frame; the passes set the others for the passes after them.
    uint8_t m_bSkyLitMeshes = 0;
    uint8_t m_bSkinMeshes = 0;
    uint8_t m_bTransparentPresent = 0;
    uint8_t m_bTranslucentMeshes = 0;
    uint8_t m_bTranslucentSkinned = 0;
    uint8_t m_bGrassSwitch = 0;
    uint8_t m_bTreeSwitch = 0;
    // Subsets drawn this frame: all, by the sky-lit mesh and tree passes, as instances of a
    // shared draw, and alone.
    uint32_t m_uDrawnSubsets = 0;
    uint32_t m_uSkyLitSubsets = 0;
    uint32_t m_uInstancedSubsets = 0;
    uint32_t m_uNoninstancedSubsets = 0;
    float m_fFrameTime = 0;
    // 0 <= t < 1, one cycle every 100 s.
    float m_fSceneTime = 0;
    // Two pairs of sway angles (radians) with their speeds (radians per second); the grass reads
    // them as its window values A[0], A[1], B[0], B[1].
    float m_fSwayPhaseA[kSwayPairs] = {};
    float m_fSwayPhaseB[kSwayPairs] = {};
    float m_fSwaySpeedA[kSwayPairs] = {};
    float m_fSwaySpeedB[kSwayPairs] = {};
    // Counts the frames, so a mesh's faces are counted once per frame.
    uint32_t m_uFrame = 0;
    EDrawBatch m_Batch;
    // The frame's camera and light-set constants, refreshed by the engine at the start of Render.
    ShaderLights m_ShaderLights;

private:
    // Part of Render: polygon counters zeroed.
    void ClearPolygonCounters();
    // The common set-up of the three sky-lit scene passes; the effect, or null.
    HEFFECT BeginScenePass(const char* technique);
    // Per texture of the opaque and translucent passes: frame, detail, culling, multitexture.
    void SetSceneTextureStates(HEFFECT effect, strtexture* texture, const DrawMesh& mesh, uint32_t subset);
    void SetSpecular(HEFFECT effect, const strtexture* texture);
    // Counts a subset in the polygon statistics.
    void CountSubsetFaces(const DrawMesh& mesh, uint32_t subset);
    // Adds the whole mesh's faces to the face counter once per frame.
    void CountMeshFaces(DrawMesh& mesh);
    // Draws the batch through the effect and counts its subsets in a pass's counter and in the
    // instanced or the non-instanced one.
    void DrawBatch(HEFFECT effect, uint32_t& subsetCounter);
    // What the grass and tree passes set alike: the use-sky-light switch, the camera, no detail
    // and no full brightness, the far plane and the grass window.
    void SetSkyLitPassParameters(HEFFECT effect);
    // The device as every frame's pass begins it: no shaders, the mesh layout, no depth bias; the
    // polygon counters zeroed; in the reduced mode, the light and camera matrices rebuilt.
    void PrepareFrameStates();

    const char* TextureFileName(const char* path);
    // The loaded texture of that name (a .tga and a .dds of one name are one texture), or null.
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
