// The dashboard in the lower right of the HUD: the speedometer with its needle, the engine's
// temperature needle and the heat model behind it, the gear, the four work lamps and the whistle,
// and beside it the fill bars of the machine, the trailer and the combine.
#include <algorithm>
#include <cmath>

#include "audio/CSoundMgr.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/NumericHelpers.h"
#include "game/CHudPanel.h"
#include "game/HudCanvas.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kWhistleColour = 0xFFFF0000;
// The speed needle: from the speed in m/s to the needle's turn.
constexpr float kKmhPerMs = 3.6f;
constexpr float kDialFactor = 1.9f;
constexpr float kManualDialFactor = 0.78f;
constexpr float kAnglePerDialUnit = 0.031415928f;
constexpr float kZeroAngle = 2.07345126f;
constexpr float kNeedleStop = 3.33f;
constexpr float kStopTremble = 0.05f;
constexpr float kNeedleTurn = 0.69f;
// The heat model.
constexpr float kSimpleWarmPerMetre = 0.0015f;
constexpr float kSimpleWarmest = 0.6f;
constexpr float kWarmUpRate = 0.25f;
constexpr float kWarmest = 0.15f;
constexpr float kSpeedFollowRate = 9.0f;
constexpr float kFullLoadSpeed = 9.0f;
constexpr float kMaxLoad = 1.2f;
constexpr float kHeatRate = 0.6f;
constexpr float kCoolRate = 0.05f;
constexpr float kDefeatHeat = 1.1f;
constexpr float kBeepHeat = 0.7f;
constexpr float kBeepInterval = 0.26f;
constexpr const char* kHotSound = "sounds\\hot.wav";
// A fill value is a load (up to 1.2 full) or a supply (up to 1.0).
constexpr float kFullLoad = 1.2f;

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }
bool SimpleDriving() { return g_Player.m_bHudOption != 0; }
const RouteRecord* CurrentRoute() { return g_RoutesMgr.m_pCurrentRoute; }
const Truck* MachineTruck() { return g_Player.m_pVehicle ? g_Player.m_pVehicle->m_hTruck : nullptr; }
const Truck* ImplementTruck() { return g_Player.m_pImplement ? g_Player.m_pImplement->m_hTruck : nullptr; }

// The quad turned by angle (radians, clockwise on the screen) about (x, y), r on each side.
void Turned(ERect& quad, float x, float y, float r, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    auto at = [&](float dx, float dy, float* px, float* py) {
        *px = x + dx * c - dy * s;
        *py = y + dx * s + dy * c;
    };
    float x1, y1, x2, y2, x3, y3, x4, y4;
    at(-r, -r, &x1, &y1);
    at(r, -r, &x2, &y2);
    at(r, r, &x3, &y3);
    at(-r, r, &x4, &y4);
    quad.SetColor(kWhite);
    quad.SetCorners(x1, y1, x2, y2, x3, y3, x4, y4, 0, 1, 0, 1, 1);
}

// The quad over the part of the rectangle between the fractions given.
void Within(ERect& quad, float left, float top, float right, float bottom, float u0, float u1, float v0, float v1) {
    quad.SetColor(kWhite);
    quad.SetRect(Lerp(left, right, u0), Lerp(top, bottom, v0), Lerp(left, right, u1), Lerp(top, bottom, v1));
}

bool PloughWorking(const Truck& t) { return t.m_iPloughLiftState == 1 || t.m_iPloughLiftState == -1; }

}  // namespace

void CHudPanel::DrawGauges() {
    const RouteRecord* route = CurrentRoute();
    // On these routes the dial sits further right, partly off the screen.
    const bool aside = route && (route->m_bGrassMowing || route->m_bPloughing || route->m_bSlalom || route->m_bSpecial ||
                                 route->m_bWithOpponents);
    const float right = (aside ? 1200.0f : 1090.0f) * Sx(), left = right - 480 * Sy();
    const float bottom = 768 * Sy(), top = bottom - 240 * Sy();
    HudCanvas& canvas = *m_pCanvas;
    if (m_fWhistleTimer > 0) {
        m_Whistle.SetColor(kWhite);
        m_Whistle.SetRect(right - 80 * Sx() - 60 * Sy(), 380 * Sy(), right - 16 * Sx() - 60 * Sy(), 380 * Sy() + 64 * Sx());
        canvas.Quad(m_Whistle);
        canvas.Print(g_TextMgr.GetText(">Whistle"), right - 80 * Sx(), 442 * Sy(), kWhistleColour, 22, false);
    }
    m_SpeedoBase.SetColor(kWhite);
    m_SpeedoBase.SetRect(left, top, right, bottom);
    canvas.Quad(m_SpeedoBase);
    const float cx = Lerp(left, right, 0.24707031f), cy = Lerp(top, bottom, 0.5078125f), r = 120 * Sy();
    DrawSpeedNeedle(cx, cy, r);
    UpdateTemperature(cx, cy, r);
    ERect& overlay = route && route->m_bMowing ? m_SpeedoOverlayCombine : m_SpeedoOverlay;
    overlay.SetColor(kWhite);
    overlay.SetRect(left, top, right, bottom);
    canvas.Quad(overlay);
    DrawGear(left, top, right, bottom);
    DrawWorkIcons(left, top, right, bottom);
}

