// The demo driver as a machine seats it: a skinned object made by the engine, posed by the
// engine's animation calls (a clip started, then one held at a time by the steering) and asked
// for the sockets its hands hold.
#include <gtest/gtest.h>

#include <filesystem>

#include "EngineFixture.h"
#include "core/FrameFacts.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ECharacterRagDoll.h"
#include "mesh/ESkinMeshMgr.h"
#include "support/MathSupport.h"

namespace {

constexpr const char* kDriver = "models\\postacie\\kierowcy\\english\\english.x";

class EEngineSkinMeshTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        namespace fs = std::filesystem;
        fs::copy(fs::path(FURROW_GAME_DIR) / "models", m_dir.path() / "models", fs::copy_options::recursive);
        test::ResetGlobal(g_SkinMeshMgr);
        g_SkinMeshMgr.Init();
    }
    void TearDown() override {
        EngineTest::TearDown();
        test::ResetGlobal(g_SkinMeshMgr);
        g_FrameFacts = FrameFacts{};
    }
    static void Update(EObjectSlot* o, float seconds) {
        g_FrameFacts.frameTime = seconds;
        o->SkinMesh()->UpdateAnimation();
        o->SkinMesh()->UpdateFrameMatrices();
    }
};

// The demo driver's death folder, made at build time, gives a ragdoll whose every map name is bound.
TEST_F(EEngineSkinMeshTest, TheDriverLoadsItsRagdollFromItsDeathFolder) {
    const DV seat{1.0f, 1.27f, 0.4f};
    EObjectSlot* driver = g_Engine.CreateObject(OT_SKINMESH, kDriver, kDefaultObjectFlags, 0, &seat, nullptr);
    ASSERT_NE(driver, nullptr);
    const ECharacterRagDoll* ragdoll = driver->SkinMesh()->m_pRagDoll;
    ASSERT_NE(ragdoll, nullptr);
    EXPECT_EQ(ragdoll->m_iNumParticles, static_cast<uint32_t>(ECharacterRagDoll::kMapSize));
    EXPECT_TRUE(ragdoll->IsMapComplete());
    EXPECT_GT(ragdoll->m_uSDCTableCount, 0u);
    EXPECT_EQ(ragdoll->m_uSSCDCTableCount, 6u);
    EXPECT_EQ(test::ReadWholeFile(m_dir.path() / "!console.txt").find("RagDoll"), std::string::npos);
}

TEST_F(EEngineSkinMeshTest, TheDriverIsMadePosedByTheSteeringAndHoldsTheWheelBySockets) {
    const DV seat{1.0f, 1.27f, 0.4f};
    EObjectSlot* driver = g_Engine.CreateObject(OT_SKINMESH, kDriver, kDefaultObjectFlags, 0, &seat, nullptr);
    ASSERT_NE(driver, nullptr);
    EXPECT_GE(driver - g_Engine.m_Objects, EEngine::kFirstSkinMeshSlot);
    ESkinMesh* skin = driver->SkinMesh();
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(test::Near(skin->m_vPosition, seat));

    g_Engine.SetObjectAnimation(driver, "drive", true, 0.0f);
    Update(driver, 0.1f);
    EXPECT_STREQ(skin->m_AnimPlayingParams[0].szName, "drive");
    EXPECT_EQ(skin->m_uChannelState[0], ESkinMesh::CHANNEL_PLAYING);

    // Steering to the left holds "turn_left" at a time from the steering.
    g_Engine.SetObjectAnimation(driver, "turn_left", false, 0.0f);
    g_Engine.SetObjectAnimationRunning(driver, false, 0.25f);
    for (int i = 0; i < 3; ++i) Update(driver, 0.1f);
    EXPECT_DOUBLE_EQ(skin->m_AnimPlayingParams[0].dTime, 0.25);
    EXPECT_FALSE(g_Engine.IsObjectAnimationFinished(driver));

    DV hand;
    EOrientation held;
    ASSERT_TRUE(g_Engine.GetObjectSocket(driver, "reka_prawa", &hand, &held));
    // The hands reach forward from the seat to the wheel.
    EXPECT_GT(hand.z, seat.z + 0.2f);
    EXPECT_GT(hand.y, seat.y);
    EXPECT_FALSE(g_Engine.GetObjectSocket(driver, "kierowca", &hand, nullptr));

    // The model stays loaded while a driver uses it.
    ESkinMeshBase* model = skin->m_pSkinMeshBase;
    EObjectSlot* second = g_Engine.CreateObject(OT_SKINMESH, kDriver, kDefaultObjectFlags, 0, &seat, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(model->m_iReferenceCount, 2u);
    g_Engine.DeleteObject(second);
    EXPECT_EQ(model->m_iReferenceCount, 1u);
}

}  // namespace
