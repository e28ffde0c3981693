#include "world/ERigidBodyCharacter.h"

#include <cstdio>

#include "collision/ECollisionMgr.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodySimulation.h"
#include "core/EOrientation.h"
#include "mesh/MeshParams.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"
#include "world/ObjectCreateParams.h"

namespace {

constexpr const char* kLimbMesh = "prefabs\\special\\action.x";

struct LimbRow {
    const char* name;
    DV size;
    DV position;
    float mass;
};

// Segment lengths that the skeleton would give; the boxes take them as they stand.
constexpr float kTorsoWidth = 30.0f, kTorsoHeight = 50.0f, kHeadHeight = 20.0f, kArm = 20.0f, kLeg = 20.0f;

const LimbRow kLimbRows[ERigidBodyCharacter::kLimbs] = {
    {"tulow", {kTorsoWidth, kTorsoHeight, 10}, {0, 0, 0}, 8.0f},
    {"glowa", {15, kHeadHeight, 10}, {0, 35, 0}, 6.0f},
    {"lewe_ramie", {kArm, 10, 10}, {-40, 25, 0}, 7.0f},
    {"prawe_ramie", {kArm, 10, 10}, {40, 25, 0}, 7.0f},
    {"lewe_przedramie", {kArm, 10, 10}, {-60, 25, 0}, 7.0f},
    {"prawe_przedramie", {kArm, 10, 10}, {60, 25, 0}, 7.0f},
    {"lewe_udo", {10, kLeg, 10}, {-15, -25, 0}, 7.0f},
    {"prawe_udo", {10, kLeg, 10}, {15, -25, 0}, 7.0f},
    {"lewa_lydka", {10, kLeg, 10}, {-15, -45, 0}, 7.0f},
    {"prawa_lydka", {10, kLeg, 10}, {15, -45, 0}, 7.0f},
};

using L = ERigidBodyCharacter::Limb;

// One joint: the limbs and sockets it ties, its kind and value, and its axis sockets (null: its
// own two sockets).
struct JointRow {
    L a;
    const char* socketA;
    L b;
    const char* socketB;
    uint32_t kind;
    double param;
    const char* axisA;
    const char* axisB;
};

const JointRow kJointRows[] = {
    {L::TULOW, "lewe_udo", L::LEWE_UDO, "top", 0, 0, "bottom", "top"},
    {L::TULOW, "prawe_udo", L::PRAWE_UDO, "top", 0, 0, "bottom", "top"},
    {L::LEWE_UDO, "bottom", L::LEWA_LYDKA, "top", 0, 0, "bottom", "top"},
    {L::PRAWE_UDO, "bottom", L::PRAWA_LYDKA, "top", 0, 0, "bottom", "top"},
    {L::TULOW, "lewa_reka", L::LEWE_RAMIE, "right", 0, 0, "left", "right"},
    {L::TULOW, "prawa_reka", L::PRAWE_RAMIE, "left", 0, 0, "bottom", "left"},
    {L::LEWE_RAMIE, "left", L::LEWE_PRZEDRAMIE, "right", 0, 0, "left", "right"},
    {L::PRAWE_RAMIE, "right", L::PRAWE_PRZEDRAMIE, "left", 0, 0, "right", "left"},
    {L::TULOW, "top", L::GLOWA, "bottom", 0, 0, "top", "bottom"},
    {L::TULOW, "glowa_distance04center", L::GLOWA, "joint04center", 1, 0.1, nullptr, nullptr},
    {L::TULOW, "glowa_distance15center", L::GLOWA, "joint15center", 1, 0.1, nullptr, nullptr},
    {L::TULOW, "glowa_distance0", L::GLOWA, "joint0", 1, 0.1, nullptr, nullptr},
    {L::TULOW, "glowa_distance1", L::GLOWA, "joint1", 1, 0.1, nullptr, nullptr},
    {L::TULOW, "glowa_distance4", L::GLOWA, "joint4", 1, 0.1, nullptr, nullptr},
    {L::TULOW, "glowa_distance5", L::GLOWA, "joint5", 1, 0.1, nullptr, nullptr},
    {L::LEWE_UDO, "joint0", L::LEWA_LYDKA, "joint3", 1, 1.0, nullptr, nullptr},
    {L::LEWE_UDO, "joint1", L::LEWA_LYDKA, "joint2", 1, 1.0, nullptr, nullptr},
    {L::LEWE_UDO, "joint4", L::LEWA_LYDKA, "joint7", 1, 1.0, nullptr, nullptr},
    {L::LEWE_UDO, "joint5", L::LEWA_LYDKA, "joint6", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "joint0", L::LEWE_UDO, "joint3", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "lewe_udo_distance2", L::LEWE_UDO, "joint2", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "lewe_udo_distance6", L::LEWE_UDO, "joint6", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "joint4", L::LEWE_UDO, "joint7", 1, 1.0, nullptr, nullptr},
    {L::PRAWE_UDO, "joint0", L::PRAWA_LYDKA, "joint3", 1, 1.0, nullptr, nullptr},
    {L::PRAWE_UDO, "joint1", L::PRAWA_LYDKA, "joint2", 1, 1.0, nullptr, nullptr},
    {L::PRAWE_UDO, "joint4", L::PRAWA_LYDKA, "joint7", 1, 1.0, nullptr, nullptr},
    {L::PRAWE_UDO, "joint5", L::PRAWA_LYDKA, "joint6", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "prawe_udo_distance3", L::PRAWE_UDO, "joint3", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "joint1", L::PRAWE_UDO, "joint2", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "joint5", L::PRAWE_UDO, "joint6", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "prawe_udo_distance7", L::PRAWE_UDO, "joint7", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "lewa_reka1", L::LEWE_RAMIE, "joint12center", 1, 0.1, "left", "joint12center"},
    {L::TULOW, "lewa_reka2", L::LEWE_RAMIE, "joint56center", 1, 0.1, "left", "joint56center"},
    {L::TULOW, "lewa_reka3", L::LEWE_RAMIE, "joint1", 1, 0.1, "left", "joint1"},
    {L::TULOW, "lewa_reka4", L::LEWE_RAMIE, "joint5", 1, 0.1, "left", "joint5"},
    {L::LEWE_RAMIE, "joint0", L::LEWE_PRZEDRAMIE, "joint1", 1, 1.0, nullptr, nullptr},
    {L::LEWE_RAMIE, "joint4", L::LEWE_PRZEDRAMIE, "joint5", 1, 1.0, nullptr, nullptr},
    {L::LEWE_RAMIE, "joint3", L::LEWE_PRZEDRAMIE, "joint2", 1, 1.0, nullptr, nullptr},
    {L::LEWE_RAMIE, "joint7", L::LEWE_PRZEDRAMIE, "joint6", 1, 1.0, nullptr, nullptr},
    {L::TULOW, "prawa_reka1", L::PRAWE_RAMIE, "joint03center", 1, 0.1, "right", "left"},
    {L::TULOW, "prawa_reka2", L::PRAWE_RAMIE, "joint47center", 1, 0.1, "right", "left"},
    {L::TULOW, "prawa_reka3", L::PRAWE_RAMIE, "joint0", 1, 0.1, "right", "left"},
    {L::TULOW, "prawa_reka4", L::PRAWE_RAMIE, "joint4", 1, 0.1, "right", "left"},
    {L::PRAWE_RAMIE, "joint1", L::PRAWE_PRZEDRAMIE, "joint0", 1, 1.0, nullptr, nullptr},
    {L::PRAWE_RAMIE, "joint2", L::PRAWE_PRZEDRAMIE, "joint3", 1, 1.0, nullptr, nullptr},
    {L::PRAWE_RAMIE, "joint5", L::PRAWE_PRZEDRAMIE, "joint4", 1, 1.0, nullptr, nullptr},
    {L::PRAWE_RAMIE, "joint6", L::PRAWE_PRZEDRAMIE, "joint7", 1, 1.0, nullptr, nullptr},
    {L::LEWA_LYDKA, "bottom", L::TULOW, "bottom", 2, kLeg, nullptr, nullptr},
    {L::PRAWA_LYDKA, "bottom", L::TULOW, "bottom", 2, kLeg, nullptr, nullptr},
    {L::LEWA_LYDKA, "right", L::PRAWA_LYDKA, "left", 2, 10.0, nullptr, nullptr},
};

// The order bodies take their masses and are removed in: head first, then torso, then the rest.
constexpr int kBodyOrder[ERigidBodyCharacter::kLimbs] = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9};

}  // namespace

