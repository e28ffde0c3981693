// The rigid-box character body: ten boxes of the engine's own rigid-body simulation tied by joints,
// sized and turned after a skinned biped's skeleton, made as engine objects and removed again, whole
// or not at all; the shot that felled the character, the pose copied back onto the skeleton and the
// release with the skinned mesh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodySimulation.h"
#include "collision/RigidBodyHooks.h"
#include "collision/RigidBodyParametersMgr.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "support/MathSupport.h"
#include "tools/CharacterModels.h"
#include "world/CollisionFixture.h"
#include "world/ERigidBodyCharacter.h"
#include "world/WorldFixture.h"

namespace {

using test::WorldTest;
using RBC = ERigidBodyCharacter;

constexpr const char* kMan = "models\\man\\man.x";

// A unit cube about the origin.
constexpr const char* kCubeModel =
    "xof 0303txt 0032\n"
    "Mesh {\n 8;\n"
    " -0.5;-0.5;-0.5;, 0.5;-0.5;-0.5;, 0.5;0.5;-0.5;, -0.5;0.5;-0.5;,\n"
    " -0.5;-0.5;0.5;, 0.5;-0.5;0.5;, 0.5;0.5;0.5;, -0.5;0.5;0.5;;\n"
    " 12;\n"
    " 3;0,2,1;, 3;0,3,2;, 3;4,5,6;, 3;4,6,7;, 3;0,1,5;, 3;0,5,4;,\n"
    " 3;3,7,6;, 3;3,6,2;, 3;0,4,7;, 3;0,7,3;, 3;1,2,6;, 3;1,6,5;;\n"
    "}\n";

// The box's sockets on the unit cube: faces, corners, edge centres and the torso's attachments.
std::string BoxSockets() {
    std::string text = "mesh_filename prefabs\\special\\action.x\n";
    auto add = [&](const char* name, float x, float y, float z) {
        char line[96];
        std::snprintf(line, sizeof line, "socket %s %g %g %g\n", name, x, y, z);
        text += line;
    };
    add("top", 0, 0.5f, 0), add("bottom", 0, -0.5f, 0), add("left", -0.5f, 0, 0), add("right", 0.5f, 0, 0);
    const float corner[8][3] = {{-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f},
                                {-0.5f, 0.5f, 0.5f},  {0.5f, 0.5f, 0.5f},  {0.5f, -0.5f, 0.5f},  {-0.5f, -0.5f, 0.5f}};
    for (int i = 0; i < 8; ++i) add(("joint" + std::to_string(i)).c_str(), corner[i][0], corner[i][1], corner[i][2]);
    const char* centres[] = {"04", "15", "12", "56", "03", "47"};
    for (const char* c : centres) {
        const int a = c[0] - '0', b = c[1] - '0';
        add((std::string("joint") + c + "center").c_str(), (corner[a][0] + corner[b][0]) / 2,
            (corner[a][1] + corner[b][1]) / 2, (corner[a][2] + corner[b][2]) / 2);
    }
    add("lewa_reka", -0.5f, 0.4f, 0), add("prawa_reka", 0.5f, 0.4f, 0);
    for (int i = 1; i <= 4; ++i) {
        add(("lewa_reka" + std::to_string(i)).c_str(), -0.5f, 0.4f, i <= 2 ? 0.2f : -0.2f);
        add(("prawa_reka" + std::to_string(i)).c_str(), 0.5f, 0.4f, i <= 2 ? 0.2f : -0.2f);
    }
    add("lewe_udo", -0.3f, -0.5f, 0), add("prawe_udo", 0.3f, -0.5f, 0);
    add("glowa_distance0", -0.1f, 0.5f, -0.5f), add("glowa_distance1", 0.1f, 0.5f, -0.5f);
    add("glowa_distance4", -0.1f, 0.5f, 0.5f), add("glowa_distance5", 0.1f, 0.5f, 0.5f);
    add("glowa_distance04center", -0.1f, 0.5f, 0), add("glowa_distance15center", 0.1f, 0.5f, 0);
    add("lewe_udo_distance2", -0.1f, -0.5f, -0.5f), add("lewe_udo_distance6", -0.1f, -0.5f, 0.5f);
    add("prawe_udo_distance3", 0.1f, -0.5f, -0.5f), add("prawe_udo_distance7", 0.1f, -0.5f, 0.5f);
    return text;
}

// The demo driver in centimetres, its root at (0, 95, 0), standing with its arms spread: the pose
// the boxes are laid out in.
skinned::Model SpreadMan() {
    skinned::Model man = characters::Driver();
    man.unit = 1.0f;
    for (skinned::Bone& bone : man.bones) {
        const float side = bone.name.find("_L_") != std::string::npos ? -1.0f : 1.0f;
        for (const auto& [name, length] : {std::pair{"Forearm", 28.0f}, {"Hand", 25.0f}, {"Finger0", 8.0f}, {"Finger01", 5.0f}})
            if (bone.name.size() > 8 && bone.name.substr(8) == name) bone.offset = {side * length, 0, 0};
    }
    return man;
}

double* Quaternion(const EOrientation& o, double* q) {
    q[0] = o.m_Quaternion.x, q[1] = o.m_Quaternion.y, q[2] = o.m_Quaternion.z, q[3] = o.m_Quaternion.w;
    return q;
}

class RigidBodyCharacter : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        test::ResetGlobal(g_MeshSocketsMgr);
        test::ResetGlobal(g_RigidBodyParametersMgr);
        test::ResetGlobal(g_RigidBodySimulation);
        test::ResetGlobal(g_RigidBodyJointsMgr);
        WriteFile("prefabs\\special\\action.x", kCubeModel);
        WriteFile("prefabs\\special\\rigidbody_box.x", kCubeModel);
        WriteFile("scripts\\mesh_sockets\\action.txt", BoxSockets());
        g_MeshSocketsMgr.LoadAll();
        test::InstallCollisionHooks();
        g_MeshHooks.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o && o->m_bUsed ? o->Mesh() : nullptr; };
        InstallEngineBodyHooks();
        g_RigidBodySimulation.Init();
        test::ResetGlobal(g_SkinMeshMgr);
        g_SkinMeshMgr.Init();
        WriteFile(kMan, SpreadMan().XText());
        ASSERT_TRUE(m_skin.Create(kMan));
        m_body.m_pSkinMesh = &m_skin;
    }

    void TearDown() override {
        m_body.Release();
        m_skin.Destroy();
        test::ResetGlobal(g_SkinMeshMgr);
        test::ResetGlobal(g_RigidBodySimulation);
        test::ResetGlobal(g_RigidBodyJointsMgr);
        test::ResetGlobal(g_RigidBodyParametersMgr);
        test::ResetGlobal(g_MeshSocketsMgr);
        g_RigidBodyHooks = RigidBodyHooks{};
        WorldTest::TearDown();
        test::RemoveCollisionHooks();
    }

    // The bodies' questions answered by the engine's own objects.
    static void InstallEngineBodyHooks() {
        RigidBodyHooks& h = g_RigidBodyHooks;
        h.createMeshObject = [](const char* file, const char* name, const DV& position, const double* q,
                                const DV& scale, uint32_t flags, uint32_t flags2) -> EObjectSlot* {
            EObjectSlot* o = g_Engine.CreateObject(OT_MESH, file, flags, flags2, &position, &scale);
            if (!o) return nullptr;
            std::snprintf(o->m_szName, sizeof o->m_szName, "%s", name);
            EOrientation orientation;
            const pmath::Quaternion quaternion{static_cast<float>(q[0]), static_cast<float>(q[1]),
                                               static_cast<float>(q[2]), static_cast<float>(q[3])};
            orientation.SetQuaternion(&quaternion);
            g_Engine.SetObjectOrientation(o, orientation);
            return o;
        };
        h.deleteObject = [](EObjectSlot* o) { g_Engine.DeleteObject(o); };
        h.objectFacts = [](EObjectSlot* o, RigidBodyObjectFacts* out) {
            EMesh* mesh = o && o->m_bUsed ? o->Mesh() : nullptr;
            if (!mesh) return false;
            out->isMesh = true;
            out->name = o->m_szName;
            out->meshFileName = mesh->m_szFileName;
            g_Engine.GetObjectPosition(o, &out->position);
            EOrientation orientation;
            g_Engine.GetObjectOrientation(o, &orientation);
            Quaternion(orientation, out->q);
            g_Engine.GetObjectScaling(o, &out->scale);
            out->localMin = mesh->m_vMin;
            out->localMax = mesh->m_vMax;
            out->params = &mesh->m_RigidBodyPhysics;
            return true;
        };
        h.setTransform = [](EObjectSlot* o, const DV& position, const double* q) {
            EOrientation orientation;
            const pmath::Quaternion quaternion{static_cast<float>(q[0]), static_cast<float>(q[1]),
                                               static_cast<float>(q[2]), static_cast<float>(q[3])};
            orientation.SetQuaternion(&quaternion);
            g_Engine.SetObjectTransform(o, position, orientation, false, false);
        };
        h.socketPosition = [](EObjectSlot* o, const char* socket, DV* out) {
            DV point{1e9f, 1e9f, 1e9f};
            g_MeshSocketsMgr.GetSocketDV(o, socket, &point);
            if (point.x == 1e9f) return false;
            *out = point;
            return true;
        };
    }

    static int CountNamed(const char* name) {
        return static_cast<int>(std::count_if(std::begin(g_Engine.m_Objects), std::end(g_Engine.m_Objects),
                                              [&](const EObjectSlot& o) { return o.m_bUsed && !std::strcmp(o.m_szName, name); }));
    }
    static int CountUsed() {
        return static_cast<int>(std::count_if(std::begin(g_Engine.m_Objects), std::end(g_Engine.m_Objects),
                                              [](const EObjectSlot& o) { return o.m_bUsed; }));
    }

    DV Node(int slot) const {
        const pmath::Matrix& m = m_skin.m_pBiped[slot]->mCombined;
        return {m.m[3][0], m.m[3][1], m.m[3][2]};
    }
    const DV& Target(int slot) const { return m_skin.m_pBiped[slot]->vRagDollTarget; }
    EOrientation Orientation(int limb) const {
        EOrientation o;
        g_Engine.GetObjectOrientation(m_body.m_hLimbs[limb], &o);
        return o;
    }
    DV Socket(int limb, const char* name) const {
        DV p;
        EXPECT_TRUE(g_MeshSocketsMgr.GetSocketWorldPos(m_body.m_hLimbs[limb], name, &p)) << name;
        return p;
    }
    static DV Momentum(const ERigidBodyPhysics* body) { return ToDV(body->m_State.P); }
    int Logged(const std::string& text) const {
        int count = 0;
        for (const std::string& line : ReadLines("!console.txt")) count += line.find(text) != std::string::npos;
        return count;
    }

    ESkinMesh m_skin;
    ERigidBodyCharacter m_body;
};

