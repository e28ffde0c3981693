#include "collision/ERigidBodyPhysics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "collision/ECollisionObject.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodySimulation.h"
#include "collision/Matrix3d.h"
#include "collision/RigidBodyHooks.h"
#include "collision/RigidBodyParametersMgr.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/GeometryHelpers.h"
#include "core/IntersectionTests.h"
#include "core/QueryAppTimer.h"
#include "mesh/MeshHooks.h"

namespace {

constexpr const char* kPrefabs[4] = {"", "prefabs\\special\\rigidbody_box.x", "prefabs\\special\\rigidbody_cylinder.x",
                                     "prefabs\\special\\rigidbody_sphere.x"};
constexpr uint32_t kConstructionFlags = 140;
constexpr uint32_t kConstructionFlagsAlone = 128;
constexpr uint32_t kConstructionFlags2 = 402657344;
constexpr uint32_t kGatheredFlag = ECollisionMgr::kGatheredFlag;
// Above this difference between the two integrations the step is shortened.
constexpr double kIntegrationTolerance = 0.08;
// The gathered faces reach this far past the box the body sweeps.
constexpr float kGatherMargin = 1.0f;
// How near a hull vertex or edge must come to a face to touch it.
constexpr double kContactDistance = 0.15;
constexpr double kContactBelow = 0.05;
// Contacts nearer than this to one already found are the same contact.
constexpr double kContactSeparation = 1.5;
// How often the body's own sound is moved to where the body is.
constexpr double kSoundMoveInterval = 0.15;

DV64 ToDV64(const Vec3d& v) { return {v.x, v.y, v.z}; }
Vec3d FromDV64(const DV64& v) { return {v.x, v.y, v.z}; }

// The rotation of a unit quaternion (x, y, z, w), row-major.
void RotationFromQuaternion(const double* q, double* R) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    R[0] = 1 - 2 * y * y - 2 * z * z, R[1] = 2 * x * y - 2 * w * z, R[2] = 2 * x * z + 2 * w * y;
    R[3] = 2 * x * y + 2 * w * z, R[4] = 1 - 2 * x * x - 2 * z * z, R[5] = 2 * y * z - 2 * w * x;
    R[6] = 2 * x * z - 2 * w * y, R[7] = 2 * y * z + 2 * w * x, R[8] = 1 - 2 * x * x - 2 * y * y;
}

// Normalises q, then derives R, Iinv, v and ω from the state's q, P and L.
void DeriveState(RigidBodyState& s, const char* zeroMessage) {
    s.v = s.mass > 0 ? s.P * (1.0 / s.mass) : Vec3d{};
    const double length = std::sqrt(s.q[0] * s.q[0] + s.q[1] * s.q[1] + s.q[2] * s.q[2] + s.q[3] * s.q[3]);
    if (length == 0.0)
        g_Console.Print(zeroMessage);
    else
        for (double& c : s.q) c /= length;
    RotationFromQuaternion(s.q, s.R);
    double t[9], rt[9];
    Multiply3(s.R, s.Ibodyinv, t);
    Transpose3(s.R, rt);
    Multiply3(t, rt, s.Iinv);
    s.omega = Transform(s.Iinv, s.L);
}

// The world inertia R·Ibody·Rᵀ.
void WorldInertia(const RigidBodyState& s, double* out) {
    double t[9], rt[9];
    Multiply3(s.R, s.Ibody, t);
    Transpose3(s.R, rt);
    Multiply3(t, rt, out);
}

bool InsideTriangle(const Vec3d& p, const Vec3d* c, const Vec3d& n) {
    for (int k = 0; k < 3; ++k)
        if (Dot(Cross(c[(k + 1) % 3] - c[k], p - c[k]), n) < 0.0) return false;
    return true;
}

bool NearContact(const RigidBodyContactReport& report, const Vec3d& p) {
    for (uint32_t i = 0; i < report.count; ++i)
        if (Length(report.contacts[i].p - p) < kContactSeparation) return true;
    return false;
}

