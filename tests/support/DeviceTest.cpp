#include "support/DeviceTest.h"

#include "core/D3DMain.h"
#include "core/EConsole.h"
#include "core/EFocusMgr.h"
#include "core/ESettings.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "render/EEffectMgr.h"
#include "render/EFont.h"
#include "render/ERenderer.h"
#include "render/ERenderStateCache.h"
#include "render/ESky.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace test {

namespace {

void ResetDeviceGlobals() {
    // What the engine's release frees before the device goes: textures and effects hold device
    // resources.
    g_Renderer.Release();
    g_EffectMgr.Release();
    g_pBackBuffer.reset();
    g_pVertexDeclaration.reset();
    g_pSkinVertexDeclaration.reset();
    g_pd3dDevice.reset();
    g_pD3D.reset();
    g_d3dpp = gfx::PresentParameters{};
    ResetGlobal(g_Font);
    ResetGlobal(g_D3DMain);
    ResetGlobal(g_FocusMgr);
    ResetGlobal(g_Sky);
    ResetGlobal(g_Camera);
    ResetGlobal(g_RenderStateCache);
}

}  // namespace

void DeviceTest::SetUp() {
    StartDirTest::SetUp();
    // Tests that run a table of cases call SetUp again: each case starts in an empty directory.
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) std::filesystem::remove_all(entry);
    ResetGlobal(g_Settings);
    ResetGlobal(g_Console);
    ResetGlobal(g_Engine);
    ResetGlobal(g_MainGame);
    ResetGlobal(g_Menu);
    ResetDeviceGlobals();
    g_Console.OpenLog();
}

void DeviceTest::TearDown() {
    ResetDeviceGlobals();
    StartDirTest::TearDown();
}

bool DeviceTest::CreateDevice() {
    g_pD3D = gfx::CreateSystem();
    g_D3DMain.Create(nullptr);
    return g_D3DMain.m_bCreated != 0;
}

bool DeviceTest::Logged(const std::string& line) const {
    return ("\n" + ConsoleLog()).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace test
