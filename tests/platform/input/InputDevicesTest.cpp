#include <gtest/gtest.h>

#include "platform/input/InputSystem.h"
#include "support/TestSupport.h"

namespace {

using plat::InputResult;

class InputDevicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetPlatform();
        plat::CurrentInput().fakeControllers = std::vector<plat::FakeController>{{"Wheel", true, true, false}};
        system = plat::InputSystem::Create();
        ASSERT_TRUE(system);
    }
    void TearDown() override { test::ResetPlatform(); }

    template <class Device>
    void Prepare(Device& device) {
        ASSERT_EQ(device.SetDataFormat(), InputResult::Ok);
        ASSERT_EQ(device.SetCooperativeLevel(nullptr, plat::coop::Exclusive | plat::coop::Foreground), InputResult::Ok);
    }

    std::unique_ptr<plat::InputSystem> system;
};

TEST_F(InputDevicesTest, ForegroundDeviceLosesItsInputWithTheForegroundAndAcquiresOnlyInIt) {
    std::unique_ptr<plat::Keyboard> keyboard;
    ASSERT_EQ(system->CreateKeyboard(keyboard), InputResult::Ok);
    Prepare(*keyboard);
    uint8_t keys[256];
    EXPECT_EQ(keyboard->GetState(keys), InputResult::NotAcquired);
    ASSERT_EQ(keyboard->Acquire(), InputResult::Ok);
    plat::CurrentInput().keys[0x1E] = 0x80;
    ASSERT_EQ(keyboard->GetState(keys), InputResult::Ok);
    EXPECT_EQ(keys[0x1E], 0x80);

    plat::CurrentInput().foreground = false;
    EXPECT_EQ(keyboard->GetState(keys), InputResult::InputLost);
    EXPECT_FALSE(keyboard->Acquired());
    EXPECT_EQ(keyboard->Acquire(), InputResult::OtherAppHasPriority);
    plat::CurrentInput().foreground = true;
    EXPECT_EQ(keyboard->Acquire(), InputResult::Ok);
    EXPECT_EQ(keyboard->GetState(keys), InputResult::Ok);
}

TEST_F(InputDevicesTest, CooperativeLevelNeedsOneAccessAndOneScope) {
    std::unique_ptr<plat::Mouse> mouse;
    ASSERT_EQ(system->CreateMouse(mouse), InputResult::Ok);
    using namespace plat::coop;
    for (uint32_t flags : {0u, Exclusive | NonExclusive | Foreground, Exclusive, Foreground | Background | Exclusive})
        EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, flags), InputResult::InvalidParam) << flags;
    EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, NonExclusive | Background), InputResult::Ok);
}

TEST_F(InputDevicesTest, MouseBufferKeepsItemsInOrderAndReportsOverflowOnce) {
    std::unique_ptr<plat::Mouse> mouse;
    ASSERT_EQ(system->CreateMouse(mouse), InputResult::Ok);
    Prepare(*mouse);
    ASSERT_EQ(mouse->SetBufferSize(plat::kMouseBufferCapacity), InputResult::Ok);
    plat::PushMouseItem(plat::MouseOffset::X, 5);  // before the acquisition: not kept
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    plat::PushMouseItem(plat::MouseOffset::Y, -3);
    plat::PushMouseItem(plat::MouseOffset::Button1, 0x80);
    plat::MouseItem items[4];
    uint32_t count = 4;
    ASSERT_EQ(mouse->GetData(items, count), InputResult::Ok);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(items[0].offset, plat::MouseOffset::Y);
    EXPECT_EQ(items[0].value, -3);
    EXPECT_EQ(items[1].offset, plat::MouseOffset::Button1);

    for (uint32_t i = 0; i < plat::kMouseBufferCapacity + 5; ++i) plat::PushMouseItem(plat::MouseOffset::X, int32_t(i));
    std::vector<plat::MouseItem> all(plat::kMouseBufferCapacity);
    count = plat::kMouseBufferCapacity;
    EXPECT_EQ(mouse->GetData(all.data(), count), InputResult::BufferOverflow);
    EXPECT_EQ(count, plat::kMouseBufferCapacity);
    EXPECT_EQ(all[0].value, 0);  // the oldest are kept
    count = 4;
    EXPECT_EQ(mouse->GetData(items, count), InputResult::Ok);
    EXPECT_EQ(count, 0u);
}

TEST_F(InputDevicesTest, ControllerScalesAxesToTheirRangeAndListsItsSlider) {
    std::unique_ptr<plat::Controller> controller;
    ASSERT_EQ(system->ControllerCount(), 1);
    ASSERT_EQ(system->CreateController(0, controller), InputResult::Ok);
    EXPECT_EQ(controller->ProductName(), "Wheel");
    Prepare(*controller);
    int sliders = 0;
    for (const plat::ControllerObject& o : controller->Objects()) {
        sliders += o.slider;
        ASSERT_EQ(controller->SetAxisRange(o.axis, -1000, 1000), InputResult::Ok);
    }
    EXPECT_EQ(sliders, 1);
    ASSERT_EQ(controller->Acquire(), InputResult::Ok);
    plat::CurrentInput().axes[0] = -1.0f;
    plat::CurrentInput().axes[1] = 0.25f;
    plat::CurrentInput().buttons[7] = true;
    ASSERT_EQ(controller->Poll(), InputResult::Ok);
    plat::ControllerState state;
    ASSERT_EQ(controller->GetState(state), InputResult::Ok);
    EXPECT_EQ(state.axes[0], -1000);
    EXPECT_EQ(state.axes[1], 250);
    EXPECT_EQ(state.axes[2], 0);
    EXPECT_EQ(state.buttons[7], 0x80);
    EXPECT_EQ(state.buttons[6], 0);
}

TEST_F(InputDevicesTest, ScriptedFaultsAnswerTheirStep) {
    plat::SetInputFault(plat::DeviceKind::System, plat::InputStep::Create, InputResult::Failed);
    EXPECT_FALSE(plat::InputSystem::Create());
    plat::SetInputFault(plat::DeviceKind::Mouse, plat::InputStep::Create, InputResult::Failed);
    std::unique_ptr<plat::Mouse> mouse;
    EXPECT_EQ(system->CreateMouse(mouse), InputResult::Failed);
    EXPECT_FALSE(mouse);
}

}  // namespace
