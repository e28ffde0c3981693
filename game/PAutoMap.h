#pragma once
// The overview map: once a frame, before the scene, a small top view of the player's
// surroundings is drawn into a 256 x 256 target of its own (with its own depth): the nearby
// scenery, the route's strip, the task's ground marks and field, and the tinted machines, each
// in a flat colour. The HUD shows the target in its map window. The target lives with the world
// and is made again after a device reset.
#include <cstdint>
#include <memory>

#include "platform/gfx/Device.h"
#include "platform/math/Matrix.h"

class EObjectSlot;

class PAutoMap {
public:
    static constexpr uint32_t kSize = 256;

    PAutoMap();
    virtual ~PAutoMap();

    // The colour target (its level 0 as the surface) and its depth; a failure is said and leaves
    // what failed empty.
    void CreateTarget();
    void ReleaseTarget();
    // The world's start and end: the target and the marker object.
    void Load();
    void Release();
    void Update();
    // Around a device reset: the target is released, then made again.
    void OnLostDevice();
    void OnResetDevice();
    // The top view around the player into the target. Nothing is drawn without a target, without
    // a running world or before the player's machine exists.
    void RenderToTarget();
    // The map's passes with the view and projection given, into the target set.
    void Render(const pmath::Matrix& view, const pmath::Matrix& projection);

    std::unique_ptr<gfx::Surface> m_pSurface;
    std::unique_ptr<gfx::Surface> m_pDepth;
    EObjectSlot* m_pMarker;
    std::unique_ptr<gfx::Texture> m_pTexture;
};

extern PAutoMap g_AutoMap;
