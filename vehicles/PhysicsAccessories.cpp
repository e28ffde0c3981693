// The machines' accessories: attachments, steering wheel, driver and pistons on their sockets,
// towed trailers steering after their tractor, and the small per-truck operations of Physics.
#include <algorithm>
#include <cmath>

#include "audio/CSoundMgr.h"
#include "core/EConsole.h"
#include "core/IntersectionTests.h"
#include "core/NumericHelpers.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "collision/EIntersectSegment.h"
#include "mesh/EMesh.h"
#include "mesh/ESkinMesh.h"
#include "render/EFXMgr.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"
#include "world/IntersectFilters.h"

namespace {

constexpr float kPi = static_cast<float>(M_PI);
constexpr float kTwoPi = 2.0f * kPi;
constexpr uint32_t kDriverFlags = 0x3000181;
constexpr uint32_t kPlayerObjectFlag = 0x20000000;
constexpr uint32_t kPartFlags2 = 0x110000;
constexpr uint32_t kFlags3Part = 0x2000;
constexpr const char* kDriverModels[] = {
    "models\\postacie\\kierowcy\\english\\english.x", "models\\postacie\\kierowcy\\french\\french.x",
    "models\\postacie\\kierowcy\\german\\german.x", "models\\postacie\\kierowcy\\usa\\usa.x",
    "models\\postacie\\kierowcy\\laska_usa\\laska_usa.x"};
constexpr float kDriverPoseDistance = 30.0f;
constexpr float kStraightSteering = 0.004f;
// The driver sinks under the cabin in the camera modes that look from inside it.
constexpr float kDriverHiddenDrop = 16.0f;
constexpr uint32_t kInsideCameraModes = 2;
constexpr float kMowerSwing = 0.5f;
constexpr float kMowerSwingRate = 12.0f;
constexpr float kPipeSwingRate = 0.9f;
constexpr float kUnloadingStep = 0.05f;
constexpr double kUnloadingPerStep = 0.008;
constexpr int kUnloadingEffects = 3;
constexpr float kTrailerSteerMinCos = 0.6f;
constexpr float kImpulseSpread = 0.06f;
constexpr float kGroundProbe = 4.0f;
constexpr float kGroundMissBelowStart = 0.5f;

DV Flat(const DV& v) {
    const DV f{v.x, 0, v.z};
    const float l = pmath::Length(f);
    return l > 0 ? f * (1.0f / l) : f;
}

DV Unit(const DV& v) {
    const float l = pmath::Length(v);
    return l > 0 ? v * (1.0f / l) : v;
}

void Turn(EOrientation& o, const DV& axis, float angle) {
    const DV a = axis;
    o.RotateAxis(&a, angle);
}

void PlacePart(EObjectSlot* part, const DV& position, const EOrientation& orientation) {
    g_Engine.SetObjectTransform(part, position, orientation, true, false);
}

void ScaleIfChanged(EObjectSlot* object, const DV& scale) {
    if (object && !(object->m_vScale == scale)) g_Engine.SetObjectScaling(object, scale);
}

bool RouteFlag(uint8_t RouteTasks::*flag) {
    const RouteTasks* tasks = g_RoutesMgr.CurrentRouteTasks();
    return tasks && tasks->*flag;
}

}  // namespace

// ---- Attachments ---------------------------------------------------------------------------------

void Physics::UpdateSpinningAttachment(Truck* t, uint32_t i, float frameTime, const DV& p, EOrientation& o) {
    if (t->m_fSpinSpeed[i] == 0) return;
    Turn(o, o.m_Side, t->m_fSpinAngle[i]);
    if (!t->m_bMowingOn) return;
    t->m_fSpinAngle[i] += t->m_fSpinSpeed[i] * frameTime;
    const float w = t->m_pAttachments[i]->m_fRadius * (RouteFlag(&RouteTasks::grainDelivery) ? 1.5f : 1.0f);
    t->m_vCutterBar[0] = p - o.m_Side * w + o.m_Front * 0.5f;
    t->m_vCutterBar[1] = p + o.m_Side * w + o.m_Front * 0.5f;
}

