#include "app/D3DMain.h"

#include <gtest/gtest.h>

#include <set>

#include "app/EFocusMgr.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/MessageBox.h"
#include "render/ERenderStateCache.h"
#include "render/ESky.h"
#include "support/AppDeviceTest.h"
#include "world/EEngine.h"

namespace {

using D3DMainTest = test::AppDeviceTest;

constexpr uint32_t HW = gfx::CREATE_HARDWARE_VERTEXPROCESSING;
constexpr uint32_t SW = gfx::CREATE_SOFTWARE_VERTEXPROCESSING;

TEST_F(D3DMainTest, CreationFallsBackToSoftwareVertexProcessingAndThenGivesUp) {
    struct Case {
        int failures;
        std::vector<uint32_t> flags;
        bool created;
        bool noLight;
    } cases[] = {
        {0, {HW}, true, false},
        {2, {HW, HW, HW}, true, false},
        {3, {HW, HW, HW, SW}, true, true},
        {4, {HW, HW, HW, SW}, false, true},
    };
    for (const Case& c : cases) {
        SetUp();
        g_TextMgr.Load();  // no text keys here: the message falls back to its default text
        gfx::NullBackend().createFailures = c.failures;
        EXPECT_EQ(CreateDevice(), c.created) << c.failures;
        EXPECT_EQ(gfx::NullBackend().createFlags, c.flags) << c.failures;
        EXPECT_EQ(g_Settings.m_bNoLight, c.noLight) << c.failures;
        EXPECT_EQ(Logged("First Create failed, checking for different format"), c.failures >= 1);
        EXPECT_EQ(Logged("Second Create failed, checking for last different format"), c.failures >= 2);
        EXPECT_EQ(Logged("Switching to no light mode"), c.failures >= 3);
        EXPECT_EQ(Logged("CreateDevice OK"), c.created);
        EXPECT_EQ(Exists("!error.txt"), !c.created) << c.failures;
        if (!c.created) {
            EXPECT_EQ(ReadFile("!error.txt"), "First CreateDevice failed\n");
            EXPECT_EQ(plat::LastMessageBoxText(), "Zephon5");
        }
        TearDown();
    }
}

TEST_F(D3DMainTest, NoGraphicsSystemShowsTheMessageAndCreatesNothing) {
    g_D3DMain.Create(nullptr);
    EXPECT_EQ(g_D3DMain.m_bCreated, 0);
    EXPECT_EQ(plat::LastMessageBoxText(), "DX9.0c or newer could not have been found!");
    gfx::NullBackend().displayModeFails = true;
    EXPECT_FALSE(CreateDevice());
    EXPECT_TRUE(gfx::NullBackend().createFlags.empty());
}

TEST_F(D3DMainTest, StencilSearchTakesTheFirstSupportedFormatThatMeetsTheMinimums) {
    struct Case {
        int minDepth, minStencil;
        std::set<gfx::Format> unsupported, unmatched;
        bool found;
        gfx::Format format;
    } cases[] = {
        {15, 4, {}, {}, true, gfx::FMT_D24S8},
        {15, 4, {gfx::FMT_D24S8}, {}, true, gfx::FMT_D24X4S4},
        {15, 4, {}, {gfx::FMT_D24S8}, true, gfx::FMT_D24X4S4},
        {15, 4, {gfx::FMT_D24S8, gfx::FMT_D24X4S4}, {}, false, gfx::FMT_UNKNOWN},
        {15, 1, {}, {}, true, gfx::FMT_D15S1},
        {16, 1, {}, {}, true, gfx::FMT_D24S8},
        {15, 0, {}, {}, true, gfx::FMT_D16},
        {24, 0, {}, {gfx::FMT_D24X8}, true, gfx::FMT_D24S8},
        {32, 0, {}, {}, true, gfx::FMT_D32},
        {24, 9, {}, {}, false, gfx::FMT_UNKNOWN},
    };
    g_pD3D = gfx::CreateSystem();
    for (const Case& c : cases) {
        gfx::NullBackend().unsupportedFormats = c.unsupported;
        gfx::NullBackend().unmatchedDepthFormats = c.unmatched;
        g_D3DMain.m_iMinDepthBits = c.minDepth;
        g_D3DMain.m_iMinStencilBits = c.minStencil;
        gfx::Format format = gfx::FMT_UNKNOWN;
        EXPECT_EQ(g_D3DMain.FindStencilFormat(gfx::FMT_X8R8G8B8, format), c.found) << c.minDepth << "/" << c.minStencil;
        EXPECT_EQ(format, c.format) << c.minDepth << "/" << c.minStencil;
    }
}

TEST_F(D3DMainTest, CreationResetsWithTheFoundDepthFormatOrFallsBackToD16) {
    struct Case {
        std::set<gfx::Format> unsupported;
        std::deque<gfx::Result> resets;
        bool created;
        gfx::Format format;
        const char* errors;
    } cases[] = {
        {{}, {}, true, gfx::FMT_D24S8, ""},
        {{gfx::FMT_D24S8, gfx::FMT_D24X4S4}, {}, true, gfx::FMT_D15S1, "4-bit stencil failed\n"},
        {{gfx::FMT_D24S8, gfx::FMT_D24X4S4, gfx::FMT_D15S1}, {}, true, gfx::FMT_D16,
         "4-bit stencil failed\nSecond FindStencilFormat failed\n"},
        {{}, {gfx::ERR_INVALIDCALL}, true, gfx::FMT_D16, ""},
        {{}, {gfx::ERR_INVALIDCALL, gfx::ERR_INVALIDCALL}, false, gfx::FMT_UNKNOWN, ""},
    };
    for (const Case& c : cases) {
        SetUp();
        gfx::NullBackend().unsupportedFormats = c.unsupported;
        gfx::NullBackend().resetResults = c.resets;
        EXPECT_EQ(CreateDevice(), c.created);
        if (c.created) {
            EXPECT_EQ(g_d3dpp.autoDepthStencilFormat, c.format);
            EXPECT_EQ(g_pd3dDevice->Parameters().autoDepthStencilFormat, c.format);
        }
        EXPECT_EQ(ReadFile("!error.txt"), c.errors);
        EXPECT_EQ(Logged("Running game WITHOUT stencil shadows!"), c.format == gfx::FMT_D16 && *c.errors);
        TearDown();
    }
}

TEST_F(D3DMainTest, CreationLeavesTheSharedDeviceStateReady) {
    g_Settings.SetScreenSize(1280, 960);
    g_Settings.m_bWireFrame = 1;
    ASSERT_TRUE(CreateDevice());
    EXPECT_EQ(g_d3dpp.backBufferWidth, 1280u);
    EXPECT_EQ(g_d3dpp.backBufferHeight, 960u);
    EXPECT_EQ(g_d3dpp.presentationInterval, gfx::PRESENT_INTERVAL_IMMEDIATE);
    ASSERT_NE(g_pBackBuffer, nullptr);
    EXPECT_EQ(g_pBackBuffer->Width(), 1280u);
    ASSERT_NE(g_pVertexDeclaration, nullptr);
    ASSERT_NE(g_pSkinVertexDeclaration, nullptr);
    EXPECT_EQ(g_pVertexDeclaration->Elements().back().offset, 28);
    EXPECT_EQ(g_pSkinVertexDeclaration->Elements().back().offset, 44);
    EXPECT_FLOAT_EQ(g_fScaleX, 1.25f);
    EXPECT_FLOAT_EQ(g_fScaleY, 1.25f);

    struct State {
        gfx::RenderState state;
        uint32_t value;
    } states[] = {{gfx::RS_ZENABLE, 1}, {gfx::RS_CULLMODE, gfx::CULL_CCW}, {gfx::RS_FILLMODE, gfx::FILL_WIREFRAME},
                  {gfx::RS_LIGHTING, 0}, {gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD}, {gfx::RS_CLIPPING, 1},
                  {gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR}, {gfx::RS_FOGTABLEMODE, gfx::FOG_NONE}};
    for (const State& s : states) {
        uint32_t value = 99;
        g_pd3dDevice->GetRenderState(s.state, value);
        EXPECT_EQ(value, s.value) << s.state;
    }
    EXPECT_EQ(g_RenderStateCache.m_bCullingOn, 1);
    uint32_t fog = 1;
    g_Sky.GetFogColour(fog, 0);
    EXPECT_EQ(fog, 0u);
    EXPECT_FLOAT_EQ(g_Sky.GetFogFar(0), 10000.0f);
}

TEST_F(D3DMainTest, CapsReportSetsTheShaderSwitchesAndRewritesVideoCfgWithoutModel3) {
    struct Case {
        uint32_t version;
        bool ps20, ps30;
        std::vector<const char*> lines;
    } cases[] = {
        {gfx::PixelShaderVersion(3, 0), true, true, {"PixelShader model 3.0 detected."}},
        {gfx::PixelShaderVersion(2, 0), true, false,
         {"PixelShader model 3.0 not supported!", "PixelShader model 2.0 detected."}},
        {gfx::PixelShaderVersion(1, 4), false, false, {"PixelShader model 2.0 not supported!"}},
    };
    for (const Case& c : cases) {
        SetUp();
        gfx::NullBackend().caps.pixelShaderVersion = c.version;
        gfx::NullBackend().caps.maxTextureWidth = 2048;
        g_Settings.m_bPixelShader30 = !c.ps30;
        ASSERT_TRUE(CreateDevice());
        EXPECT_EQ(g_Settings.m_bPixelShader20, c.ps20);
        EXPECT_EQ(g_Settings.m_bPixelShader30, c.ps30);
        for (const char* line : c.lines) EXPECT_TRUE(Logged(line)) << line;
        EXPECT_EQ(Exists("save\\video.cfg"), !c.ps30);
        EXPECT_TRUE(Logged("Max texture width: 2048"));
        EXPECT_TRUE(Logged("MaxVertexIndex == 16777215"));
        TearDown();
    }
}

TEST_F(D3DMainTest, VideoConfigIsWrittenInItsFixedLayout) {
    g_Settings.m_bDrawNotImportant = 0;
    g_Settings.m_bDrawShadows = 7;  // any non-zero switch is written as 1
    g_Settings.m_bVideoOptionsConfirmed = 1;
    g_Settings.m_iAnimatedModelsTextureQuality = 1;
    g_Settings.m_iShadowQuality = 2;
    g_Settings.m_iWorldTextureQuality = 0;
    g_Settings.m_bDrawGrass = 1;
    g_Settings.m_bDrawBirds = 0;
    g_Settings.m_bDrawDust = 1;
    g_Settings.m_bPostProcess = 1;
    g_D3DMain.SaveVideoConfig();
    const std::string expected("\x0A\0\0\0" "\x00\x01\x01" "\x01\0\0\0" "\x02\0\0\0" "\0\0\0\0" "\x01\x00\x01\x01",
                               23);
    EXPECT_EQ(ReadFile("save\\video.cfg"), expected);

    test::ResetGlobal(g_Settings);
    EXPECT_TRUE(g_D3DMain.LoadVideoConfig());
    EXPECT_EQ(g_Settings.m_bDrawNotImportant, 0);
    EXPECT_EQ(g_Settings.m_bDrawShadows, 1);
    EXPECT_EQ(g_Settings.m_iAnimatedModelsTextureQuality, 1);
    EXPECT_EQ(g_Settings.m_iShadowQuality, 2);
    EXPECT_EQ(g_Settings.m_bDrawBirds, 0);
    EXPECT_EQ(g_Settings.m_bPostProcess, 1);
}

TEST_F(D3DMainTest, AnUnusableVideoConfigIsReplacedByTheDefaults) {
    const std::string valid("\x0A\0\0\0" "\x00\x00\x00" "\x01\0\0\0" "\x01\0\0\0" "\x01\0\0\0" "\x01\x01\x01\x01",
                            23);
    struct Case {
        const char* what;
        std::string content;
        bool present;
    } cases[] = {
        {"missing", "", false},
        {"version 9", std::string("\x09", 1) + valid.substr(1), true},
        {"cut short", valid.substr(0, 20), true},
        {"quality out of range", valid.substr(0, 11) + std::string("\x05\0\0\0", 4) + valid.substr(15), true},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.present) WriteFile("save\\video.cfg", c.content);
        g_Settings.m_bDrawShadows = 0;
        g_Settings.m_bPostProcess = 1;
        g_Settings.m_iWorldTextureQuality = 2;
        EXPECT_FALSE(g_D3DMain.LoadVideoConfig()) << c.what;
        EXPECT_EQ(g_Settings.m_bDrawShadows, 1) << c.what;
        EXPECT_EQ(g_Settings.m_bDrawNotImportant, 1) << c.what;
        EXPECT_EQ(g_Settings.m_bVideoOptionsConfirmed, 1) << c.what;
        EXPECT_EQ(g_Settings.m_bPostProcess, 0) << c.what;
        EXPECT_EQ(g_Settings.m_iWorldTextureQuality, 0) << c.what;
        std::string rewritten = ReadFile("save\\video.cfg");
        ASSERT_EQ(rewritten.size(), 23u) << c.what;
        EXPECT_EQ(rewritten[0], '\x0A') << c.what;
        EXPECT_TRUE(g_D3DMain.LoadVideoConfig()) << c.what;
        TearDown();
    }
}