float Distance(const DV& a, const DV& b) { return pmath::Length(a - b); }

TEST_F(RigidBodyCharacter, CreateMakesTenLimbsWithBodiesAndJoints) {
    const int before = CountUsed();
    ASSERT_TRUE(m_body.Create({100, 50, 0}));
    for (const char* name : {"tulow", "glowa", "lewe_ramie", "prawe_ramie", "lewe_przedramie", "prawe_przedramie",
                             "lewe_udo", "prawe_udo", "lewa_lydka", "prawa_lydka"})
        EXPECT_EQ(CountNamed(name), 1) << name;
    for (int i = 0; i < ERigidBodyCharacter::kLimbs; ++i) {
        ASSERT_NE(m_body.m_pBodies[i], nullptr);
        EXPECT_EQ(g_RigidBodySimulation.GetObjectBody(m_body.m_hLimbs[i]), m_body.m_pBodies[i]);
        EXPECT_EQ(m_body.m_pBodies[i]->m_bCharacterPart, 1);
    }
    EXPECT_FLOAT_EQ(m_body.m_pBodies[ERigidBodyCharacter::TULOW]->m_State.mass, 8.0);
    EXPECT_FLOAT_EQ(m_body.m_pBodies[ERigidBodyCharacter::GLOWA]->m_State.mass, 6.0);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 50u);
    EXPECT_NE(m_body.m_pFinder, nullptr);
    // The boxes take the skeleton's segments: shoulder to shoulder, hips to head, head to its tip,
    // and each arm and leg bone.
    const struct {
        int limb;
        DV size;
    } sizes[] = {{RBC::TULOW, {40, 71, 10}},           {RBC::GLOWA, {15, 20, 10}},
                 {RBC::LEWE_RAMIE, {28, 10, 10}},      {RBC::PRAWE_RAMIE, {28, 10, 10}},
                 {RBC::LEWE_PRZEDRAMIE, {25, 10, 10}}, {RBC::PRAWE_PRZEDRAMIE, {25, 10, 10}},
                 {RBC::LEWE_UDO, {10, 42, 10}},        {RBC::PRAWE_UDO, {10, 42, 10}},
                 {RBC::LEWA_LYDKA, {10, 40, 10}},      {RBC::PRAWA_LYDKA, {10, 40, 10}}};
    for (const auto& row : sizes) {
        DV scale;
        g_Engine.GetObjectScaling(m_body.m_hLimbs[row.limb], &scale);
        EXPECT_TRUE(test::Near(scale, row.size, 1e-3f)) << m_body.m_hLimbs[row.limb]->m_szName;
    }
    // The calves' ties to the torso's bottom take the calves' length.
    int calfJoints = 0;
    for (const RigidBodyJoint& j : g_RigidBodyJointsMgr.m_Joints)
        if (j.m_bUsed && j.m_uKind == 2 && j.m_pBodyB == m_body.m_pBodies[RBC::TULOW]) {
            EXPECT_DOUBLE_EQ(j.m_dParam[0], 40.0);
            ++calfJoints;
        }
    EXPECT_EQ(calfJoints, 2);
    // Each limb and its helper object.
    EXPECT_EQ(CountUsed(), before + 2 * ERigidBodyCharacter::kLimbs);
}

