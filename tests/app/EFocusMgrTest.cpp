#include "app/EFocusMgr.h"

#include <gtest/gtest.h>

#include "app/D3DMain.h"
#include "core/EConsole.h"
#include "game/CMenu.h"
#include "platform/gfx/NullSystem.h"
#include "render/EFont.h"
#include "render/ESky.h"
#include "support/AppDeviceTest.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace {

class EFocusMgrTest : public test::AppDeviceTest {
protected:
    void SetUp() override {
        AppDeviceTest::SetUp();
        ASSERT_TRUE(CreateDevice());
        g_FocusMgr.SetOnFocus();
        // The engine's initialisation made the glyph font's buffer: a default-pool resource that
        // must be let go before every reset.
        ASSERT_NE(g_Font.m_pVB, nullptr);
    }

    uint32_t FogColour() const {
        uint32_t colour = 0;
        g_Sky.GetFogColour(colour, 0);
        return colour;
    }

    // Runs the frame checks the main loop would run, until one lets the frame run.
    int FramesUntilFocus(int limit = 10) {
        for (int frame = 1; frame <= limit; ++frame)
            if (g_FocusMgr.CheckFocus()) return frame;
        return -1;
    }
};

TEST_F(EFocusMgrTest, NoDeviceMeansNoFrame) {
    g_D3DMain.Release();
    EXPECT_FALSE(g_FocusMgr.CheckFocus());
}

TEST_F(EFocusMgrTest, ALostDeviceSkipsFramesUntilTheResetAndComesBackAsBefore) {
    g_Sky.SetFogColour(0xFF8090A0u, 0);
    g_Camera.SetGamma(2.0f);
    gfx::GammaRamp before;
    g_pd3dDevice->GetGammaRamp(before);
    g_pd3dDevice->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_POINT);  // a pass left a state behind
    gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICELOST, gfx::ERR_DEVICELOST, gfx::ERR_DEVICENOTRESET,
                                            gfx::OK};

    EXPECT_FALSE(g_FocusMgr.CheckFocus());
    EXPECT_EQ(g_FocusMgr.m_bOnFocus, 0);
    g_Sky.SetFogColour(0, 0);  // whatever happens to the fog while the device is away
    EXPECT_EQ(FramesUntilFocus(), 3);  // still lost, then not reset (the reset runs), then OK

    EXPECT_EQ(g_FocusMgr.m_bOnFocus, 1);
    EXPECT_TRUE(Logged("hr==D3DERR_DEVICENOTRESET, trying to gain focus"));
    EXPECT_TRUE(Logged("g_pD3DInterface->Reset(&g_d3dpp) succeeded!"));
    EXPECT_TRUE(Logged("Focus gained"));
    EXPECT_EQ(FogColour(), 0xFF8090A0u);
    gfx::GammaRamp after;
    g_pd3dDevice->GetGammaRamp(after);
    EXPECT_EQ(std::vector<uint16_t>(after.red, after.red + 256), std::vector<uint16_t>(before.red, before.red + 256));
    EXPECT_NE(after.red[128], 128 * 257);  // gamma 2, not the linear ramp
    uint32_t fill = 0;
    g_pd3dDevice->GetRenderState(gfx::RS_FILLMODE, fill);
    EXPECT_EQ(fill, gfx::FILL_SOLID);
    EXPECT_NE(g_Font.m_pVB, nullptr);
    EXPECT_NE(g_pBackBuffer, nullptr);
}

TEST_F(EFocusMgrTest, ADeviceThatNeedsAResetWithoutHavingReportedLossIsReleasedFirst) {
    // The loss went unseen: the first report is already "not reset". The release steps must still
    // run before the reset, or the reset is refused for ever and the fog saved at the loss is lost.
    g_Sky.SetFogColour(0xFF102030u, 0);
    gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICENOTRESET, gfx::OK};
    EXPECT_FALSE(g_FocusMgr.CheckFocus());
    EXPECT_FALSE(Logged("Reset failed!")) << ConsoleLog();
    EXPECT_TRUE(Logged("Focus gained"));
    EXPECT_EQ(FogColour(), 0xFF102030u);
    EXPECT_TRUE(g_FocusMgr.CheckFocus());
}

TEST_F(EFocusMgrTest, AnOkDeviceWithoutFocusIsResetAndFocusRegained) {
    g_FocusMgr.m_bOnFocus = 0;
    EXPECT_FALSE(g_FocusMgr.CheckFocus());
    EXPECT_TRUE(Logged("*** TestCooperativeLevel()==D3D_OK, but m_bOnFocus==false!"));
    EXPECT_TRUE(Logged("Focus gained"));
    EXPECT_TRUE(g_FocusMgr.CheckFocus());
}

