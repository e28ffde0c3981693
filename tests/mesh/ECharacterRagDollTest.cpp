// The particle ragdoll of a skinned character: its death folder, the start from the pose, the
// solver and joint limits, the world triangles, the fall onto the ground and the write-back.
#include "mesh/ECharacterRagDoll.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "SkinMeshTest.h"
#include "core/FileCacheManager.h"
#include "core/FrameFacts.h"
#include "platform/os/Random.h"
#include "support/MathSupport.h"
#include "tools/CharacterModels.h"
#include "tools/RagDollModel.h"

namespace {

using RD = ECharacterRagDoll;

constexpr const char* kModel = "models\\man\\man.x";
constexpr float kFrame = 1.0f / 30.0f;

// The ground: a square of two triangles at height 0, 4000 units wide.
std::vector<CharacterCollisionTriangle> Ground() {
    const float w = 2000.0f;
    const DV a{-w, 0, -w}, b{w, 0, -w}, c{w, 0, w}, d{-w, 0, w};
    auto tri = [&](const DV& p, const DV& q, const DV& r) {
        return CharacterCollisionTriangle{{p, q, r}, {0, 1, 0}, {-w, 0, -w}, {w, 0, w}, -1, 0.0f};
    };
    return {tri(a, b, c), tri(a, c, d)};
}

// What the gathering hook hands out, and how often the excluded object's flags were set.
std::vector<CharacterCollisionTriangle> g_world;
std::vector<uint32_t> g_flagWrites;

class ECharacterRagDollTest : public test::SkinMeshTest {
protected:
    void SetUp() override {
        SkinMeshTest::SetUp();
        test::ResetGlobal(g_FileCacheManager);
        g_world.clear();
        g_flagWrites.clear();
        g_MeshHooks.gatherTriangles = [](void** finder, const DV&, const DV&, CharacterCollisionTriangle* out,
                                         uint32_t capacity) {
            *finder = &g_world;
            uint32_t n = 0;
            for (; n < g_world.size() && n < capacity; ++n) out[n] = g_world[n];
            return n;
        };
        g_MeshHooks.setOwnerFlags = [](EObjectSlot*, uint32_t flags) { g_flagWrites.push_back(flags); };
    }
    void TearDown() override {
        test::ResetGlobal(g_FileCacheManager);
        SkinMeshTest::TearDown();
    }

    // The demo biped in centimetres (the unit the ragdoll's constants are made for), standing at
    // the origin, with the death folder given.
    void WriteMan(const std::string& particles, const std::string& distances = ragdoll::DistanceConstraints(),
                  const std::string& selfCollisions = ragdoll::SelfCollisionConstraints()) {
        skinned::Model man = characters::Driver();
        man.unit = 1.0f;
        WriteModel(kModel, man);
        if (!particles.empty()) WriteFile("models\\man\\death\\particles.txt", particles);
        WriteFile("models\\man\\death\\distance_constraints.txt", distances);
        WriteFile("models\\man\\death\\selfcollision_constraints.txt", selfCollisions);
    }
    bool CreateMan(const std::string& particles = ragdoll::Particles()) {
        WriteMan(particles);
        return Create(m_skin, m_owner, kModel);
    }
    RD& Ragdoll() { return *m_skin.m_pRagDoll; }
    DV Node(const char* name) {
        DV p;
        EXPECT_TRUE(m_skin.GetNodeWorldPosition(name, &p)) << name;
        return p;
    }
    template <size_t N>
    DV Mean(const char* const (&names)[N]) {
        DV sum;
        for (const char* n : names) sum += Ragdoll().FindParticle(n)->m_vPosition;
        return sum * (1.0f / N);
    }
    // The largest difference of a distance constraint's length from its rest length.
    float WorstStretch() {
        float worst = 0.0f;
        for (strDistanceConstraint* c = Ragdoll().m_pDistanceConstraints; c; c = c->m_pNext) {
            worst = std::max(worst, std::fabs(pmath::Length(c->m_pB->m_vPosition - c->m_pA->m_vPosition) - c->m_fRestLength));
        }
        return worst;
    }
    float Lowest() {
        float low = 1e9f;
        for (uint32_t i = 0; i < Ragdoll().m_iNumParticles; ++i) low = std::min(low, Ragdoll().m_Particles[i].m_vPosition.y);
        return low;
    }

