#pragma once
// A DeviceTest whose device is made by the program's own creation (D3DMain::Create, which also
// starts the engine), with the program's hooks installed and the engine, main game, menu and
// focus manager in their start state.
#include "support/DeviceTest.h"

namespace test {

class AppDeviceTest : public DeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs the device creation; true when the device was made.
    bool CreateDevice();
};

}  // namespace test
