#include "world/ECamera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/D3DDevice.h"
#include "support/DeviceTest.h"

namespace {

class ECameraTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Camera);
    }
    void TearDown() override {
        test::ResetGlobal(g_Camera);
        DeviceTest::TearDown();
    }
};

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

}  // namespace
