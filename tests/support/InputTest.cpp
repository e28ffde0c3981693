#include "support/InputTest.h"

#include "core/CCommandMgr.h"
#include "core/EInput.h"
#include "core/EMouse.h"

namespace test {

void InputTest::SetUp() {
    ConsoleLogTest::SetUp();
    g_Input.Release();
    ResetGlobal(g_Input);
    ResetGlobal(g_CommandMgr);
    ResetGlobal(g_Mouse);
    InstallFakeGame();
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

// The order of the device frame's timer message.
void InputTest::Tick() {
    g_Mouse.Poll();
    g_CommandMgr.PollKeyboard();
    g_Input.Poll();
}

void InputTest::CopyEffectFiles() {
    std::filesystem::path data = std::filesystem::path(FURROW_FIXTURES_DIR).parent_path().parent_path() / "data";
    for (const char* name : {"slizg", "zwir", "spring", "hit0", "hit1", "hitbig"}) {
        std::string file = std::string(name) + ".ffe";
        WriteFile("effects\\ff\\" + file, ReadWholeFile(data / "effects" / "ff" / file));
    }
}

}  // namespace test
