#include "collision/ERigidBodyJointsMgr.h"

#include <algorithm>
#include <cstring>

#include "collision/ERigidBodyPhysics.h"
#include "collision/ERigidBodySimulation.h"
#include "collision/RigidBodyHooks.h"
#include "core/EConsole.h"

ERigidBodyJointsMgr g_RigidBodyJointsMgr;

namespace {

// Takes the joint out of a body's list: the places after it move one forward.
void Unlist(ERigidBodyPhysics* body, const RigidBodyJoint* joint) {
    if (!body) return;
    RigidBodyJoint** list = body->m_pJoints;
    for (int i = 0; i < ERigidBodyPhysics::kMaxJoints; ++i) {
        if (list[i] != joint) continue;
        for (int k = i; k + 1 < ERigidBodyPhysics::kMaxJoints; ++k) list[k] = list[k + 1];
        list[ERigidBodyPhysics::kMaxJoints - 1] = nullptr;
        return;
    }
}

}  // namespace

void ERigidBodyJointsMgr::Free(RigidBodyJoint& joint) {
    Unlist(joint.m_pBodyA, &joint);
    Unlist(joint.m_pBodyB, &joint);
    joint = RigidBodyJoint{};
}

void ERigidBodyJointsMgr::RemoveBodyJoints(EObjectSlot* object) {
    if (!object) return;
    for (RigidBodyJoint& joint : m_Joints)
        if (joint.m_bUsed && (joint.m_hObjectA == object || joint.m_hObjectB == object)) Free(joint);
}

uint32_t ERigidBodyJointsMgr::CountUsed() const {
    uint32_t n = 0;
    for (const RigidBodyJoint& joint : m_Joints) n += joint.m_bUsed;
    return n;
}

namespace {

// Halves of a joint: its body (or null), its object, its anchor in the object's coordinates.
struct JointSide {
    ERigidBodyPhysics* body;
    EObjectSlot* object;
    const double* anchor;
};

// Where a point of the object's own coordinates lies in the world now.
Vec3d ToWorld(ERigidBodyPhysics* body, EObjectSlot* object, const double* local) {
    if (body) {
        const DV& s = body->m_vObjectScale;
        return Transform(body->m_State.R, {local[0] * s.x, local[1] * s.y, local[2] * s.z}) + body->m_State.x;
    }
    RigidBodyObjectFacts facts;
    if (!object || !g_RigidBodyHooks.objectFacts(object, &facts)) return {local[0], local[1], local[2]};
    RigidBodyState placed;
    std::memcpy(placed.q, facts.q, sizeof placed.q);
    const double* q = placed.q;
    const double R[9] = {1 - 2 * q[1] * q[1] - 2 * q[2] * q[2], 2 * q[0] * q[1] - 2 * q[3] * q[2],
                         2 * q[0] * q[2] + 2 * q[3] * q[1],     2 * q[0] * q[1] + 2 * q[3] * q[2],
                         1 - 2 * q[0] * q[0] - 2 * q[2] * q[2], 2 * q[1] * q[2] - 2 * q[3] * q[0],
                         2 * q[0] * q[2] - 2 * q[3] * q[1],     2 * q[1] * q[2] + 2 * q[3] * q[0],
                         1 - 2 * q[0] * q[0] - 2 * q[1] * q[1]};
    const DV& s = facts.scale;
    return Transform(R, {local[0] * s.x, local[1] * s.y, local[2] * s.z}) + ToVec3d(facts.position);
}

void Store(const Vec3d& v, double* out) { out[0] = v.x, out[1] = v.y, out[2] = v.z; }
Vec3d Load(const double* v) { return {v[0], v[1], v[2]}; }

// Puts the joint into the first free place of the body's list; false when the list is full.
bool List(ERigidBodyPhysics* body, RigidBodyJoint* joint) {
    if (!body) return true;
    for (RigidBodyJoint*& place : body->m_pJoints)
        if (!place) {
            place = joint;
            return true;
        }
    return false;
}

// The socket's position, or 0 when the object has no socket of that name.
void SocketOf(EObjectSlot* object, const char* socket, double* out) {
    DV p;
    if (object && socket && socket[0] && g_RigidBodyHooks.socketPosition(object, socket, &p)) Store(ToVec3d(p), out);
}

// Damping of the joined bodies' corners and the cap of their spin.
constexpr double kCornerDamping = 0.001;
constexpr double kMaxJointSpin = 5.0;
// Pull of the anchors towards each other per unit of separation.
constexpr double kPull = 0.0001 / 0.025;

}  // namespace