TEST_F(RigidBodyCharacter, TheJointPassByteIsLowAfterCreateAndUpdate) {
    ASSERT_TRUE(m_body.Create({0, 0, 0}));
    EXPECT_EQ(g_RigidBodyJointsMgr.m_bInFrame, 0);
    g_Engine.m_fFrameTime = 0.02f;
    m_body.Update();
    EXPECT_EQ(g_RigidBodyJointsMgr.m_bInFrame, 0);
}

TEST_F(RigidBodyCharacter, AFailedCreateLeavesNoLimbBehind) {
    const int before = CountUsed();
    // Without the bodies' hooks no limb gets a body.
    g_RigidBodyHooks = RigidBodyHooks{};
    EXPECT_FALSE(m_body.Create({0, 0, 0}));
    EXPECT_EQ(CountUsed(), before);
    EXPECT_EQ(m_body.m_bCreated, 0);
    // With the object table nearly full the sixth limb cannot be added.
    InstallEngineBodyHooks();
    int free = 0;
    for (EObjectSlot& o : g_Engine.m_Objects)
        if (!o.m_bUsed && ++free > 5) o.m_bUsed = 1, o.m_szName[0] = 0;
    const int full = CountUsed();
    EXPECT_FALSE(m_body.Create({0, 0, 0}));
    EXPECT_EQ(CountUsed(), full);
    EXPECT_EQ(g_RigidBodySimulation.m_uActiveBodies, 0u);
}

