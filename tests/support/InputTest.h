#pragma once
// A start-directory test with the input components in their start state: fresh command manager,
// mouse and controller service, and the game state they read (test::g_FakeGame); the window has
// the focus.
#include "platform/input/InputState.h"
#include "support/ConsoleLogTest.h"
#include "support/FakeGame.h"

namespace test {

class InputTest : public ConsoleLogTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Attaches these fake controllers and opens the controller service.
    void InitControllers(const std::vector<plat::FakeController>& controllers);
    // One tick of the input timer: the mouse, the keyboard and the controller polls.
    void Tick();
    // Copies the game's force-feedback effect files into the start directory.
    void CopyEffectFiles();
};

}  // namespace test
