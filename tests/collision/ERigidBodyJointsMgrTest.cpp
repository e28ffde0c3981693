#include <gtest/gtest.h>

#include <string>

#include "RigidBodyTest.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodyMeshParamsMgr.h"

namespace test {
namespace {

using RigidBodyJointsTest = RigidBodyTest;

TEST_F(RigidBodyJointsTest, JointsNeedABodyAndTwoDifferentObjects) {
    ERigidBodyPhysics* a = AddBox({0, 100, 0}, 32, 8, "a");
    FakeObject& fixed = m_objects.emplace_back();
    g_RigidBodyJointsMgr.AddJoint(a->m_hObject, nullptr, a->m_hObject, nullptr, 0, 0, nullptr, nullptr);
    g_RigidBodyJointsMgr.AddJoint(nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr);
    g_RigidBodyJointsMgr.AddJoint(fixed.Handle(), nullptr, m_objects.emplace_back().Handle(), nullptr, 0, 0, nullptr,
                                  nullptr);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 0u);
    g_RigidBodyJointsMgr.AddJoint(a->m_hObject, nullptr, fixed.Handle(), nullptr, 0, 0, nullptr, nullptr);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 1u);
    EXPECT_EQ(a->m_pJoints[0], &g_RigidBodyJointsMgr.m_Joints[0]);
}

TEST_F(RigidBodyJointsTest, RemovingAJointKeepsTheBodysListPacked) {
    ERigidBodyPhysics* a = AddBox({0, 100, 0}, 32, 8, "a");
    FakeObject* others[3];
    for (FakeObject*& o : others) {
        o = &m_objects.emplace_back();
        g_RigidBodyJointsMgr.AddJoint(a->m_hObject, nullptr, o->Handle(), nullptr, 0, 0, nullptr, nullptr);
    }
    RigidBodyJoint* third = a->m_pJoints[2];
    g_RigidBodySimulation.RemoveObjectJoints(others[1]->Handle());
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 2u);
    EXPECT_EQ(a->m_pJoints[1], third);
    EXPECT_EQ(a->m_pJoints[2], nullptr);
}

TEST_F(RigidBodyJointsTest, AFullJointListOrTableRefusesTheJoint) {
    ERigidBodyPhysics* a = AddBox({0, 100, 0}, 32, 8, "a");
    for (int i = 0; i <= ERigidBodyPhysics::kMaxJoints; ++i)
        g_RigidBodyJointsMgr.AddJoint(a->m_hObject, nullptr, m_objects.emplace_back().Handle(), nullptr, 0, 0, nullptr,
                                      nullptr);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), static_cast<uint32_t>(ERigidBodyPhysics::kMaxJoints));
    EXPECT_TRUE(Logged("ERROR in ERigidBodyJointsMgr::AddJoint(): body joint list full!"));

    for (RigidBodyJoint& j : g_RigidBodyJointsMgr.m_Joints) j.m_bUsed = 1;
    g_RigidBodyJointsMgr.AddJoint(a->m_hObject, nullptr, m_objects.emplace_back().Handle(), nullptr, 0, 0, nullptr,
                                  nullptr);
    EXPECT_TRUE(Logged("ERROR in ERigidBodyJointsMgr::AddJoint(): MAX_RIGIDBODY_JOINTS exceeded!"));
}

TEST_F(RigidBodyJointsTest, MeshSoundFilesKeepSixSoundsAndTheirRange) {
    std::string text = "mesh_filename models\\Crate.x\nsound_range 900\n";
    for (int i = 0; i < 7; ++i) text += "sound_on_collision hit" + std::to_string(i) + ".wav\n";
    WriteFile("scripts\\mesh_physics_params\\crate.txt", text);
    WriteFile("scripts\\mesh_physics_params\\long.txt",
              "mesh_filename long.x\nsound_on_collision " + std::string(200, 's') + "\n");
    g_RigidBodyMeshParamsMgr.Load();
    EXPECT_EQ(g_RigidBodyMeshParamsMgr.m_uCount, 2u);
    char sounds[6][128];
    double range = 0;
    ASSERT_TRUE(g_RigidBodyMeshParamsMgr.Find("MODELS\\crate.x", &sounds[0][0], sizeof sounds, &range));
    EXPECT_DOUBLE_EQ(range, 900);
    EXPECT_STREQ(sounds[5], "hit5.wav");
    EXPECT_TRUE(Logged("ERROR in ERigidBodyMeshParamsMgr::LoadFile(): too many sounds on collision!"));
    ASSERT_TRUE(g_RigidBodyMeshParamsMgr.Find("long.x", &sounds[0][0], sizeof sounds, nullptr));
    EXPECT_EQ(std::string(sounds[0]), std::string(126, 's'));
    EXPECT_TRUE(Logged("ERROR in ERigidBodyMeshParamsMgr::LoadFile(): string is too long"));
    EXPECT_FALSE(g_RigidBodyMeshParamsMgr.Find("other.x", nullptr, 0, nullptr));
}

}  // namespace
}  // namespace test
