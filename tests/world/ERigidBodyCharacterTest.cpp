// The rigid-box character body: ten boxes of the engine's own rigid-body simulation tied by joints,
// made as engine objects and removed again, whole or not at all.
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
#include "mesh/MeshHooks.h"
#include "world/CollisionFixture.h"
#include "world/ERigidBodyCharacter.h"
#include "world/WorldFixture.h"

namespace {

using test::WorldTest;

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
    }

    void TearDown() override {
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

    ERigidBodyCharacter m_body;
};

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

}  // namespace
