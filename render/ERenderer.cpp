#include "render/ERenderer.h"

ERenderer g_Renderer;

ERenderer::ERenderer() {}

ERenderer::~ERenderer() = default;

// No render list exists yet.
void ERenderer::PreRender() {}