TEST_F(EFocusMgrTest, AFailedResetIsReportedAndRetriedOnTheNextFrame) {
    struct Case {
        gfx::Result result;
        const char* reason;
    } cases[] = {
        {gfx::ERR_INVALIDCALL, "Invalid call!"},
        {gfx::ERR_OUTOFVIDEOMEMORY, "Out of video memory!"},
        {gfx::ERR_OUTOFMEMORY, "Out of memory!"},
        {gfx::ERR_DEVICEREMOVED, "Device removed"},
        {gfx::ERR_DRIVERINTERNALERROR, "Driver internal error"},
        {gfx::ERR_DEVICELOST, "Device lost"},
    };
    for (const Case& c : cases) {
        SetUp();
        g_Sky.SetFogColour(0xFF445566u, 0);
        gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICELOST, gfx::ERR_DEVICENOTRESET};
        gfx::NullBackend().resetResults = {c.result};
        EXPECT_FALSE(g_FocusMgr.CheckFocus());
        EXPECT_FALSE(g_FocusMgr.CheckFocus());  // the reset fails
        EXPECT_TRUE(Logged("Reset failed!")) << c.reason;
        EXPECT_TRUE(Logged(c.reason)) << c.reason;
        EXPECT_EQ(g_FocusMgr.m_bOnFocus, 0) << c.reason;
        // A device lost again by the failed reset reports the loss before it can be reset again.
        if (c.result == gfx::ERR_DEVICELOST) gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICENOTRESET};
        // The retry runs the release steps again: they must be harmless the second time.
        EXPECT_EQ(FramesUntilFocus(), 2) << c.reason;
        EXPECT_EQ(FogColour(), 0xFF445566u) << c.reason;
        EXPECT_NE(g_Font.m_pVB, nullptr) << c.reason;
        TearDown();
    }
}

TEST_F(EFocusMgrTest, TheGameKeyboardIsLetGoUnlessTheConsoleHasItAndComesBackOnlyToTheGame) {
    struct Case {
        bool consoleOpen, menuActive;
        uint8_t acquiredAfterLoss, acquiredAfterReset;
    } cases[] = {{false, false, 0, 1}, {true, false, 1, 0}, {false, true, 0, 0}};
    for (const Case& c : cases) {
        SetUp();
        g_Engine.AcquireKeyboard();
        g_Console.m_bOpen = c.consoleOpen;
        g_Menu.m_bActive = c.menuActive;
        gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICELOST, gfx::ERR_DEVICENOTRESET};
        EXPECT_FALSE(g_FocusMgr.CheckFocus());
        EXPECT_EQ(g_Engine.m_bKeyboardAcquired, c.acquiredAfterLoss) << c.consoleOpen << c.menuActive;
        EXPECT_FALSE(g_FocusMgr.CheckFocus());
        EXPECT_TRUE(Logged("Focus gained"));
        EXPECT_EQ(g_Engine.m_bKeyboardAcquired, c.acquiredAfterReset) << c.consoleOpen << c.menuActive;
        g_Console.m_bOpen = 0;
        test::ResetGlobal(g_Menu);
        TearDown();
    }
}

TEST_F(EFocusMgrTest, AResourceNoOwnerReleasesKeepsTheGameWaiting) {
    std::unique_ptr<gfx::VertexBuffer> forgotten;
    ASSERT_EQ(g_pd3dDevice->CreateVertexBuffer(64, 0, 0, gfx::POOL_DEFAULT, forgotten), gfx::OK);
    gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICENOTRESET};
    EXPECT_EQ(FramesUntilFocus(3), -1);
    EXPECT_TRUE(Logged("Invalid call!"));
    forgotten.reset();
    EXPECT_EQ(FramesUntilFocus(), 2);
}

TEST_F(EFocusMgrTest, AFontBufferThatCannotBeRemadeIsReportedAndTheGameGoesOn) {
    gfx::NullBackend().cooperativeLevels = {gfx::ERR_DEVICENOTRESET};
    gfx::NullBackend().vertexBufferFailures = 1;
    EXPECT_EQ(FramesUntilFocus(), 2);
    EXPECT_TRUE(Logged("EFont FAILED to create m_pVB!"));
    EXPECT_EQ(g_Font.m_pVB, nullptr);
}

}  // namespace
