// The player's cameras around a machine standing at the origin facing +z: the start camera's steps,
// the chase cameras behind and above, the look back, the cockpit at the machine's camera socket
// and the field of view inside and out.
#include <algorithm>
#include <cmath>
#include <string>

#include "PhysicsFixture.h"
#include "vehicles/CPlayer.h"
#include "core/ESettings.h"
#include "world/ECamera.h"
#include "world/EngineCommands.h"

namespace test {
namespace {

class CPlayerCameraTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        ResetGlobal(g_Camera);

        m_machine = AddObject(kTractorModel, {}, 0, "PlayerTruck");
        ASSERT_NE(m_machine, nullptr);
        m_machine->m_bVehicleMark = 1;
        CPlayer& p = g_Player;
        p.m_pVehicle = m_machine;
        p.m_fFrameTime = kStep;
        p.m_vPosition = m_machine->m_vPosition;
        p.m_Orientation = m_machine->m_Orientation;
        p.m_vFront = DV{0, 0, 1};
        p.m_vSide = DV{1, 0, 0};
        p.m_vUp = DV{0, 1, 0};
    }
    void TearDown() override {
        ResetGlobal(g_Camera);
        PhysicsTest::TearDown();
    }
    // The chase camera after a second of frames at rest.
    static DV Chase() {
        g_Player.m_iCountdown = -1;
        g_Player.m_bRaceStarted = 1;
        g_Player.m_uCameraMode = 2;
        for (int i = 0; i < 60; ++i) g_Player.UpdateCamera();
        return g_Camera.m_vPosition;
    }
    // The player driving with the camera in this mode, the countdown over.
    static void Driving(uint32_t cameraMode) {
        g_Player.m_iCountdown = -1;
        g_Player.m_bRaceStarted = 1;
        g_Player.m_uCameraMode = cameraMode;
    }
    int ConsoleLinesWith(const std::string& text) const {
        const std::vector<std::string> lines = ReadLines("!console.txt");
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        }));
    }
    EObjectSlot* m_machine = nullptr;
};

TEST_F(CPlayerCameraTest, TheStartCameraStepsRoundTheMachineWithTheCountdown) {
    g_Player.m_bRaceStarted = 1;
    struct Case {
        int32_t countdown;
        DV eye;
    } cases[] = {{4, {0, 4, -10}}, {3, {-4, 3, -7}}, {2, {4, 3, -6}}, {1, {-3, 4, -6}}, {0, {0, 3, -6}}};
    for (const Case& c : cases) {
        g_Player.m_iCountdown = c.countdown;
        g_Player.UpdateCamera();
        EXPECT_NEAR(g_Camera.m_vPosition.x, c.eye.x, 1e-4) << c.countdown;
        EXPECT_NEAR(g_Camera.m_vPosition.y, c.eye.y, 1e-4) << c.countdown;
        EXPECT_NEAR(g_Camera.m_vPosition.z, c.eye.z, 1e-4) << c.countdown;
        // It looks at the point 2 above the machine.
        const DV toTarget = pmath::Normalize(DV{0, 2, 0} - g_Camera.m_vPosition);
        EXPECT_NEAR(pmath::Dot(toTarget, g_Camera.m_vDirection), 1.0f, 1e-4) << c.countdown;
    }
}

TEST_F(CPlayerCameraTest, TheChaseCameraStandsBehindAndAboveTheMachine) {
    const DV eye = Chase();
    EXPECT_NEAR(eye.y, 4.0f, 1e-3);
    EXPECT_NEAR(eye.x, 0.0f, 1e-3);
    EXPECT_LT(eye.z, -9.0f);
    // It looks at the point 2.1 above the machine's base.
    const DV toTarget = pmath::Normalize(DV{0, 0.36f + 2.1f, 0} - eye);
    EXPECT_NEAR(pmath::Dot(toTarget, g_Camera.m_vDirection), 1.0f, 1e-4);
    // The far camera stands farther back and higher.
    g_Player.m_uCameraMode = 3;
    for (int i = 0; i < 60; ++i) g_Player.UpdateCamera();
    EXPECT_NEAR(g_Camera.m_vPosition.y, 6.0f, 1e-3);
    EXPECT_LT(g_Camera.m_vPosition.z, eye.z - 5.0f);
}

