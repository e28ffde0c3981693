#include "render/EFXMgr.h"

#include "core/EConsole.h"

EFXMgr g_FXMgr;

EFXMgr::EFXMgr() {}

EFXMgr::~EFXMgr() = default;

// No effect definition is read yet, so every name is unknown.
EFXInstance* EFXMgr::AddFXByName(const char* name, const DV*, const EOrientation*) {
    g_Console.PrintStr3("Effect ", name ? name : "", " not found");
    return nullptr;
}

void EFXMgr::RemoveFX(int32_t) {}

// The bomb is a mesh effect, and no effect definitions are read yet: nothing falls.
EFXInstance* EFXMgr::AddBomb(const DV&, const DV&) { return nullptr; }

void EFXMgr::Update() {}
void EFXMgr::Render() {}

// No effect instance exists yet, so there are no buffers to fill, release or make.
void EFXMgr::PrepareVertexBuffers() {}
void EFXMgr::OnLostDevice() {}
void EFXMgr::OnResetDevice() {}
