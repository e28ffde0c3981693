#include "support/DeviceTest.h"

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "render/AmbientProbe.h"
#include "render/CPowerLines.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/EPostProcess.h"
#include "render/EEffectMgr.h"
#include "render/EFXMgr.h"
#include "render/EFont.h"
#include "render/ERenderer.h"
#include "render/ERenderStateCache.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "support/FakeEngine.h"

namespace test {

void ResetDeviceGlobals() {
    // Textures, effects and targets hold device resources: they go before the device.
    g_Renderer.Release();
    g_EffectMgr.Release();
    ResetGlobal(g_FXMgr);
    g_PowerLines.Release();
    ResetGlobal(g_PowerLines);
    ResetGlobal(g_ShadowMaps);
    ResetGlobal(g_PostProcess);
    ResetGlobal(g_AmbientProbe);
    g_pBackBuffer.reset();
    g_pVertexDeclaration.reset();
    g_pSkinVertexDeclaration.reset();
    g_pd3dDevice.reset();
    g_pD3D.reset();
    g_d3dpp = gfx::PresentParameters{};
    ResetGlobal(g_Font);
    ResetGlobal(g_Sky);
    ResetGlobal(g_RenderStateCache);
    g_DrawCamera = DrawCamera{};
}

void DeviceTest::SetUp() {
    StartDirTest::SetUp();
    // Tests that run a table of cases call SetUp again: each case starts in an empty directory.
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) std::filesystem::remove_all(entry);
    ResetGlobal(g_Settings);
    ResetGlobal(g_Console);
    InstallFakeEngine();
    ResetDeviceGlobals();
    g_Console.OpenLog();
}

void DeviceTest::TearDown() {
    ResetDeviceGlobals();
    g_RenderHooks = RenderHooks{};
    StartDirTest::TearDown();
}

bool DeviceTest::CreateDevice() {
    g_pD3D = gfx::CreateSystem();
    if (!g_pD3D) return false;
    gfx::PresentParameters pp;
    pp.backBufferWidth = static_cast<uint32_t>(g_Settings.m_iScreenWidth);
    pp.backBufferHeight = static_cast<uint32_t>(g_Settings.m_iScreenHeight);
    pp.backBufferFormat = gfx::FMT_X8R8G8B8;
    pp.backBufferCount = 1;
    pp.windowed = true;
    pp.enableAutoDepthStencil = true;
    pp.autoDepthStencilFormat = gfx::FMT_D16;
    pp.presentationInterval = gfx::PRESENT_INTERVAL_IMMEDIATE;
    if (gfx::Failed(g_pD3D->CreateDevice(nullptr, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice)))
        return false;
    g_d3dpp = pp;
    g_pd3dDevice->GetRenderTarget(0, g_pBackBuffer);
    return true;
}

bool DeviceTest::Logged(const std::string& line) const {
    return ("\n" + ConsoleLog()).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace test
