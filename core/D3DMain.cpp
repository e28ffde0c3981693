#include "core/D3DMain.h"

#include <cstdio>

#include "core/EConsole.h"
#include "core/EFocusMgr.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "platform/os/Files.h"
#include "platform/os/Message.h"
#include "platform/os/MessageBox.h"
#include "world/EEngine.h"

D3DMain g_D3DMain;
std::unique_ptr<gfx::System> g_pD3D;
std::unique_ptr<gfx::Device> g_pd3dDevice;
gfx::PresentParameters g_d3dpp;

namespace {

constexpr const char* kVideoConfig = "save\\video.cfg";

gfx::PresentParameters MakePresentParameters(gfx::Format depthFormat) {
    gfx::PresentParameters pp;
    pp.backBufferWidth = static_cast<uint32_t>(g_Settings.m_iScreenWidth);
    pp.backBufferHeight = static_cast<uint32_t>(g_Settings.m_iScreenHeight);
    pp.backBufferFormat = gfx::FMT_X8R8G8B8;
    pp.backBufferCount = 1;
    pp.windowed = g_Settings.m_bWindowed != 0;
    pp.enableAutoDepthStencil = true;
    pp.autoDepthStencilFormat = depthFormat;
    pp.presentationInterval = gfx::PRESENT_INTERVAL_IMMEDIATE;
    return pp;
}

bool CreateDevice(plat::WindowHandle window) {
    static const char* const kRetryLines[] = {"First Create failed, checking for different format",
                                              "Second Create failed, checking for last different format"};
    gfx::PresentParameters pp = MakePresentParameters(gfx::FMT_D16);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!gfx::Failed(g_pD3D->CreateDevice(window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice)))
            return true;
        if (attempt < 2) g_Console.Print(kRetryLines[attempt]);
    }
    g_Console.Print("Switching to no light mode");
    g_Console.Print("Your video hardware seems to be not compatible with hardware TnL");
    g_Console.Print("You will not have light in the game, sorry.");
    g_Settings.m_bNoLight = 1;
    if (!gfx::Failed(g_pD3D->CreateDevice(window, gfx::CREATE_SOFTWARE_VERTEXPROCESSING, pp, g_pd3dDevice)))
        return true;
    plat::ShowMessageBox(g_TextMgr.GetText(">NoMode"), "Qv message");
    return false;
}

}  // namespace

D3DMain::D3DMain() : version(10), m_bCreated(0) {}

D3DMain::~D3DMain() = default;

void D3DMain::Create(plat::WindowHandle window) {
    if (!g_pD3D) {
        plat::ShowMessageBox("DX9.0c or newer could not have been found!", "Qv message");
        return;
    }
    gfx::DisplayMode mode;
    if (gfx::Failed(g_pD3D->GetAdapterDisplayMode(mode))) return;
    gfx::AdapterIdentifier id;
    if (!gfx::Failed(g_pD3D->GetAdapterIdentifier(id))) {
        g_Console.PrintStr2("> Driver: ", id.driver.c_str());
        g_Console.PrintStr2("> Description: ", id.description.c_str());
    }
    if (!CreateDevice(window)) return;
    g_Console.Print("CreateDevice OK");

    g_d3dpp = MakePresentParameters(gfx::FMT_D24S8);
    if (gfx::Failed(g_pd3dDevice->Reset(g_d3dpp))) {
        g_d3dpp.autoDepthStencilFormat = gfx::FMT_D16;
        if (gfx::Failed(g_pd3dDevice->Reset(g_d3dpp))) return;
    }
    m_bCreated = 1;

    // The first frame shows the console's loading text while the engine starts.
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0, 1.0f, 0);
    g_pd3dDevice->BeginScene();
    g_Console.Draw();
    g_Profiler.EndFrame();
    g_pd3dDevice->EndScene();
    g_pd3dDevice->Present();

    g_Engine.Init(window);
    SetDefaultRenderStates();
}

void D3DMain::SetDefaultRenderStates() {
    if (!g_pd3dDevice) return;
    gfx::Device& d = *g_pd3dDevice;
    d.SetRenderState(gfx::RS_ZENABLE, 1);
    d.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    d.SetRenderState(gfx::RS_FILLMODE, g_Settings.m_bWireFrame ? gfx::FILL_WIREFRAME : gfx::FILL_SOLID);
    d.SetRenderState(gfx::RS_LIGHTING, 0);
    d.SetRenderState(gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD);
    d.SetRenderState(gfx::RS_FOGENABLE, 0);
    d.SetRenderState(gfx::RS_DITHERENABLE, 0);
    d.SetRenderState(gfx::RS_CLIPPING, 1);
    d.SetRenderState(gfx::RS_NORMALIZENORMALS, 0);
    d.SetRenderState(gfx::RS_SPECULARENABLE, 0);
    d.SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_NONE);
    d.SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
    d.SetRenderState(gfx::RS_RANGEFOGENABLE, 0);
}