TEST_F(RigidBodyCharacter, ReleaseRemovesEverythingAndOnlyOnceCreated) {
    const int before = CountUsed();
    m_body.Release();
    EXPECT_EQ(CountUsed(), before);
    ASSERT_TRUE(m_body.Create({0, 0, 0}));
    m_body.Release();
    EXPECT_EQ(CountUsed(), before);
    EXPECT_EQ(g_RigidBodyJointsMgr.CountUsed(), 0u);
    for (uint32_t i = 0; i < g_RigidBodySimulation.m_uBodies; ++i) EXPECT_EQ(g_RigidBodySimulation.m_Slots[i].used, 0);
    EXPECT_EQ(m_body.m_pFinder, nullptr);
    EXPECT_EQ(m_body.m_bCreated, 0);
}

TEST_F(RigidBodyCharacter, BodiesSleepAfterFiveSeconds) {
    ASSERT_TRUE(m_body.Create({0, 0, 0}));
    g_Engine.m_fFrameTime = 0.02f;
    for (int frame = 0; frame < 260; ++frame) m_body.Update();
    EXPECT_EQ(m_body.m_bActive, 0);
    for (ERigidBodyPhysics* body : m_body.m_pBodies) EXPECT_EQ(body->m_bActive, 0);
}

TEST_F(RigidBodyCharacter, CreateNeedsASkinnedMeshWithTheWholeBiped) {
    const int before = CountUsed();
    ERigidBodyCharacter orphan;
    EXPECT_FALSE(orphan.Create({0, 0, 0}));
    EXPECT_EQ(CountUsed(), before);
    // A skeleton without fingers cannot be measured and posed.
    skinned::Model man = SpreadMan();
    for (auto& bone : man.bones)
        if (const size_t at = bone.name.find("Finger"); at != std::string::npos) bone.name.replace(at, 6, "Digit");
    WriteFile("models\\glove\\glove.x", man.XText());
    ESkinMesh gloved;
    ASSERT_TRUE(gloved.Create("models\\glove\\glove.x"));
    ERigidBodyCharacter body(&gloved);
    EXPECT_FALSE(body.Create({0, 0, 0}));
    EXPECT_EQ(CountUsed(), before);
    EXPECT_EQ(Logged("ERROR in RagDoll: something wrong with node: Bip01_R_Finger0"), 1);
}