// Names what a crossing found: another body by its slot (in capitals when a face's edge crossed
// the hull), or a fixed object with the time and, for a mesh, its file.
void TraceCrossing(const RigidBodyFace& f, bool worldEdge) {
    if (f.body) {
        g_Console.PrintInt(worldEdge ? "IsCollision(): KOLIZJA z fizyka body: " : "IsCollision(): kolizja z fizyka body: ",
                           g_RigidBodySimulation.SlotOf(f.body));
        return;
    }
    char line[96];
    std::snprintf(line, sizeof line, "%f, IsCollision(): kolizja z obiektem BEZ fizyki", QueryAppTimer(TIMER_GETAPPTIME));
    g_Console.Print(line);
    RigidBodyObjectFacts facts;
    if (g_RigidBodyHooks.objectFacts(f.object, &facts) && facts.isMesh) g_Console.PrintStr2("   obiekt: ", facts.meshFileName);
}

}  // namespace

void ERigidBodyPhysics::BoxInertia(double m, double a, double b, double c, double* ibody) {
    const double d[3] = {m * (b * b + c * c) / 12, m * (a * a + c * c) / 12, m * (a * a + b * b) / 12};
    for (int i = 0; i < 9; ++i) ibody[i] = i % 4 == 0 ? d[i / 4] : 0.0;
}

void ERigidBodyPhysics::CylinderInertia(double m, double r, double h, double* ibody) {
    const double side = m * (r * r / 4 + h * h / 12);
    const double d[3] = {side, m * r * r / 2, side};
    for (int i = 0; i < 9; ++i) ibody[i] = i % 4 == 0 ? d[i / 4] : 0.0;
}

void ERigidBodyPhysics::SphereInertia(double m, double a, double b, double c, double* ibody) {
    const double d[3] = {m * (b * b + c * c) / 5, m * (a * a + c * c) / 5, m * (a * a + b * b) / 5};
    for (int i = 0; i < 9; ++i) ibody[i] = i % 4 == 0 ? d[i / 4] : 0.0;
}

void ERigidBodyPhysics::SetUpInertia(const DV& size) {
    RigidBodyState& s = m_State;
    const double m = s.mass;
    const uint32_t kind = m_Params.m_uBodyKind;
    if (kind == BOX) BoxInertia(m, size.x, size.y, size.z, s.Ibody);
    if (kind == CYLINDER) CylinderInertia(m, size.x / 2, size.y, s.Ibody);
    if (kind == SPHERE) SphereInertia(m, size.x / 2, size.y / 2, size.z / 2, s.Ibody);
    if (kind == HULL) {
        if (!g_RigidBodyParametersMgr.GetInertiaTensors(m_szConstructionFile, s.Ibody, s.Ibodyinv)) {
            g_Console.PrintStr2("ERROR in ERigidBodyPhysics: nie znalazlem Inertia Tensor dla prefaba: ",
                                m_szConstructionFile);
        } else if (m > 0) {
            for (int i = 0; i < 9; ++i) s.Ibody[i] *= m, s.Ibodyinv[i] /= m;
        }
        return;
    }
    for (int i = 0; i < 9; ++i) s.Ibodyinv[i] = i % 4 == 0 && s.Ibody[i] != 0.0 ? 1.0 / s.Ibody[i] : 0.0;
}

bool ERigidBodyPhysics::SetUpHull(EObjectSlot* construction) {
    const ECollisionObject* record = g_CollisionMgr.GetObjectRecord(construction);
    if (!record) return false;
    RigidBodyParametersEntry* entry = nullptr;
    const bool found = g_RigidBodyParametersMgr.GetParameters(m_szConstructionFile, &entry) &&
                       entry->num_old_vertices == record->m_uVertices;
    if (!found)
        g_Console.PrintStr2("ERROR in ERigidBodyPhysics: nie znalazlem parametrow fizyki dla prefaba: ",
                            m_szConstructionFile);
    auto scaled = [&](const DV& v) { return Vec3d{v.x * m_vScale.x, v.y * m_vScale.y, v.z * m_vScale.z}; };
    m_Particles.clear();
    m_Indices.clear();
    if (found) {
        for (uint32_t j = 0; j < entry->num_new_vertices; ++j)
            m_Particles.push_back(scaled(record->CM_vVerticesLocal[entry->map_new_to_old[j]]));
        for (uint32_t f = 0; f < record->m_uFaces * 3; ++f) m_Indices.push_back(entry->map_old_to_new[record->CM_dwFaces[f]]);
    } else {
        for (uint32_t i = 0; i < record->m_uVertices; ++i) m_Particles.push_back(scaled(record->CM_vVerticesLocal[i]));
        for (uint32_t f = 0; f < record->m_uFaces * 3; ++f) m_Indices.push_back(record->CM_dwFaces[f]);
    }
    m_WorldParticles.resize(m_Particles.size());
    return true;
}

