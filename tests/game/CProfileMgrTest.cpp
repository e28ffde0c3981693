// The player profiles: the file's bytes, the round trip, damaged files that are never taken half
// and never deleted, saves that leave the old file whole, and the achievements.
#include "game/CProfileMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/ETextMgr.h"
#include "game/Achievements.h"
#include "support/ConsoleLogTest.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

class CProfileMgrTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_ProfileMgr);
        // Type 1 drivable of class 2, type 3 drivable of class 0; types 0 and 2 are not.
        g_Physics.m_uVehicleCount = 4;
        for (uint32_t t = 0; t < 4; ++t) g_Physics.m_Vehicles[t].m_bPlayerCanDrive = t % 2;
        g_Physics.m_Vehicles[1].m_iKlasa = 2;
        g_Physics.m_Vehicles[3].m_iKlasa = 0;
        WriteFile("scripts\\text_keys.txt",
                  ">Ac01 Achievement:\n>Ac02 Five machines\n>At02 Bought five\n>Ac03 Rich\n>At03 Saved up\n"
                  ">Ac04 Played\n>Ac05 hours\n>At04 Long\n>Ac25 Passed\n>Ac26 rivals\n>At25 Fast\n"
                  ">Ac31 Scared\n>Ac32 hens\n>At31 Hens\n>Ac17 Under\n>At17 Quick\n>Ac33 Ten\n>Ac33t Route ten\n"
                  ">Ac34 Twenty-one\n>Ac34t Route 21\n>Ac10 All\n>At10 Every route\n");
        g_TextMgr.Load();
    }
    void TearDown() override {
        g_Physics.m_uVehicleCount = 0;
        test::ResetGlobal(g_ProfileMgr);
        g_TextMgr.Load();
        ConsoleLogTest::TearDown();
    }
    // A profile made as the menu makes one: reset, used, named, saved.
    static void CreateProfile(uint32_t slot, const char* name) {
        g_ProfileMgr.ResetProfile(slot);
        g_ProfileMgr.m_Profiles[slot].m_bUsed = 1;
        std::snprintf(g_ProfileMgr.m_Profiles[slot].m_szName, ProfileRecord::kNameSize, "%s", name);
        g_ProfileMgr.SaveProfile(slot);
    }
    std::string File(uint32_t slot) const { return ReadFile("save\\" + std::to_string(slot) + ".prf"); }
    static int32_t IntAt(const std::string& bytes, size_t offset) {
        int32_t value;
        std::memcpy(&value, bytes.data() + offset, 4);
        return value;
    }
};

TEST_F(CProfileMgrTest, ANewProfileFileHoldsTheVersionAndTheResetValuesAtTheirOffsets) {
    CreateProfile(0, "FARMER");
    const std::string bytes = File(0);
    ASSERT_EQ(bytes.size(), CProfileMgr::kFileSize);
    float bestTime;
    std::memcpy(&bestTime, bytes.data() + 4 + 552, 4);
    EXPECT_EQ(bestTime, 1800.0f);
    EXPECT_EQ(bytes.substr(5, 7), std::string("FARMER\0", 7));
    constexpr size_t kSlot1 = 4 + 1076 + 864, kSlot3 = 4 + 1076 + 3 * 864;
    const struct {
        size_t offset;
        int32_t value;
    } cases[] = {
        {0, 37},                    // version
        {4, 1},                     // used (with the first three name bytes: only the low byte counts)
        {1068, 21000},              // money
        {1072, -1},                 // difficulty not chosen
        {1076, 0},                  // owned count
        {4 + 56436, 64},            // selected machine: none yet, drivable types exist
        {kSlot3, 3},                // the slot's vehicle type, twice
        {kSlot3 + 4, 3},
        {kSlot3 + 776, 20000},      // class 0 price
        {kSlot1 + 776, 40000},      // class 2 price
        {kSlot1 - 864 + 776, 0},    // slot 0: a type the player cannot drive stays zero
        {4 + 56440 + 12, 3000},     // upgrade-1 level-1 price of slot 3
        {4 + 56696 + 4, 11000},     // upgrade-1 level-2 price of slot 1: 2 x 3000 + 5000
        {4 + 56952 + 12, 2000},     // gearbox level 1
        {4 + 57208 + 4, 8000},      // gearbox level 2 of slot 1: 2 x 2500 + 3000
        {4 + 57464 + 4, 4000},      // brakes of slot 1: (2 + 2) x 1000
        {4 + 57720, 0},             // driver
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.offset == 4 ? IntAt(bytes, 4) & 0xFF : IntAt(bytes, c.offset), c.value) << "offset " << c.offset;
    EXPECT_EQ(bytes.substr(kSlot3 + 8, 17), std::string("sounds\\horn1.wav\0", 17));
}