// The torso stands from the hips to the head; hanging arms and standing legs lie along their bones.
TEST_F(RigidBodyCharacter, TheBoxesLieAlongTheSkeleton) {
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01)));
    const DV up{0, 1, 0};
    EXPECT_TRUE(test::Near(Orientation(RBC::TULOW).m_Up, up, 1e-3f));
    EXPECT_TRUE(test::Near(Socket(RBC::TULOW, "top"), Node(ESkinMesh::BIP01_HEAD), 0.5f));
    EXPECT_TRUE(test::Near(Socket(RBC::GLOWA, "top"), Node(ESkinMesh::BIP01_HEADNUB), 0.5f));
    // Both arms' long axes point to the body's right.
    const DV right = pmath::Normalize(Node(ESkinMesh::BIP01_R_UPPERARM) - Node(ESkinMesh::BIP01_L_UPPERARM));
    EXPECT_TRUE(test::Near(Orientation(RBC::LEWE_RAMIE).m_Side, right, 1e-3f));
    EXPECT_TRUE(test::Near(Orientation(RBC::PRAWE_PRZEDRAMIE).m_Side, right, 1e-3f));
    EXPECT_TRUE(test::Near(Orientation(RBC::PRAWA_LYDKA).m_Up, up, 1e-3f));
    for (int limb = 0; limb < RBC::kLimbs; ++limb) {
        const EOrientation o = Orientation(limb);
        EXPECT_NEAR(pmath::Dot(pmath::Cross(o.m_Side, o.m_Up), o.m_Front), 1.0f, 1e-3f) << limb;
    }
}

// Arms hanging along the torso and thighs reaching forward (sitting) run along the torso's own
// axes: their boxes take the torso's other axis and still get a whole frame.
TEST_F(RigidBodyCharacter, LimbsAlongTheTorsoAxesStillGetAWholeFrame) {
    skinned::Model man = characters::Driver();
    man.unit = 1.0f;
    for (skinned::Bone& bone : man.bones)
        if (bone.name.find("Calf") != std::string::npos) bone.offset = {0, 0, 42};
    WriteFile("models\\sitting\\sitting.x", man.XText());
    ESkinMesh sitting;
    ASSERT_TRUE(sitting.Create("models\\sitting\\sitting.x"));
    ERigidBodyCharacter body(&sitting);
    ASSERT_TRUE(body.Create({0, 95, 0}));
    auto orientation = [&](int limb) {
        EOrientation o;
        g_Engine.GetObjectOrientation(body.m_hLimbs[limb], &o);
        return o;
    };
    EXPECT_TRUE(test::Near(orientation(RBC::LEWE_RAMIE).m_Side, {0, 1, 0}, 1e-3f));
    EXPECT_TRUE(test::Near(orientation(RBC::PRAWE_RAMIE).m_Side, {0, -1, 0}, 1e-3f));
    EXPECT_TRUE(test::Near(orientation(RBC::LEWE_UDO).m_Up, pmath::Normalize(orientation(RBC::TULOW).m_Front) * -1.0f, 1e-3f));
    for (int limb = 0; limb < RBC::kLimbs; ++limb) {
        const EOrientation o = orientation(limb);
        EXPECT_NEAR(pmath::Dot(pmath::Cross(o.m_Side, o.m_Up), o.m_Front), 1.0f, 1e-3f) << limb;
    }
    body.Release();
}

