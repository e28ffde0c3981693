#pragma once
// A real GL device on a small window (SDL's offscreen driver on llvmpipe when there is no display).
#include <gtest/gtest.h>

#include <memory>

#include "platform/gfx/Device.h"

namespace test {

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // One pixel of the back buffer, ARGB.
    uint32_t PixelAt(uint32_t x, uint32_t y);

    static constexpr uint32_t kWidth = 64;
    static constexpr uint32_t kHeight = 48;
    plat::WindowHandle m_window = nullptr;
    std::unique_ptr<gfx::System> m_system;
    std::unique_ptr<gfx::Device> m_device;
};

// Each of red, green and blue within 2 of the expected colour's.
void ExpectColourNear(uint32_t actual, uint32_t expected);

}  // namespace test