void CHudPanel::DrawSpeedNeedle(float x, float y, float r) {
    float v = g_Player.m_fSpeed * kKmhPerMs * kDialFactor;
    if (!SimpleDriving()) v *= kManualDialFactor;
    v = std::abs(v);
    float a = v * kAnglePerDialUnit - kZeroAngle;
    // At its stop the needle trembles.
    if (a > kNeedleStop) a = kNeedleStop - RandomFloat(kStopTremble);
    Turned(m_SpeedNeedle, x, y, r, a * kNeedleTurn);
    m_pCanvas->Quad(m_SpeedNeedle);
}

void CHudPanel::DrawTempNeedle(float x, float y, float r, float value) {
    Turned(m_TempNeedle, x, y, r, -(std::abs(0.6f * value) + 0.36f));
    m_pCanvas->Quad(m_TempNeedle);
}

void CHudPanel::UpdateTemperature(float x, float y, float r) {
    m_bHotWarning = m_bOverheating = 0;
    const float dt = m_fFrameTime, speed = g_Player.m_fSpeed;
    // Simple driving: the engine only warms with the distance driven and never overheats.
    if (SimpleDriving()) {
        m_fBaseTemperature = std::min(m_fBaseTemperature + std::abs(speed) * dt * kSimpleWarmPerMetre, kSimpleWarmest);
        DrawTempNeedle(x, y, r, m_fBaseTemperature);
        return;
    }
    m_fBaseTemperature = std::min(m_fBaseTemperature + dt * kWarmUpRate, kWarmest);
    float load = 1.0f;
    bool working = false;
    const RouteRecord* route = CurrentRoute();
    const Truck* machine = MachineTruck();
    const Truck* implement = ImplementTruck();
    // Without its machine nothing works; without the implement the implement's tasks do not.
    if (route && machine) {
        if (route->m_bBaleCollecting) {
            load = 0.6f;
            working = true;
        }
        if (route->m_bMowing) working = machine->m_bMowingOn != 0;
        if (route->m_bGrassMowing) {
            load = 0.8f;
            working = implement && implement->m_iMowerSoundState == 1;
        }
        if (route->m_bBaling) working = implement && implement->m_bMowingOn;
        if (route->m_bPloughing) working = implement && PloughWorking(*implement);
        if (route->m_bPlanting) working = implement && implement->m_iPlanterLiftState == 1;
        if (route->m_bSowing) {
            load = 0.8f;
            working = implement && implement->m_iSeederLiftState == 1;
        }
    }
    if (!working) m_fSmoothSpeed = 0;
    switch (g_Player.m_iGear) {
        case 1: load = 0.8f; break;
        case 2: load = 0.66f; break;
        case 3: load = 0.55f; break;
        default: break;
    }
    MoveTowards(&m_fSmoothSpeed, speed, kSpeedFollowRate * dt);
    const float l = std::min(std::abs(m_fSmoothSpeed) * load / kFullLoadSpeed, kMaxLoad);
    if (l > 1.0f && working) {
        m_bOverheating = 1;
        m_fHeat += (l - 1.0f) * dt * kHeatRate;
        if (m_fHeat > kDefeatHeat) g_Player.ShowDefeat();
    } else {
        m_fHeat = std::max(0.0f, m_fHeat - dt * kCoolRate);
    }
    if (m_fHeat > kBeepHeat) {
        m_fHotBeepTimer += dt;
        if (m_fHotBeepTimer > kBeepInterval) {
            m_fHotBeepTimer = 0;
            g_SoundMgr.PlaySound2D(kHotSound, 1.0f, 0.0f);
        }
        m_bHotWarning = 1;
    }
    DrawTempNeedle(x, y, r, m_fHeat * 0.95f + m_fBaseTemperature);
}

