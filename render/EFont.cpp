#include "render/EFont.h"

#include "core/EConsole.h"
#include "render/D3DDevice.h"

EFont g_Font;

EFont::EFont() {}

EFont::~EFont() = default;

void EFont::CreateVB() {
    if (!g_pd3dDevice) return;
    if (gfx::Failed(g_pd3dDevice->CreateVertexBuffer(kCapacity * 6 * kVertexSize,
                                                     gfx::USAGE_DYNAMIC | gfx::USAGE_WRITEONLY, kVertexFormat,
                                                     gfx::POOL_DEFAULT, m_pVB)))
        g_Console.Print("EFont FAILED to create m_pVB!");
}

void EFont::OnLostDevice() { m_pVB.reset(); }

void EFont::OnResetDevice() {
    m_pVB.reset();
    CreateVB();
}

void EFont::Release() { m_pVB.reset(); }