TEST_F(CPlayerCameraTest, LookingBackPutsTheEyeAboveTheMachineFacingBehind) {
    g_Player.m_iCountdown = -1;
    g_Player.m_bRaceStarted = 1;
    g_Player.m_bLookBack = 1;
    g_Player.UpdateCamera();
    EXPECT_NEAR(g_Camera.m_vPosition.y, 4.2f, 1e-4);
    EXPECT_NEAR(g_Camera.m_vDirection.z, -1.0f, 1e-4);
}

TEST_F(CPlayerCameraTest, TheCockpitEyeIsTheCameraSocketOrADriversHeightAboveAMachineWithout) {
    struct Case {
        const char* socketLine;
        DV eye;
        int reports;
    } cases[] = {
        {"socket kamera 0.2 2.1 -0.5\n", {0.2f, 2.1f, -0.5f}, 0},
        // Without the socket the eye is not left on the ground at the origin: it sits at a
        // driver's height, and the console says once what the machine lacks.
        {"", {0, 1.8f, 0}, 1},
    };
    for (const Case& c : cases) {
        WriteFile("scripts\\mesh_sockets\\tractor.txt",
                  std::string("mesh_filename prefabs\\t\\tractor.x\nsocket kierowca 0 1.4 0\n") + c.socketLine);
        ResetGlobal(g_MeshSocketsMgr);
        g_MeshSocketsMgr.LoadAll();
        g_Player.LoadResources();
        Driving(1);
        for (int i = 0; i < 3; ++i) g_Player.UpdateCamera();
        EXPECT_NEAR(g_Camera.m_vPosition.x, c.eye.x, 1e-4) << c.socketLine;
        EXPECT_NEAR(g_Camera.m_vPosition.y, c.eye.y, 1e-4) << c.socketLine;
        EXPECT_NEAR(g_Camera.m_vPosition.z, c.eye.z, 1e-4) << c.socketLine;
        // It looks along the machine, tipped down by the pitch the run starts with.
        EXPECT_GT(g_Camera.m_vDirection.z, 0.9f) << c.socketLine;
        EXPECT_EQ(ConsoleLinesWith("FAILED reading socket kamera dla "), c.reports) << c.socketLine;
    }
}

TEST_F(CPlayerCameraTest, LeavingTheCockpitBringsBackTheConfiguredFieldOfView) {
    struct Case {
        const char* name;
        bool fovLine;
        float fov;
        float configured;
    } cases[] = {
        {"no FOV line: the settings' default", false, 0, 1.1f},
        {"an FOV line", true, 1.3f, 1.3f},
    };
    // The configuration's "FOV" line, as the program's command table runs it.
    static const ConsoleCommand kCommands[] = {{"FOV", command::FOV}};
    g_Console.InstallCommands(kCommands);
    for (const Case& c : cases) {
        ResetGlobal(g_Settings);
        g_Console.FreeVariables();
        if (c.fovLine) g_Console.ExecuteLine(("FOV " + std::to_string(c.fov)).c_str());
        struct Step {
            uint32_t mode;
            int32_t countdown;
            float fov;
        } steps[] = {{1, 2, c.configured}, {1, -1, 0.9f}, {2, -1, c.configured}, {0, -1, 0.9f}, {3, -1, c.configured}};
        for (const Step& s : steps) {
            Driving(s.mode);
            g_Player.m_iCountdown = s.countdown;
            g_Player.UpdateFieldOfView();
            EXPECT_FLOAT_EQ(g_Settings.m_fFOV, s.fov) << c.name << ", mode " << s.mode << ", countdown " << s.countdown;
        }
    }
}

}  // namespace
}  // namespace test
