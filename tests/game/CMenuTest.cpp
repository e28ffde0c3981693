// The menu's mechanics at 1024 x 768 (one layout unit a pixel): which item the cursor hovers, a
// click acting on release and never on the page it opened, name entry, the route grid's
// unlocking, starting an event for its fee, and Escape.
#include "game/CMenu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/EMouse.h"
#include "core/ESettings.h"
#include "game/CMainGame.h"
#include "game/CProfileMgr.h"
#include "support/TestSupport.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

constexpr double kPi = 3.14159265358979;

class CMenuTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        test::ResetGlobal(g_Menu);
        test::ResetGlobal(g_ProfileMgr);
        test::ResetGlobal(g_Mouse);
        test::ResetGlobal(g_Engine);
        g_Settings.SetScreenSize(1024, 768);
        g_Physics.m_uVehicleCount = 1;
        g_Physics.m_Vehicles[0].m_bPlayerCanDrive = 1;
        g_Physics.m_Vehicles[0].m_bTraktor = 1;
        g_Physics.m_Vehicles[0].m_iKlasa = 0;
        g_Menu.m_bActive = 1;
        g_Menu.m_bSceneMode = 1;
    }
    void TearDown() override {
        g_Physics.m_uVehicleCount = 0;
        test::ResetGlobal(g_Menu);
        test::ResetGlobal(g_ProfileMgr);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_RoutesMgr);
        g_MainGame.m_uFrameCounter = 0;
        StartDirTest::TearDown();
    }
    // The cursor at a point of the frame, the button held or not.
    static void Mouse(double x, double y, bool held) {
        g_Mouse.m_State.m_dLookX = x / 1024 * kPi;
        g_Mouse.m_State.m_dLookY = y / 768 * kPi;
        g_Mouse.m_State.m_Buttons[0] = held ? 0x80 : 0;
    }
    static void Frame() {
        g_Engine.m_fFrameTime = 1.0f / 60;
        g_Menu.Update();
    }
    // A page as the player sees it: opened, then a frame with the button up.
    static void Open(uint32_t page) {
        g_Menu.ShowPage(page);
        Mouse(0, 0, false);
        Frame();
    }
    static void Click(double x, double y) {
        Mouse(x, y, true);
        Frame();
        Mouse(x, y, false);
        Frame();
    }
    // A used, selected profile with the demo's tractor bought and selected.
    static void PlayingProfile(int32_t money) {
        g_ProfileMgr.ResetProfile(0);
        ProfileRecord& p = g_ProfileMgr.m_Profiles[0];
        p.m_bUsed = 1;
        std::strcpy(p.m_szName, "FARMER");
        p.m_iDifficulty = 1;
        p.m_iMoney = money;
        p.m_bOwned[0] = 1;
        p.m_iSelectedMachine = 0;
        g_ProfileMgr.SaveProfile(0);
        g_ProfileMgr.SelectProfile(0);
    }
    static void Routes(int count, int fee) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "trasa worlds\\r" + std::to_string(i) + ".w\nz_przeciwnikami\nwpisowe " + std::to_string(fee) +
                    "\nnagroda 1000\n" + (i == 4 ? "hide_in_menu\n" : "");
        g_RoutesMgr.ReadRoutes(text);
    }
};

TEST_F(CMenuTest, TheEarliestAddedItemUnderTheCursorIsHoveredNeverATextOrADisabledOne) {
    // Width 0 without a font: each box runs from x - 24 to x + 24 and from y - 8 to y + 28.
    g_Menu.AddItem(MenuItem::kButton, "first", 100, 100, 1, false, 0, false, false, false);
    g_Menu.AddItem(MenuItem::kButton, "second", 110, 110, 1, false, 0, false, false, false);
    g_Menu.AddItem(MenuItem::kText, "text", 300, 100, 1, false, -1, false, false, false);
    g_Menu.AddItem(MenuItem::kButton, "disabled", 500, 100, 1, false, 0, true, false, false);
    const struct {
        double x, y;
        int id;  // -1: nothing hovered
    } cases[] = {
        {105, 105, 0}, {130, 135, 1}, {76, 92, 0},  {75, 92, -1}, {124, 128, 0},
        {100, 91, -1}, {300, 110, -1}, {500, 110, -1},
    };
    for (const auto& c : cases) {
        Mouse(c.x, c.y, false);
        g_Menu.UpdateMouse();
        const int hovered = g_Menu.m_pHovered ? static_cast<int>(g_Menu.m_pHovered->m_uId) : -1;
        EXPECT_EQ(hovered, c.id) << c.x << ", " << c.y;
    }
}