bool ERigidBodyPhysics::Create(EObjectSlot* object) {
    // A tool run makes no bodies.
    if (g_Settings.m_bEditor) return false;
    if (m_bValid) Release();
    RigidBodyObjectFacts facts;
    if (!object || !g_RigidBodyHooks.objectFacts(object, &facts) || !facts.isMesh || !facts.params) return false;
    m_Params = *facts.params;
    if (m_Params.m_bPresets[0]) {
        m_Params.m_uBodyKind = SPHERE;
        m_Params.m_fFrictionCoef = 0.62f;
        m_Params.m_bGeneral = 0;
        *facts.params = m_Params;
    }
    if (m_Params.m_bPresets[1]) {
        m_Params.m_uBodyKind = BOX;
        m_Params.m_fFrictionCoef = 1.0f;
        m_Params.m_bGeneral = m_Params.m_bReactAfterBulletHit = m_Params.m_bReactAfterExplosion = 0;
        *facts.params = m_Params;
    }
    const uint32_t kind = m_Params.m_uBodyKind;
    if (kind == NONE || kind > HULL) return false;
    const DV size = facts.localMax - facts.localMin;
    const DV scaledSize{facts.scale.x * size.x, facts.scale.y * size.y, facts.scale.z * size.z};
    m_vScale = kind == HULL ? facts.scale : scaledSize;
    const char* file = kind != HULL ? kPrefabs[kind] : (m_Params.m_szConstructionPrefab[0] ? m_Params.m_szConstructionPrefab
                                                                                        : facts.meshFileName);
    std::snprintf(m_szConstructionFile, sizeof m_szConstructionFile, "%s", file);
    char name[96];
    std::snprintf(name, sizeof name, "physics_for_%s", facts.name);
    const uint32_t flags = m_Params.m_bDisableCollisionsWithOtherPhysics ? kConstructionFlagsAlone : kConstructionFlags;
    m_hConstruction =
        g_RigidBodyHooks.createMeshObject(file, name, facts.position, facts.q, m_vScale, flags, kConstructionFlags2);
    if (!m_hConstruction || !SetUpHull(m_hConstruction)) {
        g_Console.Print("ERROR in ERigidBodyPhysics: construction object creation failed!");
        g_Console.PrintStr2("construction prefab failed: ", file);
        Release();
        return false;
    }
    m_hObject = object;
    m_vObjectScale = facts.scale;
    m_State = RigidBodyState{};
    m_State.mass = m_Params.m_fMass;
    SetUpInertia(scaledSize);
    for (int c = 0; c < 8; ++c)
        m_Corners[c] = {(c & 1 ? facts.localMax.x : facts.localMin.x) * facts.scale.x,
                        (c & 2 ? facts.localMax.y : facts.localMin.y) * facts.scale.y,
                        (c & 4 ? facts.localMax.z : facts.localMin.z) * facts.scale.z};
    m_dAwakeTime = m_dTimeSinceCollisionSound = m_dTimeSinceSoundMoved = m_dSilenceTime = 0;
    m_uSteps = 0;
    m_bActive = m_bSoundWaiting = 0;
    if (m_Params.m_bJoint) m_Params.m_bDisableAllCollisions = 1;
    m_Gathered.resize(kMaxFaces);
    m_Faces.reserve(kMaxFaces);
    if (m_Params.m_bDisableAllCollisions || m_Params.m_bPresets[1])
        g_RigidBodyHooks.setFlags(m_hConstruction, flags & ~kGatheredFlag);
    if (m_Params.m_szSoundFileName[0]) {
        const float distance = 2.0f * m_Params.m_fSoundParam;
        m_pSound = g_RigidBodyHooks.createBodySound(m_Params.m_szSoundFileName, distance, distance / 2);
    }
    m_bValid = 1;
    m_State.x = ToVec3d(facts.position);
    std::memcpy(m_State.q, facts.q, sizeof m_State.q);
    DeriveState(m_State, "ERROR in ERigidBodyPhysics::Init(): dQLen==0 !!!");
    return true;
}

