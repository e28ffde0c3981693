#pragma once
// The renderer: per-texture render lists and the scene passes.
#include <cstdint>

class ERenderer {
public:
    virtual ~ERenderer() = default;

    // Before the scene begins: the overview map, the shadow maps and the render-list build.
    void PreRender();

    // Particle effects drawn in the current frame.
    int32_t m_iFXRendered = 0;
};

extern ERenderer g_Renderer;