// The front hand sockets sit at the shoulders' depth and the back ones half the spacing behind,
// on this torso alone: every box shares the prefab's sockets.
TEST_F(RigidBodyCharacter, HandSocketsMoveOnThisTorsoAlone) {
    // Shoulders 3 units in front of the neck: 0.3 of the torso box's depth.
    skinned::Model man = SpreadMan();
    for (skinned::Bone& bone : man.bones)
        if (bone.name.find("Clavicle") != std::string::npos) bone.offset.z = 3;
    WriteFile("models\\hunched\\hunched.x", man.XText());
    ESkinMesh hunched;
    ASSERT_TRUE(hunched.Create("models\\hunched\\hunched.x"));
    ERigidBodyCharacter body(&hunched);
    body.m_fHandSocketSpacing = 14.2f;
    ASSERT_TRUE(body.Create({0, 95, 0}));
    ASSERT_TRUE(m_body.Create({200, 95, 0}));
    auto depth = [](EObjectSlot* torso, const char* name) {
        DV p;
        g_MeshSocketsMgr.GetSocketDV(torso, name, &p);
        return p.z;
    };
    // About 0.3: the torso leans a little with its shoulders.
    EObjectSlot* torso = body.m_hLimbs[RBC::TULOW];
    const float a = depth(torso, "lewa_reka");
    EXPECT_NEAR(a, 0.3f, 0.01f);
    EXPECT_FLOAT_EQ(depth(torso, "prawa_reka2"), a);
    const float b = 14.2f * 0.5f / 71.0f;
    for (const char* name : {"lewa_reka3", "prawa_reka4"}) EXPECT_NEAR(depth(torso, name), a - b, 1e-5f) << name;
    // The upright body's torso and the other boxes keep their own.
    EXPECT_NEAR(depth(m_body.m_hLimbs[RBC::TULOW], "lewa_reka"), 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(depth(body.m_hLimbs[RBC::GLOWA], "lewa_reka3"), -0.2f);
    body.Release();
}

// The shot pushes the limb it crosses along its line, and every limb along its line tipped down;
// once.
TEST_F(RigidBodyCharacter, TheShotPushesTheLimbItCrossesThenTheWholeBodyOnce) {
    SegmentHit shot;
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01), &shot));
    DV head;
    g_Engine.GetObjectPosition(m_body.m_hLimbs[RBC::GLOWA], &head);
    shot.m_vStart = head + DV{0, 0, -200};
    shot.m_vEnd = head + DV{0, 0, 200};
    // Made again, with the shot: the first boxes go.
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01), &shot));
    EXPECT_EQ(CountNamed("glowa"), 1);
    EXPECT_TRUE(test::Near(m_body.m_Shot.m_vEnd, shot.m_vEnd));
    DV before[RBC::kLimbs];
    for (int i = 0; i < RBC::kLimbs; ++i) before[i] = Momentum(m_body.m_pBodies[i]);
    m_body.ApplyShot();
    const DV push = pmath::Normalize(DV{0, -0.15f, 1}) * 180.0f;
    for (int i = 0; i < RBC::kLimbs; ++i) {
        const DV expected = before[i] + push + (i == RBC::GLOWA ? DV{0, 0, 1200} : DV{});
        EXPECT_TRUE(test::Near(Momentum(m_body.m_pBodies[i]), expected, 0.01f)) << i;
    }
    const DV after = Momentum(m_body.m_pBodies[RBC::GLOWA]);
    m_body.ApplyShot();
    EXPECT_TRUE(test::Near(Momentum(m_body.m_pBodies[RBC::GLOWA]), after));
}

