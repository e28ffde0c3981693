#include "RigidBodyTest.h"

#include "mesh/MeshHooks.h"

#include "collision/ECollisionMgr.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodyQP.h"
#include "collision/ERigidBodyGauss.h"
#include "collision/RigidBodyParametersMgr.h"
#include "collision/ERigidBodyMeshParamsMgr.h"

namespace test {

pmath::Matrix PlacementMatrix(const DV& position, const double* q, const DV& scale) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const double R[9] = {1 - 2 * y * y - 2 * z * z, 2 * x * y - 2 * w * z,     2 * x * z + 2 * w * y,
                         2 * x * y + 2 * w * z,     1 - 2 * x * x - 2 * z * z, 2 * y * z - 2 * w * x,
                         2 * x * z - 2 * w * y,     2 * y * z + 2 * w * x,     1 - 2 * x * x - 2 * y * y};
    const float s[3] = {scale.x, scale.y, scale.z};
    pmath::Matrix m = pmath::Identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = static_cast<float>(s[i] * R[j * 3 + i]);
    m.m[3][0] = position.x, m.m[3][1] = position.y, m.m[3][2] = position.z;
    return m;
}

void RigidBodyTest::SetUp() {
    CollisionTest::SetUp();
    ResetGlobal(g_RigidBodyParametersMgr);
    ResetGlobal(g_RigidBodySimulation);
    ResetGlobal(g_RigidBodyJointsMgr);
    ResetGlobal(g_RigidBodyQP);
    ResetGlobal(g_RigidBodyGauss);
    s_test = this;
    g_RigidBodyHooks.createMeshObject = [](const char* file, const char* name, const DV& position, const double* q,
                                           const DV& scale, uint32_t flags, uint32_t) -> EObjectSlot* {
        FakeObject& f = s_test->AddMesh(Cube(0.5f), PlacementMatrix(position, q, scale), {}, flags);
        BodyObject& o = s_test->m_bodyObjects[f.Handle()];
        o.name = name;
        o.meshFile = file;
        o.position = position;
        std::copy(q, q + 4, o.q);
        o.scale = scale;
        o.localMin = {-0.5f, -0.5f, -0.5f};
        o.localMax = {0.5f, 0.5f, 0.5f};
        o.fake = &f;
        return f.Handle();
    };
    g_RigidBodyHooks.deleteObject = [](EObjectSlot* object) {
        g_CollisionMgr.RemoveObject(object);
        s_test->m_bodyObjects.at(object).fake->facts.kind = CollisionObjectFacts::NONE;
    };
    g_RigidBodyHooks.objectFacts = [](EObjectSlot* object, RigidBodyObjectFacts* out) {
        auto it = s_test->m_bodyObjects.find(object);
        if (it == s_test->m_bodyObjects.end()) return false;
        BodyObject& o = it->second;
        out->isMesh = true;
        out->name = o.name.c_str();
        out->meshFileName = o.meshFile.c_str();
        out->position = o.position;
        std::copy(o.q, o.q + 4, out->q);
        out->scale = o.scale;
        out->localMin = o.localMin;
        out->localMax = o.localMax;
        out->params = &o.params;
        return true;
    };
    g_RigidBodyHooks.setTransform = [](EObjectSlot* object, const DV& position, const double* q) {
        BodyObject& o = s_test->m_bodyObjects.at(object);
        o.position = position;
        std::copy(q, q + 4, o.q);
        if (o.fake->facts.kind == CollisionObjectFacts::MESH) {
            o.fake->Place(PlacementMatrix(position, q, o.scale));
            g_CollisionMgr.UpdateObject(object);
        }
    };
    g_RigidBodyHooks.setFlags = [](EObjectSlot* object, uint32_t flags) { s_test->m_bodyObjects.at(object).fake->facts.flags = flags; };
    g_RigidBodyHooks.socketPosition = [](EObjectSlot* object, const char* socket, DV* out) {
        auto& sockets = s_test->m_bodyObjects.at(object).sockets;
        auto it = sockets.find(socket);
        if (it == sockets.end()) return false;
        *out = it->second;
        return true;
    };
    g_RigidBodySimulation.Init();
}

void RigidBodyTest::TearDown() {
    ResetGlobal(g_RigidBodySimulation);
    ResetGlobal(g_RigidBodyJointsMgr);
    ResetGlobal(g_RigidBodyParametersMgr);
    ResetGlobal(g_RigidBodyMeshParamsMgr);
    g_RigidBodyHooks = RigidBodyHooks{};
    g_MeshHooks = MeshHooks{};
    s_test = nullptr;
    CollisionTest::TearDown();
}

FakeObject& RigidBodyTest::AddGround(float h, float height) {
    const DV a{-h, height, -h}, b{h, height, -h}, c{h, height, h}, d{-h, height, h};
    return AddMesh({{a, c, b}, {a, d, c}}, pmath::Identity());
}

ERigidBodyPhysics* RigidBodyTest::AddBox(const DV& centre, float size, float mass, const std::string& name) {
    FakeObject& f = m_objects.emplace_back();
    BodyObject& o = m_bodyObjects[f.Handle()];
    o.name = name;
    o.meshFile = "models\\" + name + ".x";
    o.position = centre;
    o.localMin = {-size / 2, -size / 2, -size / 2};
    o.localMax = {size / 2, size / 2, size / 2};
    o.params.m_uBodyKind = ERigidBodyPhysics::BOX;
    o.params.m_fMass = mass;
    o.fake = &f;
    ERigidBodyPhysics* body = g_RigidBodySimulation.AddBody(f.Handle());
    if (body) body->Activate();
    return body;
}

void RigidBodyTest::Run(double seconds) {
    for (int frame = 0; frame < static_cast<int>(seconds * 60 + 0.5); ++frame) g_RigidBodySimulation.Update(1.0 / 60);
}

}  // namespace test
