#pragma once
// The shadow targets: two depth maps the sky light casts shadows from. Map 0 is a small square
// around the camera, re-aimed every frame; map 1, the sky-shadow map, is larger and re-aimed only
// when the camera has moved far enough.
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "platform/gfx/Device.h"
#include "platform/math/Matrix.h"

class CShadowMaps {
public:
    static constexpr int kMaps = 2;

    CShadowMaps();
    virtual ~CShadowMaps();

    // World or menu start: map 1 is aimed at the next update.
    void Enable();
    void Disable();
    void CreateRenderTextures();
    void ReleaseRenderTextures();
    // Around a device reset: the render textures are released, then created again.
    void OnLostDevice() { ReleaseRenderTextures(); }
    void OnResetDevice() { CreateRenderTextures(); }
    void Update();
    void UpdateLightMatrices();
    // Makes a map the render target, cleared; EndRender gives the device its previous target back.
    // False, with nothing changed on the device, when the map cannot be drawn into.
    bool BeginRender(int map);
    void EndRender();
    // Any map index other than 0 reads map 1.
    void GetMap(int map, uint32_t* size, uint32_t* extent, uint32_t* depthRange, float* bias) const;
    void AfterSceneRender() {}

    std::unique_ptr<gfx::Texture> m_pTexture[kMaps];
    std::unique_ptr<gfx::Surface> m_pDepth[kMaps];
    std::unique_ptr<gfx::Surface> m_pSavedTarget;
    std::unique_ptr<gfx::Surface> m_pSavedDepth;
    gfx::Viewport m_SavedViewport;
    uint32_t m_uSize[kMaps];
    uint32_t m_uExtent[kMaps];
    uint32_t m_uDepthRange;
    float m_fBias[kMaps];
    float m_fTime = 0.0f;
    DV m_vLastEye1;
    DV m_vLightDir;
    pmath::Matrix m_mProj[kMaps];
    pmath::Matrix m_mView[kMaps];
    uint8_t m_bEnabled = 0;
    uint8_t m_bRendered[kMaps] = {};

private:
    // Both maps' surfaces in use for drawing; false when one is missing.
    bool HasTargets(int map) const { return m_pTexture[map] && m_pDepth[map]; }
};

extern CShadowMaps g_ShadowMaps;
