#include "world/ECamera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "audio/CSoundMgr.h"
#include "core/ESettings.h"
#include "platform/math/Vec3.h"
#include "render/D3DDevice.h"
#include "support/DeviceTest.h"
#include "world/EEngine.h"
#include "world/GameAI.h"

namespace {

class ECameraTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Camera);
        test::ResetGlobal(g_Settings);
        test::ResetGlobal(g_GameAI);
        g_Engine.m_fFrameTime = 0.05f;
    }
    void TearDown() override {
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_SoundMgr);
        test::ResetGlobal(g_GameAI);
        test::ResetGlobal(g_Settings);
        test::ResetGlobal(g_Camera);
        DeviceTest::TearDown();
    }
    // An object of the engine's table standing at the position with the orientation.
    static EObjectSlot& Place(const char* name, const DV& position, const EOrientation& orientation) {
        EObjectSlot& o = g_Engine.m_Objects[1];
        o.m_bUsed = 1;
        std::snprintf(o.m_szName, sizeof o.m_szName, "%s", name);
        o.m_vPosition = position;
        o.m_Orientation = orientation;
        return o;
    }
    static void Frames(int n, bool zoom) {
        for (int i = 0; i < n; ++i) {
            g_Camera.m_bZoomRequested = zoom;
            g_Camera.Update(false);
        }
    }
};

TEST_F(ECameraTest, TheCameraStartsHighAboveTheOriginFacingBackAlongZ) {
    ECamera fresh;
    EXPECT_EQ(fresh.m_vPosition, (DV{1, 1600, -128}));
    const EOrientation yaw = EOrientation::EOrientationFromYawPitchRoll(-3.14159265f, 0, 0);
    EXPECT_NEAR(fresh.m_Orientation.m_Front.z, yaw.m_Front.z, 1e-5f);
    EXPECT_NEAR(fresh.m_Orientation.m_Front.z, -1.0f, 1e-5f);
    EXPECT_EQ(fresh.m_vDirection, (DV{0, 0, 1}));
}

TEST_F(ECameraTest, GammaIsClampedAndHandedToTheDeviceAsARamp) {
    ASSERT_TRUE(CreateDevice());
    struct Case {
        float asked, kept;
    } cases[] = {{5.0f, 3.0f}, {0.1f, 0.5f}, {1.0f, 1.0f}, {2.2f, 2.2f}};
    for (const Case& c : cases) {
        g_Camera.SetGamma(c.asked);
        float gamma = 0;
        g_Camera.GetGamma(gamma);
        EXPECT_FLOAT_EQ(gamma, c.kept);
        EXPECT_FLOAT_EQ(g_Camera.m_fGammaB, c.kept);
        gfx::GammaRamp ramp;
        g_pd3dDevice->GetGammaRamp(ramp);
        EXPECT_EQ(ramp.green[0], 0);
        EXPECT_EQ(ramp.green[255], 65535);
        EXPECT_NEAR(ramp.red[64], 65535.0 * std::pow(64 / 255.0, 1.0 / c.kept), 1.0) << c.asked;
    }
}

TEST_F(ECameraTest, OneChannelKeepsItsValueUnclamped) {
    ASSERT_TRUE(CreateDevice());
    g_Camera.SetGammaR(5.0f);
    EXPECT_FLOAT_EQ(g_Camera.m_fGammaR, 5.0f);
    EXPECT_FLOAT_EQ(g_Camera.m_fGamma, 1.0f);
    gfx::GammaRamp ramp;
    g_pd3dDevice->GetGammaRamp(ramp);
    EXPECT_NEAR(ramp.red[128], 65535.0 * std::pow(128 / 255.0, 1.0 / 5.0), 1.0);
    EXPECT_NEAR(ramp.green[128], 65535.0 * 128 / 255.0, 1.0);
}

// The three projections put a point at the same place across and up the screen; the far plane
// at infinity only changes the depth.
TEST_F(ECameraTest, ProjectionsAgreeOnWhereAPointLands) {
    g_Settings.m_iScreenWidth = 1600;
    g_Settings.m_iScreenHeight = 900;
    g_Settings.m_fFOV = 1.1f;
    g_Camera.Update(false);
    const pmath::Matrix& inf = g_Camera.m_ProjectionInfinite;
    EXPECT_FLOAT_EQ(inf.m[0][0], inf.m[1][1] / (1600.0f / 900.0f));
    const DV point{3, -2, 25};
    for (const pmath::Matrix* m : {&g_Camera.m_ProjectionNear, &g_Camera.m_ProjectionInfinite}) {
        pmath::Vec4 a = pmath::Transform(point, g_Camera.m_Projection);
        pmath::Vec4 b = pmath::Transform(point, *m);
        EXPECT_NEAR(a.x / a.w, b.x / b.w, 1e-5);
        EXPECT_NEAR(a.y / a.w, b.y / b.w, 1e-5);
    }
    EXPECT_FLOAT_EQ(g_Camera.m_fFrustumWidth, g_Camera.m_fFrustumHeight * 1600.0f / 900.0f);
}