bool ERigidBodyCharacter::Create(const DV& point) {
    m_bCreated = 0;
    if (!CreateLimbs(point) || !CreateLimbBodies()) {
        RemoveAll();
        return false;
    }
    CreateLimbJoints();
    SettleJoints();
    SettleJoints();
    CreateFinder();
    m_dTime[0] = m_dTime[1] = 0;
    m_bActive = 1;
    m_bCreated = 1;
    return true;
}

bool ERigidBodyCharacter::CreateLimbs(const DV& point) {
    for (int i = 0; i < kLimbs; ++i) {
        const LimbRow& row = kLimbRows[i];
        ObjectCreateParams params;
        std::snprintf(params.m_szFileName, sizeof params.m_szFileName, "%s", kLimbMesh);
        params.m_vPosition = point + row.position;
        EObjectSlot* limb = g_Engine.AddObject(&params);
        if (!limb) return false;
        m_hLimbs[i] = limb;
        g_Engine.SetObjectPosition(limb, params.m_vPosition, false);
        g_Engine.SetObjectScaling(limb, row.size);
        EOrientation upright;
        upright.SetYawPitchRoll(0, 0, 0);
        g_Engine.SetObjectOrientation(limb, upright);
        std::snprintf(limb->m_szName, sizeof limb->m_szName, "%s", row.name);
    }
    return true;
}