// The combine's unloading pipe swings out and back; while it unloads, grain pours from its spout.
void Physics::UpdateSwingingAttachment(Truck* t, uint32_t i, float frameTime, EOrientation& o) {
    if (t->m_fSwingTarget[i] == 0 && !t->m_bStaly) return;
    float& angle = t->m_fSwingAngle[i];
    MoveTowards(&angle, t->m_bPipeOut ? t->m_fSwingTarget[i] : 0.0f, kPipeSwingRate * frameTime);
    Turn(o, o.m_Up, angle);
    if (t->m_fTilt[i] != 0) Turn(o, o.m_Side, t->m_fTilt[i] * angle);
    EObjectSlot* spout = t->m_bStaly ? t->m_pOwner : t->m_pAttachments[i];
    DV point;
    if (ReadSocket(spout, "zboze", &point, nullptr)) t->m_vGrainSpout = point;
    if (!t->m_bUnloading) return;
    if ((!t->m_bPipeOut && !t->m_bStaly) || t->m_dGrainFill <= 0) {
        t->m_bUnloading = 0;
        return;
    }
    t->m_fUnloadingTimer += frameTime;
    if (t->m_fUnloadingTimer <= kUnloadingStep) return;
    t->m_fUnloadingTimer = 0;
    if (ReadSocket(spout, "zboze", &point, nullptr))
        for (int e = 0; e < kUnloadingEffects; ++e)
            if (EFXInstance* fx = g_FXMgr.AddFXByName("wysyp", &point, nullptr)) fx->m_bStopOnGround = 1;
    const double poured = std::min(t->m_dGrainFill, kUnloadingPerStep);
    t->m_dGrainFill -= poured;
    t->m_dGrainPoured += poured;
}

void Physics::UpdateTruckAttachments(float frameTime, EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t) return;
    if (t->m_pSound) g_SoundMgr.SetSoundPosition(t->m_pSound, object->m_vPosition);
    if (t->m_pLinkage) {
        DV p;
        EOrientation o;
        if (ReadSocket(object, "zaczep_anim", &p, &o)) PlacePart(t->m_pLinkage, p, o);
    }
    EObjectSlot* partner = t->m_pPartner;
    for (uint32_t i = 0; i < t->m_uAttachmentCount; ++i) {
        DV p = object->m_vPosition;
        EOrientation o = object->m_Orientation;
        if (!ReadSocket(object, t->m_szAttachmentSockets[i], &p, &o))
            g_Console.PrintStr4("FAILED reading attachment socket ", t->m_szAttachmentSockets[i], " dla ", t->m_szName);
        EObjectSlot* a = t->m_pAttachments[i];
        if (!a) continue;
        if (i == 0 && t->m_bKosa) {
            p = p + o.m_Side * (kMowerSwing * std::sin(t->m_fMowerPhase));
            // The mower's lift state and its sound state are one field.
            if (t->m_iMowerSoundState == 1) {
                t->m_fMowerPhase += kMowerSwingRate * frameTime;
                if (t->m_fMowerPhase > kTwoPi) t->m_fMowerPhase -= kTwoPi;
            }
        }
        if (i == 0 && t->m_bPrasa && t->m_iBaleState != -1 && t->m_fGateAngle != 0) Turn(o, o.m_Side, t->m_fGateAngle);
        if (t->m_bKombajn) {
            UpdateSpinningAttachment(t, i, frameTime, p, o);
            UpdateSwingingAttachment(t, i, frameTime, o);
        }
        if (t->m_bAttachmentStable[i] && partner) o = partner->m_Orientation;
        if (!t->m_bSadzarka && t->m_bAttachmentGrain[i]) {
            const float f = static_cast<float>(t->m_dGrainFill);
            const float s = t->m_bPrzyczepaDuza ? std::min(12 * f + 1, 12.0f) : std::min(10 * f + 1, 11.0f);
            ScaleIfChanged(a, DV{1, s, 1});
            const float h = std::min(0.5f * f, 0.5f);
            p.y += h + (t->m_bPrzyczepaDuza ? 1.4f * h : 0.0f);
        }
        if (t->m_bAttachmentStable[i] && partner && t->m_bKosa) {
            ReadSocket(partner, "zaczep_siewnik", &p, nullptr);
            o = partner->m_Orientation;
        }
        PlacePart(a, p, o);
        SyncAttachmentVisibility(object, a);
    }
    for (uint32_t i = 0; i < t->m_uSkinAttachmentCount; ++i) {
        DV p = object->m_vPosition;
        EOrientation o = object->m_Orientation;
        if (!ReadSocket(object, t->m_szSkinAttachmentSockets[i], &p, &o))
            g_Console.PrintStr4("FAILED reading attachmentS socket ", t->m_szSkinAttachmentSockets[i], " dla ",
                                t->m_szName);
        if (EObjectSlot* a = t->m_pSkinAttachments[i]) {
            PlacePart(a, p, o);
            SyncAttachmentVisibility(object, a);
        }
    }
}