TEST_F(D3DMainTest, FrameDrawsOnlyWithFocusAndAWorkingDevice) {
    ASSERT_TRUE(CreateDevice());
    g_Engine.m_bReady = 1;
    g_Engine.m_uBackgroundColour = 0xFF405060;
    gfx::NullBackend().calls.clear();
    EXPECT_EQ(g_D3DMain.RenderFrame(), gfx::OK);  // created, but not yet on focus
    EXPECT_TRUE(gfx::NullBackend().calls.empty());

    g_FocusMgr.SetOnFocus();
    gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICELOST};
    EXPECT_EQ(g_D3DMain.RenderFrame(), gfx::ERR_DEVICELOST);
    EXPECT_TRUE(gfx::NullBackend().calls.empty());

    gfx::NullBackend().cooperativeLevels = {gfx::OK};
    EXPECT_EQ(g_D3DMain.RenderFrame(), gfx::OK);
    EXPECT_EQ(gfx::NullBackend().calls, (std::vector<std::string>{"Clear", "BeginScene", "EndScene", "Present"}));
    uint32_t pixel = 0;
    g_pd3dDevice->ReadBackBuffer(0, 0, 1, 1, &pixel);
    EXPECT_EQ(pixel, 0xFF405060u);

    g_Engine.m_bReady = 0;
    g_D3DMain.RenderFrame();
    g_pd3dDevice->ReadBackBuffer(0, 0, 1, 1, &pixel);
    EXPECT_EQ(pixel, 0u);  // no world: black
}

TEST_F(D3DMainTest, AScreenshotRequestMakesTheFramesResultTheScreenshots) {
    ASSERT_TRUE(CreateDevice());
    g_FocusMgr.SetOnFocus();
    g_Engine.m_bScreenshot = 1;
    gfx::NullBackend().calls.clear();
    EXPECT_EQ(g_D3DMain.RenderFrame(), gfx::OK);
    EXPECT_EQ(gfx::NullBackend().calls.back(), "Present");
    EXPECT_EQ(g_Engine.m_bScreenshot, 0);
    EXPECT_TRUE(Exists("qv_screen0000.bmp"));
}

TEST_F(D3DMainTest, ReleaseLetsGoOfTheDeviceAndEverythingItHeld) {
    ASSERT_TRUE(CreateDevice());
    g_D3DMain.Release();
    EXPECT_EQ(g_D3DMain.m_bCreated, 0);
    EXPECT_EQ(g_pBackBuffer, nullptr);
    EXPECT_EQ(g_pVertexDeclaration, nullptr);
    EXPECT_EQ(g_pd3dDevice, nullptr);
    EXPECT_EQ(g_pD3D, nullptr);
}

}  // namespace
