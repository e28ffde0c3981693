#pragma once
// The ambient probe: renders an object from just above a point into a 16 x 16 target and reads
// the centre pixel back, to learn whether grass-bearing ground lies under the point and what
// colour it has there. The grass generator uses it while it places plants.
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "platform/gfx/Device.h"
#include "render/DrawRecord.h"

class AmbientProbe {
public:
    static constexpr uint32_t kSize = 16;

    AmbientProbe();
    virtual ~AmbientProbe();

    void CreateSurfaces();
    void ReleaseSurfaces();
    void OnStartWorld();
    void OnEndWorld();
    // Around a device reset: the probe surfaces are released, then created again.
    void OnLostDevice() { ReleaseSurfaces(); }
    void OnResetDevice() { CreateSurfaces(); }
    // Redirects rendering into the probe, and back.
    void BeginRender();
    void EndRender();
    // The centre pixel as 0x00RRGGBB; 0 when it cannot be read.
    uint32_t ReadColour();
    // True when the object, drawn white where its textures bear grass and black elsewhere, shows
    // grass-bearing ground under the point.
    bool RenderPlantProbe(const DV& point, const DrawVisibility* object);
    // The lit colour of the object under the point, 0x00RRGGBB.
    uint32_t ReadPlantAmbientColour(const DV& point, const DrawVisibility* object);
    // Stands in the engine's list of translucent drawing; it draws nothing.
    void RenderTranslucent() {}

    gfx::Viewport m_SavedViewport;
    std::unique_ptr<gfx::Surface> m_pSavedTarget;
    std::unique_ptr<gfx::Surface> m_pSavedDepth;
    std::unique_ptr<gfx::Texture> m_pTexture;
    std::unique_ptr<gfx::Surface> m_pTargetSurf;
    std::unique_ptr<gfx::Surface> m_pDepth;
    std::unique_ptr<gfx::Surface> m_pCalculateSurface;
    uint8_t m_bActive = 0;

private:
    // The shared scene render: the object from above the point, with its own textures or with
    // white and black for grass-bearing and other ones. The read pixel, or 0.
    uint32_t RenderObject(const DV& point, const DrawVisibility* object, const gfx::BaseTexture* white,
                          const gfx::BaseTexture* black);
};

extern AmbientProbe g_AmbientProbe;