    test::SkinOwner m_owner;
    ESkinMesh m_skin;
};

// ---- Death folder ---------------------------------------------------------------------------------

TEST_F(ECharacterRagDollTest, TheDeathFolderGivesEveryMapParticleOnItsBoneAndTablesInListOrder) {
    ASSERT_TRUE(CreateMan());
    ASSERT_NE(m_skin.m_pRagDoll, nullptr);
    RD& r = Ragdoll();
    EXPECT_EQ(r.m_iNumParticles, static_cast<uint32_t>(RD::kMapSize));
    EXPECT_TRUE(r.IsMapComplete());
    for (int i = 0; i < RD::kMapSize; ++i) ASSERT_EQ(r.m_pMap[i], r.FindParticle(RD::kMapNames[i])) << RD::kMapNames[i];
    EXPECT_EQ(r.FindParticle("glowa1")->m_pNode, m_skin.FindNode("Bip01_Head"));
    EXPECT_EQ(r.FindParticle("L_kolano3")->m_pNode, m_skin.FindNode("Bip01_L_Calf"));
    EXPECT_FLOAT_EQ(r.FindParticle("P_udo1")->m_fRadius, 3.0f);
    // The list runs in reverse file order, and the table in list order.
    uint32_t count = 0;
    uint32_t i = 0;
    for (strDistanceConstraint* c = r.m_pDistanceConstraints; c; c = c->m_pNext, ++i) {
        ASSERT_EQ(r.m_SDCTable[i].pA, &c->m_pA->m_vPosition);
        ASSERT_EQ(r.m_SDCTable[i].pB, &c->m_pB->m_vPosition);
        ++count;
    }
    EXPECT_EQ(r.m_uSDCTableCount, count);
    EXPECT_STREQ(r.m_pSelfCollisionConstraints->m_pA->m_szName, "L_przedramie1");
    EXPECT_EQ(LoggedContaining("RagDoll"), 0);
}

// The file rules: the particle limit, duplicate pairs, blanks, tabs, short lines, case and the
// bounds of the names.
TEST_F(ECharacterRagDollTest, DefinitionLinesFollowTheirRules) {
    std::string particles = ragdoll::Particles();
    particles += "   spaced   Bip01_Head    1   2.5   second  \n";
    particles += "short Bip01_Head 1\n";
    particles += "tab\tbed Bip01_Head 0 0 x\n";
    particles += std::string(80, 'n') + " Bip01_Head 0 0 " + std::string(80, 's') + "\n";
    for (int k = 0; k < 40; ++k) particles += "extra" + std::to_string(k) + " Bip01 0 0 -\n";
    const std::string distances =
        "glowa1 glowa2 0.25 0.75 1 7 2.5 first\n"
        "GLOWA2 glowa1 0.5 0.5 0 0 0 second\n"
        "glowa1 nobody 0.5 0.5 0 0 0 dropped\n";
    const std::string selfCollisions = "glowa1 glowa5 1 2 glowa1 glowa8 3\nglowa1 glowa5 1 2 glowa1 glowa8 3\n";
    WriteMan(particles, distances, selfCollisions);
    ASSERT_TRUE(Create(m_skin, m_owner, kModel));
    RD& r = Ragdoll();

    EXPECT_EQ(r.m_iNumParticles, 160u);
    EXPECT_EQ(LoggedContaining("Too Many Particles In RagDoll!"), 122 + 4 + 40 - 160);
    const ZParticle* spaced = r.FindParticle("spaced");
    ASSERT_NE(spaced, nullptr);
    EXPECT_EQ(spaced->m_pNode, m_skin.FindNode("Bip01_Head"));
    EXPECT_EQ(spaced->m_bFlag, 1);
    EXPECT_FLOAT_EQ(spaced->m_fRadius, 2.5f);
    EXPECT_STREQ(spaced->m_szSecondName, "second");
    const ZParticle* shortLine = r.FindParticle("short");
    ASSERT_NE(shortLine, nullptr);
    EXPECT_FLOAT_EQ(shortLine->m_fRadius, 0.0f);
    EXPECT_STREQ(shortLine->m_szSecondName, "");
    EXPECT_NE(r.FindParticle("tab\tbed"), nullptr);
    // Names longer than their field are cut, not written past it.
    EXPECT_NE(r.FindParticle(std::string(63, 'n').c_str()), nullptr);
    EXPECT_EQ(std::string(r.FindParticle(std::string(63, 'n').c_str())->m_szSecondName), std::string(63, 's'));

    // The first of two lines on one pair wins; a line naming no particle is dropped.
    ASSERT_EQ(r.m_uSDCTableCount, 1u);
    EXPECT_FLOAT_EQ(r.m_pDistanceConstraints->m_fWeightA, 0.25f);
    EXPECT_FLOAT_EQ(r.m_pDistanceConstraints->m_fInitialWeightB, 0.75f);
    EXPECT_EQ(r.m_pDistanceConstraints->m_uInteger, 7u);
    EXPECT_STREQ(r.m_pDistanceConstraints->m_szName, "first");
    EXPECT_EQ(r.FindDistanceConstraint("GLOWA2", "GLOWA1"), r.m_pDistanceConstraints);
    EXPECT_EQ(r.m_uSSCDCTableCount, 2u);
}

TEST_F(ECharacterRagDollTest, WithoutAParticlesFileTheCharacterHasNoRagdoll) {
    WriteMan("");
    ASSERT_TRUE(Create(m_skin, m_owner, kModel));
    EXPECT_EQ(m_skin.m_pRagDoll, nullptr);
    EXPECT_EQ(LoggedContaining("RagDoll"), 0);
}

// A particles file cut short lacks map names: it is reported when loaded, and the ragdoll never
// starts, so nothing reaches for the particles that are not there.
TEST_F(ECharacterRagDollTest, ATruncatedParticlesFileIsRefusedWithALine) {
    const std::string whole = ragdoll::Particles();
    const std::string cut = whole.substr(0, whole.find("P_przedramie7") + 5);
    ASSERT_TRUE(CreateMan(cut));
    ASSERT_NE(m_skin.m_pRagDoll, nullptr);
    EXPECT_FALSE(Ragdoll().IsMapComplete());
    EXPECT_EQ(LoggedContaining("particle <P_przedramie7> missing"), 1);
    EXPECT_FALSE(m_skin.StartRagDoll());
    EXPECT_EQ(LoggedContaining("Start refused"), 1);
    EXPECT_EQ(Ragdoll().m_bActive, 0);
    EXPECT_NE(m_skin.m_uChannelState[0], ESkinMesh::CHANNEL_RAGDOLL);
}

// ---- Solver ---------------------------------------------------------------------------------------

class RagDollSolverTest : public ::testing::Test {
protected:
    // Two particles and one distance constraint (and a self-collision on the same pair) with the
    // given squared limits.
    void Pair(const DV& a, const DV& b, float limit2) {
        r.AddParticle("a", "", 0, 0, "");
        r.AddParticle("b", "", 0, 0, "");
        r.AddDistanceConstraint("a", "b", 0.5f, 0.5f, 0, 0, 0, "");
        r.AddSelfCollisionConstraint("a", "b", 0, 0, "a", "b", 0);
        r.BuildSDCTable();
        r.BuildSSCDCTable();
        r.m_SDCTable[0].fLimit2 = r.m_SSCDCTable[0].fLimit2 = limit2;
        A().m_vPosition = A().m_vOldPosition = a;
        B().m_vPosition = B().m_vOldPosition = b;
    }
    ZParticle& A() { return r.m_Particles[0]; }
    ZParticle& B() { return r.m_Particles[1]; }
    RD r;
};

TEST_F(RagDollSolverTest, ARestartedParticleDropsExactlyOneGravityStepAndKeepsThatAsItsVelocity) {
    Pair({0, 10, 0}, {5, 10, 0}, 25.0f);
    A().m_vOldPosition = {3, 12, 0};  // moving, but restarted
    A().m_uRestart = 2;
    r.Integrate();
    EXPECT_EQ(A().m_vPosition.y, 10.0f - RD::kGravityPerStep);
    EXPECT_EQ(A().m_vPosition.x, 0.0f);
    EXPECT_EQ(A().m_uRestart, 0u);
    r.Integrate();
    EXPECT_NEAR(A().m_vPosition.y, 10.0f - 3 * RD::kGravityPerStep, 1e-5f);
    EXPECT_NEAR(B().m_vPosition.y, 10.0f - 3 * RD::kGravityPerStep, 1e-5f);
}

// The rod relaxes both ways; the self-collision pass only draws a pair together; a pair within
// the guard on every axis is set apart by fixed moves whichever side B lies on, and a pair that
// lies below, left of and behind its partner is relaxed like any other.
TEST_F(RagDollSolverTest, RelaxationPassesActAsTheirKindsDemand) {
    struct Case {
        DV b;
        float limit2;
        DV rodB;   // B after one rod pass
        DV selfB;  // B after one self-collision pass
    } cases[] = {
        {{5, 0, 0}, 25.0f, {5, 0, 0}, {5, 0, 0}},                                   // at its limit
        {{8, 0, 0}, 25.0f, {8 + 8 * (25.0f / 89 - 0.5f), 0, 0}, {8 + 8 * (25.0f / 89 - 0.5f), 0, 0}},
        {{2, 0, 0}, 25.0f, {2 + 2 * (25.0f / 29 - 0.5f), 0, 0}, {2, 0, 0}},        // too close: self leaves it
        {{-3, -3, -3}, 12.0f, {-3 - 3 * (12.0f / 39 - 0.5f), -3 - 3 * (12.0f / 39 - 0.5f), -3 - 3 * (12.0f / 39 - 0.5f)},
         {-3 - 3 * (12.0f / 39 - 0.5f), -3 - 3 * (12.0f / 39 - 0.5f), -3 - 3 * (12.0f / 39 - 0.5f)}},
        {{0.005f, -0.005f, 0}, 25.0f, {0.105f, 0.095f, 0.1f}, {0.005f, -0.005f, 0}},
    };
    for (const Case& c : cases) {
        RD rod, self;
        for (RD* x : {&rod, &self}) {
            x->AddParticle("a", "", 0, 0, "");
            x->AddParticle("b", "", 0, 0, "");
            x->AddDistanceConstraint("a", "b", 0.5f, 0.5f, 0, 0, 0, "");
            x->AddSelfCollisionConstraint("a", "b", 0, 0, "a", "b", 0);
            x->BuildSDCTable();
            x->BuildSSCDCTable();
            x->m_SDCTable[0].fLimit2 = x->m_SSCDCTable[0].fLimit2 = c.limit2;
            x->m_Particles[1].m_vPosition = c.b;
        }
        rod.RelaxDistanceTable();
        self.RelaxSelfCollisionTable();
        EXPECT_TRUE(test::Near(rod.m_Particles[1].m_vPosition, c.rodB, 1e-5f)) << c.b.x << " " << c.b.y;
        EXPECT_TRUE(test::Near(self.m_Particles[1].m_vPosition, c.selfB, 1e-5f)) << c.b.x << " " << c.b.y;
    }
}

// ---- Start, fall and write-back ------------------------------------------------------------------

// Dropped from its standing pose onto the ground, the body comes to rest within its rest time
// with its cages whole and nothing under the ground.
TEST_F(ECharacterRagDollTest, DroppedOntoTheGroundItSettlesWithItsConstraintsHeldAndNothingBelow) {
    ASSERT_TRUE(CreateMan());
    g_world = Ground();
    ASSERT_TRUE(m_skin.StartRagDoll());
    EXPECT_EQ(m_skin.m_uChannelState[0], ESkinMesh::CHANNEL_RAGDOLL);
    EXPECT_LT(WorstStretch(), 1e-4f);
    const float standing = Node("Bip01_Head").y;
    g_FrameFacts.frameTime = kFrame;
    int frames = 0;
    for (; Ragdoll().m_bActive && frames < 400; ++frames) m_skin.UpdateRagDoll();
    EXPECT_FALSE(Ragdoll().m_bActive);
    EXPECT_LE(frames * kFrame, 8.0f + 2 * kFrame);
    EXPECT_GE(Lowest(), -0.01f);
    // Within 2 units of its rest length (about a hundredth of the body's height).
    EXPECT_LT(WorstStretch(), 2.0f);
    // It lies: the head came down and the last step hardly moved anything.
    EXPECT_LT(Node("Bip01_Head").y, standing * 0.5f);
    float fastest = 0.0f;
    for (uint32_t i = 0; i < Ragdoll().m_iNumParticles; ++i)
        fastest = std::max(fastest, pmath::Length(Ragdoll().m_Particles[i].m_vPosition - Ragdoll().m_Particles[i].m_vOldPosition));
    EXPECT_LT(fastest, 0.5f);
}

// The bone matrices the write-back gives put every driven node on the centre of its particles.
TEST_F(ECharacterRagDollTest, WriteBackPutsTheBonesOnTheirParticles) {
    ASSERT_TRUE(CreateMan());
    g_world = Ground();
    ASSERT_TRUE(m_skin.StartRagDoll());
    g_FrameFacts.frameTime = kFrame;
    for (int i = 0; i < 20; ++i) m_skin.UpdateRagDoll();
    const DV leftHip = Mean({"L_miednica2", "L_miednica3", "miednica5", "miednica6"});
    const DV rightHip = Mean({"P_miednica1", "P_miednica4", "miednica5", "miednica6"});
    const DV lowerChest = Mean({"L_tulow1", "L_tulow4", "P_tulow1", "P_tulow4"});
    const DV upperChest = Mean({"P_tulow2", "P_tulow3", "L_tulow2", "L_tulow3"});
    struct Expect {
        const char* node;
        DV at;
    } expected[] = {
        {"Bip01", (leftHip + rightHip) * 0.5f},
        {"Bip01_L_Thigh", leftHip},
        {"Bip01_R_Thigh", rightHip},
        {"Bip01_L_Calf", Mean({"L_udo1", "L_udo2", "L_udo3", "L_udo4"})},
        {"Bip01_R_Calf", Mean({"P_udo1", "P_udo2", "P_udo3", "P_udo4"})},
        {"Bip01_Neck", lowerChest + (upperChest - lowerChest) * 0.73f},
        {"Bip01_L_UpperArm", Mean({"L_tulow1", "L_tulow2", "L_tulow3", "L_tulow4"})},
        {"Bip01_R_Forearm", Mean({"P_ramie2", "P_ramie3", "P_ramie6", "P_ramie7"})},
    };
    for (const Expect& e : expected) EXPECT_TRUE(test::Near(Node(e.node), e.at, 1e-3f)) << e.node;
    // The hands follow their forearms: they stay one forearm's length from the elbow.
    EXPECT_NEAR(pmath::Length(Node("Bip01_L_Hand") - Node("Bip01_L_Forearm")), 25.0f, 1e-2f);
}

// A calf swung forwards past the straight leg bends the knee backwards: the knee's plane rules
// pin the calf's front top onto the knee cage, so the calf can only turn about the knee; the same
// angle bent the natural way (foot backwards) is left exactly as it is.
TEST_F(ECharacterRagDollTest, TheKneeLimitHoldsAKneeFromBendingBackwards) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    const char* const calf[] = {"L_lydka1", "L_lydka2", "L_lydka3", "L_lydka4",
                                "L_lydka5", "L_lydka6", "L_lydka7", "L_lydka8"};
    for (float degrees : {45.0f, 90.0f, -45.0f, -90.0f}) {
        ASSERT_TRUE(m_skin.StartRagDoll());
        // The calf turned about the knee's side axis; positive swings the foot forwards (+z).
        const DV knee = Mean({"L_udo1", "L_udo2", "L_udo3", "L_udo4"});
        const pmath::Matrix turn = pmath::MatrixFromAxisAngle({1, 0, 0}, -degrees * 3.14159265f / 180.0f);
        for (const char* n : calf) {
            DV& p = r.FindParticle(n)->m_vPosition;
            p = pmath::TransformDirection(p - knee, turn) + knee;
        }
        ASSERT_EQ((Mean({"L_lydka3", "L_lydka4", "L_lydka5", "L_lydka6"}) - knee).z > 0.0f, degrees > 0.0f);
        const DV topBefore = Mean({"L_lydka1", "L_lydka2"});
        r.LimitLeftKnee();
        const DV& front1 = r.FindParticle("L_lydka1")->m_vPosition;
        const DV& front2 = r.FindParticle("L_lydka2")->m_vPosition;
        if (degrees > 0.0f) {
            EXPECT_TRUE(test::Near(front1, r.FindParticle("L_kolano3")->m_vPosition, 0.0f)) << degrees;
            EXPECT_TRUE(test::Near(front2, r.FindParticle("L_kolano4")->m_vPosition, 0.0f)) << degrees;
        } else {
            EXPECT_TRUE(test::Near(Mean({"L_lydka1", "L_lydka2"}), topBefore, 0.0f)) << degrees;
        }
    }
}