void ERigidBodyPhysics::Release() {
    if (m_hConstruction) g_RigidBodyHooks.deleteObject(m_hConstruction);
    m_hConstruction = nullptr;
    if (m_pSound) g_RigidBodyHooks.releaseBodySound(m_pSound);
    m_pSound = nullptr;
    m_hObject = nullptr;
    m_Particles.clear();
    m_WorldParticles.clear();
    m_Indices.clear();
    m_Faces.clear();
    m_vGatherMin = {1, 1, 1};
    m_vGatherMax = {0, 0, 0};
    m_bValid = 0;
}

void ERigidBodyPhysics::SetNewState(const RigidBodyState& state) {
    m_State = state;
    DeriveState(m_State, "ERROR in ERigidBodyPhysics::SetNewState(): dQLen==0 !!!");
}

void ERigidBodyPhysics::Derivative(const RigidBodyState& s, double* d) const {
    const Vec3d qv{s.q[0], s.q[1], s.q[2]};
    const Vec3d dq = 0.5 * (s.q[3] * s.omega + Cross(s.omega, qv));
    const Vec3d force{0, s.mass * kGravity, 0};
    const double values[13] = {s.v.x, s.v.y,   s.v.z,   dq.x,    dq.y,    dq.z, -0.5 * Dot(s.omega, qv),
                               force.x, force.y, force.z, s.torque.x, s.torque.y, s.torque.z};
    std::memcpy(d, values, sizeof values);
}

void ERigidBodyPhysics::EulerStep(RigidBodyState* s, double h) const {
    double d[13];
    Derivative(*s, d);
    s->x += Vec3d{d[0], d[1], d[2]} * h;
    for (int k = 0; k < 4; ++k) s->q[k] += d[3 + k] * h;
    s->P += Vec3d{d[7], d[8], d[9]} * h;
    s->L += Vec3d{d[10], d[11], d[12]} * h;
    s->force = {d[7], d[8], d[9]};
    DeriveState(*s, "ERROR in ERigidBodyPhysics::SetNewState(): dQLen==0 !!!");
}

void ERigidBodyPhysics::Integrate(double t0, double t1, RigidBodyState* out, bool adaptive) const {
    const double h = t1 - t0;
    *out = m_State;
    if (h <= 0) return;
    RigidBodyState full = m_State;
    EulerStep(out, h / 2);
    EulerStep(out, h / 2);
    out->t = t1;
    EulerStep(&full, h);
    // The largest single difference: a sum of signed differences can cancel a large error out.
    const double a[13] = {out->x.x, out->x.y, out->x.z, out->q[0], out->q[1], out->q[2], out->q[3],
                          out->P.x, out->P.y, out->P.z, out->L.x,  out->L.y,  out->L.z};
    const double b[13] = {full.x.x, full.x.y, full.x.z, full.q[0], full.q[1], full.q[2], full.q[3],
                          full.P.x, full.P.y, full.P.z, full.L.x,  full.L.y,  full.L.z};
    double error = 0;
    for (int i = 0; i < 13; ++i) error = std::max(error, std::fabs(a[i] - b[i]));
    if (!adaptive || error <= kIntegrationTolerance) return;
    const double shortened = h * std::sqrt(kIntegrationTolerance / error);
    *out = m_State;
    EulerStep(out, shortened);
    out->t = t0 + shortened;
}

void ERigidBodyPhysics::ApplyImpulse(const Vec3d& point, const Vec3d& impulse) {
    if (!m_bActive) return;
    m_State.P += impulse;
    m_State.L += Cross(point - m_State.x, impulse);
    m_State.v = m_State.P * (1.0 / m_State.mass);
    m_State.omega = Transform(m_State.Iinv, m_State.L);
}

void ERigidBodyPhysics::SetVelocity(const Vec3d& v) {
    m_State.v = v;
    m_State.P = v * m_State.mass;
}

