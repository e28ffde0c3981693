// The garage and the machine choice over a small fleet of vehicle types: the shop's classes opened
// by completed routes, buying and selling, the upgrades and their limits, the paint skins, which
// machine fits a route, and the garage's pages driven by clicks at 1024 x 768.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "core/EMouse.h"
#include "core/ESettings.h"
#include "game/CMenu.h"
#include "game/CProfileMgr.h"
#include "game/MachineRules.h"
#include "game/MachineSkin.h"
#include "support/TestSupport.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

constexpr double kPi = 3.14159265358979;

// The fleet: slot, name, class (also the nationality), kinds and countries.
enum Slot { kField, kMedium, kHeavy, kCombineDE, kCombineFR, kLoaderUK, kTrailer, kRacer, kFleet };

class CMenuGarageTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        test::ResetGlobal(g_Menu);
        test::ResetGlobal(g_ProfileMgr);
        test::ResetGlobal(g_Mouse);
        test::ResetGlobal(g_Engine);
        g_Settings.SetScreenSize(1024, 768);
        struct {
            const char* name;
            int klasa;
            bool traktor, kombajn, tur, drivable, de, fr;
        } fleet[kFleet] = {
            {"Field", 0, true, false, false, true, true, false},
            {"Medium", 1, true, false, false, true, false, false},
            {"Heavy", 2, true, false, false, true, false, false},
            {"CombineDE", 0, false, true, false, true, true, false},
            {"CombineFR", 1, false, true, false, true, false, true},
            {"LoaderUK", 2, false, false, true, true, false, false},
            {"Trailer", 0, false, false, false, false, false, false},
            {"Racer", 3, true, false, false, true, false, false},
        };
        g_Physics.m_uVehicleCount = kFleet;
        for (int t = 0; t < kFleet; ++t) {
            VehicleType& v = g_Physics.m_Vehicles[t];
            v.Reset();
            std::strcpy(v.m_szName, fleet[t].name);
            v.m_iKlasa = fleet[t].klasa;
            v.m_bTraktor = fleet[t].traktor;
            v.m_bKombajn = fleet[t].kombajn;
            v.m_bTur = fleet[t].tur;
            v.m_bPlayerCanDrive = fleet[t].drivable;
            v.m_bDE = fleet[t].de;
            v.m_bFR = fleet[t].fr;
        }
        g_Menu.m_bActive = 1;
        g_Menu.m_bSceneMode = 1;
    }
    void TearDown() override {
        for (int t = 0; t < kFleet; ++t) g_Physics.m_Vehicles[t].Reset();
        g_Physics.m_uVehicleCount = 0;
        test::ResetGlobal(g_Menu);
        test::ResetGlobal(g_ProfileMgr);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_RoutesMgr);
        StartDirTest::TearDown();
    }
    // A selected profile with the given money owning the given slots, the first of them selected.
    static ProfileRecord& Farmer(int32_t money, std::initializer_list<int> owned) {
        g_ProfileMgr.ResetProfile(0);
        ProfileRecord& p = g_ProfileMgr.m_Profiles[0];
        p.m_bUsed = 1;
        std::strcpy(p.m_szName, "FARMER");
        p.m_iDifficulty = 1;
        p.m_iMoney = money;
        for (int slot : owned) p.m_bOwned[slot] = 1;
        if (owned.size()) p.m_iSelectedMachine = *owned.begin();
        g_ProfileMgr.SaveProfile(0);
        g_ProfileMgr.SelectProfile(0);
        return p;
    }
    // The profile as saved on disk.
    static const ProfileRecord& Saved() {
        g_ProfileMgr.LoadProfile(0);
        return g_ProfileMgr.m_Profiles[0];
    }
    static void Mouse(double x, double y, bool held) {
        g_Mouse.m_State.m_dLookX = x / 1024 * kPi;
        g_Mouse.m_State.m_dLookY = y / 768 * kPi;
        g_Mouse.m_State.m_Buttons[0] = held ? 0x80 : 0;
    }
    static void Frame() {
        g_Engine.m_fFrameTime = 1.0f / 60;
        g_Menu.Update();
    }
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
    // The slots the shop offers, stepping forwards through all of them.
    static std::set<int> ShopOffers() {
        std::set<int> seen;
        g_Menu.m_iShopIndex = -1;
        for (int i = 0; i < 64; ++i) {
            g_Menu.NextShopMachine();
            if (g_Menu.m_iShopIndex >= 0) seen.insert(g_Menu.m_iShopIndex);
        }
        return seen;
    }
    static std::string ItemText(uint32_t id) {
        const MenuItem* item = g_Menu.FindItem(id);
        return item ? item->m_szText : "";
    }
};

