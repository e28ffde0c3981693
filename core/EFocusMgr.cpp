#include "core/EFocusMgr.h"

#include "core/D3DMain.h"
#include "core/EConsole.h"

EFocusMgr g_FocusMgr;

EFocusMgr::EFocusMgr() : m_bOnFocus(0), m_uSavedFogColour(0) {}

EFocusMgr::~EFocusMgr() = default;

void EFocusMgr::SetOnFocus() { m_bOnFocus = 1; }

bool EFocusMgr::CheckFocus() {
    if (!g_pd3dDevice) return false;
    gfx::Result hr = g_pd3dDevice->TestCooperativeLevel();
    if (hr == gfx::OK) {
        if (m_bOnFocus) return true;
        g_Console.Print("*** TestCooperativeLevel()==D3D_OK, but m_bOnFocus==false!");
        GainFocus();
        return false;
    }
    if (hr == gfx::ERR_DEVICELOST) {
        if (m_bOnFocus) LoseFocus();
        return false;
    }
    if (hr == gfx::ERR_DEVICENOTRESET) {
        g_Console.Print("hr==D3DERR_DEVICENOTRESET, trying to gain focus");
        GainFocus();
        return false;
    }
    return true;
}

void EFocusMgr::LoseFocus() { m_bOnFocus = 0; }

void EFocusMgr::GainFocus() {
    g_Console.Print("Probuje FocusMgr::GainFocus");
    if (!g_pd3dDevice) return;
    gfx::Result hr = g_pd3dDevice->Reset(g_d3dpp);
    if (gfx::Failed(hr)) {
        g_Console.Print("Reset failed!");
        return;
    }
    g_Console.Print("g_pD3DInterface->Reset(&g_d3dpp) succeeded!");
    g_D3DMain.SetDefaultRenderStates();
    m_bOnFocus = 1;
    g_Console.Print("Focus gained");
}

void EFocusMgr::OnRelease() {}
