#include "render/ERenderer.h"

ERenderer g_Renderer;
