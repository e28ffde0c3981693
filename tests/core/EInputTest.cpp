#include "core/EInput.h"

#include "core/CCommandMgr.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"
#include "support/InputTest.h"

namespace {

using Op = plat::EffectCall::Op;

plat::FakeController Wheel(const char* name = "Wheel", bool forceFeedback = true) {
    return {name, true, forceFeedback, false};
}

class EInputTest : public test::InputTest {
protected:
    std::vector<plat::EffectCall>& Calls() { return plat::CurrentInput().effectCalls; }
    // The effects started since the calls were last cleared, with their iteration counts.
    std::vector<std::pair<std::string, uint32_t>> Starts() {
        std::vector<std::pair<std::string, uint32_t>> starts;
        for (const plat::EffectCall& c : Calls())
            if (c.op == Op::Start) starts.emplace_back(c.effect, c.iterations);
        return starts;
    }
};

TEST_F(EInputTest, ListsAtMostEightControllersSkippingOnesThatFail) {
    std::vector<plat::FakeController> attached;
    for (int i = 0; i < 10; ++i) attached.push_back(Wheel(("Wheel " + std::to_string(i)).c_str()));
    attached[1].createFails = true;
    InitControllers(attached);
    EXPECT_EQ(g_Input.m_uDeviceCount, 8u);
    EXPECT_STREQ(g_Input.GetDeviceName(0), "Wheel 0");
    EXPECT_STREQ(g_Input.GetDeviceName(1), "Wheel 2");
    EXPECT_STREQ(g_Input.GetDeviceName(7), "Wheel 8");
    EXPECT_STREQ(g_Input.GetDeviceName(-1), "*");
    EXPECT_STREQ(g_Input.GetDeviceName(8), "*");
    EXPECT_EQ(ConsoleLines().back(), "Input init OK!");
}

TEST_F(EInputTest, NoInputServiceLogsAnErrorAndEverythingElseDoesNothing) {
    plat::SetInputFault(plat::DeviceKind::System, plat::InputStep::Create, plat::InputResult::Failed);
    InitControllers({Wheel()});
    EXPECT_FALSE(g_pDirectInput);
    EXPECT_EQ(ReadLines("!error.txt"), std::vector<std::string>{"Could not create Direct Input main object!"});
    g_Input.SetDevice(0);
    g_Input.PlayEffect(true);
    Tick();
    EXPECT_EQ(g_Input.m_iSelectedDevice, -1);
}

TEST_F(EInputTest, PollScalesSteeringAndPedalWithTheSliderAndFeedsTheButtons) {
    InitControllers({Wheel()});
    g_Input.SetDevice(0);
    EXPECT_EQ(g_Input.m_Devices[0].m_bHasSlider, 1);
    plat::CurrentInput().axes[0] = -0.5f;
    plat::CurrentInput().axes[1] = 0.25f;
    plat::CurrentInput().axes[6] = 0.5f;
    plat::CurrentInput().buttons[5] = true;
    Tick();  // not yet acquired: acquires
    Tick();
    EXPECT_FLOAT_EQ(g_Input.m_fSteering, -0.5f);
    EXPECT_FLOAT_EQ(g_Input.m_fPedal, 0.75f);
    EXPECT_EQ(g_Input.m_Buttons[5], 1);
    EXPECT_EQ(g_CommandMgr.m_State[265], 1);

    // While the input is lost the values stay as last read.
    plat::CurrentInput().foreground = false;
    plat::CurrentInput().axes[0] = 1.0f;
    Tick();
    Tick();
    EXPECT_FLOAT_EQ(g_Input.m_fSteering, -0.5f);
}

TEST_F(EInputTest, SetDeviceOutOfRangeReleasesEffectsAndKeepsTheSelection) {
    CopyEffectFiles();
    InitControllers({Wheel()});
    g_Input.SetDevice(0);
    ASSERT_GT(g_Input.m_uEffectCount, 0u);
    Calls().clear();
    g_Input.SetDevice(3);
    EXPECT_EQ(g_Input.m_iSelectedDevice, 0);
    size_t releases = std::count_if(Calls().begin(), Calls().end(), [](auto& c) { return c.op == Op::Release; });
    EXPECT_EQ(releases, g_Input.m_uEffectCount);
    g_Input.PlayEffect(true);
    EXPECT_TRUE(Starts().empty());
}

TEST_F(EInputTest, EffectFilesLoadIntoTheirGroupsAndPlay) {
    CopyEffectFiles();
    InitControllers({Wheel()});
    plat::SeedRandom(1);
    g_Input.SetDevice(0);
    // slizg 1, zwir 2, spring 1, hit0 1, hit1 1, hitbig 2
    EXPECT_EQ(g_Input.m_uEffectCount, 8u);
    EXPECT_EQ(g_Input.m_Groups[1][1], 2u);
    EXPECT_EQ(g_Input.m_Groups[1][2], EInput::kEndOfGroup);
    EXPECT_EQ(g_Input.m_iActiveSurfaceGroup, -1);
    // Loading starts the spring for good and confirms the device with a small hit.
    std::vector<std::pair<std::string, uint32_t>> starts = Starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], std::make_pair(std::string("centre"), plat::kInfinite));
    EXPECT_EQ(starts[1].second, 1u);
    EXPECT_TRUE(starts[1].first == "hit left" || starts[1].first == "hit right");

    Calls().clear();
    g_Input.PlayEffect(true);
    EXPECT_EQ(Starts(), (std::vector<std::pair<std::string, uint32_t>>{{"crash", 1}, {"crash shake", 1}}));

    Calls().clear();
    g_Input.PlaySurfaceEffect(1);
    EXPECT_EQ(g_Input.m_iActiveSurfaceGroup, 1);
    EXPECT_EQ(Starts(), (std::vector<std::pair<std::string, uint32_t>>{{"gravel", plat::kInfinite},
                                                                     {"stones", plat::kInfinite}}));
    g_Input.KeepSpringPlaying();  // not while a surface plays
    g_Input.StopActiveEffect();
    EXPECT_EQ(g_Input.m_iActiveSurfaceGroup, -1);
    Calls().clear();
    g_Input.KeepSpringPlaying();
    EXPECT_EQ(Starts(), (std::vector<std::pair<std::string, uint32_t>>{{"centre", plat::kInfinite}}));
    Calls().clear();
    g_Input.StopActiveEffect();  // nothing plays: nothing happens
    EXPECT_TRUE(Calls().empty());
}

