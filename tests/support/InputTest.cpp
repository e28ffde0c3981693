#include "support/InputTest.h"

#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/D3DMain.h"
#include "core/EFocusMgr.h"
#include "core/EInput.h"
#include "core/EMouse.h"
#include "game/CHudPanel.h"
#include "game/CLoadingScreen.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "platform/os/Message.h"
#include "vehicles/CPlayer.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace test {

void InputTest::SetUp() {
    ConsoleLogTest::SetUp();
    g_Input.Release();
    ResetGlobal(g_Input);
    ResetGlobal(g_CommandMgr);
    ResetGlobal(g_Mouse);
    ResetGlobal(g_MainGame);
    ResetGlobal(g_Menu);
    ResetGlobal(g_LoadingScreen);
    ResetGlobal(g_HudPanel);
    ResetGlobal(g_Camera);
    ResetGlobal(g_Player);
    ResetGlobal(g_SoundMgr);
    ResetGlobal(g_Engine);
    ResetGlobal(g_FocusMgr);
    g_FocusMgr.SetOnFocus();
}

void InputTest::TearDown() {
    g_Input.Release();
    g_Mouse.Release();
    g_CommandMgr.ReleaseKeyboard();
    ConsoleLogTest::TearDown();
}

void InputTest::InitControllers(const std::vector<plat::FakeController>& controllers) {
    plat::CurrentInput().fakeControllers = controllers;
    g_Input.Init();
}

void InputTest::Tick() { g_D3DMain.MessageHook(nullptr, plat::msg::Timer, 0, 0); }

void InputTest::CopyEffectFiles() {
    std::filesystem::path data = std::filesystem::path(FURROW_FIXTURES_DIR).parent_path().parent_path() / "data";
    for (const char* name : {"slizg", "zwir", "spring", "hit0", "hit1", "hitbig"}) {
        std::string file = std::string(name) + ".ffe";
        WriteFile("effects\\ff\\" + file, ReadWholeFile(data / "effects" / "ff" / file));
    }
}

}  // namespace test
