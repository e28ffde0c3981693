// The player's camera: the start camera of the countdown, the look back, the cockpit and the chase
// camera with its look-ahead, mouse look, zoom, nod and the pull-in in front of walls.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/EMouse.h"
#include "core/ESettings.h"
#include "core/NumericHelpers.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/IntersectFilters.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kCockpitFov = 0.9f;
constexpr const char* kCameraSocket = "kamera";
// Where a driver's eyes are above the machine's origin (its ground under its middle), for a
// machine whose model names no camera socket.
constexpr float kDriverEyeHeight = 1.8f;
constexpr float kLookAheadWindow = 0.3f;
const DV kWorldUp{0, 1, 0};

// The camera stops at what the player can see: an object hidden in the game, such as the box of a
// trigger the machine drives through, would otherwise pull the camera onto the machine.
bool CameraBlocker(EObjectSlot* candidate, EObjectSlot* vehicle) {
    return IntersectFilterNotClass8192Or16384(candidate, vehicle) &&
           !(candidate->m_uFlags3 & FLAG3_INVISIBLE_IN_GAME);
}

// Where the start camera stands at each step of the countdown.
struct StartView {
    float front, side, raise;
};
StartView StartViewFor(int32_t countdown) {
    switch (countdown) {
        case 3: return {-7, -4, 1};
        case 2: return {-6, 4, 1};
        case 1: return {-6, -3, 2};
        case 0: return {-6, 0, 1};
        default: return {-10, 0, 2};
    }
}

// The chase camera's offsets by mode and machine.
struct ChaseView {
    float targetUp, back, upOffset, eyeHeight;
};
ChaseView ChaseViewFor(uint32_t mode, bool combine) {
    if (mode == 2) return combine ? ChaseView{2.1f, -8, 1.8f, 5.0f} : ChaseView{2.1f, -10, 1.2f, 4.0f};
    return combine ? ChaseView{2.2f, -12, 3.0f, 6.0f} : ChaseView{1.6f, -20, 3.0f, 6.0f};
}

bool IsFieldTaskOrSlalom(const RouteRecord* r) {
    return r && (r->m_bMowing || r->m_bGrassMowing || r->m_bSowing || r->m_bBaling || r->m_bPloughing ||
                 r->m_bPlanting || r->m_bGrain || r->m_bSlalom);
}

void LookFromTo(const DV& eye, const DV& target) {
    DV direction = target - eye;
    g_Camera.SetPosition(eye);
    g_Camera.SetOrientation(EOrientation::EOrientationFromDirection(&direction));
}

}  // namespace

void CPlayer::UpdateCamera() {
    if (!m_pVehicle) return;
    if (m_bFadeStarted) UpdateOutro();
    else if (m_iCountdown >= 0 || !m_bRaceStarted) UpdateStartCamera();
    else if (m_bLookBack) UpdateRearCamera();
    else if (m_uCameraMode <= 1) UpdateCockpitCamera();
    else UpdateChaseCamera();
}

void CPlayer::UpdateStartCamera() {
    const StartView v = StartViewFor(m_iCountdown);
    const DV target = m_vPosition + DV{0, 2.0f, 0};
    DV eye = target + m_vFront * v.front + m_vSide * v.side + DV{0, v.raise, 0};
    if (IsFieldTaskOrSlalom(g_RoutesMgr.m_pCurrentRoute)) eye = target + (eye - target) * 1.6f;
    m_vCameraTarget = target;
    m_vCameraEye = eye;
    LookFromTo(eye, target);
}

void CPlayer::UpdateRearCamera() {
    m_vCameraEye = m_vPosition + m_vUp * 4.2f;
    EOrientation orientation = m_Orientation;
    orientation.RotateAxis(&m_vUp, kPi);
    g_Camera.SetPosition(m_vCameraEye);
    g_Camera.SetOrientation(orientation);
}