void ERigidBodyPhysics::SetOmega(const Vec3d& omega) {
    double inertia[9];
    WorldInertia(m_State, inertia);
    m_State.omega = omega;
    m_State.L = Transform(inertia, omega);
}

Vec3d ERigidBodyPhysics::PointVelocity(const Vec3d& p) const {
    return m_State.v + Cross(m_State.omega, p - m_State.x);
}

double ERigidBodyPhysics::LinearEnergy() const { return 0.5 * m_State.mass * Dot(m_State.v, m_State.v); }

double ERigidBodyPhysics::RotationalEnergy() const {
    double inertia[9];
    WorldInertia(m_State, inertia);
    return 0.5 * Dot(m_State.omega, Transform(inertia, m_State.omega));
}

void ERigidBodyPhysics::Activate() {
    ERigidBodySimulation& sim = g_RigidBodySimulation;
    if (!m_bValid || (m_Params.m_bNotImportant && sim.m_uActiveBodies >= 6)) return;
    if (!m_bActive) {
        if (m_Params.m_szGiveActionTo[0]) g_RigidBodyHooks.runAction(m_Params.m_szGiveActionTo);
        if (m_pSound) {
            g_RigidBodyHooks.playBodySound(m_pSound);
            m_dSilenceTime = 0;
            m_bSoundWaiting = 0;
        }
        m_uSteps = 0;
        ++sim.m_uActiveBodies;
    }
    m_bActive = 1;
    m_dAwakeTime = 0;
    for (RigidBodyJoint* joint : m_pJoints) {
        if (!joint) break;
        joint->m_bAwake = 1;
    }
}

void ERigidBodyPhysics::Sleep() {
    ERigidBodySimulation& sim = g_RigidBodySimulation;
    if (m_bActive && sim.m_uActiveBodies > 0) --sim.m_uActiveBodies;
    m_bActive = 0;
    for (RigidBodyJoint* joint : m_pJoints) {
        if (!joint) break;
        joint->m_bAwake = 0;
    }
    if (!m_Params.m_bPresets[1]) return;
    const Vec3d up{m_State.R[1], m_State.R[4], m_State.R[7]};
    const Vec3d front{m_State.R[2], m_State.R[5], m_State.R[8]};
    if (std::fabs(up.y) >= 0.7 && std::fabs(front.y) <= 0.7) return;
    // Stand up, keeping the heading.
    const Vec3d heading{front.x, 0, front.z};
    RigidBodyState s = m_State;
    s.q[0] = s.q[1] = s.q[2] = 0;
    s.q[3] = 1;
    if (Length(heading) >= 0.000001) {
        const double yaw = std::atan2(heading.x, heading.z);
        s.q[1] = std::sin(yaw / 2);
        s.q[3] = std::cos(yaw / 2);
    }
    SetNewState(s);
    WriteBack();
}

void ERigidBodyPhysics::ApplySpeedCaps() {
    if (m_Params.m_bPresets[0]) return;
    const double maxSpeed = m_Params.m_bPresets[1] ? 200.0 : 280.0;
    const double speed = Length(m_State.v);
    if (speed > maxSpeed) SetVelocity(m_State.v * (maxSpeed / speed));
    CapSpin(m_Params.m_bPresets[1] ? 8.0 : 9.0);
}

void ERigidBodyPhysics::CapSpin(double maxSpin) {
    const double spin = Length(m_State.omega);
    if (spin > maxSpin) SetOmega(m_State.omega * (maxSpin / spin));
}

void ERigidBodyPhysics::WriteBack() {
    const DV x = ToDV(m_State.x);
    if (m_hConstruction) g_RigidBodyHooks.setTransform(m_hConstruction, x, m_State.q);
    if (m_hObject) g_RigidBodyHooks.setTransform(m_hObject, x, m_State.q);
    if (m_pSound) UpdateOwnSound();
}

// A sound that has ended waits out the silence between sounds and starts again; the sound flag
// off, it stays quiet once it has ended.
void ERigidBodyPhysics::UpdateOwnSound() {
    if (m_Params.m_bSound) {
        if (!g_RigidBodyHooks.bodySoundPlaying(m_pSound)) m_bSoundWaiting = 1;
        if (m_bSoundWaiting && m_dSilenceTime >= m_Params.m_fSilenceBetweenSounds) {
            m_dSilenceTime = 0;
            m_bSoundWaiting = 0;
            g_RigidBodyHooks.playBodySound(m_pSound);
        }
    }
    if (m_dTimeSinceSoundMoved >= kSoundMoveInterval) {
        m_dTimeSinceSoundMoved = 0;
        g_RigidBodyHooks.moveBodySound(m_pSound, ToDV(m_State.x));
    }
}