TEST_F(CMenuGarageTest, TheShopOpensClassesByTheLeadingCompletedRoutes) {
    const struct {
        int completed;  // routes 0.. with a result
        int gapAt;      // a route without a result, -1 none
        std::set<int> offers;
    } cases[] = {
        {0, -1, {kField}},
        {10, -1, {kField}},
        {11, -1, {kField, kMedium}},
        {21, -1, {kField, kMedium}},
        {22, -1, {kField, kMedium, kHeavy, kRacer}},
        {33, 5, {kField}},  // the gap stops the count at 5
        {33, 15, {kField, kMedium}},
    };
    for (const auto& c : cases) {
        ProfileRecord& p = Farmer(100000, {});
        for (int r = 0; r < c.completed; ++r) p.m_uBestPlace[r] = r == c.gapAt ? 0 : 1;
        EXPECT_EQ(ShopOffers(), c.offers) << c.completed << " routes, gap at " << c.gapAt;
    }
    // An owned tractor leaves the shop; the last one gone leaves nothing on offer.
    ProfileRecord& p = Farmer(100000, {kField});
    EXPECT_EQ(ShopOffers(), std::set<int>{});
    EXPECT_EQ(g_Menu.m_iShopIndex, -1);
    // Locked tractors still count as for sale: the garage's shop button stays on.
    EXPECT_TRUE(g_Menu.IsMachineForSale());
    p.m_bOwned[kMedium] = p.m_bOwned[kHeavy] = p.m_bOwned[kRacer] = 1;
    EXPECT_FALSE(g_Menu.IsMachineForSale());
}

TEST_F(CMenuGarageTest, TheShopStepsBothWaysAndWraps) {
    ProfileRecord& p = Farmer(100000, {});
    for (int r = 0; r < 22; ++r) p.m_uBestPlace[r] = 2;
    g_Menu.m_iShopIndex = kField;
    const int forward[] = {kMedium, kHeavy, kRacer, kField};
    for (int want : forward) {
        g_Menu.NextShopMachine();
        EXPECT_EQ(g_Menu.m_iShopIndex, want);
    }
    const int backward[] = {kRacer, kHeavy, kMedium, kField};
    for (int want : backward) {
        g_Menu.PrevShopMachine();
        EXPECT_EQ(g_Menu.m_iShopIndex, want);
    }
}

TEST_F(CMenuGarageTest, BuyingWithExactlyThePriceLeavesNothingAndOpensTheGarage) {
    Farmer(19999, {});
    g_Menu.m_iShopIndex = kField;
    g_Menu.BuyShopMachine();  // 1 short of 20,000
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iMoney, 19999);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_bOwned[kField], 0);

    ProfileRecord& p = Farmer(20000, {});
    p.m_uDriver = static_cast<uint32_t>(-1);
    g_Menu.m_iShopIndex = kField;
    g_Menu.m_uPage = 42;
    g_Menu.BuyShopMachine();
    EXPECT_EQ(g_Menu.m_uPage, 40u);
    EXPECT_EQ(g_Menu.m_iShopIndex, -1);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentMachine, &p.m_Machines[kField]);
    const ProfileRecord& saved = Saved();
    EXPECT_EQ(saved.m_iMoney, 0);
    EXPECT_EQ(saved.m_bOwned[kField], 1);
    EXPECT_EQ(saved.m_iSelectedMachine, kField);
    EXPECT_EQ(saved.m_uOwnedCount, 1u);
    EXPECT_EQ(saved.m_Achievements.m_uMachinesBought, 1u);
    EXPECT_EQ(saved.m_uDriver, 0u);
}