// Zoom held for 0.5 s widens the factor by half the zoom's reach; released, it falls back in half
// the time. The sniper view wins over both.
TEST_F(ECameraTest, ZoomGrowsWhileHeldFallsTwiceAsFastAndTheSniperViewWins) {
    g_Settings.m_fFOV = 1.0f;
    Frames(10, true);
    EXPECT_NEAR(g_Camera.m_fZoomAmount, 0.5f, 1e-5);
    EXPECT_NEAR(g_Camera.m_fFovFactor, 1.125f, 1e-5);
    Frames(4, false);
    EXPECT_NEAR(g_Camera.m_fZoomAmount, 0.1f, 1e-5);
    Frames(1, false);
    EXPECT_NEAR(g_Camera.m_fZoomAmount, 0.0f, 1e-6);
    Frames(1, false);
    EXPECT_FLOAT_EQ(g_Camera.m_fZoomAmount, 0.0f);
    EXPECT_FLOAT_EQ(g_Camera.m_fFovFactor, 1.0f);
    g_GameAI.SetVariable("sniper_view", nullptr);
    Frames(3, true);
    EXPECT_FLOAT_EQ(g_Camera.m_fFovFactor, 0.35f);
    EXPECT_NEAR(g_Camera.m_Projection.m[1][1], 1.0f / std::tan(0.35f * 3.14159265f / 8), 1e-4);
}

TEST_F(ECameraTest, FlightReachesTheObjectInItsTimeAlongTheStraightLine) {
    EOrientation turned = EOrientation::EOrientationFromYawPitchRoll(1.0f, 0, 0);
    Place("cel", DV{10, 0, 0}, turned);
    g_Camera.SetPosition(DV{0, 0, 0});
    g_Camera.Update(true);
    g_Camera.MoveToObject("cel", 1.0f);
    ASSERT_EQ(g_Camera.m_bMoveActive, 1);
    for (int i = 0; i < 10; ++i) g_Camera.UpdateMoveToObject();
    EXPECT_NEAR(g_Camera.m_vPosition.x, 5.0f, 1e-4);
    for (int i = 0; i < 20; ++i) g_Camera.UpdateMoveToObject();
    EXPECT_EQ(g_Camera.m_bMoveActive, 0);
    EXPECT_NEAR(g_Camera.m_vPosition.x, 10.0f, 1e-4);
    EXPECT_NEAR(pmath::Dot(g_Camera.m_vDirection, turned.m_Front), 1.0f, 1e-4);
}

TEST_F(ECameraTest, FlightAndLookStartNothingWithoutTimeOrObject) {
    Place("cel", DV{0, 0, 0}, EOrientation{});
    struct Case {
        const char* name;
        float time;
    } cases[] = {{"cel", 0.0f}, {"cel", -1.0f}, {"nikt", 2.0f}, {nullptr, 2.0f}};
    for (const Case& c : cases) {
        g_Camera.MoveToObject(c.name, c.time);
        EXPECT_EQ(g_Camera.m_bMoveActive, 0);
        g_Camera.LookFromObject(c.name, "oczy", c.time);
        EXPECT_EQ(g_Camera.m_bLookFromActive, 0);
    }
}

// A target standing where the eye starts: the eye stays, only the view turns.
TEST_F(ECameraTest, FlightToAnObjectAtTheEyeOnlyTurns) {
    EOrientation turned = EOrientation::EOrientationFromYawPitchRoll(-0.5f, 0, 0);
    Place("cel", DV{4, 5, 6}, turned);
    g_Camera.SetPosition(DV{4, 5, 6});
    g_Camera.Update(true);
    g_Camera.MoveToObject("cel", 0.1f);
    for (int i = 0; i < 3; ++i) g_Camera.UpdateMoveToObject();
    EXPECT_EQ(g_Camera.m_vPosition, (DV{4, 5, 6}));
    EXPECT_NEAR(pmath::Dot(g_Camera.m_vDirection, turned.m_Front), 1.0f, 1e-4);
}

TEST_F(ECameraTest, ListenerFollowsTheEyeEveryQuarterSecond) {
    g_Camera.Update(true);  // 0.05 s frames
    g_Camera.SetPosition(DV{1, 2, 3});
    g_Camera.UpdateSoundListener();
    EXPECT_EQ(g_SoundMgr.m_vListenerPosition, (DV{1, 2, 3}));
    g_Camera.SetPosition(DV{7, 8, 9});
    for (int i = 0; i < 4; ++i) g_Camera.UpdateSoundListener();
    EXPECT_EQ(g_SoundMgr.m_vListenerPosition, (DV{1, 2, 3}));
    g_Camera.UpdateSoundListener();
    g_Camera.UpdateSoundListener();
    EXPECT_EQ(g_SoundMgr.m_vListenerPosition, (DV{7, 8, 9}));
}

}  // namespace
