#include "render/EEffectMgr.h"

EEffectMgr g_EffectMgr;

EEffectMgr::EEffectMgr() {}

EEffectMgr::~EEffectMgr() = default;

// No effect is loaded yet, so there is no device state to hand back or restore.
void EEffectMgr::OnLostDevice() {}
void EEffectMgr::OnResetDevice() {}
