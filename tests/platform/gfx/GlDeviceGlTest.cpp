// The OpenGL device on a real context (SDL's offscreen driver on llvmpipe when there is no display).
#include <gtest/gtest.h>

#include "platform/gfx/Device.h"
#include "support/GlDeviceTest.h"

namespace {

using test::ExpectColourNear;
using GlDeviceTest = test::GlDeviceTest;

TEST_F(GlDeviceTest, ClearFillsTheBackBufferWithTheColour) {
    for (uint32_t colour : {0xFF336699u, 0xFFE01020u}) {
        ASSERT_EQ(m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, colour, 1.0f, 0),
                  gfx::OK);
        ExpectColourNear(PixelAt(0, 0), colour);
        ExpectColourNear(PixelAt(kWidth / 2, kHeight / 2), colour);
        ExpectColourNear(PixelAt(kWidth - 1, kHeight - 1), colour);
    }
}

// Screenshots read the back buffer after the frame was presented: they see that frame, on a
// double-buffered window as on the offscreen driver's single buffer.
TEST_F(GlDeviceTest, AfterPresentTheBackBufferReadsAsTheFramePresented) {
    for (uint32_t colour : {0xFF336699u, 0xFFE01020u}) {
        m_device->Clear(gfx::CLEAR_TARGET, colour, 1.0f, 0);
        m_device->BeginScene();
        m_device->EndScene();
        ASSERT_EQ(m_device->Present(), gfx::OK);
        ExpectColourNear(PixelAt(1, 1), colour);
        ExpectColourNear(PixelAt(kWidth - 2, kHeight - 2), colour);
    }
}

TEST_F(GlDeviceTest, ReadBackRefusesARectangleOutsideTheBackBuffer) {
    uint32_t argb[4] = {};
    EXPECT_EQ(m_device->ReadBackBuffer(kWidth - 1, 0, 2, 2, argb), gfx::ERR_INVALIDCALL);
    EXPECT_EQ(m_device->ReadBackBuffer(0, kHeight, 1, 1, argb), gfx::ERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, ResetWaitsForDefaultPoolBuffersAndKeepsRendering) {
    std::unique_ptr<gfx::VertexBuffer> buffer;
    ASSERT_EQ(m_device->CreateVertexBuffer(1024, gfx::USAGE_DYNAMIC, 0, gfx::POOL_DEFAULT, buffer), gfx::OK);
    gfx::PresentParameters pp = m_device->Parameters();
    EXPECT_EQ(m_device->Reset(pp), gfx::ERR_INVALIDCALL);
    buffer.reset();
    ASSERT_EQ(m_device->Reset(pp), gfx::OK);
    m_device->Clear(gfx::CLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
    ExpectColourNear(PixelAt(kWidth / 2, kHeight / 2), 0xFF00FF00u);
}

TEST_F(GlDeviceTest, ReportsCapsOfTheContext) {
    gfx::Caps caps;
    ASSERT_EQ(m_device->GetDeviceCaps(caps), gfx::OK);
    EXPECT_EQ(caps.pixelShaderVersion, gfx::PixelShaderVersion(3, 0));
    EXPECT_GE(caps.maxTextureWidth, 2048u);
    EXPECT_GE(caps.maxSimultaneousTextures, 1u);
    EXPECT_LE(caps.maxSimultaneousTextures, 8u);
}

}  // namespace