// The frame's time runs through fixed sub-steps of 0.0215 s, at most two per step; a frame
// steps twice (each step takes the whole frame time, so the body moves at twice the pace of its
// rest timer), and a frame too short for a sub-step writes nothing back.
TEST_F(ECharacterRagDollTest, FrameTimeRunsThroughAtMostTwoSubStepsPerStep) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    ASSERT_TRUE(m_skin.StartRagDoll());
    g_FrameFacts.frameTime = 0.05f;
    r.Step();
    EXPECT_NEAR(r.m_fSimulatedTime, 2 * RD::kSubStep, 1e-6f);
    EXPECT_EQ(r.m_fTimeAccumulator, 0.0f);  // the remaining 0.007 s is dropped
    ASSERT_TRUE(m_skin.StartRagDoll());
    r.UpdatePhysics();
    EXPECT_NEAR(r.m_fSimulatedTime, 4 * RD::kSubStep, 1e-6f);
    EXPECT_NEAR(r.m_dRestTimer, 0.05, 1e-6);

    // A remainder at -0.0115 s swallows a frame of 0.01 s: no sub-step, no write-back.
    r.m_fTimeAccumulator = -0.0115f;
    m_skin.m_pNodes[0].vRagDollTarget = {1234, 0, 0};
    g_FrameFacts.frameTime = 0.01f;
    r.Step();
    EXPECT_EQ(r.m_bStepped, 0);
    EXPECT_EQ(m_skin.m_pNodes[0].vRagDollTarget.x, 1234.0f);

    // Without detailed collisions the world is not asked for triangles.
    static int asked = 0;
    g_MeshHooks.gatherTriangles = [](void**, const DV&, const DV&, CharacterCollisionTriangle*, uint32_t) {
        ++asked;
        return 0u;
    };
    ASSERT_TRUE(r.Start(0.9f, false));
    g_FrameFacts.frameTime = 0.03f;
    r.Step();
    EXPECT_EQ(asked, 0);
    ASSERT_TRUE(r.Start(0.9f, true));
    r.Step();
    EXPECT_EQ(asked, 1);
}