void ERigidBodyPhysics::MoveParticles(const RigidBodyState& state) {
    for (size_t i = 0; i < m_Particles.size(); ++i) m_WorldParticles[i] = Transform(state.R, m_Particles[i]) + state.x;
}

void ERigidBodyPhysics::GatherFaces(const RigidBodyState& state) {
    double radius = 0;
    for (const Vec3d& p : m_Particles) radius = std::max(radius, Length(p));
    const float r = static_cast<float>(radius);
    const DV a = ToDV(m_State.x), b = ToDV(state.x);
    const DV sweptMin = LowerCorner(a, b) - DV{r, r, r};
    const DV sweptMax = UpperCorner(a, b) + DV{r, r, r};
    const bool inside = sweptMin.x >= m_vGatherMin.x && sweptMin.y >= m_vGatherMin.y && sweptMin.z >= m_vGatherMin.z &&
                        sweptMax.x <= m_vGatherMax.x && sweptMax.y <= m_vGatherMax.y && sweptMax.z <= m_vGatherMax.z;
    // A character part takes the latest faces its owner gathered; until the owner has gathered
    // any, the part asks for its own.
    const bool fromOwner = m_bCharacterPart && m_pOwnerFaces && m_pOwnerFaces->triangles;
    if (inside && !fromOwner) return;
    m_vGatherMin = sweptMin - DV{kGatherMargin, kGatherMargin, kGatherMargin};
    m_vGatherMax = sweptMax + DV{kGatherMargin, kGatherMargin, kGatherMargin};
    m_Faces.clear();
    if (m_Params.m_bDisableAllCollisions) return;
    uint32_t count = 0;
    const CollisionTriangle* gathered = m_Gathered.data();
    if (fromOwner) {
        gathered = m_pOwnerFaces->triangles;
        count = std::min(m_pOwnerFaces->count, kMaxFaces);
    } else {
        g_CollisionMgr.QueryBoxObjects(&m_vGatherMin, &m_vGatherMax, m_Gathered.data(), &count, kMaxFaces);
    }
    EObjectSlot* excluded[std::size(RigidBodyPhysicsParams{}.m_szDisableCollisionWith)] = {};
    int excludedCount = 0;
    for (const auto& name : m_Params.m_szDisableCollisionWith)
        if (name[0])
            if (EObjectSlot* o = g_RigidBodyHooks.findObject(name)) excluded[excludedCount++] = o;
    // The player's machine is left out for bodies that do not push it, and for the presets.
    EObjectSlot* player = g_MeshHooks.excludedObject();
    if (m_Params.m_bGeneral && !m_Params.m_bPresets[0] && !m_Params.m_bPresets[1]) player = nullptr;
    EObjectSlot* lastObject = nullptr;
    ERigidBodyPhysics* lastBody = nullptr;
    bool lastSkipped = false;
    for (uint32_t i = 0; i < count; ++i) {
        const CollisionTriangle& t = gathered[i];
        if (t.m_hObject != lastObject || i == 0) {
            lastObject = t.m_hObject;
            lastBody = g_RigidBodySimulation.BodyOfConstruction(lastObject);
            lastSkipped = lastObject == m_hObject || lastObject == m_hConstruction || (player && lastObject == player) ||
                          std::find(excluded, excluded + excludedCount, lastObject) != excluded + excludedCount ||
                          g_RigidBodySimulation.IsBodyObject(lastObject) ||
                          (lastBody && m_Params.m_bDisableCollisionsWithOtherPhysics);
        }
        if (lastSkipped || !BoxesMeet(t.m_vMin, t.m_vMax, m_vGatherMin, m_vGatherMax)) continue;
        RigidBodyFace& f = m_Faces.emplace_back();
        for (int k = 0; k < 3; ++k) f.corners[k] = ToVec3d(t.m_vCorners[k]);
        const Vec3d n = Cross(f.corners[1] - f.corners[0], f.corners[2] - f.corners[0]);
        const double length = Length(n);
        f.normal = length > 0 ? n * (1.0 / length) : Vec3d{0, 1, 0};
        f.min = t.m_vMin;
        f.max = t.m_vMax;
        f.object = t.m_hObject;
        f.body = lastBody;
    }
}