TEST_F(CMenuGarageTest, ASaleNeedsTwoMachinesAndPaysHalfThePriceRoundedDown) {
    Farmer(500, {kField});
    Open(43);
    EXPECT_EQ(g_Menu.FindItem(2)->m_uKind, MenuItem::kText);  // ">G80": nothing to sell
    g_Menu.SellSelectedMachine();
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_bOwned[kField], 1);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iMoney, 500);

    ProfileRecord& p = Farmer(500, {kMedium, kField, kRacer});
    p.m_Machines[kMedium].m_uPrice = 30001;
    p.m_Achievements.m_uMachinesBought = 3;
    Open(43);
    EXPECT_EQ(g_Menu.FindItem(2)->m_uKind, MenuItem::kButton);
    EXPECT_NE(ItemText(1).find("($15000)"), std::string::npos) << ItemText(1);
    g_Menu.SellSelectedMachine();
    EXPECT_EQ(g_Menu.m_uPage, 40u);
    const ProfileRecord& saved = Saved();
    EXPECT_EQ(saved.m_iMoney, 15500);
    EXPECT_EQ(saved.m_bOwned[kMedium], 0);
    EXPECT_EQ(saved.m_iSelectedMachine, kRacer);  // the next owned slot after the one sold
    EXPECT_EQ(saved.m_uOwnedCount, 2u);
    EXPECT_EQ(saved.m_Achievements.m_uMachinesBought, 2u);
}

TEST_F(CMenuGarageTest, UpgradesAreOfferedByMoneyAndLevelAndLevelTwoNeedsNoLevelOne) {
    // Class 0 prices: engine 3,000 and 5,000, tyres 2,000, gearbox 2,000 and 3,000.
    const struct {
        int32_t money;
        int engine, tyres, gearbox;
        bool offered[5];
    } cases[] = {
        {10000, 0, 0, 0, {true, true, true, true, true}},
        {2999, 0, 0, 0, {false, false, true, true, false}},
        {10000, 1, 1, 1, {false, true, false, false, true}},
        {10000, 2, 1, 2, {false, false, false, false, false}},
        {4999, 1, 0, 0, {false, false, true, true, true}},
    };
    for (const auto& c : cases) {
        MachineRecord& m = Farmer(c.money, {kField}).m_Machines[kField];
        m.m_iUpgrade1 = c.engine;
        m.m_iUpgrade2 = c.tyres;
        m.m_iUpgrade3 = c.gearbox;
        for (int offer = 1; offer <= 5; ++offer)
            EXPECT_EQ(g_Menu.UpgradeOffered(offer), c.offered[offer - 1])
                << "offer " << offer << " with " << c.money << " at levels " << c.engine << c.tyres << c.gearbox;
    }

    ProfileRecord& p = Farmer(10000, {kField});
    g_Menu.BuyUpgrade(2);  // the racing engine straight from standard
    g_Menu.BuyUpgrade(1);  // no longer offered
    g_Menu.BuyUpgrade(5);
    g_Menu.BuyUpgrade(4);
    g_Menu.BuyUpgrade(3);
    const MachineRecord& m = Saved().m_Machines[kField];
    EXPECT_EQ(m.m_iUpgrade1, 2);
    EXPECT_EQ(m.m_iUpgrade3, 2);
    EXPECT_EQ(m.m_iUpgrade2, 1);
    EXPECT_EQ(p.m_iMoney, 10000 - 5000 - 3000 - 2000);
}

TEST_F(CMenuGarageTest, DriverAndPaintCycleBackToTheFirst) {
    ProfileRecord& p = Farmer(0, {kField});
    p.m_uDriver = 3;
    p.m_Machines[kField].m_uSkin = 4;
    const uint32_t drivers[] = {4, 0, 1}, skins[] = {5, 0, 1};
    for (int i = 0; i < 3; ++i) {
        g_Menu.NextDriver();
        g_Menu.NextSkin();
        EXPECT_EQ(Saved().m_uDriver, drivers[i]);
        EXPECT_EQ(Saved().m_Machines[kField].m_uSkin, skins[i]);
    }
}