void ERigidBodyJointsMgr::AddJoint(EObjectSlot* a, const char* socketA, EObjectSlot* b, const char* socketB,
                                   uint32_t kind, double param, const char* axisSocketA, const char* axisSocketB) {
    if ((!a && !b) || a == b) return;
    RigidBodyJoint* joint = nullptr;
    for (RigidBodyJoint& j : m_Joints)
        if (!j.m_bUsed) {
            joint = &j;
            break;
        }
    if (!joint) {
        g_Console.Print("ERROR in ERigidBodyJointsMgr::AddJoint(): MAX_RIGIDBODY_JOINTS exceeded!");
        return;
    }
    *joint = RigidBodyJoint{};
    joint->m_bUsed = joint->m_bAwake = 1;
    joint->m_uKind = kind;
    joint->m_dParam[0] = joint->m_dParam[1] = param;
    joint->m_hObjectA = a;
    joint->m_hObjectB = b;
    joint->m_pBodyA = g_RigidBodySimulation.GetObjectBody(a);
    joint->m_pBodyB = g_RigidBodySimulation.GetObjectBody(b);
    if (!joint->m_pBodyA && !joint->m_pBodyB) {
        *joint = RigidBodyJoint{};
        return;
    }
    SocketOf(a, socketA, joint->m_AnchorA);
    SocketOf(b, socketB, joint->m_AnchorB);
    SocketOf(a, axisSocketA, joint->m_AxisA);
    SocketOf(b, axisSocketB, joint->m_AxisB);
    if (Length(Load(joint->m_AxisA)) < 0.1) Store({0, 0, 1}, joint->m_AxisA);
    if (Length(Load(joint->m_AxisB)) < 0.1) Store({0, 0, -1}, joint->m_AxisB);
    // A body whose list is full cannot carry the joint: it is refused rather than left half-made.
    if (!List(joint->m_pBodyA, joint) || !List(joint->m_pBodyB, joint)) {
        g_Console.Print("ERROR in ERigidBodyJointsMgr::AddJoint(): body joint list full!");
        Free(*joint);
    }
}

void ERigidBodyJointsMgr::UpdateWorldAnchors(RigidBodyJoint& joint) {
    const Vec3d a = ToWorld(joint.m_pBodyA, joint.m_hObjectA, joint.m_AnchorA);
    const Vec3d b = ToWorld(joint.m_pBodyB, joint.m_hObjectB, joint.m_AnchorB);
    Store(a, joint.m_WorldAnchorA);
    Store(b, joint.m_WorldAnchorB);
    const double zero[3] = {};
    Store(ToWorld(joint.m_pBodyA, joint.m_hObjectA, joint.m_AxisA) - ToWorld(joint.m_pBodyA, joint.m_hObjectA, zero),
          joint.m_WorldAxisA);
    Store(ToWorld(joint.m_pBodyB, joint.m_hObjectB, joint.m_AxisB) - ToWorld(joint.m_pBodyB, joint.m_hObjectB, zero),
          joint.m_WorldAxisB);
    Store((a + b) * 0.5, joint.m_Point);
    Store(b - a, joint.m_Normal);
}

void ERigidBodyJointsMgr::MoveBodiesToJoints() {
    // A body follows its partner when the partner is fixed or is the joint's first side, the
    // shallower one in the joint tree.
    for (RigidBodyJoint& joint : m_Joints) {
        if (!joint.m_bUsed || !joint.m_bAwake || joint.m_uKind != 0) continue;
        ERigidBodyPhysics* moving = joint.m_pBodyB ? joint.m_pBodyB : joint.m_pBodyA;
        // Only a body's first joint moves it.
        if (!moving || moving->m_pJoints[0] != &joint) continue;
        const Vec3d gap = Load(joint.m_WorldAnchorA) - Load(joint.m_WorldAnchorB);
        const Vec3d move = moving == joint.m_pBodyB ? gap : -gap;
        for (double fraction : {1.0, 0.5}) {
            RigidBodyState s = moving->m_State;
            s.x += move * fraction;
            if (moving->TestCollisions(s)) continue;
            moving->SetNewState(s);
            break;
        }
        UpdateWorldAnchors(joint);
    }
}