// Falling freely for two seconds, each pair of limbs stays tied at its point joint.
TEST_F(RigidBodyCharacter, TheJointsHoldTheLimbsTogetherWhileTheBodyFalls) {
    SegmentHit shot;
    shot.m_vStart = {-200, 130, 0};
    shot.m_vEnd = {200, 130, 0};
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01), &shot));
    m_body.ApplyShot();
    DV start;
    g_Engine.GetObjectPosition(m_body.m_hLimbs[RBC::TULOW], &start);
    g_Engine.m_fFrameTime = 1.0f / 30.0f;
    for (int frame = 0; frame < 60; ++frame) {
        g_RigidBodySimulation.Update(1.0 / 30.0);
        m_body.Update();
    }
    DV torso;
    g_Engine.GetObjectPosition(m_body.m_hLimbs[RBC::TULOW], &torso);
    ASSERT_LT(torso.y, start.y - 100);
    const struct {
        int a;
        const char* socketA;
        int b;
        const char* socketB;
    } points[] = {{RBC::TULOW, "lewe_udo", RBC::LEWE_UDO, "top"},
                  {RBC::TULOW, "prawe_udo", RBC::PRAWE_UDO, "top"},
                  {RBC::LEWE_UDO, "bottom", RBC::LEWA_LYDKA, "top"},
                  {RBC::PRAWE_UDO, "bottom", RBC::PRAWA_LYDKA, "top"},
                  {RBC::TULOW, "lewa_reka", RBC::LEWE_RAMIE, "right"},
                  {RBC::TULOW, "prawa_reka", RBC::PRAWE_RAMIE, "left"},
                  {RBC::LEWE_RAMIE, "left", RBC::LEWE_PRZEDRAMIE, "right"},
                  {RBC::PRAWE_RAMIE, "right", RBC::PRAWE_PRZEDRAMIE, "left"},
                  {RBC::TULOW, "top", RBC::GLOWA, "bottom"}};
    for (const auto& p : points)
        EXPECT_LT(Distance(Socket(p.a, p.socketA), Socket(p.b, p.socketB)), 2.0f) << p.socketA << " " << p.socketB;
    // Each frame gave the pose to the skeleton, whose bones keep their lengths as the body falls.
    const struct {
        int from, to;
        float length;
    } bones[] = {{ESkinMesh::BIP01_L_UPPERARM, ESkinMesh::BIP01_L_FOREARM, 28}, {ESkinMesh::BIP01_R_FOREARM, ESkinMesh::BIP01_R_HAND, 25},
                 {ESkinMesh::BIP01_L_THIGH, ESkinMesh::BIP01_L_CALF, 42},       {ESkinMesh::BIP01_R_CALF, ESkinMesh::BIP01_R_FOOT, 40}};
    for (const auto& bone : bones) EXPECT_NEAR(Distance(Target(bone.from), Target(bone.to)), bone.length, 2.0f) << bone.from;
    EXPECT_LT(Target(ESkinMesh::BIP01_HEAD).y, start.y);
}

// The pose goes from the skeleton to the boxes and back: the boxes' sockets give the joints'
// nodes where the skeleton has them; the fingers and the head's tip reach on from their bones.
TEST_F(RigidBodyCharacter, ThePoseGoesFromTheSkeletonToTheBoxesAndBack) {
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01)));
    m_body.TransferPose();
    // The root stands on the torso's bottom, between the hips.
    EXPECT_TRUE(test::Near(Target(ESkinMesh::BIP01), (Node(ESkinMesh::BIP01_L_THIGH) + Node(ESkinMesh::BIP01_R_THIGH)) * 0.5f, 0.5f));
    for (int slot : {ESkinMesh::BIP01_HEAD, ESkinMesh::BIP01_L_UPPERARM, ESkinMesh::BIP01_R_UPPERARM,
                     ESkinMesh::BIP01_L_FOREARM, ESkinMesh::BIP01_R_FOREARM, ESkinMesh::BIP01_L_HAND,
                     ESkinMesh::BIP01_R_HAND, ESkinMesh::BIP01_L_THIGH, ESkinMesh::BIP01_R_THIGH, ESkinMesh::BIP01_L_CALF,
                     ESkinMesh::BIP01_R_CALF, ESkinMesh::BIP01_L_FOOT, ESkinMesh::BIP01_R_FOOT, ESkinMesh::BIP01_NECK})
        EXPECT_LT(Distance(Target(slot), Node(slot)), 3.0f) << m_skin.m_pBiped[slot]->szName;
    const DV hand = Target(ESkinMesh::BIP01_R_HAND);
    EXPECT_TRUE(test::Near(Target(ESkinMesh::BIP01_R_FINGER0),
                           hand + pmath::Normalize(hand - Target(ESkinMesh::BIP01_R_FOREARM)) * 3.0f, 1e-3f));
    const DV head = Target(ESkinMesh::BIP01_HEAD);
    EXPECT_TRUE(test::Near(Target(ESkinMesh::BIP01_HEADNUB),
                           head + pmath::Normalize(head - Target(ESkinMesh::BIP01_NECK)) * 3.0f, 1e-3f));
    for (const ESkinMesh::strNode& n : m_skin.m_pNodes) EXPECT_NEAR(pmath::Length(n.vRagDollDirection), 1.0f, 1e-3f);
    EXPECT_EQ(Logged("mesh_socket not found"), 0);
}