void CPlayer::UpdateCockpitCamera() {
    DV eye;
    EOrientation socket;
    if (!g_Engine.GetObjectSocket(m_pVehicle, kCameraSocket, &eye, &socket)) eye = CockpitEyeWithoutSocket();
    const float sensitivity = g_Settings.m_fMouseOptionValue;
    m_fCameraYaw = std::clamp(m_fCameraYaw + static_cast<float>(g_Mouse.m_State.m_dDeltaX) * sensitivity * 0.005f, -2.9f, 2.9f);
    m_fCameraPitch = std::clamp(m_fCameraPitch + static_cast<float>(g_Mouse.m_State.m_dDeltaY) * 0.005f * sensitivity, -0.7f, 0.7f);
    EOrientation orientation = m_Orientation;
    orientation.RotateAxis(&m_vUp, m_fCameraYaw);
    const DV side = orientation.m_Side;
    orientation.RotateAxis(&side, m_fCameraPitch);
    m_CameraOrientation = orientation;
    m_vCameraEye = eye;
    g_Camera.SetPosition(eye);
    g_Camera.SetOrientation(orientation);
}

DV CPlayer::CockpitEyeWithoutSocket() {
    // The machine's origin is on the ground: an eye there sees nothing but the ground's underside.
    // Said once a run, so that the console does not scroll with it every frame.
    if (!m_bCameraSocketReported) {
        const Truck* truck = m_pVehicle->m_hTruck;
        g_Console.PrintStr4("FAILED reading socket ", kCameraSocket, " dla ", truck ? truck->m_szName : m_pVehicle->m_szName);
        m_bCameraSocketReported = 1;
    }
    return m_vPosition + m_vUp * kDriverEyeHeight;
}

void CPlayer::UpdateChaseCamera() {
    const float dt = m_fFrameTime;
    const bool combine = m_pVehicle->m_hTruck && m_pVehicle->m_hTruck->m_bKombajn;
    const ChaseView v = ChaseViewFor(m_uCameraMode, combine);
    const DV base = m_vPosition + DV{0, 0.36f, 0};
    const DV target = base + m_vUp * v.targetUp;
    m_vCameraTarget = target;
    m_bCameraSnap = 0;

    const float sensitivity = g_Settings.m_fMouseOptionValue;
    m_fZoom = std::clamp(m_fZoom - static_cast<float>(g_Mouse.m_State.m_dDeltaWheel) * 0.01f * sensitivity, 0.0f, 40.0f);
    MoveTowards(&m_fSmoothZoom, m_fZoom, 4.0f * dt);
    DV eye = target + m_vUp * v.upOffset + m_vFront * v.back - m_vFront * m_fSmoothZoom;

    MoveTowards(&m_fSway, m_fSteering * 1.4f, (2 * std::fabs(m_fSway) + 0.1f) * dt);
    eye += m_vSide * (m_fSway * (m_uCameraMode == 2 ? 10.0f : 4.0f));
    eye.y = m_vPosition.y + v.eyeHeight;

    const float mouseX = static_cast<float>(g_Mouse.m_State.m_dDeltaX);
    const float mouseY = static_cast<float>(g_Mouse.m_State.m_dDeltaY);
    m_fCameraYaw += sensitivity * mouseX * 0.002f;
    m_fCameraPitch -= sensitivity * mouseY * 0.002f;
    m_fMouseIdle = (std::fabs(mouseX) > 0.5f || std::fabs(mouseY) > 0.5f) ? 0 : m_fMouseIdle + dt;
    m_fCameraYaw = std::clamp(m_fCameraYaw, -0.8207964f, 0.8207964f);
    m_fCameraPitch = std::clamp(m_fCameraPitch, -1.0f, 0.15f);
    const RouteRecord* route = g_RoutesMgr.m_pCurrentRoute;
    if (m_fMouseIdle > 5.0f && route && route->m_bWithOpponents) {
        MoveTowards(&m_fCameraYaw, 0, 0.8f * dt);
        MoveTowards(&m_fCameraPitch, 0, 0.08f * dt);
    }

    const float d = pmath::Length(eye - base);
    DV outward = eye - base;
    EOrientation orbit = EOrientation::EOrientationFromDirection(&outward);
    orbit.RotateAxis(&kWorldUp, m_fCameraYaw);
    const DV orbitSide = orbit.m_Side;
    orbit.RotateAxis(&orbitSide, m_fCameraPitch);
    eye = base + orbit.m_Front * d;

    DV look = target - eye;
    EOrientation orientation = EOrientation::EOrientationFromDirection(&look);
    if (m_fSpeed > 5.0f) {
        m_fShakePhase += dt * m_fShakeFrequency;
        const DV side = orientation.m_Side;
        orientation.RotateAxis(&side, std::sin(m_fShakePhase) * m_fShakeAmplitude * (m_fSpeed - 5.0f) * 0.00006f);
        if (m_fShakePhase > 2 * kPi) {
            m_fShakePhase -= 2 * kPi;
            m_fShakeFrequency = (RandomFloat(3.0f) + 0.6f) * 5.0f;
            m_fShakeAmplitude = RandomFloat(2.0f) + 0.1f;
        }
    }
    m_CameraOrientation = orientation;
    g_Camera.SetOrientation(orientation);

    UpdateMotionHistory(dt);
    eye -= LookAhead();

    const float wanted = m_bMovingForward ? m_fSpeed * (m_uCameraMode == 2 ? 0.05f : 0.2f) : 0.0f;
    MoveTowards(&m_fLookAhead, wanted, 4.0f * dt);
    eye += pmath::Normalize(eye - target) * m_fLookAhead;

    SegmentQuery query;
    query.m_pStart = &target;
    query.m_pEnd = &eye;
    query.m_pFilter = CameraBlocker;
    query.m_pFilterArgument = m_pVehicle;
    SegmentHit hit;
    if (g_IntersectSegment.Intersect(&query, &hit)) {
        const float reach = pmath::Length(hit.m_vPoint - target) - 0.5f;
        eye = target + pmath::Normalize(eye - target) * std::max(reach, 0.0f);
    }
    m_vCameraEye = eye;
    g_Camera.SetPosition(eye);
}