TEST_F(CProfileMgrTest, WithoutADrivableTypeAResetProfileSelectsNoMachine) {
    g_Physics.m_uVehicleCount = 0;
    g_ProfileMgr.ResetProfile(2);
    EXPECT_EQ(g_ProfileMgr.m_Profiles[2].m_iSelectedMachine, -1);
    EXPECT_EQ(g_ProfileMgr.m_Profiles[2].m_Machines[3].m_uPrice, 0u);
}

TEST_F(CProfileMgrTest, AProfileReadBackAtTheNextStartIsTheSameRecordAndTheSameBytes) {
    CreateProfile(4, "Ann");
    ProfileRecord& r = g_ProfileMgr.m_Profiles[4];
    r.m_iMoney = 123456;
    r.m_iDifficulty = 2;
    r.m_uBestPlace[7] = 2;
    r.m_fBestTime[7] = 71.25f;
    r.m_bOwned[3] = 1;
    r.m_uOwnedCount = 1;
    r.m_iSelectedMachine = 3;
    r.m_Machines[3].m_iUpgrade3 = 2;
    r.m_Machines[3].m_uPaint[1] = 0xABCDEF;
    r.m_Achievements.m_uHensScared = 77;
    r.m_Achievements.m_bRoute21 = 1;
    g_ProfileMgr.SaveProfile(4);
    const std::string before = File(4);
    ProfileRecord saved;
    std::memcpy(static_cast<void*>(&saved), &r, sizeof saved);

    test::ResetGlobal(g_ProfileMgr);
    g_ProfileMgr.Init();
    EXPECT_EQ(File(4), before);
    ProfileRecord& loaded = g_ProfileMgr.m_Profiles[4];
    EXPECT_EQ(std::memcmp(&loaded, &saved, sizeof saved), 0);
    EXPECT_FALSE(Exists("save\\0.prf"));
    EXPECT_EQ(g_GearTables[2].m_iGears, 5);
    EXPECT_EQ(g_GearTables[1].m_fRatios[7], 0.15f);
}

TEST_F(CProfileMgrTest, ADamagedFileIsNeverTakenInPartAndOnlyAnotherVersionIsRemoved) {
    CreateProfile(0, "FARMER");
    const std::string whole = File(0);
    const struct {
        const char* name;
        std::function<std::string(std::string)> damage;
        bool kept;
    } cases[] = {
        {"short", [](std::string b) { return b.substr(0, b.size() - 1); }, true},
        {"long", [](std::string b) { return b + '\0'; }, true},
        {"version only", [](std::string b) { return b.substr(0, 4); }, true},
        {"three bytes", [](std::string b) { return b.substr(0, 3); }, true},
        {"other version", [](std::string b) { b[0] = 36; return b; }, false},
    };
    for (const auto& c : cases) {
        const std::string damaged = c.damage(whole);
        WriteFile("save\\0.prf", damaged);
        test::ResetGlobal(g_ProfileMgr);
        g_ProfileMgr.Init();
        EXPECT_EQ(g_ProfileMgr.m_Profiles[0].m_bUsed, 0) << c.name;
        EXPECT_EQ(g_ProfileMgr.m_Profiles[0].m_iMoney, CProfileMgr::kStartMoney) << c.name;
        EXPECT_EQ(Exists("save\\0.prf"), c.kept) << c.name;
        if (c.kept) {
            EXPECT_EQ(File(0), damaged) << c.name;
        }
    }
}

TEST_F(CProfileMgrTest, ANewProfileInTheSlotOfABrokenFileWritesOverIt) {
    WriteFile("save\\5.prf", "not a profile");
    g_ProfileMgr.Init();
    CreateProfile(5, "Bo");
    EXPECT_EQ(File(5).size(), CProfileMgr::kFileSize);
}