template <class Visit>
bool ERigidBodyPhysics::VisitCrossings(const RigidBodyState& state, const char* caller, Visit visit) {
    GatherFaces(state);
    MoveParticles(state);
    const uint32_t particles = static_cast<uint32_t>(m_WorldParticles.size());
    DV64 hit;
    double t = 0;
    auto crosses = [&](const Vec3d& p0, const Vec3d& p1, const Vec3d* c) {
        const DV64 a = ToDV64(p0), b = ToDV64(p1), c0 = ToDV64(c[0]), c1 = ToDV64(c[1]), c2 = ToDV64(c[2]);
        return SegmentTriangleHitD(&a, &b, &c0, &c1, &c2, &hit, &t);
    };
    auto boxMeets = [](const Vec3d& p0, const Vec3d& p1, const DV& min, const DV& max) {
        return BoxesMeet(LowerCorner(ToDV(p0), ToDV(p1)), UpperCorner(ToDV(p0), ToDV(p1)), min, max);
    };
    for (const RigidBodyFace& f : m_Faces)
        if (boxMeets(m_State.x, state.x, f.min, f.max) && crosses(m_State.x, state.x, f.corners) &&
            visit(f, FromDV64(hit), false))
            return true;
    for (size_t tri = 0; tri + 2 < m_Indices.size(); tri += 3) {
        const uint32_t* idx = &m_Indices[tri];
        if (idx[0] >= particles || idx[1] >= particles || idx[2] >= particles) {
            // A hull triangle naming a particle the hull does not have is left out. Its first edge
            // names the bad particle as its start or, with a good start, as its end.
            char line[128];
            std::snprintf(line, sizeof line, "ERROR in ERigidBodyPhysics::%s(): %s>=m_iNumParticles", caller,
                          idx[0] >= particles ? "iP" : "jP");
            g_Console.Print(line);
            continue;
        }
        const Vec3d corners[3] = {m_WorldParticles[idx[0]], m_WorldParticles[idx[1]], m_WorldParticles[idx[2]]};
        DV hullMin = ToDV(corners[0]), hullMax = hullMin;
        for (const Vec3d& c : corners) hullMin = LowerCorner(hullMin, ToDV(c)), hullMax = UpperCorner(hullMax, ToDV(c));
        for (const RigidBodyFace& f : m_Faces) {
            if (!BoxesMeet(hullMin, hullMax, f.min, f.max)) continue;
            for (int k = 0; k < 3; ++k) {
                const Vec3d& p0 = corners[k];
                const Vec3d& p1 = corners[(k + 1) % 3];
                if (boxMeets(p0, p1, f.min, f.max) && crosses(p0, p1, f.corners) && visit(f, FromDV64(hit), false))
                    return true;
                const Vec3d& q0 = f.corners[k];
                const Vec3d& q1 = f.corners[(k + 1) % 3];
                if (boxMeets(q0, q1, hullMin, hullMax) && crosses(q0, q1, corners) && visit(f, FromDV64(hit), true))
                    return true;
            }
        }
    }
    return false;
}

bool ERigidBodyPhysics::TestCollisions(const RigidBodyState& state, bool trace) {
    return VisitCrossings(state, "TestCollisions", [&](const RigidBodyFace& f, const Vec3d&, bool worldEdge) {
        if (trace) TraceCrossing(f, worldEdge);
        return true;
    });
}

bool ERigidBodyPhysics::GetFirstCollisionNormal(const RigidBodyState& state, Vec3d* normal) {
    g_Console.Print("Get_First_Collision_Normal START");
    const bool found =
        VisitCrossings(state, "Get_First_Collision_Normal", [&](const RigidBodyFace& f, const Vec3d&, bool) {
            *normal = Dot(f.normal, state.x - f.corners[0]) < 0 ? -f.normal : f.normal;
            return true;
        });
    g_Console.Print("Get_First_Collision_Normal left.....");
    return found;
}

