// Bales: a baler starts its next bale, a cube baler shows the bale growing in its chamber, and a
// finished bale leaves the machine (a round baler opens its gate first) and becomes a free body.
#include <cmath>

#include "core/EConsole.h"
#include "mesh/MeshParams.h"
#include "render/EFXMgr.h"
#include "vehicles/Physics.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

constexpr const char* kCubeBaleModel = "prefabs\\obiekty\\snopek.x";
constexpr const char* kRoundBaleModel = "prefabs\\obiekty\\bala.x";
constexpr const char* kBalingEffect = "e_belowanie";
constexpr const char* kBaleSocket = "bela";
constexpr uint32_t kBaleFlags = 1;
constexpr uint32_t kBaleFlags2 = 32;
constexpr float kQuarterTurn = static_cast<float>(M_PI) / 2;
// The round baler's gate opens and closes at this rate (radians per second) and lets the bale go
// once open this far.
constexpr float kGateRate = 0.6f;
constexpr float kGateOpen = 1.2f;
constexpr float kCubeTravelRate = 1.6f;
constexpr float kRoundTravelRate = 1.4f;
// Out of the chamber: beyond this travel the bale falls free.
constexpr float kTravelOut = 3.0f;
constexpr float kDropFrom = 0.6f;
constexpr float kMaxDrop = 0.3f;
constexpr float kCubeDropFactor = 0.4f;
constexpr float kCubeStep = 0.1f;
constexpr float kCubeSteppedTravel = 2.0f;
constexpr float kRoundBaleRoll = -1.8f;
constexpr float kCubeBaleMass = 60.0f;
constexpr float kRoundBaleMass = 400.0f;
constexpr float kCubeKick = 60.0f;
constexpr float kCubeKickUp = -30.0f;
constexpr float kRoundKick = 100.0f;
// A chamber bale steps back by an eighth for every unit of this progress.
constexpr float kChamberProgressScale = -1.6f;

enum BaleState : int32_t { kIdle = -1, kNew = 0, kTravelling = 1, kClosing = 2 };

void Turn(EOrientation& o, const DV& axis, float angle) {
    const DV a = axis;
    o.RotateAxis(&a, angle);
}

void BalingEffect(const DV& at) { g_FXMgr.AddFXByName(kBalingEffect, &at, nullptr); }

bool IsBaler(const Truck* t) { return t->m_bPrasa || t->m_bKostkujaca; }

}  // namespace

void Physics::StartBale(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !IsBaler(t) || t->m_iBaleState != kIdle) return;
    t->m_iBaleState = kNew;
    t->m_dBaleProgress = 0;
    t->m_fBaleTravel = 0;
    t->m_fGateAngle = 0;
    EObjectSlot* bale = nullptr;
    if (t->m_bKostkujaca) {
        const DV at = t->m_pChamberBale ? t->m_pChamberBale->m_vPosition : object->m_vPosition;
        bale = g_Engine.CreateObject(OT_MESH, kCubeBaleModel, kBaleFlags, kBaleFlags2, &at, nullptr);
        if (bale) bale->m_fCameraDistance = 1.0f;
        BalingEffect(at);
        BalingEffect(at);
    } else {
        // Out of sight until the gate opens and the bale sits on its socket.
        const DV away{0, -1000, 0};
        bale = g_Engine.CreateObject(OT_MESH, kRoundBaleModel, kBaleFlags, kBaleFlags2, &away, nullptr);
    }
    if (!bale) {
        g_Console.Print("FATAL - nie moge wyrzucic beli!");
        t->m_iBaleState = kIdle;
        return;
    }
    g_Engine.SetObjectScaling(bale, DV{1, 1, 1});
    t->m_pBaleInFlight = bale;
}

void Physics::UpdateCubeBale(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_bKostkujaca || !t->m_pChamberBale) return;
    DV p = object->m_vPosition;
    EOrientation o = object->m_Orientation;
    ReadSocket(object, kBaleSocket, &p, &o);
    const double g = t->m_dBaleProgress * kChamberProgressScale;
    if (static_cast<int>(10 * g) % 2 != 0) BalingEffect(p);
    const int eighths = static_cast<int>(8 * g);
    p = p + o.m_Front * (static_cast<float>(eighths) / 8.0f);
    g_Engine.SetObjectScaling(t->m_pChamberBale, DV{1, 1, 1});
    g_Engine.SetObjectTransform(t->m_pChamberBale, p, o, true, false);
}

void Physics::EjectBale(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || t->m_iBaleState == kIdle) return;
    const bool cube = t->m_bKostkujaca != 0;
    const float dt = m_fFrameTime;
    DV p = object->m_vPosition;
    EOrientation o = object->m_Orientation;
    ReadSocket(object, kBaleSocket, &p, &o);
    const DV front = o.m_Front;
    // A cube bale leaves lengthwise across the chamber; a round bale lies with its axis across the
    // machine, so that it rolls out backwards.
    if (cube) Turn(o, o.m_Up, kQuarterTurn);
    else Turn(o, o.m_Front, kQuarterTurn);
    EObjectSlot* bale = t->m_pBaleInFlight;

    if (t->m_iBaleState == kNew) {
        if (cube) {
            t->m_iBaleState = kTravelling;
            return;
        }
        if (bale) g_Engine.SetObjectTransform(bale, p, o, true, false);
        t->m_fGateAngle += kGateRate * dt;
        if (t->m_fGateAngle > kGateOpen) t->m_iBaleState = kTravelling;
    } else if (t->m_iBaleState == kTravelling) {
        const float before = t->m_fBaleTravel;
        t->m_fBaleTravel += (cube ? kCubeTravelRate : kRoundTravelRate) * dt;
        const float travel = t->m_fBaleTravel;
        if (static_cast<int>(5 * travel) != static_cast<int>(5 * before)) BalingEffect(p);
        float shown = travel;
        if (cube && travel < kCubeSteppedTravel) shown = std::floor(travel / kCubeStep) * kCubeStep;
        DV at = p - front * shown;
        if (travel > kDropFrom) at.y -= std::fmin(travel - kDropFrom, kMaxDrop) * (cube ? kCubeDropFactor : 1.0f);
        if (!cube) Turn(o, o.m_Up, kRoundBaleRoll * travel);
        if (bale) g_Engine.SetObjectTransform(bale, at, o, true, false);
        if (travel <= kTravelOut) return;
        t->m_iBaleState = kClosing;
        if (bale) {
            RigidBodyPhysicsParams params;
            params.m_uBodyKind = cube ? 1 : 2;
            params.m_fMass = cube ? kCubeBaleMass : kRoundBaleMass;
            CreateObjectBody(bale, &params);
            const DV kick = cube ? DV{-front.x * kCubeKick, kCubeKickUp, -front.z * kCubeKick} : front * -kRoundKick;
            g_Console.Print("Wyrzucam bele z fizyka!");
            ApplyImpulseToObject(bale, &kick);
        }
        t->m_pBaleInFlight = nullptr;
    } else if (t->m_iBaleState == kClosing) {
        if (cube) {
            t->m_iBaleState = kIdle;
            return;
        }
        t->m_fGateAngle -= kGateRate * dt;
        if (t->m_fGateAngle <= 0) {
            t->m_fGateAngle = 0;
            t->m_iBaleState = kIdle;
        }
    }
}
