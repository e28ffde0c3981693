// The overview map's target on the null device: made and released with the world and around a
// device reset, its failures said, and no drawing without a target, a world or the player's
// machine.
#include "game/PAutoMap.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "support/DeviceTest.h"
#include "vehicles/CPlayer.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

class AutoMapTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_TRUE(CreateDevice());
        test::ResetGlobal(g_AutoMap);
        test::ResetGlobal(g_Player);
        m_worldRunning = g_Engine.m_bWorldRunning;
    }
    void TearDown() override {
        g_AutoMap.ReleaseTarget();
        test::ResetGlobal(g_AutoMap);
        test::ResetGlobal(g_Player);
        g_Engine.m_bWorldRunning = m_worldRunning;
        DeviceTest::TearDown();
    }
    static long Clears() {
        const std::vector<std::string>& calls = gfx::NullBackend().calls;
        return std::count(calls.begin(), calls.end(), "Clear");
    }
    uint8_t m_worldRunning = 0;
};

TEST_F(AutoMapTest, TheTargetGoesAroundADeviceResetAndComesBack) {
    const int before = g_pd3dDevice->LiveDefaultPoolResources();
    g_AutoMap.CreateTarget();
    ASSERT_TRUE(g_AutoMap.m_pTexture && g_AutoMap.m_pSurface && g_AutoMap.m_pDepth);
    const int withTarget = g_pd3dDevice->LiveDefaultPoolResources();
    EXPECT_GT(withTarget, before);
    for (int twice = 0; twice < 2; ++twice) {
        g_AutoMap.OnLostDevice();
        EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), before);
        EXPECT_FALSE(g_AutoMap.m_pTexture || g_AutoMap.m_pSurface || g_AutoMap.m_pDepth);
    }
    g_AutoMap.OnResetDevice();
    EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), withTarget);
}

TEST_F(AutoMapTest, AFailedTargetIsSaidAndTheMapDrawsNothing) {
    gfx::NullBackend().textureFailures = 1;
    g_AutoMap.CreateTarget();
    EXPECT_TRUE(Logged("PAutoMap: Failed creating pTex"));
    EXPECT_FALSE(g_AutoMap.m_pTexture);
    gfx::NullBackend().depthSurfaceFailures = 1;
    g_AutoMap.CreateTarget();
    EXPECT_TRUE(Logged("Failed to create AutoMap Depth Stencil"));
    EXPECT_TRUE(g_AutoMap.m_pTexture);
    EXPECT_FALSE(g_AutoMap.m_pDepth);
    EObjectSlot machine;
    g_Player.m_pVehicle = &machine;
    g_Engine.m_bWorldRunning = 1;
    gfx::NullBackend().calls.clear();
    g_AutoMap.RenderToTarget();
    EXPECT_EQ(Clears(), 0);
}

TEST_F(AutoMapTest, TheMapIsDrawnOnlyInARunningWorldOnceThePlayersMachineExists) {
    g_AutoMap.CreateTarget();
    EObjectSlot machine;
    struct Case {
        bool world, machine;
        long clears;
    };
    for (Case c : {Case{false, true, 0}, Case{true, false, 0}, Case{true, true, 1}}) {
        g_Engine.m_bWorldRunning = c.world;
        g_Player.m_pVehicle = c.machine ? &machine : nullptr;
        gfx::NullBackend().calls.clear();
        g_AutoMap.RenderToTarget();
        EXPECT_EQ(Clears(), c.clears) << c.world << c.machine;
    }
    // Without the map's effect the pass says so, and the device's target is the back buffer again.
    EXPECT_TRUE(Logged("No simplest mesh HEFFECT"));
    std::unique_ptr<gfx::Surface> target;
    g_pd3dDevice->GetRenderTarget(0, target);
    EXPECT_EQ(target->GetKind(), gfx::Surface::Kind::BackBuffer);
}

}  // namespace
