#include "collision/ERigidBodySimulation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "collision/ERigidBodyJointsMgr.h"
#include "collision/ERigidBodyQP.h"
#include "collision/RigidBodyHooks.h"
#include "collision/RigidBodyParametersMgr.h"
#include "core/EConsole.h"
#include "core/QueryAppTimer.h"
#include "platform/os/Random.h"

ERigidBodySimulation g_RigidBodySimulation;

namespace {

constexpr double kMaxFrameTime = 0.1;
constexpr double kFinishedWithin = 0.0001;
// Restitution of colliding contacts: the right-hand side is this times the approaching speed.
constexpr double kBounce = 1.41;
// Slower than this a contact is resting: it is stopped, not bounced, or the speed gravity adds
// in a step would come back as a lift and the body would creep upwards.
constexpr double kRestingSpeed = 30.0;

double Response(double dVrel) { return (dVrel > -kRestingSpeed ? 1.0 : kBounce) * dVrel; }
// A colliding step settles the body's spin when its contacts approached slower than the first
// speed (about 0.6 m/s) and the response left it slower than the second (under a metre per
// second); the spin is then divided by the loss.
constexpr double kSettlingApproach = 40.0;
constexpr double kSettlingSpeed = 60.0;
constexpr double kSettlingSpinLoss = 1.1;
// The time-of-contact search: the first trial covers this distance, and the search ends when the
// free and the penetrating positions are nearer than it.
constexpr double kContactSearchDistance = 0.1;
constexpr double kContactSearchMinHalf = 0.0001;
constexpr int kContactSearchMinHalvings = 6;
constexpr int kPushes = 4;
constexpr double kUnstickMove = 0.7;
constexpr int kOneByOnePasses = 4;
// Keep-awake windows.
constexpr double kAlwaysAwake = 0.8;
constexpr double kAwakeAtMost = 10.0;
constexpr double kJointBoundAwake = 25.0;
constexpr double kMovingSpeedSq = 100.0;
constexpr double kMovingDistance = 0.1;
// Collision sounds: contacts approaching faster than this sound, at most this often.
constexpr double kSoundSpeed = 10.0;
constexpr double kSoundInterval = 0.15;

// How fast the contact's two sides approach (negative) or part along its normal; a fixed object
// has no velocity.
double RelativeNormalSpeed(const RigidBodyContact& c) {
    const Vec3d va = c.a ? c.a->PointVelocity(c.p) : Vec3d{};
    const Vec3d vb = c.b ? c.b->PointVelocity(c.p) : Vec3d{};
    return Dot(c.n, va - vb);
}

}  // namespace

void ERigidBodySimulation::DeleteTemporaryObjects() {
    for (EObjectSlot*& object : m_hTemporary) {
        if (object) g_RigidBodyHooks.deleteObject(object);
        object = nullptr;
    }
}

void ERigidBodySimulation::ReleaseBodies() {
    for (uint32_t i = 0; i < m_uBodies; ++i) {
        BodySlot& slot = m_Slots[i];
        if (slot.body) g_RigidBodyJointsMgr.RemoveBodyJoints(slot.body->m_hObject);
        delete slot.body;
        slot = BodySlot{};
    }
    m_uBodies = 0;
    m_uActiveBodies = 0;
}

bool ERigidBodySimulation::Init() {
    Shutdown();
    ReleaseBodies();
    m_uBodies = 0;
    m_uActiveBodies = 0;
    DeleteTemporaryObjects();
    plat::SeedRandom(static_cast<uint32_t>(100.0 * QueryAppTimer(TIMER_GETAPPTIME)));
    g_RigidBodyParametersMgr.Init();
    m_bInitialised = 1;
    return true;
}

void ERigidBodySimulation::Shutdown() {
    if (!m_bInitialised) return;
    ReleaseBodies();
    DeleteTemporaryObjects();
    g_RigidBodyParametersMgr.Release();
}

uint32_t ERigidBodySimulation::SaveGame(EObjectSlot* object, FILE* file) {
    if (!object || !file) return 0;
    const uint8_t none = 0;
    return static_cast<uint32_t>(std::fwrite(&none, 1, 1, file));
}