TEST_F(CMenuGarageTest, ASkinNamesTheTexturesOfItsModel) {
    const struct {
        const char* model;
        int skin;
        const char* base;  // null: not a skinned model
        const char* skinned;
    } cases[] = {
        {"prefabs\\Tractor001_NoCenter.x", 0, "tractor001.tga", "tractor001.tga"},
        {"prefabs\\tractor001_nocenter.x", 1, "tractor001.tga", "tractor001a.tga"},
        {"prefabs\\tractor009_nocenter.x", 5, "tractor009.tga", "tractor009e.tga"},
        {"prefabs\\tractor010_nocenter.x", 3, "tractor010.tga", "tractor010c.tga"},
        {"prefabs\\tractor023_nocenter.x", 2, "tractor023.tga", "tractor023b.tga"},
        {"prefabs\\tractor024_nocenter.x", 1, nullptr, nullptr},
        {"prefabs\\tractor\\body_nocenter.x", 1, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        char base[64] = "", skinned[64] = "";
        const bool known = SkinTextureNames(c.model, c.skin, base, skinned, sizeof base);
        ASSERT_EQ(known, c.base != nullptr) << c.model;
        if (!known) continue;
        EXPECT_STREQ(base, c.base) << c.model;
        EXPECT_STREQ(skinned, c.skinned) << c.model;
    }
    EObjectSlot unknown;
    std::strcpy(unknown.m_szFileName, "prefabs\\tractor\\body_nocenter.x");
    EXPECT_EQ(SetSkin(&g_Menu, &unknown, 3, 0), 0);
    EXPECT_EQ(unknown.m_uTextureSwap[0][0], 0u);
    EXPECT_EQ(MachineRules::NextSkinIndex(5), 0u);
}

TEST_F(CMenuGarageTest, ARouteTakesOnlyTheMachinesThatFitItsTaskAndCountry) {
    const struct {
        uint32_t country;
        bool tractor, combine, loader;
        int start;
        int next;  // the slot chosen stepping forwards
    } cases[] = {
        {0, true, false, false, kField, kRacer},        // owned tractors only (Medium is not owned)
        {0, true, false, false, kRacer, kField},        // wraps round
        {0, false, true, false, kField, kCombineDE},    // a combine need not be owned
        {1, false, true, false, kCombineDE, kCombineFR},  // a German combine is not for France
        {0, false, false, true, kField, kField},        // the UK loader serves neither DE ...
        {3, false, false, true, kField, kLoaderUK},     // ... but the US
    };
    for (const auto& c : cases) {
        Farmer(0, {kField, kRacer});
        g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine = c.start;
        g_Menu.m_uCountry = c.country;
        g_Menu.NextMachine(c.tractor, c.combine, c.loader);
        EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, c.next) << "country " << c.country;
    }
    Farmer(0, {kField, kRacer});
    g_Menu.PrevMachine(true, false, false);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, kRacer);
    EXPECT_EQ(Saved().m_iSelectedMachine, kRacer);
    // Nothing fits: the selection stays and the profile is not written again.
    std::filesystem::remove(Path("save\\0.prf"));
    g_Menu.m_uCountry = 0;
    g_Menu.NextMachine(false, false, true);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, kRacer);
    EXPECT_FALSE(Exists("save\\0.prf"));
}

TEST_F(CMenuGarageTest, TheRoutePageStepsToACombineForAHarvestAndBackToATractorAfter) {
    g_RoutesMgr.ReadRoutes("trasa worlds\\r0.w\nkoszenie\ntrasa worlds\\r1.w\nz_przeciwnikami\n");
    Farmer(0, {kField, kRacer});
    g_Menu.m_iSelectedRoute = 0;
    Open(12);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, kCombineDE);
    g_Menu.StepMachineForRoute(1);  // the French combine does not serve Germany
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, kCombineDE);
    // Any other page takes an owned tractor again, one of the player's own country first.
    g_ProfileMgr.m_pCurrentProfile->m_bOwned[kMedium] = 1;
    g_Menu.m_uCountry = 1;
    Open(30);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, kMedium);
    g_Menu.m_iSelectedRoute = 1;
    g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine = kCombineFR;
    Open(12);
    EXPECT_EQ(g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine, kRacer);
}