void Physics::SyncAttachmentVisibility(EObjectSlot* owner, EObjectSlot* part) {
    if (!owner || !part) return;
    const uint32_t visible = owner->m_uFlags & FLAG_VISIBLE;
    if (visible != (part->m_uFlags & FLAG_VISIBLE)) g_Engine.SetObjectFlags(part, visible, FLAG_VISIBLE);
}

// The player's front loader is placed before rendering: the bale it carries and its arms sit on
// the loader's sockets.
void Physics::UpdatePlayerFrontLoader() {
    EObjectSlot* vehicle = g_Player.m_pVehicle;
    Truck* t = vehicle ? vehicle->m_hTruck : nullptr;
    if (!t || !t->m_bTur || t->m_uSkinAttachmentCount == 0 || !t->m_pSkinAttachments[0]) return;
    EObjectSlot* loader = t->m_pSkinAttachments[0];
    if (ESkinMesh* skin = loader->SkinMesh()) {
        skin->UpdateAnimation();
        skin->UpdateFrameMatrices();
    }
    HoldFrontLoaderBale(vehicle);
    DV p;
    EOrientation o;
    if (t->m_pLoaderArmHorizontal && ReadSocket(loader, "poziom", &p, &o)) PlacePart(t->m_pLoaderArmHorizontal, p, o);
    if (t->m_pLoaderArmVertical && ReadSocket(loader, "pion", &p, &o)) PlacePart(t->m_pLoaderArmVertical, p, o);
}

// ---- Steering wheel, driver and pistons ----------------------------------------------------------

void Physics::UpdateSteeringWheel(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pSteeringWheel) return;
    DV p;
    EOrientation o;
    if (!ReadSocket(object, t->m_szSteeringWheelSocket, &p, &o))
        return g_Console.PrintStr4("FAILED reading socket ", t->m_szSteeringWheelSocket, " dla ", t->m_szName);
    SyncAttachmentVisibility(object, t->m_pSteeringWheel);
    Turn(o, o.m_Side, t->m_fSteeringCorrection * kPi);
    Turn(o, o.m_Up, t->m_fCurrentSteering * 2.5f);
    PlacePart(t->m_pSteeringWheel, p, o);
}

void Physics::CreateDriver(EObjectSlot* object, uint32_t modelIndex, uint8_t playerFlags) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t) return;
    g_Engine.DeleteObject(t->m_pDriver);
    t->m_pDriver = nullptr;
    if (modelIndex > 4) modelIndex = 0;
    DV p;
    EOrientation o;
    if (!ReadSocket(object, "kierowca", &p, &o)) return;
    EObjectSlot* driver = g_Engine.CreateObject(OT_SKINMESH, kDriverModels[modelIndex],
                                                kDriverFlags | (playerFlags ? kPlayerObjectFlag : 0), kPartFlags2,
                                                nullptr, nullptr);
    if (!driver) return;
    g_Engine.SetObjectFlags3(driver, kFlags3Part, ~0u);
    g_Engine.SetObjectScaling(driver, DV{t->m_fDriverScale, t->m_fDriverScale, t->m_fDriverScale});
    g_Engine.SetObjectAnimation(driver, "drive", true, 0);
    t->m_pDriver = driver;
}

