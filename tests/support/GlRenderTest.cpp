#include "support/GlRenderTest.h"

#include <stb_image_write.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "support/DeviceTest.h"
#include "support/FakeEngine.h"

namespace test {

void GlRenderTest::SetUp() {
    GlDeviceTest::SetUp();
    namespace fs = std::filesystem;
    const fs::path game = FURROW_GAME_DIR;
    fs::copy(game / "fx", m_game.path() / "fx");
    fs::create_directories(m_game.path() / "textures");
    fs::copy(game / "textures" / "system", m_game.path() / "textures" / "system");
    fs::create_directories(m_game.path() / "scripts");
    fs::copy(game / "scripts" / "textures.txt", m_game.path() / "scripts" / "textures.txt");
    plat::SetStartDirectory(m_game.path());
    ResetGlobal(g_Settings);
    ResetGlobal(g_Console);
    ResetGlobal(g_Renderer);
    g_FrameFacts = FrameFacts{};
    InstallFakeEngine();
    ResetDeviceGlobals();
    g_Settings.SetScreenSize(kWidth, kHeight);
    g_pd3dDevice = std::move(m_device);
    g_d3dpp = g_pd3dDevice->Parameters();
    g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration);
    g_pd3dDevice->CreateVertexDeclaration(kSkinVertexElements, g_pSkinVertexDeclaration);
}

void GlRenderTest::TearDown() {
    ResetDeviceGlobals();
    ResetGlobal(g_Renderer);
    g_RenderHooks = RenderHooks{};
    plat::SetStartDirectory(std::filesystem::current_path());
    GlDeviceTest::TearDown();
}

void GlRenderTest::WriteFile(const std::string& gamePath, const std::string& content) const {
    std::string path = gamePath;
    for (char& c : path)
        if (c == '\\') c = '/';
    std::filesystem::path full = m_game.path() / path;
    std::filesystem::create_directories(full.parent_path());
    WriteWholeFile(full, content);
}

void GlRenderTest::Start() {
    g_Renderer.InitTextures();
    g_EffectMgr.Init();
    g_Renderer.OnStartWorld();
}

void GlRenderTest::LookAt(const DV& eye, const DV& target, float farZ) {
    g_DrawCamera.view = pmath::LookAtLH(eye, target, DV{0, 1, 0});
    g_DrawCamera.projection = pmath::PerspectiveFovLH(1.0471976f, static_cast<float>(kWidth) / kHeight, 0.5f, farZ);
    g_DrawCamera.position = eye;
    g_DrawCamera.farZ = farZ;
    g_FakeEngine.cameraPosition = eye;
}

void GlRenderTest::DrawFrame(uint32_t clearColour) {
    g_Renderer.Update();
    g_Renderer.PreRender();
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, clearColour, 1.0f, 0);
    g_pd3dDevice->BeginScene();
    g_Renderer.Render();
    g_Renderer.RenderTranslucent();
    g_pd3dDevice->EndScene();
}

uint32_t GlRenderTest::Pixel(uint32_t x, uint32_t y) {
    uint32_t argb = 0;
    EXPECT_EQ(g_pd3dDevice->ReadBackBuffer(x, y, 1, 1, &argb), gfx::OK);
    return argb;
}

void GlRenderTest::ScreenOf(const DV& point, uint32_t& x, uint32_t& y) {
    DV p = pmath::TransformPoint(point, g_DrawCamera.view * g_DrawCamera.projection);
    x = static_cast<uint32_t>((p.x * 0.5f + 0.5f) * kWidth);
    y = static_cast<uint32_t>((0.5f - p.y * 0.5f) * kHeight);
}

uint32_t GlRenderTest::PixelOf(const DV& point) {
    uint32_t x = 0, y = 0;
    ScreenOf(point, x, y);
    return Pixel(x, y);
}

void GlRenderTest::SavePicture(const std::string& name) {
    const char* directory = std::getenv("FURROW_TEST_PICTURES");
    if (!directory) return;
    std::vector<uint32_t> argb(size_t{kWidth} * kHeight);
    g_pd3dDevice->ReadBackBuffer(0, 0, kWidth, kHeight, argb.data());
    // Four times the size, each pixel a block, so the small target can be looked at.
    constexpr uint32_t kScale = 4;
    std::vector<uint8_t> rgb;
    for (uint32_t y = 0; y < kHeight * kScale; ++y) {
        for (uint32_t x = 0; x < kWidth * kScale; ++x) {
            uint32_t p = argb[size_t{y / kScale} * kWidth + x / kScale];
            rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        }
    }
    std::string path = std::string(directory) + "/" + name + ".png";
    stbi_write_png(path.c_str(), kWidth * kScale, kHeight * kScale, 3, rgb.data(), kWidth * kScale * 3);
}

SceneGeometry& GlRenderTest::Upload(SceneGeometry& geometry) {
    EXPECT_TRUE(geometry.Upload(*g_pd3dDevice));
    return geometry;
}

int Brightness(uint32_t argb) {
    return static_cast<int>(((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF));
}

}  // namespace test