TEST_F(CMenuGarageTest, WithoutAnOwnedTractorTheSelectionStaysNone) {
    ProfileRecord& p = Farmer(0, {});
    EXPECT_EQ(p.m_iSelectedMachine, ProfileRecord::kNoMachine);
    Open(40);
    EXPECT_EQ(p.m_iSelectedMachine, ProfileRecord::kNoMachine);
    p.m_iSelectedMachine = kCombineDE;
    Open(40);
    EXPECT_EQ(p.m_iSelectedMachine, -1);
    EXPECT_EQ(g_ProfileMgr.CurrentMachine(), nullptr);
}

TEST_F(CMenuGarageTest, TheShopKeepsAPlayerWithoutATractorUntilOneIsBought) {
    constexpr uint32_t kEscape = 27;
    Farmer(21000, {kCombineDE});  // a combine is no tractor
    g_Menu.m_iShopIndex = -1;
    g_Menu.NextShopMachine();
    Open(42);
    EXPECT_TRUE(g_Menu.FindItem(5)->m_bDisabled);
    g_Menu.OnKeyDown(kEscape);
    EXPECT_EQ(g_Menu.m_uPage, 42u);
    Click(512, 650);  // buy
    ASSERT_EQ(g_Menu.m_uPage, 40u);
    Open(42);
    EXPECT_FALSE(g_Menu.FindItem(5)->m_bDisabled);
    g_Menu.OnKeyDown(kEscape);
    EXPECT_EQ(g_Menu.m_uPage, 40u);
}

TEST_F(CMenuGarageTest, TheGaragesButtonsLeadToItsPages) {
    ProfileRecord& p = Farmer(30000, {kField});
    Open(40);
    // Buttons at x 180 from y 180: owned machines, upgrades, shop, sale, back.
    Click(180, 290);
    ASSERT_EQ(g_Menu.m_uPage, 42u);
    EXPECT_EQ(g_Menu.m_iShopIndex, -1);  // the medium tractor waits for 11 routes
    EXPECT_TRUE(g_Menu.FindItem(2)->m_bDisabled);
    Click(512, 710);  // back
    ASSERT_EQ(g_Menu.m_uPage, 40u);
    Click(180, 240);  // upgrades
    ASSERT_EQ(g_Menu.m_uPage, 52u);
    EXPECT_NE(ItemText(1).find("($3000)"), std::string::npos) << ItemText(1);
    Click(512, 190);  // the tuned engine
    EXPECT_EQ(p.m_Machines[kField].m_iUpgrade1, 1);
    EXPECT_EQ(p.m_iMoney, 27000);
    EXPECT_TRUE(g_Menu.FindItem(1)->m_bDisabled);
    Click(512, 710);
    Click(180, 340);  // sale: the only machine is not sold
    ASSERT_EQ(g_Menu.m_uPage, 43u);
    EXPECT_EQ(g_Menu.FindItem(2)->m_uKind, MenuItem::kText);
    Click(512, 710);
    p.m_bOwned[kRacer] = 1;
    Click(180, 190);  // owned machines
    ASSERT_EQ(g_Menu.m_uPage, 41u);
    Click(712, 590);  // next
    EXPECT_EQ(p.m_iSelectedMachine, kRacer);
    EXPECT_NE(ItemText(1).find(" Racer. "), std::string::npos) << ItemText(1);
    Click(512, 650);  // OK saves the choice
    EXPECT_EQ(g_Menu.m_uPage, 40u);
    EXPECT_EQ(Saved().m_iSelectedMachine, kRacer);
}

}  // namespace
