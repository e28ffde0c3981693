#include "collision/ERigidBodyJointsMgr.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "collision/ERigidBodyGauss.h"
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

// The grouped solve closes this share of a joint's gap over the time it is given, along each axis
// no faster than the limits, so that a joint pulled far apart is drawn back rather than thrown
// together by one huge impulse.
constexpr double kGapClosing = 1.0;
constexpr double kMaxClosingSpeed = 50.0;
constexpr double kMinClosingSpeed = -50.0;
constexpr double kGive = 1e-9;

// A body the grouped solve can push: asleep, a body takes no impulse and stands as if fixed.
bool Movable(const ERigidBodyPhysics* body) { return body && body->m_bActive; }

bool Solvable(const RigidBodyJoint& joint) {
    if (!joint.m_bUsed || !joint.m_bAwake || joint.m_uKind != 0) return false;
    for (const ERigidBodyPhysics* body : {joint.m_pBodyA, joint.m_pBodyB})
        if (body && body->m_bCharacterPart) return false;
    return Movable(joint.m_pBodyA) || Movable(joint.m_pBodyB);
}

// The change of the body's velocity at p when the impulse acts on it at q.
Vec3d PointResponse(const ERigidBodyPhysics* body, const Vec3d& p, const Vec3d& q, const Vec3d& impulse) {
    const RigidBodyState& s = body->m_State;
    return impulse * (1.0 / s.mass) + Cross(Transform(s.Iinv, Cross(q - s.x, impulse)), p - s.x);
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
    body->CapSpin(kMaxJointSpin);
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

uint32_t ERigidBodyJointsMgr::SolveJointGroups(double dt) {
    if (dt <= 0) return 0;
    for (RigidBodyJoint& joint : m_Joints)
        if (joint.m_bUsed) UpdateWorldAnchors(joint);
    bool grouped[MAX_RIGIDBODY_JOINTS] = {};
    uint16_t members[MAX_RIGIDBODY_JOINTS];
    uint32_t solved = 0;
    for (uint32_t first = 0; first < MAX_RIGIDBODY_JOINTS; ++first) {
        if (grouped[first] || !Solvable(m_Joints[first])) continue;
        // The group: every solvable joint reached through the movable bodies of its joints.
        uint32_t count = 0;
        members[count++] = static_cast<uint16_t>(first);
        grouped[first] = true;
        for (uint32_t k = 0; k < count; ++k) {
            const RigidBodyJoint& joint = m_Joints[members[k]];
            for (const ERigidBodyPhysics* body : {joint.m_pBodyA, joint.m_pBodyB}) {
                if (!Movable(body)) continue;
                for (RigidBodyJoint* other : body->m_pJoints) {
                    if (!other) break;
                    const auto index = static_cast<uint32_t>(other - m_Joints);
                    if (grouped[index] || !Solvable(*other)) continue;
                    grouped[index] = true;
                    members[count++] = static_cast<uint16_t>(index);
                }
            }
        }
        if (count <= kMaxGroupJoints && SolveGroup(members, count, dt)) ++solved;
    }
    return solved;
}

bool ERigidBodyJointsMgr::SolveGroup(const uint16_t* members, uint32_t count, double dt) {
    ERigidBodyGauss& gauss = g_RigidBodyGauss;
    const uint32_t n = 3 * count;
    static constexpr Vec3d kAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    // A joint's impulse acts on A at A's anchor and, reversed, on B at B's.
    struct Side {
        ERigidBodyPhysics* body;
        Vec3d anchor;
        double sign;
    };
    auto sides = [&](uint32_t i, int s) {
        const RigidBodyJoint& joint = m_Joints[members[i]];
        return s == 0 ? Side{joint.m_pBodyA, Load(joint.m_WorldAnchorA), 1.0}
                      : Side{joint.m_pBodyB, Load(joint.m_WorldAnchorB), -1.0};
    };
    std::fill(gauss.A, gauss.A + n * n, 0.0);
    for (uint32_t i = 0; i < count; ++i) {
        Vec3d velocity;
        for (int si = 0; si < 2; ++si) {
            const Side a = sides(i, si);
            if (!Movable(a.body)) continue;
            velocity += a.body->PointVelocity(a.anchor) * a.sign;
            for (uint32_t j = 0; j < count; ++j)
                for (int sj = 0; sj < 2; ++sj) {
                    const Side b = sides(j, sj);
                    if (b.body != a.body) continue;
                    for (int c = 0; c < 3; ++c) {
                        const Vec3d r = PointResponse(a.body, a.anchor, b.anchor, kAxes[c]) * (a.sign * b.sign);
                        gauss.A[(3 * i + 0) * n + 3 * j + c] += r.x;
                        gauss.A[(3 * i + 1) * n + 3 * j + c] += r.y;
                        gauss.A[(3 * i + 2) * n + 3 * j + c] += r.z;
                    }
                }
        }
        const Vec3d gap = sides(i, 0).anchor - sides(i, 1).anchor;
        const double gapAlong[3] = {gap.x, gap.y, gap.z};
        const double current[3] = {velocity.x, velocity.y, velocity.z};
        for (int a = 0; a < 3; ++a) {
            const double wanted = std::clamp(-kGapClosing * gapAlong[a] / dt, kMinClosingSpeed, kMaxClosingSpeed);
            gauss.b[3 * i + a] = wanted - current[a];
        }
    }
    // Joints in a loop, or several holding the same point, make rows that depend on each other
    // and a system without a single answer: a slight give on the diagonal picks the answer that
    // shares the impulse among them.
    for (uint32_t k = 0; k < n; ++k) gauss.A[k * n + k] *= 1.0 + kGive;
    if (!gauss.Elimination(n)) return false;
    for (uint32_t k = 0; k < n; ++k)
        if (!std::isfinite(gauss.solution[k])) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const Vec3d impulse{gauss.solution[3 * i], gauss.solution[3 * i + 1], gauss.solution[3 * i + 2]};
        for (int s = 0; s < 2; ++s) {
            const Side side = sides(i, s);
            if (Movable(side.body)) side.body->ApplyImpulse(side.anchor, impulse * side.sign);
        }
    }
    return true;
}