void ERigidBodySimulation::LoadGame(EObjectSlot* object, const char* objectName, FILE* file) {
    if (!object || !file) return;
    uint8_t saved = 0;
    if (std::fread(&saved, 1, 1, file) != 1 || !saved) return;
    g_Console.Print("ERROR in ERigidBodySimulation::LoadGame()");
    g_Console.PrintStr3("obiekt <", objectName ? objectName : "", "> ma zapisana fizyke i musze ja odczytac, ale");
    g_Console.Print("fizyka dla niego nie jest zainicjowana i");
    g_Console.Print("nie mam dokad zapisac tych parametrow!");
    std::vector<char> skipped(kSavedBodyBytes);
    const size_t read = std::fread(skipped.data(), 1, skipped.size(), file);
    (void)read;
}

void ERigidBodySimulation::RemoveObjectJoints(EObjectSlot* object) {
    if (object) g_RigidBodyJointsMgr.RemoveBodyJoints(object);
}

ERigidBodyPhysics* ERigidBodySimulation::AddBody(EObjectSlot* object) {
    uint32_t index = 0;
    while (index < m_uBodies && m_Slots[index].used) ++index;
    if (index >= kMaxBodies) return nullptr;
    auto* body = new ERigidBodyPhysics;
    if (!body->Create(object)) {
        delete body;
        return nullptr;
    }
    BodySlot& slot = m_Slots[index];
    slot = BodySlot{};
    slot.used = 1;
    slot.body = body;
    std::fill(std::begin(slot.states), std::end(slot.states), body->m_State);
    m_uBodies = std::max(m_uBodies, index + 1);
    return body;
}

ERigidBodyPhysics* ERigidBodySimulation::GetObjectBody(EObjectSlot* object) const {
    if (!object) return nullptr;
    for (uint32_t i = 0; i < m_uBodies; ++i)
        if (m_Slots[i].used && m_Slots[i].body->m_hObject == object) return m_Slots[i].body;
    return nullptr;
}

ERigidBodyPhysics* ERigidBodySimulation::BodyOfConstruction(EObjectSlot* object) const {
    if (!object) return nullptr;
    for (uint32_t i = 0; i < m_uBodies; ++i)
        if (m_Slots[i].used && m_Slots[i].body->m_hConstruction == object) return m_Slots[i].body;
    return nullptr;
}

int ERigidBodySimulation::SlotOf(const ERigidBodyPhysics* body) const {
    for (uint32_t i = 0; i < m_uBodies; ++i)
        if (m_Slots[i].used && m_Slots[i].body == body) return static_cast<int>(i);
    return -1;
}

bool ERigidBodySimulation::IsBodyObject(EObjectSlot* object) const { return GetObjectBody(object) != nullptr; }

void ERigidBodySimulation::RemoveObjectBody(EObjectSlot* object) {
    for (uint32_t i = 0; i < m_uBodies; ++i) {
        BodySlot& slot = m_Slots[i];
        if (!slot.used || slot.body->m_hObject != object) continue;
        g_RigidBodyJointsMgr.RemoveBodyJoints(object);
        if (slot.body->m_bActive) slot.body->Sleep();
        delete slot.body;
        slot = BodySlot{};
        return;
    }
}

void ERigidBodySimulation::JointPass() {
    g_RigidBodyJointsMgr.m_bInFrame = 1;
    g_RigidBodyJointsMgr.Update();
    g_RigidBodyJointsMgr.m_bInFrame = 0;
}

// Whether one of the body's joints holds it to an object flagged as a general rigid body: such a
// chain moves as a whole, and one part asleep would hold the others still.
bool ERigidBodySimulation::JoinedToGeneralBody(const ERigidBodyPhysics* body) const {
    for (const RigidBodyJoint& joint : g_RigidBodyJointsMgr.m_Joints) {
        if (!joint.m_bUsed || (joint.m_pBodyA != body && joint.m_pBodyB != body)) continue;
        EObjectSlot* other = joint.m_pBodyA == body ? joint.m_hObjectB : joint.m_hObjectA;
        RigidBodyObjectFacts facts;
        if (other && g_RigidBodyHooks.objectFacts(other, &facts) && facts.params && facts.params->m_bGeneral)
            return true;
    }
    return false;
}

