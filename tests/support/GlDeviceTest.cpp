#include "support/GlDeviceTest.h"

#include <unistd.h>

#include <string>

#include "platform/os/Backends.h"
#include "platform/os/Window.h"
#include "support/TestSupport.h"

namespace test {
namespace {

int64_t IgnoreMessages(plat::WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

}  // namespace

void GlDeviceTest::SetUp() {
    ResetPlatform();
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

void GlDeviceTest::TearDown() {
    m_device.reset();
    plat::ResetWindows();
    ResetPlatform();
}

uint32_t GlDeviceTest::PixelAt(uint32_t x, uint32_t y) {
    uint32_t argb = 0;
    EXPECT_EQ(m_device->ReadBackBuffer(x, y, 1, 1, &argb), gfx::OK);
    return argb;
}

void ExpectColourNear(uint32_t actual, uint32_t expected) {
    for (int shift : {16, 8, 0}) {
        int a = static_cast<int>((actual >> shift) & 0xFF);
        int e = static_cast<int>((expected >> shift) & 0xFF);
        EXPECT_NEAR(a, e, 2) << std::hex << "actual " << actual << " expected " << expected;
    }
}

}  // namespace test
