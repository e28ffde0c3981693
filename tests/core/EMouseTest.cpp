#include "core/EMouse.h"

#include <cstdlib>

#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageQueue.h"
#include "support/InputTest.h"

namespace {

class EMouseTest : public test::InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        g_Input.Init();
        test::g_FakeGame.frame = 1000;  // past the start of the level
        g_Console.FreeVariables();
    }
    void TearDown() override {
        g_Console.FreeVariables();
        InputTest::TearDown();
    }
    void Move(int dx, int dy) {
        if (dx) plat::PushMouseItem(plat::MouseOffset::X, dx);
        if (dy) plat::PushMouseItem(plat::MouseOffset::Y, dy);
    }
};

TEST_F(EMouseTest, InitStartsLookingBackWithTheTimerRunning) {
    g_Mouse.Init(nullptr);
    EXPECT_EQ(g_Mouse.m_bInitialised, 1);
    EXPECT_FLOAT_EQ(float(g_Mouse.m_State.m_dLookX), 3.1415927f);
    EXPECT_EQ(g_Mouse.m_State.m_dLookY, 0.0);
}

TEST_F(EMouseTest, InputTimerRunsWithoutAMouse) {
    g_Input.Release();  // no input service: no mouse
    g_Mouse.Init(nullptr);
    EXPECT_EQ(g_Mouse.m_bInitialised, 0);
    plat::AdvanceFrame();  // the fixed clock moves on
    plat::Message message;
    bool timer = false;
    for (int i = 0; i < 100 && !timer; ++i) {
        if (plat::PeekMessage(message)) timer = message.id == plat::msg::Timer;
    }
    EXPECT_TRUE(timer);
}

TEST_F(EMouseTest, MovementTurnsIntoLookAnglesLimitedInTheGameOnly) {
    g_Settings.m_fMouseOptionValue = 1.0f;  // factor 0.01
    g_Console.SetVariable("Difficulty", 1, 0);  // vertical movement doubled
    g_Mouse.Init(nullptr);
    Move(10, 20);
    Tick();
    EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dDeltaX, 10.0);
    EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dDeltaY, 40.0);
    EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dLookY, 0.4);
    EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dRawY, 0.2);
    Move(0, 10000);
    Tick();
    EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dLookY, EMouse::kLookLimit);
    test::g_FakeGame.menuActive = true;
    Move(0, 10000);
    Tick();
    EXPECT_GT(g_Mouse.m_State.m_dLookY, 100.0);
}

// The console variable decides, whatever the setting holds; without the variable the game looks
// at the plain rate, the menu always at twice it.
TEST_F(EMouseTest, VerticalRateFollowsTheDifficultyVariable) {
    struct Case {
        const char* value;  // null: no variable
        double game, menu;
    } cases[] = {{nullptr, 3.0, 6.0}, {"0", 3.0, 6.0}, {"1", 6.0, 6.0}, {"2", 6.0, 6.0}};
    g_Mouse.Init(nullptr);
    for (const Case& c : cases) {
        g_Console.FreeVariables();
        g_Settings.m_iDifficulty = c.value ? 0 : 2;
        if (c.value) g_Console.SetVariable("Difficulty", static_cast<float>(std::atof(c.value)), 0);
        test::g_FakeGame.menuActive = false;
        Move(0, 3);
        Tick();
        EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dDeltaY, c.game) << (c.value ? c.value : "absent");
        test::g_FakeGame.menuActive = true;
        Move(0, 3);
        Tick();
        EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dDeltaY, c.menu) << (c.value ? c.value : "absent");
    }
}

TEST_F(EMouseTest, InvertedMouseInvertsTheGameButNotTheMenu) {
    g_Settings.m_bMouseOptionSwitch = 1;
    g_Mouse.Init(nullptr);
    Move(0, 5);
    Tick();
    EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dDeltaY, -5.0);
    test::g_FakeGame.menuActive = true;
    Move(0, 5);
    Tick();
    EXPECT_DOUBLE_EQ(g_Mouse.m_State.m_dDeltaY, 10.0);
}

TEST_F(EMouseTest, SensitivityBelowTheMinimumIsRaised) {
    g_Settings.m_fMouseOptionValue = 0.0f;
    g_Mouse.Init(nullptr);
    Tick();
    EXPECT_FLOAT_EQ(g_Settings.m_fMouseOptionValue, 0.01f);
}

TEST_F(EMouseTest, ButtonsReachTheCommandsExceptAtTheStartOfALevel) {
    g_Mouse.Init(nullptr);
    g_CommandMgr.BuildKeyNames();
    plat::PushMouseItem(plat::MouseOffset::Button0, 0x80);
    plat::PushMouseItem(plat::MouseOffset::Button3, 0x80);
    Tick();
    EXPECT_TRUE(g_CommandMgr.IsCommandActive(19));
    EXPECT_EQ(GetMouseButton(3), 1);
    EXPECT_EQ(g_CommandMgr.m_State[259], 0);

    test::g_FakeGame.frame = 100;
    plat::PushMouseItem(plat::MouseOffset::Button1, 0x80);
    Tick();
    EXPECT_FALSE(g_CommandMgr.IsCommandActive(19));
    EXPECT_EQ(GetMouseButton(1), 0);
}

TEST_F(EMouseTest, StillMouseForTheFirst200FramesUnlessTheCameraOverrides) {
    g_Mouse.Init(nullptr);
    test::g_FakeGame.frame = 199;
    Move(50, 0);
    Tick();
    EXPECT_EQ(g_Mouse.m_State.m_dDeltaX, 0.0);
    EXPECT_GT(g_Mouse.m_State.m_dRawX, 0.0);
    test::g_FakeGame.cameraOverride = true;
    Move(50, 0);
    Tick();
    EXPECT_EQ(g_Mouse.m_State.m_dDeltaX, 50.0);
}

TEST_F(EMouseTest, LostOrOverflowedReadDropsTheTickAndAcquiresOncePerTick) {
    g_Mouse.Init(nullptr);
    for (uint32_t i = 0; i <= plat::kMouseBufferCapacity; ++i) Move(1, 0);
    double lookX = g_Mouse.m_State.m_dLookX;
    Tick();
    EXPECT_EQ(g_Mouse.m_State.m_dLookX, lookX);

    // An acquisition that always answers "input lost" must not hang the tick.
    plat::SetInputFault(plat::DeviceKind::Mouse, plat::InputStep::Read, plat::InputResult::InputLost);
    plat::SetInputFault(plat::DeviceKind::Mouse, plat::InputStep::Acquire, plat::InputResult::InputLost);
    Tick();
    Tick();
    plat::SetInputFault(plat::DeviceKind::Mouse, plat::InputStep::Read, plat::InputResult::Ok);
    plat::SetInputFault(plat::DeviceKind::Mouse, plat::InputStep::Acquire, plat::InputResult::Ok);
    Tick();  // acquires
    Move(7, 0);
    Tick();
    EXPECT_EQ(g_Mouse.m_State.m_dDeltaX, 7.0);
}

}  // namespace
