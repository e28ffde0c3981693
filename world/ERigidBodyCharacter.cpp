#include "world/ERigidBodyCharacter.h"

#include <algorithm>
#include <cstdio>

#include "collision/ECollisionMgr.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodySimulation.h"
#include "core/EConsole.h"
#include "core/EOrientation.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/ESkinMesh.h"
#include "mesh/MeshParams.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"
#include "world/ObjectCreateParams.h"

namespace {

constexpr const char* kLimbMesh = "prefabs\\special\\action.x";

// Where each box starts, relative to the creation point, and its mass; the sizes come from the
// skeleton.
struct LimbRow {
    const char* name;
    DV position;
    float mass;
};

const LimbRow kLimbRows[ERigidBodyCharacter::kLimbs] = {
    {"tulow", {0, 0, 0}, 8.0f},
    {"glowa", {0, 35, 0}, 6.0f},
    {"lewe_ramie", {-40, 25, 0}, 7.0f},
    {"prawe_ramie", {40, 25, 0}, 7.0f},
    {"lewe_przedramie", {-60, 25, 0}, 7.0f},
    {"prawe_przedramie", {60, 25, 0}, 7.0f},
    {"lewe_udo", {-15, -25, 0}, 7.0f},
    {"prawe_udo", {15, -25, 0}, 7.0f},
    {"lewa_lydka", {-15, -45, 0}, 7.0f},
    {"prawa_lydka", {15, -45, 0}, 7.0f},
};

// The boxes' thickness across their long axis, and the head's width.
constexpr float kLimbThickness = 10.0f, kHeadWidth = 15.0f;

using L = ERigidBodyCharacter::Limb;

// One joint: the limbs and sockets it ties, its kind and value, and its axis sockets (null: its
// own two sockets). A joint whose value is the length of its first box says so instead.
struct JointRow {
    L a;
    const char* socketA;
    L b;
    const char* socketB;
    uint32_t kind;
    double param;
    const char* axisA;
    const char* axisB;
    bool lengthOfA = false;
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
    {L::LEWA_LYDKA, "bottom", L::TULOW, "bottom", 2, 0, nullptr, nullptr, true},
    {L::PRAWA_LYDKA, "bottom", L::TULOW, "bottom", 2, 0, nullptr, nullptr, true},
    {L::LEWA_LYDKA, "right", L::PRAWA_LYDKA, "left", 2, 10.0, nullptr, nullptr},
};

// The order bodies take their masses and are removed in: head first, then torso, then the rest.
constexpr int kBodyOrder[ERigidBodyCharacter::kLimbs] = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9};

using Node = ESkinMesh::strNode;
using S = ESkinMesh::BipedSlot;

DV At(const Node* node) { return {node->mCombined.m[3][0], node->mCombined.m[3][1], node->mCombined.m[3][2]}; }

// A measured length; anything shorter than a unit counts as one, so that no box or offset collapses.
float AtLeastOne(float length) { return std::max(length, 1.0f); }

// The unit vector across a and b; when they run (nearly) together, fallback made square to a.
DV Across(const DV& a, const DV& b, const DV& fallback) {
    const DV c = pmath::Cross(a, b);
    if (pmath::Length(c) > 1e-3f * pmath::Length(a) * pmath::Length(b)) return pmath::Normalize(c);
    return pmath::Normalize(fallback - a * (pmath::Dot(a, fallback) / std::max(pmath::Dot(a, a), 1e-12f)));
}

// Normalises the three axes (a zero one stays zero) and makes them the rows of the box's rotation.
void SetLimbAxes(EObjectSlot* limb, const DV& x, const DV& y, const DV& z) {
    pmath::Matrix rows = pmath::Identity();
    const DV axes[3] = {pmath::Normalize(x), pmath::Normalize(y), pmath::Normalize(z)};
    for (int r = 0; r < 3; ++r) rows.m[r][0] = axes[r].x, rows.m[r][1] = axes[r].y, rows.m[r][2] = axes[r].z;
    const pmath::Quaternion q = pmath::QuaternionFromMatrix(rows);
    EOrientation orientation;
    orientation.SetQuaternion(&q);
    g_Engine.SetObjectOrientation(limb, orientation);
}

EOrientation OrientationOf(EObjectSlot* limb) {
    EOrientation orientation;
    g_Engine.GetObjectOrientation(limb, &orientation);
    return orientation;
}

