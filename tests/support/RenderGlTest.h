#pragma once
// A DeviceTest whose device is a real GL one on a window of a chosen size (SDL's offscreen driver
// on llvmpipe when there is no display), made the program's device with the 2-D scale factors of
// that size; the back buffer is read back to judge what was drawn.
#include <cstdint>
#include <string>

#include "support/DeviceTest.h"

namespace test {

class RenderGlTest : public DeviceTest {
protected:
    void TearDown() override;
    // Makes the device at this screen size; the settings' size and scale factors follow it.
    bool CreateGlDevice(uint32_t width, uint32_t height);
    // Writes a one-colour TGA below the start directory and registers every texture file there.
    void AddTexture(const std::string& name, uint32_t argb);
    uint32_t PixelAt(uint32_t x, uint32_t y) const;
    // Whether any pixel of the rectangle (right and bottom outside) differs from the colour by
    // more than a little in any channel.
    bool InkIn(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint32_t background) const;
    void BeginFrame(uint32_t colour = 0xFF000000);
    void EndFrame();
};

}  // namespace test
