#include "render/ERenderer.h"

ERenderer g_Renderer;

// No render list exists yet.
void ERenderer::PreRender() {}