// The torso's hand sockets: the front ones lie at the shoulders' depth, the back ones behind them.
constexpr const char* kFrontHandSockets[] = {"lewa_reka", "lewa_reka1", "lewa_reka2", "prawa_reka", "prawa_reka1",
                                             "prawa_reka2"};
constexpr const char* kBackHandSockets[] = {"lewa_reka3", "lewa_reka4", "prawa_reka3", "prawa_reka4"};

// The nodes that stand on a box's socket: the head and its tip, the joints of the arms and legs.
struct SocketNode {
    int slot;
    int limb;
    const char* socket;
};

constexpr SocketNode kSocketNodes[] = {
    {S::BIP01_HEAD, L::TULOW, "top"},
    {S::BIP01_HEADNUB, L::GLOWA, "top"},
    {S::BIP01_L_UPPERARM, L::TULOW, "lewa_reka"},
    {S::BIP01_R_UPPERARM, L::TULOW, "prawa_reka"},
    {S::BIP01_L_FOREARM, L::LEWE_RAMIE, "left"},
    {S::BIP01_R_FOREARM, L::PRAWE_RAMIE, "right"},
    {S::BIP01_L_HAND, L::LEWE_PRZEDRAMIE, "left"},
    {S::BIP01_R_HAND, L::PRAWE_PRZEDRAMIE, "right"},
    {S::BIP01_L_THIGH, L::TULOW, "lewe_udo"},
    {S::BIP01_R_THIGH, L::TULOW, "prawe_udo"},
    {S::BIP01_L_CALF, L::LEWE_UDO, "bottom"},
    {S::BIP01_R_CALF, L::PRAWE_UDO, "bottom"},
    {S::BIP01_L_FOOT, L::LEWA_LYDKA, "bottom"},
    {S::BIP01_R_FOOT, L::PRAWA_LYDKA, "bottom"},
};

// Where a clavicle sits on the way from the head to its upper arm.
constexpr float kClavicleShare = 0.2f;
// How far the toes and the chain ends reach beyond their bone.
constexpr float kToeReach = 10.0f, kChainReach = 3.0f;

// The triangles of the last finder query; nothing reads them beyond their count, and the queries
// run on the main thread only.
CollisionTriangle g_FinderTriangles[ERigidBodyCharacter::kFinderCapacity];

}  // namespace

ERigidBodyCharacter* ERigidBodyCharacter::s_pFirstCreated = nullptr;

bool ERigidBodyCharacter::Create(const DV& point, const SegmentHit* shot) {
    // A second creation starts over rather than leave the first body's boxes behind.
    if (m_bCreated) {
        RemoveAll();
        Unlink();
    }
    m_bCreated = 0;
    if (!CreateBodies(point)) {
        RemoveAll();
        return false;
    }
    PlaceHandSockets();
    AlignLimbs();
    if (!CreateLimbBodies()) {
        RemoveAll();
        return false;
    }
    CreateLimbJoints();
    m_bShotApplied = 0;
    m_Shot = SegmentHit{};
    if (shot) m_Shot = *shot;
    SettleJoints();
    SettleJoints();
    CreateFinder();
    m_dTime[0] = m_dTime[1] = 0;
    m_bActive = 1;
    m_bCreated = 1;
    m_pNextCreated = s_pFirstCreated;
    s_pFirstCreated = this;
    return true;
}

bool ERigidBodyCharacter::CreateBodies(const DV& point) {
    if (!m_pSkinMesh || !MeasureSkeleton()) return false;
    for (int i = 0; i < kLimbs; ++i)
        if (!CreateLimb(i, point)) return false;
    return true;
}