void Physics::UpdateDriver(float, EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pDriver) return;
    DV p = object->m_vPosition;
    EOrientation o = object->m_Orientation;
    ReadSocket(object, "kierowca", &p, &o);
    if (object == g_Player.m_pVehicle && g_Player.m_bDrivingEnabled && !g_Player.m_bFadeStarted &&
        g_Player.m_iCountdown < 0 && g_Player.m_uCameraMode < kInsideCameraModes)
        p.y -= kDriverHiddenDrop;
    PlacePart(t->m_pDriver, p, o);
    SyncAttachmentVisibility(object, t->m_pDriver);
    if (object->m_fCameraDistance >= kDriverPoseDistance) return;
    const float steering = t->m_fCurrentSteering;
    if (steering < -kStraightSteering || steering > kStraightSteering) {
        g_Engine.SetObjectAnimation(t->m_pDriver, steering < 0 ? "turn_left" : "turn_right", false, 0);
        g_Engine.SetObjectAnimationRunning(t->m_pDriver, false, std::fabs(steering * 0.5f / 0.08f));
        t->m_bDriverTurnPose = 1;
    } else if (t->m_bDriverTurnPose) {
        g_Engine.SetObjectAnimation(t->m_pDriver, "drive", true, 0);
        g_Engine.SetObjectAnimationRunning(t->m_pDriver, false, 0);
        t->m_bDriverTurnPose = 0;
    }
}

void Physics::UpdatePistons(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pPartner || !t->m_pPistonA || !t->m_pPistonB) return;
    DV a, b;
    ReadSocket(t->m_pPartner, "tlok", &a, nullptr);
    ReadSocket(object, "tlok", &b, nullptr);
    DV d = a - b;
    const float l = pmath::Length(d);
    d = d * (1.0f / (l > 0 ? l : 1.0f));
    const DV back = -d;
    PlacePart(t->m_pPistonB, a + d * 0.3f, EOrientation::EOrientationFromDirection(&d));
    PlacePart(t->m_pPistonA, b, EOrientation::EOrientationFromDirection(&back));
    ScaleIfChanged(t->m_pPistonA, DV{1, 1, RouteFlag(&RouteTasks::sowing) ? 1.5f : 1.3f});
}

// ---- Towed trailers ------------------------------------------------------------------------------

void Physics::UpdateTrailerSteering() {
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot* o = &g_Engine.m_Objects[i];
        Truck* t = o->m_bUsed ? o->m_hTruck : nullptr;
        if (!t || !t->m_bPrzyczepa || !t->m_pVehicle || !t->m_pTowing) continue;
        const DV front = Flat(o->m_Orientation.m_Front), side = Flat(o->m_Orientation.m_Side);
        const DV towing = Flat(t->m_pTowing->m_Orientation.m_Front);
        float angle = std::acos(std::clamp(pmath::Dot(towing, front), kTrailerSteerMinCos, 1.0f));
        if (pmath::Dot(towing, side) < 0) angle = -angle;
        t->m_fTargetSteering = angle;
        const int wheels = std::min<int>(t->m_uWheelCount, t->m_pVehicle->getNumWheels());
        for (int k = 0; k < wheels; ++k)
            if (t->m_bWheelFront[k]) t->m_pVehicle->setSteeringValue(angle, k);
    }
}

// ---- Small operations ----------------------------------------------------------------------------

void Physics::ApplyImpulseToObject(EObjectSlot* object, const DV* impulse) {
    if (!object) return;
    auto* body = static_cast<btRigidBody*>(object->m_pPhysicsBody);
    btRigidBody* chassis = object->m_hTruck ? object->m_hTruck->m_pChassis : nullptr;
    if (!body && !chassis) return;
    const DV i = impulse ? *impulse : DV{0, -0.1f, 0};
    const btVector3 at(RandomFloat(kImpulseSpread), RandomFloat(kImpulseSpread), RandomFloat(kImpulseSpread));
    // A pushed body that sleeps wakes up, or the push would be lost.
    for (btRigidBody* b : {body, chassis}) {
        if (!b) continue;
        b->activate();
        b->applyImpulse(btVector3(i.x, i.y, i.z), at);
    }
}

