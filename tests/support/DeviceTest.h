#pragma once
// A start directory with the null video backend, fresh device globals and the console log open,
// for tests of the device, its frame and its loss.
#include <string>

#include "support/TestSupport.h"

namespace test {

class DeviceTest : public StartDirTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Takes the graphics system and runs the device creation; true when the device was made.
    bool CreateDevice();
    std::string ConsoleLog() const { return ReadFile("!console.txt"); }
    bool Logged(const std::string& line) const;
};

}  // namespace test