// A body whose root stays put is taken for resting once the rest timer passes 2 s; however it
// moves, the physics stops after 8 s.
TEST_F(ECharacterRagDollTest, TheRestTestStopsAStillBodyAfterTwoSecondsAndAnyBodyAfterEight) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    g_FrameFacts.frameTime = kFrame;
    // Stepped without the write-back, the skeleton's root never moves.
    ASSERT_TRUE(m_skin.StartRagDoll());
    while (r.m_bActive && r.m_dRestTimer < 10.0) r.UpdatePhysics();
    EXPECT_GT(r.m_dRestTimer, 2.0);
    EXPECT_LT(r.m_dRestTimer, 2.0 + 2 * kFrame);
    // A root that moves a long way every frame keeps it going until the limit.
    ASSERT_TRUE(m_skin.StartRagDoll());
    float x = 0.0f;
    while (r.m_bActive && r.m_dRestTimer < 10.0) {
        m_skin.m_pBiped[ESkinMesh::BIP01]->mCombined.m[3][0] = x += 10.0f;
        r.UpdatePhysics();
    }
    EXPECT_GT(r.m_dRestTimer, 8.0);
    EXPECT_LT(r.m_dRestTimer, 8.0 + 2 * kFrame);
}

// Hits fill the slots of their body part for their times; a second hit clears the first.
TEST_F(ECharacterRagDollTest, HitsFillTheSlotsOfTheirBodyParts) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    ASSERT_TRUE(m_skin.StartRagDoll());
    const DV dir{0, 0, 2};
    struct Case {
        const char* part;
        float time;
        std::vector<std::pair<int, float>> slots;  // slot and its push along the direction
    } cases[] = {
        {"lewa_reka", 0.0f, {{3, 0.42f}}},
        {"PRAWA_NOGA", 0.0f, {{6, 0.3f}, {1, -0.9f}}},
        {"prawa_noga", 1.5f, {{6, 0.3f}}},
        {"ladownica2", 0.0f, {{2, 0.37f}, {3, -0.4f}, {4, -0.4f}}},
        {"glowa", 0.5f, {{0, 0.93f}, {1, 0.83f}}},
        {"Glowa", 1.5f, {{0, 0.93f}}},
        {"anything", 0.0f, {{1, 0.3f}, {3, 0.4f}, {4, 0.4f}}},
    };
    for (const Case& c : cases) {
        r.ApplyHit("glowa", {1, 0, 0});
        r.m_fSimulatedTime = c.time;
        r.ApplyHit(c.part, dir);
        int filled = 0;
        for (int slot = 0; slot < RD::kImpulseSlots; ++slot) filled += r.m_fImpulseTime[slot] > 0.0f;
        EXPECT_EQ(filled, static_cast<int>(c.slots.size())) << c.part;
        for (auto [slot, push] : c.slots) EXPECT_TRUE(test::Near(r.m_vImpulse[slot], {0, 0, push}, 1e-6f)) << c.part;
    }
    // A body that started lying flat is pushed a fifth as hard for a tenth of the time.
    r.m_bStartLyingFlat = 1;
    r.m_fSimulatedTime = 0.0f;
    r.ApplyHit("lewa_reka", dir);
    EXPECT_FLOAT_EQ(r.m_fImpulseTime[3], 0.05f);
    EXPECT_TRUE(test::Near(r.m_vImpulse[3], {0, 0, 0.084f}, 1e-6f));
    // Pushing the whole body moves it by at most 2.5.
    const DV before = r.FindParticle("glowa1")->m_vPosition;
    r.PushAll({0, 10, 0});
    EXPECT_TRUE(test::Near(r.FindParticle("glowa1")->m_vPosition, before + DV{0, 2.5f, 0}, 1e-4f));
}

