#include "render/CShadowMaps.h"

CShadowMaps g_ShadowMaps;

CShadowMaps::CShadowMaps() {}

CShadowMaps::~CShadowMaps() = default;

// The shadow passes make no render textures yet.
void CShadowMaps::OnLostDevice() {}
void CShadowMaps::OnResetDevice() {}