TEST_F(CMenuTest, AClickActsOnReleaseAndTheClickThatOpensAPageDoesNotActOnIt) {
    PlayingProfile(5000);
    g_Menu.ShowPage(10);
    ASSERT_EQ(g_Menu.FindItem(0)->m_fY, 16.0f);  // the title counts as item 0
    // ">M60" (profiles), item 6 at y 430: pressing does nothing, releasing opens page 9.
    Mouse(140, 440, true);
    Frame();
    EXPECT_EQ(g_Menu.m_uPage, 10u);
    Mouse(140, 440, false);
    Frame();
    ASSERT_EQ(g_Menu.m_uPage, 9u);
    // Page 9 waits for a release: a button held over the first slot from before does not act.
    Mouse(180, 222, true);
    Frame();
    Mouse(180, 222, false);
    Frame();
    EXPECT_EQ(g_Menu.m_iOfferedSlot, -1);
    Click(180, 222);
    EXPECT_EQ(g_Menu.m_iOfferedSlot, 0);
}

TEST_F(CMenuTest, ANameTakesNineteenCharactersAndBecomesAProfileOnEnter) {
    Open(9);
    Click(180, 574);  // ">M08": slot 0 is free
    ASSERT_EQ(g_Menu.m_iEntrySlot, 0);
    for (uint32_t key : {65u, 190u, 66u, 189u, 67u, 220u}) g_Menu.OnKeyDown(key);  // A . B - C and a backslash
    EXPECT_STREQ(g_Menu.m_szEntryName, "A.B-C\\");
    g_Menu.OnKeyDown(8);   // backspace
    g_Menu.OnKeyDown(37);  // left
    g_Menu.OnKeyDown(46);  // delete: "A.B-"
    EXPECT_STREQ(g_Menu.m_szEntryName, "A.B-");
    for (int i = 0; i < 20; ++i) g_Menu.OnKeyDown('X');
    EXPECT_EQ(std::strlen(g_Menu.m_szEntryName), 19u);  // the twentieth character is ignored
    g_Menu.OnKeyDown(13);
    EXPECT_EQ(g_Menu.m_iEntrySlot, -1);
    EXPECT_EQ(g_ProfileMgr.m_Profiles[0].m_bUsed, 1);
    EXPECT_EQ(std::string(g_ProfileMgr.m_Profiles[0].m_szName), "A.B-XXXXXXXXXXXXXXX");
    EXPECT_EQ(ReadFile("save\\0.prf").size(), CProfileMgr::kFileSize);
}

TEST_F(CMenuTest, EscapeDropsANameQuitsFromTheProfilesAndResumesAnEvent) {
    Open(9);
    Click(180, 574);
    g_Menu.OnKeyDown('A');
    g_Menu.OnKeyDown(27);
    EXPECT_EQ(g_Menu.m_iEntrySlot, -1);
    EXPECT_EQ(g_Engine.m_bQuit, 0);
    EXPECT_FALSE(Exists("save\\0.prf"));
    g_Menu.OnKeyDown(27);
    EXPECT_EQ(g_Engine.m_bQuit, 1);

    g_Menu.m_bSceneMode = 0;
    g_Menu.ShowPage(13);
    g_Menu.OnKeyDown(27);
    EXPECT_EQ(g_Menu.m_bActive, 0);
}

