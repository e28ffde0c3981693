#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "RigidBodyTest.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodyMeshParamsMgr.h"

namespace test {
namespace {

class RigidBodyJointsTest : public RigidBodyTest {
protected:
    // A fixed object whose joint anchor is its position.
    EObjectSlot* AddPost(const DV& position) {
        FakeObject& f = m_objects.emplace_back();
        BodyObject& o = m_bodyObjects[f.Handle()];
        o.name = "post";
        o.position = position;
        o.fake = &f;
        return f.Handle();
    }
    static Vec3d Anchor(const ERigidBodyPhysics* body, const DV& socket) {
        return Transform(body->m_State.R, ToVec3d(socket)) + body->m_State.x;
    }
};

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

TEST_F(RigidBodyJointsTest, AGroupSolveClosesAGapOverTheStepNoFasterThanTheLimit) {
    const double dt = 1.0 / 60;
    const DV hook{16, 0, 0};
    // Several posts holding the same point share the pull.
    const struct {
        float gap;
        int posts;
        double speed;
    } cases[] = {{0.5f, 1, 30}, {200, 1, 50}, {-200, 1, -50}, {-200, 3, -50}};
    for (const auto& c : cases) {
        ERigidBodyPhysics* box = AddBox({0, 100, 0}, 32, 8, "box");
        Object(box->m_hObject).sockets["hook"] = hook;
        box->SetVelocity({3, -7, 1});
        for (int k = 0; k < c.posts; ++k)
            g_RigidBodyJointsMgr.AddJoint(AddPost({16 + c.gap, 100, 0}), nullptr, box->m_hObject, "hook", 0, 0, nullptr,
                                          nullptr);
        EXPECT_EQ(g_RigidBodyJointsMgr.SolveJointGroups(dt), 1u) << c.gap;
        const Vec3d v = box->PointVelocity(Anchor(box, hook));
        EXPECT_NEAR(v.x, c.speed, 1e-6) << c.gap << " " << c.posts;
        EXPECT_NEAR(v.y, 0.0, 1e-6) << c.gap << " " << c.posts;
        EXPECT_NEAR(v.z, 0.0, 1e-6) << c.gap << " " << c.posts;
        g_RigidBodySimulation.RemoveObjectBody(box->m_hObject);
    }
    // A group too large for the solver is left to the joint pass.
    for (uint32_t posts : {ERigidBodyJointsMgr::kMaxGroupJoints, ERigidBodyJointsMgr::kMaxGroupJoints + 1}) {
        ERigidBodyPhysics* box = AddBox({0, 100, 0}, 32, 8, "crowded");
        for (uint32_t k = 0; k < posts; ++k)
            g_RigidBodyJointsMgr.AddJoint(AddPost({50, 100, 0}), nullptr, box->m_hObject, nullptr, 0, 0, nullptr, nullptr);
        EXPECT_EQ(g_RigidBodyJointsMgr.SolveJointGroups(dt), posts == ERigidBodyJointsMgr::kMaxGroupJoints ? 1u : 0u);
        EXPECT_EQ(Length(box->m_State.v) > 0, posts == ERigidBodyJointsMgr::kMaxGroupJoints) << posts;
        g_RigidBodySimulation.RemoveObjectBody(box->m_hObject);
    }
    // Asleep, a body stands as if fixed: a joint between it and a fixed object has nothing to move.
    ERigidBodyPhysics* asleep = AddBox({0, 100, 0}, 32, 8, "asleep");
    asleep->Sleep();
    g_RigidBodyJointsMgr.AddJoint(AddPost({50, 100, 0}), nullptr, asleep->m_hObject, nullptr, 0, 0, nullptr, nullptr);
    EXPECT_EQ(g_RigidBodyJointsMgr.SolveJointGroups(dt), 0u);
    EXPECT_EQ(Length(asleep->m_State.v), 0.0);
}

TEST_F(RigidBodyJointsTest, AChainPulledApartIsDrawnBackTogetherByItsGroupSolve) {
    const double dt = 1.0 / 60;
    const DV top{0, 20, 0}, bottom{0, -20, 0};
    // Three links hanging from a post, each joint pulled 10 to 20 units open, the links moving
    // and turning.
    EObjectSlot* post = AddPost({0, 200, 0});
    ERigidBodyPhysics* links[3] = {AddBox({0, 170, 0}, 32, 8, "link0"), AddBox({0, 120, 0}, 32, 8, "link1"),
                                   AddBox({0, 60, 0}, 32, 8, "link2")};
    for (ERigidBodyPhysics* link : links) {
        Object(link->m_hObject).sockets["top"] = top;
        Object(link->m_hObject).sockets["bottom"] = bottom;
    }
    links[1]->SetOmega({0, 0, 2});
    links[2]->SetVelocity({30, 0, 0});
    g_RigidBodyJointsMgr.AddJoint(post, nullptr, links[0]->m_hObject, "top", 0, 0, nullptr, nullptr);
    for (int i = 0; i < 2; ++i)
        g_RigidBodyJointsMgr.AddJoint(links[i]->m_hObject, "bottom", links[i + 1]->m_hObject, "top", 0, 0, nullptr, nullptr);
    auto widestGap = [&] {
        double widest = Length(Anchor(links[0], top) - Vec3d{0, 200, 0});
        for (int i = 0; i < 2; ++i) widest = std::max(widest, Length(Anchor(links[i], bottom) - Anchor(links[i + 1], top)));
        return widest;
    };
    ASSERT_GE(widestGap(), 10.0);
    for (int frame = 0; frame < 90; ++frame) {
        ASSERT_EQ(g_RigidBodyJointsMgr.SolveJointGroups(dt), 1u) << frame;
        for (ERigidBodyPhysics* link : links) {
            RigidBodyState next;
            link->Integrate(0, dt, &next, false);
            link->SetNewState(next);
        }
    }
    EXPECT_LT(widestGap(), 0.25);
}

}  // namespace
}  // namespace test