// Between the first two steered wheels that are shown, in world space (or the mesh's own frame).
void Physics::GetFrontAxlePoint(EObjectSlot* object, DV* out, float distanceAhead, uint8_t worldFrame) const {
    if (!object || !out) return;
    DV point = object->m_vPosition;
    const Truck* t = object->m_hTruck;
    if (t && t->m_pVehicle && t->m_pChassis) {
        DV found[2];
        int count = 0;
        const int wheels = std::min<int>(t->m_uWheelCount, t->m_pVehicle->getNumWheels());
        for (int k = 0; k < wheels && count < 2; ++k) {
            if (!t->m_pWheelObjects[k] || !t->m_bWheelFront[k]) continue;
            const btVector3 w =
                t->m_pChassis->getWorldTransform() * t->m_pVehicle->getWheelInfo(k).m_chassisConnectionPointCS;
            found[count++] = DV{w.x(), w.y(), w.z()};
        }
        if (count == 2) point = (found[0] + found[1]) * 0.5f;
    }
    if (distanceAhead != 0) point = point + Flat(object->m_Orientation.m_Front) * distanceAhead;
    *out = worldFrame ? point : ToMeshFrame(object, point);
}

bool Physics::ObjectsOverlap(EObjectSlot* a, EObjectSlot* b, float margin) const {
    const EMesh* ma = a ? a->Mesh() : nullptr;
    const EMesh* mb = b ? b->Mesh() : nullptr;
    if (!ma || !mb) return false;
    if (ma->m_vWorldMin.x > mb->m_vWorldMax.x || mb->m_vWorldMin.x > ma->m_vWorldMax.x ||
        ma->m_vWorldMin.y > mb->m_vWorldMax.y || mb->m_vWorldMin.y > ma->m_vWorldMax.y ||
        ma->m_vWorldMin.z > mb->m_vWorldMax.z || mb->m_vWorldMin.z > ma->m_vWorldMax.z)
        return false;
    auto grow = [margin](const EMesh* m, DV* corners) {
        DV centre{};
        for (const DV& c : m->m_vWorldCorners) centre = centre + c * 0.125f;
        for (int i = 0; i < 8; ++i) {
            const DV away = m->m_vWorldCorners[i] - centre;
            corners[i] = centre + Unit(away) * (pmath::Length(away) + margin);
        }
    };
    DV ca[8], cb[8];
    grow(ma, ca);
    grow(mb, cb);
    return BoxesOverlap(ca, cb);
}

float Physics::GetGroundHeight(const DV* point) const {
    if (!point) return 0;
    const DV start = *point + DV{0, kGroundProbe, 0};
    const DV end = *point - DV{0, kGroundProbe, 0};
    SegmentQuery query;
    query.m_pStart = &start;
    query.m_pEnd = &end;
    query.m_pFilter = IntersectFilterFlagged;
    SegmentHit hit;
    if (g_IntersectSegment.Intersect(&query, &hit)) return hit.m_vPoint.y;
    return start.y - kGroundMissBelowStart;
}

void Physics::SetCombinePipeOut(EObjectSlot* object, uint8_t out) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (t && t->m_bKombajn) t->m_bPipeOut = out;
}

void Physics::SetCombineUnloading(EObjectSlot* object, uint8_t on) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (t && t->m_bKombajn) t->m_bUnloading = on;
}

void Physics::SetObjectTint(EObjectSlot* object, uint32_t colour) {
    if (object) object->m_uTint = colour;
}

void Physics::GetWheelCentrePoint(EObjectSlot* object, DV* out) const {
    const Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !out) return;
    const DV* w = t->m_vWheelPositions[0];
    const DV centre = ((w[0] + w[1]) * 0.5f + (w[2] + w[3]) * 0.5f) * 0.5f;
    *out = DV{object->m_vPosition.x, centre.y, object->m_vPosition.z};
}