bool ERigidBodyCharacter::MeasureSkeleton() {
    if (!m_pSkinMesh->ValidateRagDollNodes()) return false;
    Node* const* biped = m_pSkinMesh->m_pBiped;
    auto length = [&](int a, int b) { return AtLeastOne(pmath::Length(At(biped[a]) - At(biped[b]))); };
    const DV hips = (At(biped[S::BIP01_L_THIGH]) + At(biped[S::BIP01_R_THIGH])) * 0.5f;
    const float torsoHeight = AtLeastOne(pmath::Length(At(biped[S::BIP01_HEAD]) - hips));
    const float t = kLimbThickness;
    m_vSizes[TULOW] = {length(S::BIP01_R_UPPERARM, S::BIP01_L_UPPERARM), torsoHeight, t};
    m_vSizes[GLOWA] = {kHeadWidth, length(S::BIP01_HEADNUB, S::BIP01_HEAD), t};
    m_vSizes[LEWE_RAMIE] = {length(S::BIP01_L_FOREARM, S::BIP01_L_UPPERARM), t, t};
    m_vSizes[PRAWE_RAMIE] = {length(S::BIP01_R_FOREARM, S::BIP01_R_UPPERARM), t, t};
    m_vSizes[LEWE_PRZEDRAMIE] = {length(S::BIP01_L_HAND, S::BIP01_L_FOREARM), t, t};
    m_vSizes[PRAWE_PRZEDRAMIE] = {length(S::BIP01_R_HAND, S::BIP01_R_FOREARM), t, t};
    m_vSizes[LEWE_UDO] = {t, length(S::BIP01_L_CALF, S::BIP01_L_THIGH), t};
    m_vSizes[PRAWE_UDO] = {t, length(S::BIP01_R_CALF, S::BIP01_R_THIGH), t};
    m_vSizes[LEWA_LYDKA] = {t, length(S::BIP01_L_FOOT, S::BIP01_L_CALF), t};
    m_vSizes[PRAWA_LYDKA] = {t, length(S::BIP01_R_FOOT, S::BIP01_R_CALF), t};
    const int spine[3] = {S::BIP01_PELVIS, S::BIP01_SPINE, S::BIP01_SPINE1};
    for (int i = 0; i < 3; ++i) m_fSpineOffsets[i] = length(spine[i], S::BIP01);
    m_fNeckLength = length(S::BIP01_HEAD, S::BIP01_NECK);
    // How far the shoulders sit in front of the neck, in the torso box's own depth.
    const DV shoulders = (At(biped[S::BIP01_L_UPPERARM]) + At(biped[S::BIP01_R_UPPERARM])) * 0.5f;
    const DV front = pmath::Normalize(pmath::Cross(At(biped[S::BIP01_R_UPPERARM]) - At(biped[S::BIP01_L_UPPERARM]),
                                                   shoulders - hips));
    m_fShoulderDepth = pmath::Dot(shoulders - At(biped[S::BIP01_NECK]), front) / t;
    return true;
}

bool ERigidBodyCharacter::CreateLimb(int i, const DV& point) {
    const LimbRow& row = kLimbRows[i];
    ObjectCreateParams params;
    std::snprintf(params.m_szFileName, sizeof params.m_szFileName, "%s", kLimbMesh);
    params.m_vPosition = point + row.position;
    EObjectSlot* limb = g_Engine.AddObject(&params);
    if (!limb) return false;
    m_hLimbs[i] = limb;
    g_Engine.SetObjectPosition(limb, params.m_vPosition, false);
    g_Engine.SetObjectScaling(limb, m_vSizes[i]);
    EOrientation upright;
    upright.SetYawPitchRoll(0, 0, 0);
    g_Engine.SetObjectOrientation(limb, upright);
    std::snprintf(limb->m_szName, sizeof limb->m_szName, "%s", row.name);
    return true;
}

void ERigidBodyCharacter::PlaceHandSockets() {
    EObjectSlot* torso = m_hLimbs[TULOW];
    if (!m_pSkinMesh || !torso) return;
    const float height = m_vSizes[TULOW].y;
    const float a = m_fShoulderDepth;
    const float b = height > 0 ? m_fHandSocketSpacing * 0.5f / height : 0.3f;
    auto place = [&](const char* name, float z) {
        DV socket;
        g_MeshSocketsMgr.GetSocketDV(torso, name, &socket);
        socket.z = z;
        g_MeshSocketsMgr.SetRagDollSocketDV(torso, name, socket);
    };
    for (const char* name : kFrontHandSockets) place(name, a);
    for (const char* name : kBackHandSockets) place(name, a - b);
}