void ERigidBodyPhysics::GatherContacts(const RigidBodyState& state, RigidBodyContactReport* report, bool edges) {
    GatherFaces(state);
    MoveParticles(state);
    auto add = [&](uint32_t kind, const RigidBodyFace& f, const Vec3d& p, const Vec3d& n, const Vec3d& ea,
                   const Vec3d& eb) {
        if (report->count >= RigidBodyContactReport::kMaxContacts || NearContact(*report, p)) return;
        RigidBodyContact& c = report->contacts[report->count++];
        c = RigidBodyContact{kind, this, f.body, p, n, ea, eb, 0.0};
    };
    // Only faces that come within the contact distance of the hull's box can touch it.
    DV hullMin = ToDV(state.x), hullMax = hullMin;
    for (const Vec3d& p : m_WorldParticles) hullMin = LowerCorner(hullMin, ToDV(p)), hullMax = UpperCorner(hullMax, ToDV(p));
    const float reach = static_cast<float>(kContactDistance);
    hullMin = hullMin - DV{reach, reach, reach};
    hullMax = hullMax + DV{reach, reach, reach};
    for (const RigidBodyFace& f : m_Faces) {
        if (!BoxesMeet(hullMin, hullMax, f.min, f.max)) continue;
        // The face's side the body is on.
        const Vec3d n = Dot(f.normal, state.x - f.corners[0]) < 0 ? -f.normal : f.normal;
        if (!edges) {
            for (const Vec3d& p : m_WorldParticles) {
                const double d = Dot(n, p - f.corners[0]);
                if (d < -kContactBelow || d > kContactDistance || !InsideTriangle(p, f.corners, n)) continue;
                add(1, f, p - n * d, n, {}, {});
            }
            continue;
        }
        for (size_t tri = 0; tri + 2 < m_Indices.size(); tri += 3)
            for (int k = 0; k < 3; ++k) {
                const DV a0 = ToDV(m_WorldParticles[m_Indices[tri + k]]);
                const DV a1 = ToDV(m_WorldParticles[m_Indices[tri + (k + 1) % 3]]);
                if (!BoxesMeet(LowerCorner(a0, a1) - DV{reach, reach, reach}, UpperCorner(a0, a1) + DV{reach, reach, reach},
                               f.min, f.max))
                    continue;
                for (int e = 0; e < 3; ++e) {
                    const DV b0 = ToDV(f.corners[e]), b1 = ToDV(f.corners[(e + 1) % 3]);
                    float s = 0, t = 0;
                    if (SegmentSegmentDistance(&a0, &a1, &b0, &b1, &s, &t) > kContactDistance) continue;
                    if (s <= 0.0f || s >= 1.0f || t <= 0.0f || t >= 1.0f) continue;
                    const Vec3d ea = ToVec3d(a1 - a0), eb = ToVec3d(b1 - b0);
                    Vec3d en = Cross(ea, eb);
                    const double length = Length(en);
                    if (length == 0.0) continue;
                    en = en * (1.0 / length);
                    if (Dot(en, n) < 0) en = -en;
                    add(2, f, ToVec3d(b0) + eb * t, en, ea, eb);
                }
            }
    }
}

bool ERigidBodyPhysics::HitBySegment(const Vec3d& start, const Vec3d& end, const Vec3d& impulse) {
    MoveParticles(m_State);
    const DV64 a = ToDV64(start), b = ToDV64(end);
    double nearest = 2.0;
    DV64 nearestPoint;
    for (size_t tri = 0; tri + 2 < m_Indices.size(); tri += 3) {
        const DV64 c0 = ToDV64(m_WorldParticles[m_Indices[tri]]), c1 = ToDV64(m_WorldParticles[m_Indices[tri + 1]]),
                   c2 = ToDV64(m_WorldParticles[m_Indices[tri + 2]]);
        DV64 hit;
        double t = 0;
        if (SegmentTriangleHitD(&a, &b, &c0, &c1, &c2, &hit, &t) && t < nearest) {
            nearest = t;
            nearestPoint = hit;
        }
    }
    if (nearest > 1.0) return false;
    ApplyImpulse(FromDV64(nearestPoint), impulse);
    return true;
}