void CPlayer::UpdateMotionHistory(float dt) {
    for (int i = kHistorySize - 1; i > 0; --i) m_History[i] = m_History[i - 1];
    m_History[0] = MotionEntry{m_vPosition, dt};
    const DV newer = m_History[0].position - m_History[1].position;
    const DV older = m_History[1].position - m_History[2].position;
    if (pmath::Length(newer) == 0 || pmath::Length(older) == 0) return;
    const bool newerAlong = pmath::Dot(newer, m_vFront) > 0;
    const bool olderAlong = pmath::Dot(older, m_vFront) > 0;
    if (newerAlong && olderAlong) m_bMovingBackward = 1;
    else if (!newerAlong && pmath::Dot(older, m_vFront) < 0) m_bMovingBackward = 0;
}

// The mean of the positions of the history over a window of time, each weighted by its frame's
// length, starting at the entry first; first moves past the window.
static DV WindowMean(const CPlayer::MotionEntry* history, int count, int& first, float window) {
    DV sum;
    float time = 0;
    for (; first < count && time < window; ++first) {
        sum += history[first].position * history[first].time;
        time += history[first].time;
    }
    return time > 0 ? sum * (1.0f / time) : sum;
}

DV CPlayer::LookAhead() const {
    const Truck* truck = m_pVehicle->m_hTruck;
    const float speed = truck ? g_Physics.GetTruckSpeed(m_pVehicle) : 0.0f;
    if (!truck || speed < 2.0f) return DV{};
    int next = 0;
    const DV a = WindowMean(m_History, kHistorySize, next, kLookAheadWindow);
    const DV b = WindowMean(m_History, kHistorySize, next, kLookAheadWindow);
    const float length = pmath::Length(a - b);
    if (length == 0) return DV{};
    DV l = (a - b) * (2.0f / length);
    if (m_bMovingBackward) l = -l;
    if (speed < 8.0f) l *= (speed - 2) / 6;
    return l;
}

void CPlayer::UpdateFieldOfView() {
    const bool cockpit = m_iCountdown < 0 && m_uCameraMode <= 1;
    // The configured field of view is the settings' base one, which the "FOV" line sets together
    // with the console variable; without such a line it is the settings' default. The current
    // field of view is the cockpit's narrower one while inside, so it cannot stand for it.
    float configured = 0;
    if (!g_Console.GetVariable("FOV", configured) || configured <= 0) configured = g_Settings.m_fBaseFOV;
    g_Settings.m_fFOV = cockpit ? kCockpitFov : configured;
}