void ERigidBodyCharacter::AlignLimbs() {
    for (int limb : {TULOW, GLOWA, LEWE_RAMIE, PRAWE_RAMIE, LEWE_PRZEDRAMIE, PRAWE_PRZEDRAMIE})
        if (!m_hLimbs[limb]) return;
    if (!m_pSkinMesh) return;
    Node* const* biped = m_pSkinMesh->m_pBiped;
    auto at = [&](int slot) { return At(biped[slot]); };
    // The torso stands on the hips and reaches to the head.
    const DV up = (at(S::BIP01_R_UPPERARM) + at(S::BIP01_L_UPPERARM)) * 0.5f -
                  (at(S::BIP01_L_THIGH) + at(S::BIP01_R_THIGH)) * 0.5f;
    DV side = pmath::Normalize(at(S::BIP01_R_UPPERARM) - at(S::BIP01_L_UPPERARM));
    const DV front = pmath::Normalize(pmath::Cross(side, up));
    side = pmath::Normalize(pmath::Cross(up, front));
    SetLimbAxes(m_hLimbs[TULOW], side, up, front);
    const EOrientation torso = OrientationOf(m_hLimbs[TULOW]);
    const DV centre = at(S::BIP01_HEAD) - torso.m_Up * (m_vSizes[TULOW].y * 0.5f);
    g_Engine.SetObjectPosition(m_hLimbs[TULOW], centre, false);
    g_Engine.SetObjectOrientation(m_hLimbs[GLOWA], torso);
    g_Engine.SetObjectPosition(m_hLimbs[GLOWA], centre + torso.m_Up * ((m_vSizes[TULOW].y + m_vSizes[GLOWA].y) * 0.5f),
                               false);
    // The arms lie along their bones, pointing to the body's right when spread; an arm hanging
    // along the torso takes the torso's front for its depth.
    auto arm = [&](int limb, int from, int to) {
        const DV x = pmath::Normalize(at(to) - at(from));
        const DV z = Across(x, torso.m_Up, torso.m_Front);
        SetLimbAxes(m_hLimbs[limb], x, pmath::Cross(z, x), z);
    };
    arm(LEWE_RAMIE, S::BIP01_L_FOREARM, S::BIP01_L_UPPERARM);
    arm(PRAWE_RAMIE, S::BIP01_R_UPPERARM, S::BIP01_R_FOREARM);
    arm(LEWE_PRZEDRAMIE, S::BIP01_L_HAND, S::BIP01_L_FOREARM);
    arm(PRAWE_PRZEDRAMIE, S::BIP01_R_FOREARM, S::BIP01_R_HAND);
    // The legs point up their bones; a leg along the torso's front (sitting) takes its side.
    auto leg = [&](int limb, int upper, int lower) {
        if (!m_hLimbs[limb]) return;
        const DV y = pmath::Normalize(at(upper) - at(lower));
        const DV x = Across(y, torso.m_Front, torso.m_Side);
        SetLimbAxes(m_hLimbs[limb], x, y, pmath::Cross(x, y));
    };
    leg(LEWE_UDO, S::BIP01_L_THIGH, S::BIP01_L_CALF);
    leg(PRAWE_UDO, S::BIP01_R_THIGH, S::BIP01_R_CALF);
    leg(LEWA_LYDKA, S::BIP01_L_CALF, S::BIP01_L_FOOT);
    leg(PRAWA_LYDKA, S::BIP01_R_CALF, S::BIP01_R_FOOT);
}

bool ERigidBodyCharacter::CreateLimbBodies() {
    for (int i : kBodyOrder) {
        RigidBodyPhysicsParams params;
        params.m_uBodyKind = 1;
        params.m_fMass = kLimbRows[i].mass;
        params.m_bGeneral = 0;
        // The boxes meet at their joints, so each would be stuck in its neighbours from the start;
        // they collide with the world alone.
        params.m_bDisableCollisionsWithOtherPhysics = 1;
        g_Engine.SetRigidBodyPhysicsParams(m_hLimbs[i], &params);
        // Nothing else makes bodies for these boxes, so the body is made here when there is none.
        ERigidBodyPhysics* body = g_RigidBodySimulation.GetObjectBody(m_hLimbs[i]);
        if (!body) body = g_RigidBodySimulation.AddBody(m_hLimbs[i]);
        if (!body) return false;
        body->m_bCharacterPart = 1;
        body->m_pOwnerFaces = &m_OwnerFaces;
        body->Activate();
        m_pBodies[i] = body;
    }
    return true;
}

