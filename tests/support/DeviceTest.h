#pragma once
// A start directory with the null video backend, fresh device globals and the console log open,
// for tests of the components that draw with the device. The render hooks read test::g_FakeEngine.
#include <string>

#include "support/FakeEngine.h"
#include "support/TestSupport.h"

namespace test {

// Releases what the render components hold of the device, then the device, and brings the
// components back to their start state.
void ResetDeviceGlobals();

class DeviceTest : public StartDirTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Takes the graphics system and makes a windowed device of the settings' screen size with a
    // 16-bit depth buffer; true when the device was made.
    bool CreateDevice();
    std::string ConsoleLog() const { return ReadFile("!console.txt"); }
    bool Logged(const std::string& line) const;
};

}  // namespace test
