// Cutscenes: the script reader and its limits, live scenes, the recording of a scene with a machine
// and its replay from the frames file, and the rules on which frames files are used and kept.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/CCommandMgr.h"
#include "world/CutsceneMgr.h"
#include "world/CutsceneMgrHooks.h"
#include "world/WorldFixture.h"

namespace {

constexpr float kStep = 1.0f / 60;
constexpr const char* kFrames = "scripts\\cutscenes\\drive.bin";

// The machines' physics as the recording sees it: the machine moves on a known curve of the time
// its steps add up to.
float g_PhysicsTime = 0;
std::vector<std::string> g_Routes;
int g_Truck;

DV Curve(float t) { return DV{3 * t, 0.5f, std::sin(t)}; }

class CutsceneMgrTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        test::ResetGlobal(g_CutsceneMgr);
        test::ResetGlobal(g_CommandMgr);
        g_PhysicsTime = 0;
        g_Routes.clear();
        g_Settings.m_fBaseFOV = g_Settings.m_fFOV = 1.1f;
        g_Settings.m_bGameMode = 0;
        CutsceneMgrHooks& h = g_CutsceneMgrHooks;
        h = CutsceneMgrHooks{};
        h.machine = [](EObjectSlot* o, CutsceneMachine& out) {
            out = CutsceneMachine{};
            out.currentSteering = 0.25f;
            return o->m_hTruck != nullptr;
        };
        h.physicsUpdate = [] {
            g_PhysicsTime += g_Engine.m_fFrameTime;
            EObjectSlot* machine = Find("ciagnik");
            machine->m_vPosition = Curve(g_PhysicsTime);
        };
        h.openMenu = [] { g_Routes.push_back("menu"); };
        h.showResult = [] { g_Routes.push_back("result"); };
        g_Engine.m_fFrameTime = kStep;
    }

    void TearDown() override {
        g_CutsceneMgr.Release();
        g_CutsceneMgrHooks = CutsceneMgrHooks{};
        test::ResetGlobal(g_CommandMgr);
        WorldTest::TearDown();
    }

    // A machine, a camera and a target, and a scene of two cuts of 0.5 s that moves the machine.
    void MakeDriveScene() {
        EObjectSlot* machine = AddMesh("ciagnik");
        machine->m_hTruck = reinterpret_cast<HTRUCK>(&g_Truck);
        AddMesh("kamera", DV{0, 5, -10});
        WriteFile("scripts\\cutscenes\\drive.txt", test::Text({"cutscene drive", "cut 0.5", "camera kamera ciagnik",
                                                             "move ciagnik droga", "cut 0.5", "camera kamera ciagnik"}));
        g_CutsceneMgr.LoadAllScripts();
    }

    // One frame as the main game runs it: the scene's step, then its camera before drawing.
    static void Frame() {
        g_CutsceneMgr.Update();
        g_CutsceneMgr.UpdateCamera();
    }

    static void PlayToTheEnd() {
        for (int i = 0; i < 600 && g_CutsceneMgr.m_pActiveScene; ++i) Frame();
    }

    bool Logged(const std::string& text) const {
        for (const std::string& line : ConsoleLines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

TEST_F(CutsceneMgrTest, TheReaderKeepsAtMost31EntriesOfAKindAndNeedsASceneAndACut) {
    std::vector<std::string> lines = {"cut 9", "camera nowhere nothing", "cutscene busy", "fov 2", "cut 1.5", "pora 3.7"};
    for (int i = 0; i < 33; ++i) lines.push_back("animate krowa" + std::to_string(i) + " stoi1");
    lines.push_back("cut 2.5");
    lines.push_back("black");
    g_CutsceneMgr.ReadScriptText(test::Text(lines));
    const strScene* scene = g_CutsceneMgr.FindScene("BUSY");
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->m_Cuts.size(), 2u);
    const strCut& first = *scene->m_pFirstCut;
    EXPECT_EQ(first.m_fDuration, 1.5f);
    EXPECT_EQ(first.m_fFov, 1.1f);
    EXPECT_EQ(first.m_iPora, 3);
    EXPECT_EQ(first.m_uAnimateCount, 31u);
    EXPECT_STREQ(first.m_szAnimateObjects[30], "krowa30");
    EXPECT_EQ(first.m_pNext->m_bBlack, 1);
    EXPECT_EQ(first.m_pNext->m_iPora, -1);
}

TEST_F(CutsceneMgrTest, ANameLongerThanItsFieldIsCutWithALine) {
    g_CutsceneMgr.ReadScriptText(test::Text({"cutscene long", "cut 1", "camera " + std::string(80, 'k') + " cel"}));
    const strScene* scene = g_CutsceneMgr.FindScene("long");
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(std::string(scene->m_pFirstCut->m_szCamera), std::string(63, 'k'));
    EXPECT_STREQ(scene->m_pFirstCut->m_szLookAt, "cel");
    EXPECT_TRUE(Logged("Cutscene script: word cut to its field"));
}

TEST_F(CutsceneMgrTest, ASceneWithoutMachinesPlaysLiveFromItsCameraAndWritesNothing) {
    AddMesh("kamera", DV{0, 5, -10});
    AddMesh("cel", DV{0, 5, 10});
    g_CutsceneMgr.ReadScriptText(test::Text({"cutscene look", "cut 0.3", "camera kamera cel", "fov 0.5"}));
    g_CutsceneMgr.StartScene("look");
    EXPECT_TRUE(Logged("Set to play without recording"));
    Frame();
    EXPECT_EQ(g_Camera.m_vPosition, (DV{0, 5, -10}));
    EXPECT_NEAR(g_Camera.m_Orientation.m_Front.z, 1.0f, 1e-5);
    EXPECT_EQ(g_Camera.m_fFovFactor, 0.5f);
    PlayToTheEnd();
    EXPECT_FALSE(std::filesystem::exists(Path("scripts\\cutscenes\\look.bin")));
    // The end gives the field of view back and goes to the result outside the intro.
    EXPECT_EQ(g_Settings.m_fFOV, 1.1f);
    EXPECT_EQ(g_Routes, std::vector<std::string>{"result"});
}

TEST_F(CutsceneMgrTest, AnUnknownSceneSaysSoAndPlaysNothing) {
    g_CutsceneMgr.StartScene("nothing");
    EXPECT_TRUE(Logged("Scene NOT found!"));
    EXPECT_EQ(g_CutsceneMgr.m_pActiveScene, nullptr);
}

TEST_F(CutsceneMgrTest, ARecordedSceneReplaysTheSameMachinePositionsAtEvery30HzFrame) {
    MakeDriveScene();
    g_CutsceneMgr.StartScene("drive");
    EXPECT_TRUE(Logged("Start recording drive"));
    EXPECT_TRUE(Logged("Frames predicted: 31"));
    // The machine's position at each capture.
    std::vector<std::pair<float, DV>> recorded;
    while (g_CutsceneMgr.m_pActiveScene) {
        const uint32_t before = g_CutsceneMgr.m_uRecordedFrames;
        Frame();
        if (g_CutsceneMgr.m_uRecordedFrames > before) recorded.push_back({g_CutsceneMgr.m_fRecordingTime, Find("ciagnik")->m_vPosition});
    }
    ASSERT_GE(recorded.size(), 29u);
    const auto size = std::filesystem::file_size(Path(kFrames));
    EXPECT_EQ(size, 4 + recorded.size() * strFrame::kBytes);
    EXPECT_TRUE(Logged("Saved cutscene frames: " + std::to_string(recorded.size())));

    // The replay: the machine goes where it went, the physics never runs.
    Find("ciagnik")->m_vPosition = DV{100, 100, 100};
    g_PhysicsTime = -1000;
    g_CutsceneMgr.StartScene("drive");
    EXPECT_TRUE(Logged("Loaded cutscene frames: " + std::to_string(recorded.size())));
    EXPECT_EQ(g_CutsceneMgr.m_bRecording, 0);
    size_t compared = 0;
    while (g_CutsceneMgr.m_pActiveScene) {
        const float t = g_CutsceneMgr.m_fPlaybackTime;
        Frame();
        // The frame that ends the scene places nothing.
        if (!g_CutsceneMgr.m_pActiveScene) break;
        for (const auto& [time, position] : recorded)
            if (std::fabs(time - t) < 1e-6f) {
                const DV replayed = Find("ciagnik")->m_vPosition;
                EXPECT_NEAR(replayed.x, position.x, 1e-4) << "at " << time;
                EXPECT_NEAR(replayed.z, position.z, 1e-4) << "at " << time;
                ++compared;
            }
    }
    // Every frame is met on the way but the last two: the last has no frame after it, and the scene
    // ends at the one before.
    EXPECT_GE(compared, recorded.size() - 2);
    EXPECT_EQ(g_PhysicsTime, -1000.0f);
}

TEST_F(CutsceneMgrTest, TheIntroReplaysFasterThanItWasRecorded) {
    MakeDriveScene();
    std::snprintf(g_CutsceneMgr.FindScene("drive")->m_szName, 64, "intro");
    g_CutsceneMgr.StartScene("intro");
    EXPECT_EQ(g_CutsceneMgr.m_fSpeed, 1.0f);
    PlayToTheEnd();
    g_CutsceneMgr.StartScene("intro");
    EXPECT_EQ(g_CutsceneMgr.m_fSpeed, CutsceneMgr::kIntroSpeed);
}

TEST_F(CutsceneMgrTest, AFramesFileOfAnyOtherSizeThanItsCountSaysIsIgnoredAndRecordedAgain) {
    MakeDriveScene();
    g_CutsceneMgr.StartScene("drive");
    PlayToTheEnd();
    std::string good = ReadFile(kFrames);
    const uint32_t count = static_cast<uint32_t>((good.size() - 4) / strFrame::kBytes);
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string wrongCount = good;
    wrongCount[0] = static_cast<char>(count + 1);
    const std::vector<Case> cases = {
        {"truncated", good.substr(0, good.size() - 1)},
        {"one byte over", good + "x"},
        {"a record over", good + std::string(strFrame::kBytes, '\0')},
        {"a count that disagrees", wrongCount},
        {"shorter than its count", good.substr(0, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(kFrames, c.bytes);
        g_CutsceneMgr.StartScene("drive");
        EXPECT_TRUE(Logged("ignored: the size does not match the frame count"));
        EXPECT_EQ(g_CutsceneMgr.m_bRecording, 1);
        PlayToTheEnd();
        EXPECT_EQ(ReadFile(kFrames).size(), good.size());
    }
}

TEST_F(CutsceneMgrTest, AFirstPlayStoppedBeforeItsEndLeavesNoFramesFile) {
    MakeDriveScene();
    g_CommandMgr.m_Bindings[CutsceneMgr::kStopCommand2][0] = 30;
    g_CutsceneMgr.StartScene("drive");
    for (int i = 0; i < 10; ++i) Frame();
    g_CommandMgr.m_State[30] = 1;
    Frame();
    EXPECT_EQ(g_CutsceneMgr.m_pActiveScene, nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path(kFrames)));
    EXPECT_FALSE(std::filesystem::exists(Path("scripts\\cutscenes\\drive.bin.tmp")));
    EXPECT_TRUE(Logged("its frames are not kept"));
}

TEST_F(CutsceneMgrTest, AFolderThatCannotTakeTheFramesPlaysTheSceneLive) {
    MakeDriveScene();
    // The temporary name is taken by a folder, so no file can be written under it.
    std::filesystem::create_directories(Path("scripts\\cutscenes\\drive.bin.tmp"));
    g_CutsceneMgr.StartScene("drive");
    EXPECT_EQ(g_CutsceneMgr.m_bRecording, 0);
    EXPECT_EQ(g_CutsceneMgr.m_bPlayWithoutRecording, 1);
    PlayToTheEnd();
    EXPECT_FALSE(std::filesystem::exists(Path(kFrames)));
}

TEST_F(CutsceneMgrTest, TheEndOfASceneDuringTheIntroOpensTheMenu) {
    AddMesh("kamera");
    g_CutsceneMgr.ReadScriptText(test::Text({"cutscene intro", "cut 0.2", "camera kamera kamera"}));
    g_Settings.m_bGameMode = 1;
    g_CutsceneMgr.StartScene("intro");
    PlayToTheEnd();
    EXPECT_EQ(g_Routes, std::vector<std::string>{"menu"});
}

TEST_F(CutsceneMgrTest, TheFadeStartsAt16OnEachCutAndFallsBy4TimesTheFrameTimeCappedAt005) {
    AddMesh("kamera");
    g_CutsceneMgr.ReadScriptText(test::Text({"cutscene fade", "cut 5", "camera kamera kamera"}));
    g_CutsceneMgr.StartScene("fade");
    EXPECT_EQ(g_CutsceneMgr.m_fFade, CutsceneMgr::kFade);
    g_Engine.m_fFrameTime = 0.1f;
    g_CutsceneMgr.RenderFade();
    EXPECT_NEAR(g_CutsceneMgr.m_fFade, 1.4f, 1e-6);
    g_Engine.m_fFrameTime = 0.01f;
    g_CutsceneMgr.RenderFade();
    EXPECT_NEAR(g_CutsceneMgr.m_fFade, 1.36f, 1e-6);
}

TEST_F(CutsceneMgrTest, FrameRecordsRoundTripThroughTheirFileForm) {
    strFrame f;
    f.time = 1.25f;
    f.cameraPosition = DV{1, 2, 3};
    f.cameraOrientation = EOrientation::EOrientationFromYawPitchRoll(0.3f, 0.1f, 0);
    f.fov = 0.8f;
    f.actors[7].position = DV{-4, 5, 6};
    f.actors[7].wheelPositions[3] = DV{7, 8, 9};
    f.actors[7].targetSteering = -0.5f;
    std::vector<uint8_t> bytes(strFrame::kBytes);
    FrameToBytes(f, bytes.data());
    // The first actor's block starts at 140, each is 648 bytes; steering ends the block.
    float target;
    std::memcpy(&target, bytes.data() + 140 + 648 * 7 + 644, 4);
    EXPECT_EQ(target, -0.5f);
    const strFrame g = FrameFromBytes(bytes.data());
    EXPECT_EQ(g.time, 1.25f);
    EXPECT_EQ(g.cameraPosition, f.cameraPosition);
    EXPECT_EQ(g.actors[7].wheelPositions[3], f.actors[7].wheelPositions[3]);
    EXPECT_NEAR(g.cameraOrientation.m_Front.x, f.cameraOrientation.m_Front.x, 1e-6);
}

}  // namespace