TEST_F(CProfileMgrTest, ValuesOutsideTheirRangesAreBroughtBackWhenLoaded) {
    CreateProfile(1, "X");
    std::string bytes = File(1);
    const size_t slot3 = 4 + 1076 + 3 * 864;
    auto put = [&bytes](size_t offset, int32_t value) { std::memcpy(bytes.data() + offset, &value, 4); };
    std::memset(bytes.data() + 5, 'A', ProfileRecord::kNameSize);  // no terminator
    put(1068, 7);                                                  // difficulty
    put(4 + 56436, 200);                                           // selected machine
    put(4 + 57720, 9);                                             // driver
    put(4 + 36 + 4 * 5, 12);                                       // best place of route 5
    put(slot3 + 796, 5);                                           // upgrade 1
    put(slot3 + 800, -3);                                          // gearbox
    put(slot3 + 808, 4);                                           // brakes
    put(slot3 + 812, 99);                                          // skin
    WriteFile("save\\1.prf", bytes);
    ASSERT_EQ(g_ProfileMgr.LoadProfile(1), CProfileMgr::LoadResult::Loaded);
    const ProfileRecord& r = g_ProfileMgr.m_Profiles[1];
    EXPECT_EQ(std::strlen(r.m_szName), ProfileRecord::kNameSize - 1u);
    EXPECT_EQ(r.m_iDifficulty, -1);
    EXPECT_EQ(r.m_iSelectedMachine, ProfileRecord::kNoMachine);
    EXPECT_EQ(r.m_uDriver, 4u);
    EXPECT_EQ(r.m_uBestPlace[5], 3u);
    EXPECT_EQ(r.m_Machines[3].m_iUpgrade1, 2);
    EXPECT_EQ(r.m_Machines[3].m_iUpgrade3, 0);
    EXPECT_EQ(r.m_Machines[3].m_iUpgrade2, 1);
    EXPECT_EQ(r.m_Machines[3].m_uSkin, 5u);
}

TEST_F(CProfileMgrTest, ASaveThatCannotBeWrittenLeavesTheOldFileWhole) {
    CreateProfile(0, "FARMER");
    const std::string old = File(0);
    // The temporary file cannot be made: the save stops before anything replaces the old file.
    std::filesystem::create_directories(Path("save\\0.prf.tmp"));
    g_ProfileMgr.m_Profiles[0].m_iMoney = 5;
    g_ProfileMgr.SaveProfile(0);
    EXPECT_EQ(File(0), old);
    const std::vector<std::string> lines = ConsoleLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Can't write file save\\0.prf"), lines.end());
}

TEST_F(CProfileMgrTest, SelectingAFreeSlotSelectsNothingAndASelectedProfileWithoutAMachineDrivesNone) {
    const MachineRecord* direct = g_ProfileMgr.CurrentMachine();
    ASSERT_NE(direct, nullptr);  // a start straight into a world, before any profile
    EXPECT_EQ(direct->m_uVehicleType, 0u);
    g_ProfileMgr.SelectProfile(3);
    EXPECT_EQ(g_ProfileMgr.m_iCurrentSlot, -1);
    EXPECT_EQ(g_ProfileMgr.m_bProfileSelected, 0u);
    g_ProfileMgr.SelectProfile(8);
    EXPECT_EQ(g_ProfileMgr.m_bProfileSelected, 0u);
    CreateProfile(3, "C");
    g_ProfileMgr.SelectProfile(3);
    EXPECT_EQ(g_ProfileMgr.m_iCurrentSlot, 3);
    EXPECT_EQ(g_ProfileMgr.CurrentMachine(), nullptr);  // selected machine 64: none
    g_ProfileMgr.m_pCurrentProfile->m_iSelectedMachine = 3;
    g_ProfileMgr.UpdateCurrentMachine();
    EXPECT_EQ(g_ProfileMgr.CurrentMachine(), &g_ProfileMgr.m_Profiles[3].m_Machines[3]);
}

