#pragma once
// The renderer: per-texture render lists drawn through the effects, with the frame's passes.

class ERenderer {
public:
    ERenderer();
    virtual ~ERenderer();

    // Before the scene begins: the overview map, the shadow maps and the render-list build.
    void PreRender();
};

extern ERenderer g_Renderer;