TEST_F(RigidBodyCharacter, AMissingSocketIsToldAndLeavesItsNodeAtTheTorso) {
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01)));
    std::string sockets = BoxSockets();
    sockets.erase(sockets.find("socket lewe_udo "), sockets.find('\n', sockets.find("socket lewe_udo ")) + 1 -
                                                        sockets.find("socket lewe_udo "));
    WriteFile("scripts\\mesh_sockets\\action.txt", sockets);
    g_MeshSocketsMgr.LoadAll();
    m_body.TransferPose();
    DV torso;
    g_Engine.GetObjectPosition(m_body.m_hLimbs[RBC::TULOW], &torso);
    EXPECT_TRUE(test::Near(Target(ESkinMesh::BIP01_L_THIGH), torso));
    EXPECT_EQ(Logged("ERROR in RagDoll: mesh_socket not found!"), 1);
}

// The finder follows the torso and counts the world's triangles there.
TEST_F(RigidBodyCharacter, TheFinderCountsTheTrianglesAroundTheTorso) {
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01)));
    m_body.UpdateFinder();
    EXPECT_EQ(m_body.m_uFinderResult[0], 0u);
    WriteFile("m\\floor.x", test::SolidQuad({-100, 0, -100}, {100, 0, -100}, {100, 0, 100}, {-100, 0, 100}));
    EObjectSlot* floor = AddMesh("floor", {0, 60, 0}, "m\\floor.x");
    ASSERT_NE(floor, nullptr);
    m_body.UpdateFinder();
    // The quad's two sides, each of two triangles.
    EXPECT_EQ(m_body.m_uFinderResult[0], 4u);
    EXPECT_EQ(m_body.m_uFinderResult[1], 1u);
    // Far away it finds nothing.
    for (EObjectSlot* limb : m_body.m_hLimbs) g_Engine.SetObjectPosition(limb, DV{5000, 5000, 5000}, false);
    m_body.UpdateFinder();
    EXPECT_EQ(m_body.m_uFinderResult[0], 0u);
    EXPECT_EQ(m_body.m_uFinderResult[1], 0u);
}

// Once the character has gathered the world around it, its limbs take those faces rather than
// asking for their own: the floor it found stays under them after the floor was moved away, until
// the character gathers again.
TEST_F(RigidBodyCharacter, TheLimbsTakeTheFacesTheCharacterGathered) {
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01)));
    WriteFile("m\\floor.x", test::SolidQuad({-100, 0, -100}, {100, 0, -100}, {100, 0, 100}, {-100, 0, 100}));
    EObjectSlot* floor = AddMesh("floor", {0, 60, 0}, "m\\floor.x");
    ASSERT_NE(floor, nullptr);
    m_body.UpdateFinder();
    ASSERT_EQ(m_body.m_uFinderResult[0], 4u);
    g_Engine.SetObjectPosition(floor, DV{5000, 5000, 5000}, false);
    int limbsOnTheFloor = 0;
    for (ERigidBodyPhysics* limb : m_body.m_pBodies) {
        limb->TestCollisions(limb->m_State);
        for (const RigidBodyFace& f : limb->m_Faces) EXPECT_EQ(f.object, floor);
        limbsOnTheFloor += !limb->m_Faces.empty();
    }
    EXPECT_GT(limbsOnTheFloor, 0);
    m_body.UpdateFinder();
    for (ERigidBodyPhysics* limb : m_body.m_pBodies) {
        limb->TestCollisions(limb->m_State);
        EXPECT_TRUE(limb->m_Faces.empty());
    }
}

// Tearing the skinned mesh down releases the body it owns, and no other.
TEST_F(RigidBodyCharacter, TearingDownTheSkinnedMeshReleasesItsBody) {
    g_MeshHooks.releaseCharacterBody = [](const ESkinMesh* mesh) { ERigidBodyCharacter::ReleaseOwnedBy(mesh); };
    const int before = CountUsed();
    ASSERT_TRUE(m_body.Create(Node(ESkinMesh::BIP01)));
    ESkinMesh other;
    ASSERT_TRUE(other.Create(kMan));
    ERigidBodyCharacter otherBody(&other);
    ASSERT_TRUE(otherBody.Create({300, 95, 0}));
    m_skin.Destroy();
    EXPECT_EQ(m_body.m_bCreated, 0);
    EXPECT_EQ(m_body.m_pSkinMesh, nullptr);
    EXPECT_EQ(otherBody.m_bCreated, 1);
    EXPECT_EQ(CountUsed(), before + 2 * RBC::kLimbs);
    other.Destroy();
    EXPECT_EQ(CountUsed(), before);
}

}  // namespace