// The state record restores particles and constraints by their names; records the ragdoll does
// not know are read past.
TEST_F(ECharacterRagDollTest, TheStateRecordRestoresByNames) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    ASSERT_TRUE(m_skin.StartRagDoll());
    g_FrameFacts.frameTime = kFrame;
    for (int i = 0; i < 10; ++i) m_skin.UpdateRagDoll();
    FILE* f = std::fopen(Path("state.bin").c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    std::snprintf(r.m_Particles[5].m_szName, ZParticle::kNameSize, "renamed");  // unknown when read back
    r.SaveState(f);
    const uint32_t tail = 0xC0FFEE;
    std::fwrite(&tail, sizeof tail, 1, f);
    std::snprintf(r.m_Particles[5].m_szName, ZParticle::kNameSize, "%s", RD::kMapNames[5]);
    const DV saved = r.m_Particles[0].m_vPosition, savedSixth = r.m_Particles[5].m_vPosition;
    const float rest = r.m_pDistanceConstraints->m_fRestLength2;
    ASSERT_TRUE(m_skin.StartRagDoll());
    r.m_pDistanceConstraints->m_fRestLength2 = 1.0f;
    const DV startSixth = r.m_Particles[5].m_vPosition;
    std::rewind(f);
    r.LoadState(f);
    uint32_t after = 0;
    ASSERT_EQ(std::fread(&after, sizeof after, 1, f), 1u);
    std::fclose(f);
    EXPECT_EQ(after, tail);
    EXPECT_EQ(r.m_Particles[0].m_vPosition, saved);
    EXPECT_EQ(r.m_Particles[5].m_vPosition, startSixth);
    EXPECT_NE(r.m_Particles[5].m_vPosition, savedSixth);
    EXPECT_EQ(r.m_pDistanceConstraints->m_fRestLength2, rest);
    EXPECT_EQ(r.m_SDCTable[0].fLimit2, rest);
}

