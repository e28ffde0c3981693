#include "app/EFocusMgr.h"

#include "app/D3DMain.h"
#include "core/EConsole.h"
#include "core/EMouse.h"
#include "game/CMenu.h"
#include "game/PAutoMap.h"
#include "mesh/EMeshMgr.h"
#include "render/AmbientProbe.h"
#include "render/CShadowMaps.h"
#include "render/CTTFonts.h"
#include "render/EEffectMgr.h"
#include "render/EFont.h"
#include "render/EFXMgr.h"
#include "render/EPostProcess.h"
#include "render/ESky.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

EFocusMgr g_FocusMgr;

namespace {

void PrintResetFailure(gfx::Result hr) {
    g_Console.Print("Reset failed!");
    switch (hr) {
        case gfx::ERR_INVALIDCALL: g_Console.Print("Invalid call!"); break;
        case gfx::ERR_OUTOFVIDEOMEMORY: g_Console.Print("Out of video memory!"); break;
        case gfx::ERR_OUTOFMEMORY: g_Console.Print("Out of memory!"); break;
        case gfx::ERR_DEVICEREMOVED: g_Console.Print("Device removed"); break;
        case gfx::ERR_DEVICELOST: g_Console.Print("Device lost"); break;
        case gfx::ERR_DRIVERINTERNALERROR: g_Console.Print("Driver internal error"); break;
        default: break;
    }
}

}  // namespace

EFocusMgr::EFocusMgr() : m_bOnFocus(0), m_uSavedFogColour(0), m_bReleasedForReset(0) {}

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

void EFocusMgr::LoseFocus() {
    g_Mouse.SaveState();
    g_Sky.GetFogColour(m_uSavedFogColour, 0);
    g_Engine.ReleaseMouse();
    if (!g_Console.m_bOpen) g_Engine.ReleaseKeyboard();
    g_EffectMgr.OnLostDevice();
    m_bOnFocus = 0;
    m_bReleasedForReset = 1;
}

void EFocusMgr::GainFocus() {
    g_Console.Print("Probuje FocusMgr::GainFocus");
    if (!g_pd3dDevice) return;
    if (!m_bReleasedForReset) LoseFocus();
    ReleaseDefaultPoolResources();
    gfx::Result hr = g_pd3dDevice->Reset(g_d3dpp);
    if (gfx::Failed(hr)) {
        PrintResetFailure(hr);
        return;
    }
    g_Console.Print("g_pD3DInterface->Reset(&g_d3dpp) succeeded!");
    RestoreInput();
    RestoreDeviceState();
    RecreateDefaultPoolResources();
    g_Console.ReapplyVariables();
    g_Sky.SetFogColour(m_uSavedFogColour, 0);
    m_bReleasedForReset = 0;
    m_bOnFocus = 1;
    g_Console.Print("Focus gained");
}

// Every step releases only what is there, so a retried reset may run them again.
void EFocusMgr::ReleaseDefaultPoolResources() {
    MeshMgrLostDevice();
    g_ShadowMaps.OnLostDevice();
    g_PostProcess.OnLostDevice();
    g_Font.OnLostDevice();
    g_FXMgr.OnLostDevice();
    g_AutoMap.OnLostDevice();
    g_AmbientProbe.OnLostDevice();
    g_TTFonts.OnLostDevice();
    g_pBackBuffer.reset();
}

void EFocusMgr::RestoreInput() {
    g_Engine.InitMouse();
    g_Mouse.RestoreState();
    // The keyboard ends acquired only when the keys belong to the game.
    g_Engine.AcquireKeyboard();
    g_Engine.ReleaseKeyboard();
    if (!g_Console.m_bOpen && !g_Menu.m_bActive) g_Engine.AcquireKeyboard();
}

void EFocusMgr::RestoreDeviceState() {
    g_D3DMain.SetDefaultRenderStates();
    g_pd3dDevice->GetRenderTarget(0, g_pBackBuffer);
    float gamma = 1.0f;
    g_Camera.GetGamma(gamma);
    g_Camera.SetGamma(gamma);
    g_Sky.OnResetDevice();
    g_Camera.SetupProjection();
}

void EFocusMgr::RecreateDefaultPoolResources() {
    g_EffectMgr.OnResetDevice();
    MeshMgrResetDevice();
    g_Font.OnResetDevice();
    g_FXMgr.OnResetDevice();
    g_AutoMap.OnResetDevice();
    g_ShadowMaps.OnResetDevice();
    g_PostProcess.OnResetDevice();
    g_AmbientProbe.OnResetDevice();
    g_TTFonts.OnResetDevice();
}

void EFocusMgr::OnRelease() {}