bool ERigidBodyCharacter::CreateLimbBodies() {
    for (int i : kBodyOrder) {
        RigidBodyPhysicsParams params;
        params.m_uBodyKind = 1;
        params.m_fMass = kLimbRows[i].mass;
        params.m_bGeneral = 0;
        g_Engine.SetRigidBodyPhysicsParams(m_hLimbs[i], &params);
        // Nothing else makes bodies for these boxes, so the body is made here when there is none.
        ERigidBodyPhysics* body = g_RigidBodySimulation.GetObjectBody(m_hLimbs[i]);
        if (!body) body = g_RigidBodySimulation.AddBody(m_hLimbs[i]);
        if (!body) return false;
        body->m_bCharacterPart = 1;
        body->Activate();
        m_pBodies[i] = body;
    }
    return true;
}

void ERigidBodyCharacter::CreateLimbJoints() {
    for (const JointRow& row : kJointRows)
        g_RigidBodyJointsMgr.AddJoint(m_hLimbs[row.a], row.socketA, m_hLimbs[row.b], row.socketB, row.kind,
                                      row.param, row.axisA ? row.axisA : row.socketA,
                                      row.axisB ? row.axisB : row.socketB);
}

void ERigidBodyCharacter::SettleJoints() {
    // The positional step runs only inside the simulation's frame; it is raised for this pass alone
    // so that later passes outside a frame do not move the bodies.
    g_RigidBodyJointsMgr.m_bInFrame = 1;
    g_RigidBodyJointsMgr.Update();
    g_RigidBodyJointsMgr.m_bInFrame = 0;
    for (ERigidBodyPhysics* body : m_pBodies) body->WriteBack();
}

void ERigidBodyCharacter::CreateFinder() {
    DV torso;
    g_Engine.GetObjectPosition(m_hLimbs[TULOW], &torso);
    const DV min = torso - DV{50, 100, 50};
    const DV max = torso + DV{50, 100, 50};
    m_pFinder = g_CollisionMgr.AddBoxFinder(&min, &max);
}

void ERigidBodyCharacter::Update() {
    if (!m_bActive) return;
    if (m_dTime[1] > 5.0) {
        for (ERigidBodyPhysics* body : m_pBodies)
            if (body) body->Sleep();
        m_bActive = 0;
    }
    m_dTime[0] += g_Engine.m_fFrameTime;
    m_dTime[1] += g_Engine.m_fFrameTime;
}

void ERigidBodyCharacter::Release() {
    if (!m_bCreated) return;
    RemoveAll();
    m_pSkinMesh = nullptr;
    m_bCreated = 0;
}

void ERigidBodyCharacter::RemoveAll() {
    for (int i : kBodyOrder)
        if (m_pBodies[i]) g_RigidBodySimulation.RemoveObjectBody(m_hLimbs[i]);
    for (int i : kBodyOrder)
        if (m_hLimbs[i]) g_Engine.DeleteObject(m_hLimbs[i]);
    for (int i = 0; i < kLimbs; ++i) m_hLimbs[i] = nullptr, m_pBodies[i] = nullptr;
    if (m_pFinder) g_CollisionMgr.RemoveFinder(m_pFinder);
    m_pFinder = nullptr;
    m_bActive = 0;
}