TEST_F(CProfileMgrTest, EachRuleGrantsItsAchievementOnceWithItsCaptionAndSavesTheProfile) {
    const struct {
        const char* name;
        std::function<void(ProfileRecord&)> setUp;
        bool race;
        float raceTime;
        const char* caption;
        const char* text;
    } cases[] = {
        {"machines", [](ProfileRecord& r) { r.m_Achievements.m_uMachinesBought = 5; }, false, 0, "Five machines",
         "Bought five"},
        {"money", [](ProfileRecord& r) { r.m_iMoney = 100000; }, false, 0, "Rich $100,000.", "Saved up"},
        {"play time", [](ProfileRecord& r) { r.m_Achievements.m_fPlayTime = 28800; }, false, 0, "Played 8 hours", "Long"},
        {"overtakes", [](ProfileRecord& r) { r.m_Achievements.m_uOvertakes = 500; }, false, 0, "Passed 500 rivals",
         "Fast"},
        {"hens", [](ProfileRecord& r) { r.m_Achievements.m_uHensScared = 5000; }, false, 0, "Scared 5,000 hens",
         "Hens"},
        {"race time", [](ProfileRecord&) {}, true, 159.9f, "Under 2:40.00", "Quick"},
        {"all routes", [](ProfileRecord& r) { for (int i = 0; i <= 32; ++i) r.m_uBestPlace[i] = 3; }, true, 200,
         "All", "Every route"},
    };
    for (const auto& c : cases) {
        test::ResetGlobal(g_ProfileMgr);
        CreateProfile(0, "A");
        g_ProfileMgr.SelectProfile(0);
        g_Engine.m_fFrameTime = 0.1f;
        c.setUp(g_ProfileMgr.m_Profiles[0]);
        if (c.race) g_ProfileMgr.CheckRaceAchievements(1, c.raceTime);
        else g_ProfileMgr.CheckAchievements();
        EXPECT_STREQ(g_ProfileMgr.m_szPopupCaption, c.caption) << c.name;
        EXPECT_STREQ(g_ProfileMgr.m_szPopupText, c.text) << c.name;
        EXPECT_EQ(g_ProfileMgr.m_fPopupTimer, CProfileMgr::kPopupSeconds) << c.name;
        g_ProfileMgr.LoadProfile(0);
        int granted = 0;
        for (const Achievement& a : kAchievements) granted += g_ProfileMgr.m_Profiles[0].m_Achievements.*a.flag;
        EXPECT_EQ(granted, 1) << c.name;
        g_ProfileMgr.ClearPopup();
        if (c.race) g_ProfileMgr.CheckRaceAchievements(1, c.raceTime);
        else g_ProfileMgr.CheckAchievements();
        EXPECT_STREQ(g_ProfileMgr.m_szPopupCaption, "") << c.name << ": granted twice";
    }
}

TEST_F(CProfileMgrTest, PlayTimeStopsOnceGrantedAndALongFrameLeavesThePopupTimer) {
    CreateProfile(0, "A");
    g_ProfileMgr.SelectProfile(0);
    ProfileAchievements& a = g_ProfileMgr.m_pCurrentProfile->m_Achievements;
    a.m_fPlayTime = 28799.95f;
    g_Engine.m_fFrameTime = 0.25f;
    g_ProfileMgr.CheckAchievements();
    ASSERT_EQ(a.m_bPlayTime, 1);
    const float granted = a.m_fPlayTime;
    g_ProfileMgr.CheckAchievements();
    EXPECT_EQ(a.m_fPlayTime, granted);
    g_Engine.m_fFrameTime = 0.5f;
    g_ProfileMgr.DrawAchievementPopup();
    EXPECT_EQ(g_ProfileMgr.m_fPopupTimer, CProfileMgr::kPopupSeconds);
    g_Engine.m_fFrameTime = 0.25f;
    g_ProfileMgr.DrawAchievementPopup();
    EXPECT_EQ(g_ProfileMgr.m_fPopupTimer, CProfileMgr::kPopupSeconds - 0.25f);
}

TEST_F(CProfileMgrTest, AResultKeepsTheBetterPlaceAndTimeAndARouteBeyondTheKeptOnesKeepsNone) {
    CreateProfile(0, "A");
    g_ProfileMgr.SelectProfile(0);
    const struct {
        int route;
        uint32_t place;
        float time;
        int32_t prize;
        uint32_t bestPlace;
        float bestTime;
    } cases[] = {
        {5, 2, 200, 1000, 2, 200},  // the first result
        {5, 3, 150, 500, 2, 150},   // a worse place, a better time
        {5, 1, 300, 2000, 1, 150},  // a better place, a worse time
        {5, 0, 100, 0, 1, 150},     // a run without a place keeps nothing
    };
    int32_t money = CProfileMgr::kStartMoney;
    for (const auto& c : cases) {
        g_ProfileMgr.BookResult(c.route, c.place, c.time, c.prize);
        money += c.prize;
        EXPECT_EQ(g_ProfileMgr.m_Profiles[0].m_uBestPlace[5], c.bestPlace) << c.place;
        EXPECT_EQ(g_ProfileMgr.m_Profiles[0].m_fBestTime[5], c.bestTime) << c.place;
        EXPECT_EQ(IntAt(File(0), 1068), money) << c.place;  // saved
    }
    const std::string before = File(0);
    for (int route : {60, 127, -1}) g_ProfileMgr.BookResult(route, 1, 100, 0);
    EXPECT_EQ(File(0), before);
}

TEST_F(CProfileMgrTest, WithoutASelectedProfileNoAchievementIsGranted) {
    g_ProfileMgr.m_Profiles[0].m_iMoney = 200000;
    g_ProfileMgr.CheckAchievements();
    g_ProfileMgr.CheckRaceAchievements(1, 10);
    EXPECT_STREQ(g_ProfileMgr.m_szPopupCaption, "");
    EXPECT_FALSE(Exists("save\\0.prf"));
}

}  // namespace