bool ERigidBodySimulation::KeepAwake(BodySlot& slot) {
    ERigidBodyPhysics* body = slot.body;
    const double awake = body->m_dAwakeTime;
    bool keep = false;
    if (slot.stepResult == STEP_NO_CONTACT) {
        // Touching nothing, it is falling or flying: asleep it would hang in the air.
        keep = true;
    } else if (body->m_Params.m_bJoint) {
        keep = JoinedToGeneralBody(body) || awake <= kJointBoundAwake;
    } else if (awake <= kAlwaysAwake) {
        keep = true;
    } else if (awake <= kAwakeAtMost) {
        const RigidBodyState& s = body->m_State;
        bool moved = false;
        for (int k = 0; k < 3; ++k) moved |= Length(slot.states[k].x - slot.states[k + 1].x) >= kMovingDistance;
        keep = Dot(s.v, s.v) + Dot(s.omega, s.omega) >= kMovingSpeedSq && moved;
    }
    if (keep) return true;
    body->Sleep();
    RigidBodyState s = body->m_State;
    s.P = s.L = {};
    body->SetNewState(s);
    return false;
}

void ERigidBodySimulation::Update(double frameTime) {
    const double dt = std::min(frameTime, kMaxFrameTime);
    const double end = dt;
    for (uint32_t i = 0; i < m_uBodies; ++i)
        if (m_Slots[i].used) {
            m_Slots[i].finished = 0;
            m_Slots[i].body->m_State.t = 0;
        }
    auto writeBackActive = [&] {
        uint32_t n = 0;
        for (uint32_t i = 0; i < m_uBodies; ++i)
            if (m_Slots[i].used && m_Slots[i].body->m_bActive) m_Slots[i].body->WriteBack(), ++n;
        return n;
    };
    for (int pass = 0; pass < 2; ++pass) {
        JointPass();
        writeBackActive();
        for (uint32_t i = 0; i < m_uBodies; ++i) {
            BodySlot& slot = m_Slots[i];
            if (!slot.used || !slot.body->m_bActive) continue;
            std::copy_backward(slot.states, slot.states + 3, slot.states + 4);
            slot.states[0] = slot.body->m_State;
        }
        for (uint32_t i = 0; i < m_uBodies; ++i) {
            BodySlot& slot = m_Slots[i];
            if (!slot.used || !slot.body->m_bActive || slot.finished || !KeepAwake(slot)) continue;
            ERigidBodyPhysics* body = slot.body;
            body->ApplySpeedCaps();
            const double t = slot.states[0].t;
            const double h = std::min(dt, end - t);
            double advanced = 0;
            slot.stepResult = StepBody(i, t, h, &advanced);
            body->WriteBack();
            body->m_State.t = t + advanced;
            if (end - body->m_State.t <= kFinishedWithin) slot.finished = 1;
            ++body->m_uSteps;
        }
    }
    JointPass();
    m_uBodiesStepped = writeBackActive();
    for (uint32_t i = 0; i < m_uBodies; ++i) {
        BodySlot& slot = m_Slots[i];
        if (!slot.used || !slot.body->m_bActive) continue;
        ERigidBodyPhysics* body = slot.body;
        body->m_dAwakeTime += dt;
        if (body->m_bSoundWaiting) body->m_dSilenceTime += dt;
        body->m_dTimeSinceCollisionSound += dt;
        body->m_dTimeSinceSoundMoved += dt;
    }
}

bool ERigidBodySimulation::FreeFromPenetration(ERigidBodyPhysics* body, RigidBodyState* state) {
    for (int push = 0; push < kPushes; ++push) {
        Vec3d n;
        if (!body->GetFirstCollisionNormal(*state, &n)) return true;
        n = n * 0.5;
        n.y = std::max(n.y, 0.0);
        state->x += n;
        if (!body->TestCollisions(*state)) return true;
    }
    return TryUnstickMoves(body, state);
}

