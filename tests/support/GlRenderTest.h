#pragma once
// The renderer on a real GL device (64 x 48): a start directory with the game's effects and
// system textures, the effects loaded, the world started, the fake engine standing above. Tests
// write their textures, call Start, place objects and draw.
#include <cstdint>
#include <string>

#include "support/GlDeviceTest.h"
#include "support/SceneGeometry.h"
#include "support/TestSupport.h"

namespace test {

class GlRenderTest : public GlDeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes a file below the start directory.
    void WriteFile(const std::string& gamePath, const std::string& content) const;
    // Registers the textures, loads the effects and starts the world.
    void Start();
    // A perspective camera at eye looking at target (60 degrees, the back buffer's aspect).
    void LookAt(const DV& eye, const DV& target, float farZ = 1000.0f);
    // One frame: the renderer's update and pre-render, clear, the scene, the translucent pass.
    void DrawFrame(uint32_t clearColour = 0xFF000000u);
    // One pixel of the back buffer, ARGB.
    uint32_t Pixel(uint32_t x, uint32_t y);
    // Where a world point lands on the back buffer, and the pixel there.
    static void ScreenOf(const DV& point, uint32_t& x, uint32_t& y);
    uint32_t PixelOf(const DV& point);
    // Writes the back buffer as a PNG when FURROW_TEST_PICTURES names a directory.
    void SavePicture(const std::string& name);
    SceneGeometry& Upload(SceneGeometry& geometry);

    TempDir m_game;
};

// The sum of red, green and blue.
int Brightness(uint32_t argb);

}  // namespace test