TEST_F(EInputTest, SurfaceEffectsNeedThePlayersConsent) {
    CopyEffectFiles();
    InitControllers({Wheel()});
    g_Input.SetDevice(0);
    test::g_FakeGame.surfaceForceFeedback = false;
    Calls().clear();
    g_Input.PlaySurfaceEffect(0);
    EXPECT_TRUE(Starts().empty());
    EXPECT_EQ(g_Input.m_iActiveSurfaceGroup, -1);
}

TEST_F(EInputTest, MissingFilesAndNoForceFeedbackLeaveGroupsEmptyAndWalksBounded) {
    CopyEffectFiles();
    InitControllers({Wheel("Pad", false), Wheel()});
    g_Input.SetDevice(0);
    EXPECT_EQ(g_Input.m_uEffectCount, 0u);
    for (uint32_t group = 0; group < 12; ++group) {
        g_Input.StopEffect(group);
        g_Input.PlaySurfaceEffect(group);
    }
    g_Input.PlayEffect(false);
    g_Input.KeepSpringPlaying();
    EXPECT_TRUE(Calls().empty());

    // A file full of effects fills the table; nothing past ten effects is made.
    std::vector<plat::EffectDesc> many(12);
    for (auto& e : many) e.name = "rumble";
    std::vector<char> bytes = plat::WriteEffectFile(many);
    WriteFile("effects\\ff\\slizg.ffe", std::string(bytes.begin(), bytes.end()));
    plat::DeleteFile("effects\\ff\\spring.ffe");
    g_Input.SetDevice(1);
    EXPECT_EQ(g_Input.m_uEffectCount, 10u);
    EXPECT_EQ(g_Input.m_Groups[2][0], EInput::kEndOfGroup);
    Calls().clear();
    g_Input.PlaySurfaceEffect(0);
    EXPECT_EQ(Starts().size(), 10u);
    g_Input.PlayEffect(true);  // hit files came too late: empty groups
    EXPECT_EQ(Starts().size(), 10u);
}

}  // namespace