bool ERigidBodySimulation::TryUnstickMoves(ERigidBodyPhysics* body, RigidBodyState* state) {
    static constexpr Vec3d kMoves[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    int order[6] = {0, 1, 2, 3, 4, 5};
    for (int i = 5; i > 0; --i) std::swap(order[i], order[plat::Random() % (i + 1)]);
    const Vec3d start = body->m_State.x;
    for (int k : order) {
        RigidBodyState trial = *state;
        trial.x = start + kMoves[k] * kUnstickMove;
        if (!body->TestCollisions(trial)) {
            *state = trial;
            return true;
        }
    }
    return false;
}

uint32_t ERigidBodySimulation::StepBody(uint32_t index, double t, double h, double* advanced) {
    ERigidBodyPhysics* body = m_Slots[index].body;
    *advanced = 0;
    m_Colliding.count = 0;
    RigidBodyState start = body->m_State;
    if (body->TestCollisions(start)) {
        if (!FreeFromPenetration(body, &start)) {
            if (body->m_Params.m_bPresets[1]) g_RigidBodyHooks.markStuck(body->m_hObject);
            return STEP_STUCK;
        }
        body->SetNewState(start);
    }
    RigidBodyState reached;
    body->Integrate(t, t + h, &reached, true);
    if (!body->TestCollisions(reached)) {
        *advanced = reached.t - t;
    } else {
        // Search the time of contact: the latest free state before the penetration.
        RigidBodyState good = body->m_State, bad = reached, trial;
        double accepted = 0;
        const double speed = Length(body->m_State.v);
        if (speed > 0) {
            const double first = std::min(h, kContactSearchDistance / speed);
            body->Integrate(t, t + first, &trial, false);
            if (!body->TestCollisions(trial)) {
                accepted = first;
                good = trial;
                double half = (h - first) / 2;
                for (int halvings = 1;; ++halvings, half /= 2) {
                    body->Integrate(t, t + accepted + half, &trial, false);
                    if (body->TestCollisions(trial)) {
                        bad = trial;
                    } else {
                        accepted += half;
                        good = trial;
                    }
                    if (Length(good.x - bad.x) < kContactSearchDistance ||
                        (half < kContactSearchMinHalf && halvings >= kContactSearchMinHalvings))
                        break;
                }
            }
        }
        *advanced = accepted;
        reached = good;
        reached.t = t + accepted;
    }
    body->SetNewState(reached);
    m_Report.count = 0;
    body->GatherContacts(reached, &m_Report, false);
    if (!m_Report.count) body->GatherContacts(reached, &m_Report, true);
    if (!m_Report.count) {
        // Held where it was yet touching nothing, it is caught where no contact shows: a small
        // random move shakes it loose, once. A body that moved is falling or hopping and is left
        // alone: shaken at every lost contact, a resting body would jitter and climb.
        if (*advanced == 0 && m_Slots[index].stepResult != STEP_NO_CONTACT && TryUnstickMoves(body, &reached))
            body->SetNewState(reached);
        return STEP_NO_CONTACT;
    }
    ClassifyContacts(m_Report, false);
    if (m_Colliding.count) {
        RigidBodyState& s = body->m_State;
        s.linearEnergy = body->LinearEnergy();
        s.rotationalEnergy = body->RotationalEnergy();
        const double before = s.linearEnergy + s.rotationalEnergy;
        if (!ResolveCollisions()) ResolveOneByOne();
        m_RestingRaport.count = 0;
        // A response never adds energy: what it added is taken off both speeds alike.
        const double after = body->LinearEnergy() + body->RotationalEnergy();
        if (after > before && after > 0) {
            const double k = std::sqrt(before / after);
            body->SetVelocity(body->m_State.v * k);
            body->SetOmega(body->m_State.omega * k);
        }
        SettleSpin(body);
    }
    return STEP_MOVED;
}

// A body that touches down gently and is left nearly still by the response is settling: the spin
// it keeps would only rock it on its corners, each rock a new gentle touch, and it would never
// fall asleep. Such a touch takes a share of the spin away (never adds any); a real impact, or a
// body still moving on, keeps its spin.
void ERigidBodySimulation::SettleSpin(ERigidBodyPhysics* body) {
    double fastestApproach = 0;
    for (uint32_t i = 0; i < m_Colliding.count; ++i)
        fastestApproach = std::max(fastestApproach, -m_Colliding.contacts[i].dVrel);
    if (fastestApproach >= kSettlingApproach || Length(body->m_State.v) >= kSettlingSpeed) return;
    body->CapSpin(Length(body->m_State.omega) / kSettlingSpinLoss);
}

void ERigidBodySimulation::ClassifyContacts(const RigidBodyContactReport& report, bool trace) {
    m_Colliding.count = 0;
    m_RestingRaport.count = 0;
    if (trace) {
        g_Console.Print("\n*******************************************");
        g_Console.Print("ClassifyContacts()  ENTER!");
    }
    for (uint32_t i = 0; i < report.count; ++i) {
        RigidBodyContact c = report.contacts[i];
        const double length = Length(c.n);
        c.n = c.n * (1.0 / (length > 0 ? length : 1.0));
        c.dVrel = RelativeNormalSpeed(c);
        const char* type = c.kind == 2 ? "Edge/Edge" : "Vertex/Face";
        char line[160];
        if (c.dVrel >= 0) {
            // Separating: nothing to answer.
            if (trace) {
                std::snprintf(line, sizeof line, "Moving Away Contact - FORGET IT!, dVrel=%lf, type=%s", c.dVrel, type);
                g_Console.Print(line);
            }
            continue;
        }
        if (trace) {
            std::snprintf(line, sizeof line, "Colliding Contact nr %d, dVrel=%lf, type=%s", static_cast<int>(i), c.dVrel,
                          type);
            g_Console.Print(line);
        }
        m_Colliding.contacts[m_Colliding.count++] = c;
    }
    if (trace) {
        g_Console.Print("ClassifyContacts()  Left...");
        g_Console.Print("*******************************************\n");
    }
}

double ERigidBodySimulation::ImpulseResponse(const RigidBodyContact& ci, const RigidBodyContact& cj) const {
    Vec3d total;
    for (int side = 0; side < 2; ++side) {
        const ERigidBodyPhysics* body = side == 0 ? cj.a : cj.b;
        if (!body) continue;
        const Vec3d impulse = side == 0 ? cj.n : -cj.n;
        const RigidBodyState& s = body->m_State;
        const Vec3d rj = cj.p - s.x, ri = ci.p - s.x;
        const Vec3d dv = impulse * (1.0 / s.mass) + Cross(Transform(s.Iinv, Cross(rj, impulse)), ri);
        if (body == ci.a) total += dv;
        if (body == ci.b) total -= dv;
    }
    return Dot(ci.n, total);
}

void ERigidBodySimulation::ApplyContactImpulse(const RigidBodyContact& c, double magnitude) {
    const Vec3d j = c.n * magnitude;
    if (c.a) c.a->ApplyImpulse(c.p, j);
    if (c.b) {
        c.b->Activate();
        c.b->ApplyImpulse(c.p, -j);
    }
}

bool ERigidBodySimulation::ResolveCollisions() {
    const uint32_t n = m_Colliding.count;
    if (n > kMaxCollidingContacts) return false;
    static double A[kMaxCollidingContacts * kMaxCollidingContacts];
    static double b[kMaxCollidingContacts];
    for (uint32_t i = 0; i < n; ++i) {
        for (uint32_t j = 0; j < n; ++j) A[i * n + j] = ImpulseResponse(m_Colliding.contacts[i], m_Colliding.contacts[j]);
        b[i] = Response(m_Colliding.contacts[i].dVrel);
    }
    if (!g_RigidBodyQP.ComputeForces(n, A, b, true)) return false;
    for (uint32_t i = 0; i < n; ++i) ApplyContactImpulse(m_Colliding.contacts[i], g_RigidBodyQP.f[i]);
    return true;
}

void ERigidBodySimulation::ResolveRestingContacts() {
    const uint32_t n = m_RestingRaport.count;
    if (!n) return;
    if (n >= kMaxRestingContacts) {
        g_Console.Print("ERROR in void ERigidBodySimulation::ResolveRestingContacts():  m_RestingRaport.iNumContacts too big....");
        return;
    }
    static double A[kMaxRestingContacts * kMaxRestingContacts];
    static double b[kMaxRestingContacts];
    bool approaching = false;
    for (uint32_t i = 0; i < n; ++i) {
        const RigidBodyContact& ci = m_RestingRaport.contacts[i];
        // Contacts that share no body do not push on each other: ImpulseResponse gives 0 for them.
        for (uint32_t j = 0; j < n; ++j) A[i * n + j] = ImpulseResponse(ci, m_RestingRaport.contacts[j]);
        // A resting contact is only stopped, never bounced.
        b[i] = RelativeNormalSpeed(ci);
        approaching |= b[i] < 0;
    }
    if (!approaching || !g_RigidBodyQP.ComputeForces(n, A, b, true)) return;
    for (uint32_t i = 0; i < n; ++i) ApplyContactImpulse(m_RestingRaport.contacts[i], g_RigidBodyQP.f[i]);
}

// When the contacts' system cannot be solved together, each contact in turn is stopped from
// approaching, a few times over.
void ERigidBodySimulation::ResolveOneByOne() {
    for (int pass = 0; pass < kOneByOnePasses; ++pass)
        for (uint32_t i = 0; i < m_Colliding.count; ++i) {
            const RigidBodyContact& c = m_Colliding.contacts[i];
            const double dVrel = RelativeNormalSpeed(c);
            const double k = ImpulseResponse(c, c);
            if (dVrel < 0 && k > 0) ApplyContactImpulse(c, -Response(dVrel) / k);
        }
}

void ERigidBodySimulation::GenerateSoundsFromCollisions_VER_2(ERigidBodyPhysics* body) {
    const RigidBodyPhysicsParams& p = body->m_Params;
    if (!m_Colliding.count || body->m_dTimeSinceCollisionSound < kSoundInterval) return;
    int places = 0;
    for (int i = 0; i < 6; ++i)
        if (p.m_szCollisionSounds[i][0]) places = i + 1;
    if (!p.m_szCollisionSound[0] && !places) return;
    for (uint32_t i = 0; i < m_Colliding.count; ++i) {
        const RigidBodyContact& c = m_Colliding.contacts[i];
        if (c.dVrel >= 0 || -c.dVrel <= kSoundSpeed) continue;
        const char* name = p.m_szCollisionSound[0] ? p.m_szCollisionSound : p.m_szCollisionSounds[plat::Random() % places];
        const float volume = static_cast<float>(std::clamp((-c.dVrel - kSoundSpeed) / 100.0, 0.0, 1.0));
        if (!g_RigidBodyHooks.playSoundAt(name, ToDV(c.p), volume, p.m_fCollisionSoundDistance)) {
            g_Console.Print("Error in ERigidBodySimulation::GenerateSoundsFromCollisions_VER_2(): sound not created...");
            g_Console.Print(name);
            return;
        }
        body->m_dTimeSinceCollisionSound = 0;
    }
}

void ERigidBodySimulation::GenerateImpactSounds(ERigidBodyPhysics* body) {
    const double range = body->m_Params.m_fCollisionSoundDistance;
    const Vec3d camera = ToVec3d(g_RigidBodyHooks.cameraPosition());
    for (uint32_t i = 0; i < m_Colliding.count; ++i) {
        const RigidBodyContact& c = m_Colliding.contacts[i];
        if (c.dVrel >= -kSoundSpeed) continue;
        const double d = Length(c.p - camera);
        if (d > range) continue;
        const double strength = (400 - (-c.dVrel - kSoundSpeed)) * 20 / 400;
        double distance = 0;
        if (d > 0.25 * range) {
            const double beyond = d - 0.25 * range;
            distance = beyond <= 0.7 * range ? 30 * beyond / (0.7 * range) : 70 * (beyond - 0.7 * range) / (0.05 * range) + 30;
        }
        const float attenuation = static_cast<float>(strength + distance);
        int channel = -1;
        for (int k = 0; k < 2 && channel < 0; ++k)
            if (!g_RigidBodyHooks.impactChannelPlaying(body, k)) channel = k;
        // Both playing: a louder impact takes the place of a quieter one.
        for (int k = 0; k < 2 && channel < 0; ++k)
            if (body->m_fImpactAttenuation[k] >= attenuation) channel = k;
        if (channel < 0) continue;
        body->m_fImpactAttenuation[channel] = attenuation;
        g_RigidBodyHooks.playImpactChannel(body, channel, attenuation);
    }
}
