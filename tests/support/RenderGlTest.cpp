#include "support/RenderGlTest.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "core/ESettings.h"
#include "platform/os/Backends.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "support/TextureFiles.h"

namespace test {
namespace {

int64_t IgnoreMessages(plat::WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

}  // namespace

void RenderGlTest::TearDown() {
    DeviceTest::TearDown();
    plat::ResetWindows();
}

bool RenderGlTest::CreateGlDevice(uint32_t width, uint32_t height) {
    plat::BackendChoice choice = plat::Backends();
    choice.video = plat::VideoBackend::Gl;
    plat::SetBackends(choice);
    plat::RegisterWindowClass({"render gl test", IgnoreMessages});
    plat::WindowDesc desc;
    desc.className = "render gl test";
    desc.title = "furrow render gl test " + std::to_string(::getpid());
    desc.width = static_cast<int>(width);
    desc.height = static_cast<int>(height);
    plat::WindowHandle window = plat::CreateMainWindow(desc);
    if (!window) return false;
    g_Settings.SetScreenSize(static_cast<int>(width), static_cast<int>(height));
    g_fScaleX = g_Settings.m_fScaleX;
    g_fScaleY = g_Settings.m_fScaleY;
    g_pD3D = gfx::CreateSystem();
    gfx::PresentParameters pp;
    pp.backBufferWidth = width;
    pp.backBufferHeight = height;
    pp.autoDepthStencilFormat = gfx::FMT_D24S8;
    if (!g_pD3D || gfx::Failed(g_pD3D->CreateDevice(window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice)))
        return false;
    g_d3dpp = pp;
    return true;
}

void RenderGlTest::AddTexture(const std::string& name, uint32_t argb) {
    WriteFile("textures\\" + name, TgaFile(4, 4, argb));
    g_Renderer.Release();
    ResetGlobal(g_Renderer);
    g_Renderer.InitTextures();
}

uint32_t RenderGlTest::PixelAt(uint32_t x, uint32_t y) const {
    uint32_t argb = 0;
    EXPECT_EQ(g_pd3dDevice->ReadBackBuffer(x, y, 1, 1, &argb), gfx::OK);
    return argb;
}

bool RenderGlTest::InkIn(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint32_t background) const {
    if (right <= left || bottom <= top) return false;
    std::vector<uint32_t> pixels(size_t{right - left} * (bottom - top));
    EXPECT_EQ(g_pd3dDevice->ReadBackBuffer(left, top, right - left, bottom - top, pixels.data()), gfx::OK);
    for (uint32_t p : pixels)
        for (int shift : {16, 8, 0})
            if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((background >> shift) & 0xFF)) > 8)
                return true;
    return false;
}

void RenderGlTest::BeginFrame(uint32_t colour) {
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, colour, 1.0f, 0);
    g_pd3dDevice->BeginScene();
}

void RenderGlTest::EndFrame() { g_pd3dDevice->EndScene(); }

}  // namespace test