// A damaged record whose counts say billions is read to its end and no further.
TEST_F(ECharacterRagDollTest, AStateRecordOfHugeCountsStopsAtTheFilesEnd) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    ASSERT_TRUE(m_skin.StartRagDoll());
    const DV before = r.m_Particles[0].m_vPosition;
    FILE* f = std::fopen(Path("huge.bin").c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    const std::vector<unsigned char> bytes(2048, 0xFF);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    r.LoadState(f);
    EXPECT_TRUE(std::feof(f));
    std::fclose(f);
    EXPECT_EQ(r.m_Particles[0].m_vPosition, before);
}

// ---- World triangles ------------------------------------------------------------------------------

// Small triangles and slivers are left out; the player's machine is taken out of the gathering
// by its flag bit for that time, and a missing machine is simply not touched.
TEST_F(ECharacterRagDollTest, GatheringKeepsTheTrianglesWorthCollidingAndLeavesThePlayersMachineOut) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    auto tri = [](const DV& a, const DV& b, const DV& c) {
        return CharacterCollisionTriangle{{a, b, c}, {0, 1, 0}, {}, {}, 7, 0.0f};
    };
    g_world = {tri({0, 0, 0}, {20, 0, 0}, {0, 0, 20}),     // kept
               tri({0, 0, 0}, {5, 0, 0}, {0, 0, 5}),       // every edge short
               tri({0, 0, 0}, {50, 0, 0}, {50, 0, 2}),     // a sliver
               tri({0, 0, 0}, {10, 0, 0}, {10, 6, 0})};    // long enough by its Manhattan edge
    r.GatherCollisionTriangles();
    EXPECT_EQ(r.m_uNumTriangles, 2u);
    EXPECT_EQ(r.m_pCharacterCollisionTrojkaty[1].vCorners[2].y, 6.0f);
    EXPECT_EQ(r.m_pCharacterCollisionTrojkaty[0].iMarker, -1);
    EXPECT_TRUE(g_flagWrites.empty());

    static test::SkinOwner machine;
    machine.flags = 0x15;
    g_MeshHooks.excludedObject = [] { return machine.Slot(); };
    r.GatherCollisionTriangles();
    EXPECT_EQ(g_flagWrites, (std::vector<uint32_t>{0x11, 0x15}));
}

