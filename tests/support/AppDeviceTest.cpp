#include "support/AppDeviceTest.h"

#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/FloorHooks.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "support/AppHooks.h"
#include "support/TextureFiles.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace test {

namespace {

void ResetAppGlobals() {
    ResetGlobal(g_D3DMain);
    ResetGlobal(g_FocusMgr);
    ResetGlobal(g_Camera);
}

}  // namespace

void AppDeviceTest::SetUp() {
    DeviceTest::SetUp();
    WriteScreenTextures(m_dir.path());
    ResetGlobal(g_Engine);
    ResetGlobal(g_MainGame);
    ResetGlobal(g_Menu);
    ResetAppGlobals();
    InstallFloorHooks();
}

void AppDeviceTest::TearDown() {
    DeviceTest::TearDown();
    ResetAppGlobals();
    ResetFloorHooks();
}

bool AppDeviceTest::CreateDevice() {
    g_pD3D = gfx::CreateSystem();
    g_D3DMain.Create(nullptr);
    return g_D3DMain.m_bCreated != 0;
}

}  // namespace test