void CHudPanel::DrawGear(float left, float top, float right, float bottom) {
    ERect* quad = &m_GearN;
    const float speed = g_Player.m_fSpeed;
    const int gear = g_Player.m_iGear;
    if (SimpleDriving()) quad = speed >= 0.5f ? &m_GearF : speed <= -0.5f ? &m_GearR : &m_GearN;
    else if (gear >= 1 && gear <= kGears) quad = &m_Gears[gear - 1];
    else if (gear == -1) quad = &m_GearR;
    Within(*quad, left, top, right, bottom, 0.15234375f, 0.21484375f, 0.69921875f, 0.82421875f);
    m_pCanvas->Quad(*quad);
}

void CHudPanel::DrawWorkIcons(float left, float top, float right, float bottom) {
    if (SimpleDriving() || !g_Player.m_pVehicle) return;
    auto lamp = [&](int icon, float u0, float u1, float v0, float v1) {
        Within(m_WorkIcons[icon - 1], left, top, right, bottom, u0, u1, v0, v1);
        m_pCanvas->Quad(m_WorkIcons[icon - 1]);
    };
    if (m_bHotWarning) lamp(4, 0.18457031f, 0.3095703f, 0.6699219f, 0.9199219f);
    if (m_bOverheating) lamp(3, 0.18359375f, 0.30859375f, 0.4140625f, 0.6640625f);
    const RouteRecord* route = CurrentRoute();
    const Truck* machine = MachineTruck();
    const Truck* implement = ImplementTruck();
    if (!route) return;
    // Only the first task that applies lights lamps 1 and 2.
    bool working = false, waiting = false;
    if (route->m_bMowing && machine) {
        working = machine->m_bMowingOn;
        waiting = machine->m_bUnloading;
    } else if (route->m_bPloughing && implement) {
        waiting = !PloughWorking(*implement);
    } else if (route->m_bPlanting && implement) {
        waiting = implement->m_iPlanterLiftState != 1;
    } else if (route->m_bSowing && implement) {
        // The seeder's type byte is not kept yet: every seeder shows the lamp of a raised drill.
        waiting = implement->m_iSeederLiftState != 1;
    } else if (route->m_bGrassMowing && implement) {
        working = implement->m_iMowerSoundState == 1;
    } else if (route->m_bBaling && implement) {
        working = implement->m_bMowingOn;
    }
    if (working) lamp(1, 0.04394531f, 0.16699219f, 0.45507813f, 0.7050781f);
    if (waiting) lamp(2, 0.35253906f, 0.47753906f, 0.43554688f, 0.6855469f);
}

void CHudPanel::DrawFillBars() {
    if (SimpleDriving() || !g_Player.m_pVehicle) return;
    const RouteRecord* route = CurrentRoute();
    const Truck* machine = MachineTruck();
    if (!route || !machine) return;
    const Truck* implement = ImplementTruck();
    // What the bar shows, by the task (the later wins): a load, full at 1.2, or a supply, full at
    // 1. The trailer's fill, the bale's progress and the planter's and seeder's supplies are not
    // kept by the field work yet: their machines show an empty bar.
    struct Fill {
        float value = 0;
        bool load = true;
        bool present = false;
    } fill;
    if (route->m_bMowing) fill = {static_cast<float>(machine->m_dGrainFill), true, true};
    if (route->m_bGrain) fill = {0, true, implement != nullptr};
    if (route->m_bBaling) fill = {0, true, implement != nullptr};
    if (route->m_bPlanting) fill = {0, false, implement != nullptr};
    if (route->m_bSowing) fill = {0, false, implement != nullptr};
    if (!fill.present) return;
    const float value = fill.load ? std::min(fill.value, kFullLoad) / kFullLoad : std::min(fill.value, 1.0f);
    if (route->m_bPlanting || route->m_bSowing || route->m_bMowing) {
        DrawFillBar(value, false);
        return;
    }
    // Grain hauling shows the trailer beside the combine, when there is one.
    const EObjectSlot* combine = route->m_bGrain ? g_Engine.FindObject("kombajn", false) : nullptr;
    if (!combine || !combine->m_hTruck) return;
    DrawFillBar(value, true);
    DrawFillBar(std::min(static_cast<float>(combine->m_hTruck->m_dGrainFill), kFullLoad) / kFullLoad, false);
}

void CHudPanel::DrawFillBar(float value, bool inner) {
    const float right = (inner ? 968.0f : 1018.0f) * Sx(), left = right - 48 * Sy();
    m_FillBar.SetColor(kWhite);
    m_FillBar.SetRect(left, 448 * Sy(), right, 832 * Sy());
    m_pCanvas->Quad(m_FillBar);
    const float x = left + Sy(), y = 448 * Sy() + (4.36f - 3.63f * value) * 48 * Sy();
    m_FillNeedle.SetColor(kWhite);
    m_FillNeedle.SetRect(x, y, x + 22 * Sy(), y + 22 * Sy());
    m_pCanvas->Quad(m_FillNeedle);
}
