// The working implements' lifts: a plough, planter, seeder or mower is lowered into the ground to
// work and raised to drive. The player's keys toggle them (the tractor's linkage plays the
// movement); each frame the lift value moves at the implement's own rates until it is fully down
// (state 1) or up (state 4), and the coupling's limits follow it (SyncTruckObjects).
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

enum LiftState : int32_t { kLowered = 1, kRaising = 2, kLowering = 3, kRaised = 4 };

// How one implement moves: per second while raising and while lowering (signed), and where each
// movement ends.
struct LiftRates {
    float raising, raisedAt;
    float lowering, loweredAt;
};
constexpr LiftRates kPloughRates{0.3f, 0.3f, -0.81f, 0.01f};
constexpr LiftRates kPlanterRates{-0.4f, -0.4f, 0.8f, 0.05f};
constexpr LiftRates kSeederRates{-0.44f, -0.4f, 0.88f, 0.05f};
constexpr LiftRates kMowerRates{-0.9f, -0.4f, 0.9f, 0.05f};

bool Beyond(float value, float rate, float end) { return rate > 0 ? value > end : value < end; }

// A movement ends only once the value has passed its end: landing exactly on it waits a frame.
void StepLift(float dt, float& lift, int32_t& state, const LiftRates& r) {
    if (state == kRaising) {
        lift += r.raising * dt;
        if (Beyond(lift, r.raising, r.raisedAt)) {
            lift = r.raisedAt;
            state = kRaised;
        }
    } else if (state == kLowering) {
        lift += r.lowering * dt;
        if (Beyond(lift, r.lowering, r.loweredAt)) {
            lift = r.loweredAt;
            state = kLowered;
        }
    }
}

// Raised goes down, lowered goes up; a lift still moving ignores the key. The player's tractor
// shows the movement on its linkage (its clips play at the skinned meshes' one speed).
void ToggleLift(int32_t& state) {
    EObjectSlot* vehicle = g_Player.m_pVehicle;
    Truck* tractor = vehicle ? vehicle->m_hTruck : nullptr;
    if (!tractor) return;
    const char* animation = nullptr;
    if (state == kRaised) {
        animation = "opuszcza";
        state = kLowering;
    } else if (state == kLowered) {
        animation = "podnosi";
        state = kRaising;
    }
    if (animation && tractor->m_pLinkage) g_Engine.SetObjectAnimation(tractor->m_pLinkage, animation, false, 0);
}

Truck* Implement(EObjectSlot* object, uint8_t Truck::*kind) {
    Truck* t = object ? object->m_hTruck : nullptr;
    return t && t->*kind ? t : nullptr;
}

// Lifts move only while the implement hangs on a machine.
bool Coupled(const Truck* t) { return t->m_pPartner && t->m_pPartner->m_hTruck; }

}  // namespace

void Physics::TogglePloughLift(EObjectSlot* object) {
    if (Truck* t = Implement(object, &Truck::m_bPlug)) ToggleLift(t->m_iPloughLiftState);
}

void Physics::TogglePlanterLift(EObjectSlot* object) {
    if (Truck* t = Implement(object, &Truck::m_bSadzarka)) ToggleLift(t->m_iPlanterLiftState);
}

void Physics::ToggleSeederLift(EObjectSlot* object) {
    if (Truck* t = Implement(object, &Truck::m_bSiewnik)) ToggleLift(t->m_iSeederLiftState);
}

void Physics::UpdatePloughLift(float& frameTime, EObjectSlot* object) {
    if (Truck* t = Implement(object, &Truck::m_bPlug); t && Coupled(t))
        StepLift(frameTime, t->m_fPloughLift, t->m_iPloughLiftState, kPloughRates);
}

void Physics::UpdatePlanterLift(float& frameTime, EObjectSlot* object) {
    if (Truck* t = Implement(object, &Truck::m_bSadzarka); t && Coupled(t))
        StepLift(frameTime, t->m_fPlanterLift, t->m_iPlanterLiftState, kPlanterRates);
}

void Physics::UpdateSeederLift(float& frameTime, EObjectSlot* object) {
    if (Truck* t = Implement(object, &Truck::m_bSiewnik); t && Coupled(t))
        StepLift(frameTime, t->m_fSeederLift, t->m_iSeederLiftState, kSeederRates);
}

void Physics::UpdateMowerLift(float& frameTime, EObjectSlot* object) {
    if (Truck* t = Implement(object, &Truck::m_bKosa); t && Coupled(t))
        StepLift(frameTime, t->m_fMowerLift, t->m_iMowerSoundState, kMowerRates);
}
