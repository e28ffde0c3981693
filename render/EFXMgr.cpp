#include "render/EFXMgr.h"

EFXMgr g_FXMgr;

EFXMgr::EFXMgr() {}

EFXMgr::~EFXMgr() = default;

// No effect instance exists yet, so there are no buffers to fill, release or make.
void EFXMgr::PrepareVertexBuffers() {}
void EFXMgr::OnLostDevice() {}
void EFXMgr::OnResetDevice() {}