TEST_F(CMenuTest, TheGridOpensOnlyTheFirstRouteWithoutAResultAndTheNextColumnAfterRouteTen) {
    PlayingProfile(5000);
    Routes(25, 100);
    ProfileRecord& p = g_ProfileMgr.m_Profiles[0];
    auto enabled = [] {
        std::vector<int> open;
        for (uint32_t t = 0; t < g_Menu.m_uTileCount; ++t)
            if (g_Menu.m_Tiles[t].m_bEnabled) open.push_back(static_cast<int>(g_Menu.m_Tiles[t].m_uRoute));
        return open;
    };
    g_Menu.BuildRouteGrid();
    EXPECT_EQ(enabled(), std::vector<int>{0});
    EXPECT_EQ(g_Menu.m_uTileCount, 10u);  // routes 0..10 without route 4, which is hidden
    for (int i = 0; i <= 10; ++i) p.m_uBestPlace[i] = 1 + i % 3;
    g_Menu.BuildRouteGrid();
    EXPECT_EQ(enabled().back(), 11);
    EXPECT_EQ(g_Menu.m_Tiles[g_Menu.m_uTileCount - 1].m_uRoute, 21u);
    EXPECT_EQ(g_Menu.m_Tiles[10].m_fRect[0], 400.0f);  // route 11: second column, first row
    EXPECT_EQ(g_Menu.m_Tiles[10].m_fRect[1], 120.0f);
    p.m_uBestPlace[3] = 0;
    g_Menu.BuildRouteGrid();
    EXPECT_EQ(enabled(), (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8, 9, 10}));
    p.m_iMoney = 99;
    g_Menu.BuildRouteGrid();
    EXPECT_TRUE(enabled().empty());
}

TEST_F(CMenuTest, AnEventStartsForItsFeeAndARestartCostsNothing) {
    Routes(3, 500);
    const struct {
        int32_t money;
        int32_t route;
        bool starts;
        int32_t left;
    } cases[] = {{500, 1, true, 0}, {499, 1, false, 499}, {5000, -1, false, 5000}, {5000, 3, false, 5000}};
    for (const auto& c : cases) {
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_ProfileMgr);
        PlayingProfile(c.money);
        g_Menu.m_bActive = 1;
        g_Menu.StartRace(c.route);
        EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iMoney, c.left) << c.money << " " << c.route;
        EXPECT_EQ(std::string(g_Engine.m_szPendingWorld), c.starts ? "worlds\\r1.w" : "") << c.money;
        EXPECT_EQ(g_Menu.m_bActive, c.starts ? 0 : 1);
        if (c.starts) {
            g_ProfileMgr.LoadProfile(0);
            EXPECT_EQ(g_ProfileMgr.m_Profiles[0].m_iMoney, c.left);  // saved
        }
    }
    PlayingProfile(700);
    g_Menu.m_bActive = 1;
    g_Menu.StartRace(1);
    test::ResetGlobal(g_Engine);
    g_Menu.m_bActive = 1;
    g_Menu.Restart();
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iMoney, 200);
    EXPECT_EQ(std::string(g_Engine.m_szPendingWorld), "worlds\\r1.w");
}

TEST_F(CMenuTest, TheRoutePageOffersTheStartOnlyWhenTheFeeIsCovered) {
    Routes(2, 500);
    for (int32_t money : {500, 499}) {
        PlayingProfile(money);
        g_Menu.m_iSelectedRoute = 1;
        g_Menu.BuildRouteInfo(1);
        g_Menu.ShowPage(12);
        const MenuItem* start = g_Menu.FindItem(5);
        ASSERT_NE(start, nullptr);
        EXPECT_EQ(start->m_uKind, money >= 500 ? MenuItem::kButton : MenuItem::kText) << money;
    }
    EXPECT_NE(std::string(g_Menu.m_szRouteInfo[2]).find(" 30:00.00."), std::string::npos) << g_Menu.m_szRouteInfo[2];
}

TEST_F(CMenuTest, APageWritesTheProfileOnlyWhenItChangesTheSelectedMachine) {
    PlayingProfile(5000);
    std::filesystem::remove(Path("save\\0.prf"));
    for (int i = 0; i < 3; ++i) Open(10);
    EXPECT_FALSE(Exists("save\\0.prf"));  // the owned machine stays selected: nothing written
    g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine = ProfileRecord::kNoMachine;
    Open(10);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, 0);
    EXPECT_TRUE(Exists("save\\0.prf"));
}

TEST_F(CMenuTest, OnlyTheMenusOwnSceneHoldsTheLevelFrame) {
    g_MainGame.m_uFrameCounter = 160;
    g_Menu.m_bSceneMode = 0;
    g_Menu.PrepareSceneRender();
    EXPECT_EQ(g_MainGame.m_uFrameCounter, 160u);  // a pause early in a level keeps its start
    g_Menu.m_bSceneMode = 1;
    g_Menu.PrepareSceneRender();
    EXPECT_EQ(g_MainGame.m_uFrameCounter, CMenu::kSceneFrame);
}

}  // namespace
