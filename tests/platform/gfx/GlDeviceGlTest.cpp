// The OpenGL device on a real context (SDL's offscreen driver on llvmpipe when there is no display).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Window.h"
#include "support/TestSupport.h"

namespace {

int64_t IgnoreMessages(plat::WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetPlatform();
        plat::BackendChoice choice = plat::Backends();
        choice.video = plat::VideoBackend::Gl;
        plat::SetBackends(choice);
        plat::RegisterWindowClass({"gl test", IgnoreMessages});
        plat::WindowDesc desc;
        desc.className = "gl test";
        desc.title = "furrow gl device test " + std::to_string(::getpid());
        m_window = plat::CreateMainWindow(desc);
        ASSERT_NE(m_window, nullptr);
        m_system = gfx::CreateSystem();
        gfx::PresentParameters pp;
        pp.backBufferWidth = kWidth;
        pp.backBufferHeight = kHeight;
        pp.autoDepthStencilFormat = gfx::FMT_D24S8;
        ASSERT_EQ(m_system->CreateDevice(m_window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, m_device), gfx::OK);
    }

    void TearDown() override {
        m_device.reset();
        plat::ResetWindows();
        test::ResetPlatform();
    }

    uint32_t PixelAt(uint32_t x, uint32_t y) {
        uint32_t argb = 0;
        EXPECT_EQ(m_device->ReadBackBuffer(x, y, 1, 1, &argb), gfx::OK);
        return argb;
    }

    static constexpr uint32_t kWidth = 64;
    static constexpr uint32_t kHeight = 48;
    plat::WindowHandle m_window = nullptr;
    std::unique_ptr<gfx::System> m_system;
    std::unique_ptr<gfx::Device> m_device;
};

void ExpectColourNear(uint32_t actual, uint32_t expected) {
    for (int shift : {16, 8, 0}) {
        int a = static_cast<int>((actual >> shift) & 0xFF);
        int e = static_cast<int>((expected >> shift) & 0xFF);
        EXPECT_NEAR(a, e, 2) << std::hex << "actual " << actual << " expected " << expected;
    }
}

TEST_F(GlDeviceTest, ClearFillsTheBackBufferWithTheColour) {
    for (uint32_t colour : {0xFF336699u, 0xFFE01020u}) {
        ASSERT_EQ(m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, colour, 1.0f, 0),
                  gfx::OK);
        ExpectColourNear(PixelAt(0, 0), colour);
        ExpectColourNear(PixelAt(kWidth / 2, kHeight / 2), colour);
        ExpectColourNear(PixelAt(kWidth - 1, kHeight - 1), colour);
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