gfx::Result D3DMain::RenderFrame() {
    if (!g_pd3dDevice) return gfx::ERR_INVALIDCALL;
    gfx::Result hr = g_pd3dDevice->TestCooperativeLevel();
    if (gfx::Failed(hr) || !g_FocusMgr.m_bOnFocus) return hr;

    g_Engine.PrepareCamera();
    uint32_t clearColour = g_Engine.m_bReady ? g_Engine.m_uBackgroundColour : 0;
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, clearColour, 1.0f, 0);
    g_pd3dDevice->BeginScene();
    if (g_Menu.m_bActive || g_Engine.m_bReady) {
        if (g_Menu.m_bActive) g_Menu.PrepareSceneRender();
        g_Engine.RenderScene();
        if (g_Menu.m_bActive) g_Menu.Render();
        else g_MainGame.Render();
    }
    g_Console.Draw();
    g_Profiler.EndFrame();
    g_pd3dDevice->EndScene();
    return g_pd3dDevice->Present();
}

int64_t D3DMain::MessageHook(plat::WindowHandle, uint32_t message, uint64_t wParam, int64_t) {
    switch (message) {
        case plat::msg::KeyDown: g_Engine.OnKeyDown(static_cast<uint32_t>(wParam)); break;
        case plat::msg::KeyUp: g_Engine.OnKeyUp(static_cast<uint32_t>(wParam)); break;
        default: break;
    }
    return 0;
}

void D3DMain::Release() {
    g_Engine.EndWorld();
    g_MainGame.Stop();
    g_Engine.Release();
    g_pd3dDevice.reset();
    g_pD3D.reset();
    m_bCreated = 0;
}

void D3DMain::SaveVideoConfig() {
    plat::CreateDirectory("save");
    FILE* f = plat::OpenFile(kVideoConfig, "wb");
    if (!f) return;
    auto u8 = [&](uint8_t v) { v = v ? 1 : 0; std::fwrite(&v, 1, 1, f); };
    auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    u32(version);
    u8(g_Settings.m_bDrawNotImportant);
    u8(g_Settings.m_bDrawShadows);
    u8(g_Settings.m_bVideoOptionsConfirmed);
    u32(static_cast<uint32_t>(g_Settings.m_iAnimatedModelsTextureQuality));
    u32(static_cast<uint32_t>(g_Settings.m_iShadowQuality));
    u32(static_cast<uint32_t>(g_Settings.m_iWorldTextureQuality));
    u8(g_Settings.m_bDrawGrass);
    u8(g_Settings.m_bDrawBirds);
    u8(g_Settings.m_bDrawDust);
    u8(g_Settings.m_bPostProcess);
    std::fclose(f);
}

bool D3DMain::LoadVideoConfig() {
    FILE* f = plat::OpenFile(kVideoConfig, "rb");
    uint32_t fileVersion = 0;
    if (!f || std::fread(&fileVersion, 4, 1, f) != 1 || fileVersion != version) {
        if (f) std::fclose(f);
        SetVideoDefaults();
        return false;
    }
    bool ok = true;
    auto u8 = [&](uint8_t& v) { uint8_t b = 0; ok &= std::fread(&b, 1, 1, f) == 1; v = b ? 1 : 0; };
    auto i32v = [&](int32_t& v) { ok &= std::fread(&v, 4, 1, f) == 1; };
    u8(g_Settings.m_bDrawNotImportant);
    u8(g_Settings.m_bDrawShadows);
    u8(g_Settings.m_bVideoOptionsConfirmed);
    i32v(g_Settings.m_iAnimatedModelsTextureQuality);
    i32v(g_Settings.m_iShadowQuality);
    i32v(g_Settings.m_iWorldTextureQuality);
    u8(g_Settings.m_bDrawGrass);
    u8(g_Settings.m_bDrawBirds);
    u8(g_Settings.m_bDrawDust);
    u8(g_Settings.m_bPostProcess);
    std::fclose(f);
    g_Settings.m_bVideoOptionsConfirmed = 1;
    return ok;
}

void D3DMain::SetVideoDefaults() {
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_bDrawNotImportant = 1;
    g_Settings.m_bVideoOptionsConfirmed = 1;
    g_Settings.m_iShadowQuality = 0;
    g_Settings.m_iWorldTextureQuality = 0;
    g_Settings.m_iAnimatedModelsTextureQuality = 0;
    g_Settings.m_bSimpleRender = 0;
    g_Settings.m_bPostProcess = 0;
    SaveVideoConfig();
}