void ERigidBodyJointsMgr::ApplyJointImpulse(RigidBodyJoint& joint) {
    Vec3d n = Load(joint.m_Normal);
    const double length = Length(n);
    n = n * (1.0 / (length > 0 ? length : 1.0));
    const Vec3d p = Load(joint.m_Point);
    double vrel = 0, denominator = 0;
    for (int side = 0; side < 2; ++side) {
        ERigidBodyPhysics* body = side == 0 ? joint.m_pBodyA : joint.m_pBodyB;
        if (!body) continue;
        const RigidBodyState& s = body->m_State;
        const Vec3d r = p - s.x;
        vrel += (side == 0 ? 1 : -1) * Dot(n, s.v + Cross(s.omega, r));
        denominator += 1.0 / s.mass + Dot(n, Cross(Transform(s.Iinv, Cross(r, n)), r));
    }
    const double j = denominator != 0 ? -vrel / denominator : 0.0;
    joint.m_dLastImpulse = j;
    if (joint.m_pBodyA) joint.m_pBodyA->ApplyImpulse(p, n * j);
    if (joint.m_pBodyB) joint.m_pBodyB->ApplyImpulse(p, n * -j);
}

void ERigidBodyJointsMgr::PullAnchorsTogether(RigidBodyJoint& joint) {
    const Vec3d d = Load(joint.m_WorldAnchorB) - Load(joint.m_WorldAnchorA);
    if (joint.m_pBodyA) joint.m_pBodyA->ApplyImpulse(Load(joint.m_WorldAnchorA), d * (kPull * joint.m_pBodyA->m_State.mass));
    if (joint.m_pBodyB)
        joint.m_pBodyB->ApplyImpulse(Load(joint.m_WorldAnchorB), d * (-kPull * joint.m_pBodyB->m_State.mass));
}

void ERigidBodyJointsMgr::DampBody(ERigidBodyPhysics* body) {
    RigidBodyState& s = body->m_State;
    for (const Vec3d& local : body->m_Corners) {
        const Vec3d corner = Transform(s.R, local) + s.x;
        const Vec3d u = body->PointVelocity(corner);
        const double k = std::min(Length(u), static_cast<double>(body->m_Params.m_fJointValue));
        body->ApplyImpulse(corner, u * (-kCornerDamping * k));
    }
    const double spin = Length(s.omega);
    if (spin > kMaxJointSpin) body->SetOmega(s.omega * (kMaxJointSpin / spin));
}

void ERigidBodyJointsMgr::Update() {
    bool active = false;
    for (RigidBodyJoint& joint : m_Joints) {
        if (!joint.m_bUsed) continue;
        UpdateWorldAnchors(joint);
        active |= joint.m_bAwake != 0;
    }
    if (!active) return;
    if (m_bInFrame) MoveBodiesToJoints();
    for (RigidBodyJoint& joint : m_Joints) {
        if (!joint.m_bUsed || !joint.m_bAwake || joint.m_uKind != 0) continue;
        if ((joint.m_pBodyA && joint.m_pBodyA->m_bCharacterPart) || (joint.m_pBodyB && joint.m_pBodyB->m_bCharacterPart))
            continue;
        ApplyJointImpulse(joint);
        PullAnchorsTogether(joint);
    }
    for (RigidBodyJoint& joint : m_Joints) {
        if (!joint.m_bUsed || !joint.m_bAwake) continue;
        // Each body once: at its first joint in the table.
        for (ERigidBodyPhysics* body : {joint.m_pBodyA, joint.m_pBodyB})
            if (body && body->m_pJoints[0] == &joint) DampBody(body);
    }
}