// A segment pushed into the ground is pushed out and crept back to just above it.
TEST_F(ECharacterRagDollTest, AConstraintThroughTheGroundIsPushedOutToJustAboveIt) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    g_world = Ground();
    r.GatherCollisionTriangles();
    strDistanceConstraint* c = r.m_pDistanceConstraints;
    c->m_pA->m_vPosition = {0, 5, 0};
    c->m_pB->m_vPosition = {3, -2.5f, 0};
    c->m_pA->m_uRestart = c->m_pB->m_uRestart = 0;
    r.CollideConstraintsWithTriangles();
    EXPECT_GE(c->m_pB->m_vPosition.y, 0.0f);
    EXPECT_LT(c->m_pB->m_vPosition.y, 0.1f);
    EXPECT_NEAR(c->m_pA->m_vPosition.y - c->m_pB->m_vPosition.y, 7.5f, 1e-4f);
    EXPECT_EQ(c->m_pA->m_uRestart, 1u);
    EXPECT_TRUE(r.IntersectsCollisionTriangles({0, 1, 0}, {0, -1, 0}));
    EXPECT_FALSE(r.IntersectsCollisionTriangles({0, 1, 0}, {0, 0.5f, 0}));
}

}  // namespace

namespace {

// Every one of the sixteen limit tables leaves the standing pose as it is (a rule taken the wrong
// way round would fold a limb that stands still), and each acts on a pose disturbed at random. The
// hips are the exception at rest: they lay the model's loose hip particles onto the thigh's top,
// once, and then keep them there.
TEST_F(ECharacterRagDollTest, EveryLimitTableKeepsTheRestPoseAndActsOnADisturbedOne) {
    ASSERT_TRUE(CreateMan());
    RD& r = Ragdoll();
    using Limit = void (RD::*)();
    struct Table {
        const char* what;
        Limit limit;
        bool settlesAtRest;
    };
    const Table limits[] = {
        {"left knee", &RD::LimitLeftKnee, false},          {"right knee", &RD::LimitRightKnee, false},
        {"left hip", &RD::LimitLeftHip, true},             {"right hip", &RD::LimitRightHip, true},
        {"left elbow", &RD::LimitLeftElbow, false},        {"right elbow", &RD::LimitRightElbow, false},
        {"torso", &RD::LimitTorso, false},                 {"head", &RD::LimitHead, false},
        {"left calf", &RD::LimitLeftCalf, false},          {"left thigh", &RD::LimitLeftThigh, false},
        {"right calf", &RD::LimitRightCalf, false},        {"right thigh", &RD::LimitRightThigh, false},
        {"left forearm", &RD::LimitLeftForearm, false},    {"left upper arm", &RD::LimitLeftUpperArm, false},
        {"right forearm", &RD::LimitRightForearm, false},  {"right upper arm", &RD::LimitRightUpperArm, false},
    };
    auto snapshot = [&] {
        std::vector<DV> at(RD::kMapSize);
        for (int i = 0; i < RD::kMapSize; ++i) at[i] = *r.m_pMapPositions[i];
        return at;
    };
    auto restore = [&](const std::vector<DV>& at) {
        for (int i = 0; i < RD::kMapSize; ++i) *r.m_pMapPositions[i] = at[i];
    };
    ASSERT_TRUE(m_skin.StartRagDoll());
    const std::vector<DV> rest = snapshot();
    plat::SeedRandom(7);
    for (const auto& [what, limit, settlesAtRest] : limits) {
        restore(rest);
        if (settlesAtRest) (r.*limit)();
        const std::vector<DV> settled = snapshot();
        (r.*limit)();
        const std::vector<DV> still = snapshot();
        for (int i = 0; i < RD::kMapSize; ++i)
            EXPECT_TRUE(test::Near(still[i], settled[i], 1e-3f)) << what << " moved " << RD::kMapNames[i] << " at rest";
        bool acted = false;
        for (int attempt = 0; attempt < 20 && !acted; ++attempt) {
            for (int i = 0; i < RD::kMapSize; ++i) {
                auto noise = [] { return static_cast<float>(plat::Random() % 41 - 20); };
                *r.m_pMapPositions[i] = rest[i] + DV{noise(), noise(), noise()};
            }
            const std::vector<DV> disturbed = snapshot();
            (r.*limit)();
            const std::vector<DV> after = snapshot();
            for (int i = 0; i < RD::kMapSize; ++i) acted = acted || !test::Near(after[i], disturbed[i], 1e-4f);
        }
        EXPECT_TRUE(acted) << what << " never acted";
    }
}

}  // namespace
