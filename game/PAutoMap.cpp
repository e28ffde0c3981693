#include "game/PAutoMap.h"

PAutoMap g_AutoMap;

PAutoMap::PAutoMap() {}

PAutoMap::~PAutoMap() = default;

// The map target is made when a world loads its map, which none does yet.
void PAutoMap::Load() {}
void PAutoMap::Release() {}
void PAutoMap::Update() {}
void PAutoMap::OnLostDevice() {}
void PAutoMap::OnResetDevice() {}