void ERigidBodyCharacter::CreateLimbJoints() {
    for (const JointRow& row : kJointRows) {
        const double param = row.lengthOfA ? m_vSizes[row.a].y : row.param;
        g_RigidBodyJointsMgr.AddJoint(m_hLimbs[row.a], row.socketA, m_hLimbs[row.b], row.socketB, row.kind, param,
                                      row.axisA ? row.axisA : row.socketA, row.axisB ? row.axisB : row.socketB);
    }
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

void ERigidBodyCharacter::UpdateFinder() {
    if (!m_pFinder) return;
    DV torso;
    g_Engine.GetObjectPosition(m_hLimbs[TULOW], &torso);
    const DV min = torso - DV{40, 100, 40};
    const DV max = torso + DV{40, 100, 40};
    g_CollisionMgr.UpdateBoxFinder(m_pFinder, &min, &max);
    m_uFinderResult[0] = m_uFinderResult[1] = 0;
    uint32_t count = 0;
    g_CollisionMgr.GetBoxFinderObjects(m_pFinder, g_FinderTriangles, &count, kFinderCapacity);
    // The body's own boxes and their bodies' helper objects are not the world around it.
    const auto own = [this](const CollisionTriangle& t) {
        for (int i = 0; i < kLimbs; ++i)
            if (t.m_hObject == m_hLimbs[i] || (m_pBodies[i] && t.m_hObject == m_pBodies[i]->m_hConstruction))
                return true;
        return false;
    };
    CollisionTriangle* const end = std::remove_if(g_FinderTriangles, g_FinderTriangles + count, own);
    count = static_cast<uint32_t>(end - g_FinderTriangles);
    m_uFinderResult[0] = count;
    m_uFinderResult[1] = count > 0 ? 1 : 0;
    m_OwnerFaces = {g_FinderTriangles, count};
}

void ERigidBodyCharacter::ApplyShot() {
    if (!m_bCreated || !m_pSkinMesh || m_bShotApplied) return;
    const Vec3d start = ToVec3d(m_Shot.m_vStart), end = ToVec3d(m_Shot.m_vEnd);
    const DV d = pmath::Normalize(m_Shot.m_vEnd - m_Shot.m_vStart);
    for (ERigidBodyPhysics* body : m_pBodies) body->HitBySegment(start, end, ToVec3d(d * 1200.0f));
    // Then the whole body goes along the shot, a little downwards.
    const DV push = pmath::Normalize(d - DV{0, 0.15f, 0}) * 180.0f;
    const Vec3d centre = m_pBodies[TULOW]->m_State.x;
    for (ERigidBodyPhysics* body : m_pBodies) body->ApplyImpulse(centre, ToVec3d(push));
    m_bShotApplied = 1;
}

void ERigidBodyCharacter::Update() {
    if (!m_bActive) return;
    TransferPose();
    if (m_dTime[1] > 5.0) {
        for (ERigidBodyPhysics* body : m_pBodies)
            if (body) body->Sleep();
        m_bActive = 0;
    }
    m_dTime[0] += g_Engine.m_fFrameTime;
    m_dTime[1] += g_Engine.m_fFrameTime;
}

bool ERigidBodyCharacter::SocketAt(int limb, const char* name, DV* out) const {
    if (g_MeshSocketsMgr.GetSocketWorldPos(m_hLimbs[limb], name, out)) return true;
    g_Console.Print("ERROR in RagDoll: mesh_socket not found!");
    return false;
}

void ERigidBodyCharacter::TransferPose() {
    if (!m_bCreated || !m_pSkinMesh || m_pSkinMesh->m_pNodes.empty()) return;
    ESkinMesh& skin = *m_pSkinMesh;
    Node* const* biped = skin.m_pBiped;
    PlaceHandSockets();
    DV centre;
    g_Engine.GetObjectPosition(m_hLimbs[TULOW], &centre);
    const EOrientation torso = OrientationOf(m_hLimbs[TULOW]);
    const DV axes[3] = {torso.m_Front, torso.m_Up, torso.m_Side};
    for (Node& n : skin.m_pNodes) {
        n.vRagDollTarget = centre;
        n.vRagDollDirection = axes[n.uAxisCode < 3 ? n.uAxisCode : 0];
    }
    auto place = [&](Node* node, const DV& p) {
        if (node) node->vRagDollTarget = p;
    };
    auto target = [&](int slot) { return biped[slot] ? biped[slot]->vRagDollTarget : centre; };

    DV bottom;
    if (SocketAt(TULOW, "bottom", &bottom)) {
        place(&skin.m_pNodes[0], bottom);
        place(biped[S::BIP01], bottom);
    }
    const int spine[3] = {S::BIP01_PELVIS, S::BIP01_SPINE, S::BIP01_SPINE1};
    for (int i = 0; i < 3; ++i) place(biped[spine[i]], target(S::BIP01) + torso.m_Up * m_fSpineOffsets[i]);

    for (const SocketNode& row : kSocketNodes) {
        DV p;
        if (SocketAt(row.limb, row.socket, &p)) place(biped[row.slot], p);
    }
    place(biped[S::BIP01_NECK], target(S::BIP01_HEAD) - OrientationOf(m_hLimbs[GLOWA]).m_Up * m_fNeckLength);
    const int toes[2][3] = {{S::BIP01_L_FOOT, S::BIP01_L_TOE0, S::BIP01_L_TOE0NUB},
                            {S::BIP01_R_FOOT, S::BIP01_R_TOE0, S::BIP01_R_TOE0NUB}};
    for (const auto& toe : toes) {
        const DV reach = biped[toe[0]]->vRagDollDirection * kToeReach;
        place(biped[toe[1]], target(toe[0]) + reach);
        place(biped[toe[2]], target(toe[1]) + reach);
    }

    const DV head = target(S::BIP01_HEAD);
    place(biped[S::BIP01_L_CLAVICLE], head + (target(S::BIP01_L_UPPERARM) - head) * kClavicleShare);
    place(biped[S::BIP01_R_CLAVICLE], head + (target(S::BIP01_R_UPPERARM) - head) * kClavicleShare);

    for (int slot : {S::BIP01_L_FINGER0, S::BIP01_R_FINGER0, S::BIP01_HEADNUB})
        if (biped[slot]) ExtendNodeChain(biped[slot]->iIndex);
}

void ERigidBodyCharacter::ExtendNodeChain(int32_t i) {
    std::vector<Node>& nodes = m_pSkinMesh->m_pNodes;
    const auto exists = [&](int32_t k) { return k >= 0 && k < static_cast<int32_t>(nodes.size()); };
    for (; exists(i); i = nodes[static_cast<size_t>(i)].iSibling) {
        Node& n = nodes[static_cast<size_t>(i)];
        if (!exists(n.iParent)) continue;
        const Node& parent = nodes[static_cast<size_t>(n.iParent)];
        if (!exists(parent.iParent)) continue;
        const Node& grandparent = nodes[static_cast<size_t>(parent.iParent)];
        n.vRagDollTarget = parent.vRagDollTarget +
                           pmath::Normalize(parent.vRagDollTarget - grandparent.vRagDollTarget) * kChainReach;
        ExtendNodeChain(n.iFirstChild);
    }
}

void ERigidBodyCharacter::Release() {
    if (!m_bCreated) return;
    RemoveAll();
    Unlink();
    m_pSkinMesh = nullptr;
    m_bCreated = 0;
}

void ERigidBodyCharacter::ReleaseOwnedBy(const ESkinMesh* mesh) {
    for (ERigidBodyCharacter* body = s_pFirstCreated; body;) {
        ERigidBodyCharacter* next = body->m_pNextCreated;
        if (body->m_pSkinMesh == mesh) {
            body->ReleaseHook();
            body->Release();
        }
        body = next;
    }
}

void ERigidBodyCharacter::Unlink() {
    for (ERigidBodyCharacter** link = &s_pFirstCreated; *link; link = &(*link)->m_pNextCreated)
        if (*link == this) {
            *link = m_pNextCreated;
            break;
        }
    m_pNextCreated = nullptr;
}

void ERigidBodyCharacter::RemoveAll() {
    for (int i : kBodyOrder)
        if (m_pBodies[i]) g_RigidBodySimulation.RemoveObjectBody(m_hLimbs[i]);
    for (int i : kBodyOrder)
        if (m_hLimbs[i]) g_Engine.DeleteObject(m_hLimbs[i]);
    for (int i = 0; i < kLimbs; ++i) m_hLimbs[i] = nullptr, m_pBodies[i] = nullptr;
    if (m_pFinder) g_CollisionMgr.RemoveFinder(m_pFinder);
    m_pFinder = nullptr;
    m_OwnerFaces = {};
    m_bActive = 0;
}
