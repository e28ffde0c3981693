// The run's progress and end: the distance along the route, what finishes a run (the level's
// "koniec", the finish marker, a done task), the fade and the outro's orbit, the place, and the
// result or defeat with its lines, prize and picture.
#include <cmath>
#include <cstdio>

#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "platform/os/Random.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/RuchMgr.h"
#include "vehicles/Truck.h"
#include "vehicles/VehiclesHooks.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/GameAI.h"

namespace {

constexpr float kOutroTime = 8.0f;
constexpr float kOutroTurnRate = 0.6f;
constexpr float kOutroDistance = 16.0f;
constexpr float kFinishReach = 32.0f;
constexpr float kStationSpeed = 400.0f;
constexpr float kGrainTrailerEmpty = 0.15f;
constexpr uint32_t kFinishCommand = 37;
constexpr int kPodiumRoute = 32;
constexpr const char* kSuccessPicture = "misc\\HUD\\hud_menu_sukces.bmp";
constexpr const char* kDefeatPicture = "misc\\HUD\\hud_menu_porazka.bmp";

// The title, text and prize keys of places 1, 2 and 3, then of no place.
constexpr const char* kResultKeys[4][3] = {
    {">G42", ">G43", ">G44"}, {">G39", ">G40", ">G41"}, {">G34", ">G35", ">G36"}, {">G45", ">G46", ">G47"}};

// One field task: its route flag, the field work's percentage it needs (none for the slalom) and
// how much.
struct TaskRow {
    uint8_t RouteRecord::*flag;
    int progress;
    float needed;
};
constexpr int kNoProgress = -1;
constexpr TaskRow kTasks[] = {
    {&RouteRecord::m_bMowing, EPlantMgr::kHarvest, 98.0f},
    {&RouteRecord::m_bGrain, EPlantMgr::kHarvest, 90.0f},
    {&RouteRecord::m_bGrassMowing, EPlantMgr::kHarvest, 98.0f},
    {&RouteRecord::m_bBaleCollecting, EPlantMgr::kBaleCollecting, 90.0f},
    {&RouteRecord::m_bBaling, EPlantMgr::kBaling, 95.0f},
    {&RouteRecord::m_bPloughing, EPlantMgr::kPloughing, 98.0f},
    {&RouteRecord::m_bPlanting, EPlantMgr::kPlanting, 98.0f},
    {&RouteRecord::m_bSowing, EPlantMgr::kSowing, 98.0f},
    {&RouteRecord::m_bSlalom, kNoProgress, 0.0f},
};

const RouteRecord* Route() { return g_RoutesMgr.m_pCurrentRoute; }

bool IsFieldTask(const RouteRecord& r) {
    return r.m_bMowing || r.m_bGrain || r.m_bGrassMowing || r.m_bBaleCollecting || r.m_bBaling || r.m_bPloughing ||
           r.m_bPlanting || r.m_bSowing;
}

bool ConsoleVariableSet(const char* name) {
    const ConsoleVariable* v = g_Console.FindVariable(name);
    return v && v->value != 0;
}

// The grain route's extra condition: an emptied trailer behind the machine and the combine there.
bool GrainTrailerEmptied(const EObjectSlot* implement) {
    const Truck* trailer = implement ? implement->m_hTruck : nullptr;
    if (!trailer || trailer->m_dGrainFill > kGrainTrailerEmpty) return false;
    const EObjectSlot* combine = g_Engine.FindObject("kombajn", false);
    return combine && combine->m_hTruck;
}

}  // namespace

void CPlayer::CheckLevelVariables() {
    if (g_GameAI.IsSet("koniec") && !m_bRunFinished) StartFadeOut();
    m_bAtStation = g_GameAI.IsSet("stacja") && m_fSpeed < kStationSpeed ? 1 : 0;
    g_GameAI.UnsetVariable("stacja", nullptr);
}

void CPlayer::CheckFinishMarker() {
    if (m_pEndMarker && m_pVehicle && pmath::Length(m_pEndMarker->m_vPosition - m_vPosition) < kFinishReach)
        StartFadeOut();
}

void CPlayer::CheckTaskCompletion() {
    const RouteRecord* route = Route();
    if (!route || m_bFadeStarted || !ConsoleVariableSet("UpdateZawody")) return;
    m_bFinishPrompt = 0;
    for (const TaskRow& task : kTasks) {
        if (!(route->*task.flag)) continue;
        if (m_fRunTime > PlaceTimes(*route)[2]) return ShowDefeat();
        if (task.progress != kNoProgress && !(g_PlantMgr.m_fProgress[task.progress] > task.needed)) continue;
        if (&task == &kTasks[1] && !GrainTrailerEmptied(m_pImplement)) return;
        m_bFinishPrompt = 1;
        if (g_CommandMgr.IsCommandActive(kFinishCommand)) StartFadeOut();
    }
}

const float* CPlayer::PlaceTimes(const RouteRecord& route) { return &route.m_fPlaceTimes[CurrentDifficulty() * 3]; }

int CPlayer::PlaceByTime(float runTime, const float* triple) {
    for (int place = 1; place <= 3; ++place)
        if (runTime < triple[place - 1]) return place;
    return 0;
}

int CPlayer::ChoosePlace() const {
    const RouteRecord* route = Route();
    if (!route) return 0;
    const int byTime = PlaceByTime(m_fRunTime, PlaceTimes(*route));
    int place = route->m_bWithOpponents ? g_RuchMgr.m_iRacePosition : byTime;
    if (IsFieldTask(*route) && byTime) place = byTime;
    return place;
}

void CPlayer::UpdateOutro() {
    m_fFade += m_fFrameTime;
    const DV target = m_vPosition + DV{0, 1.0f, 0};
    DV direction = m_vFront;
    direction.y += 0.3f;
    direction = pmath::Normalize(direction);
    EOrientation around = EOrientation::EOrientationFromDirection(&direction);
    const DV up{0, 1, 0};
    around.RotateAxis(&up, m_fFade * kOutroTurnRate);
    const DV eye = target + around.m_Front * kOutroDistance;
    const DV look = target - eye;
    m_vCameraTarget = target;
    m_vCameraEye = eye;
    g_Camera.SetPosition(eye);
    g_Camera.SetOrientation(EOrientation::EOrientationFromDirection(&look));
    if (m_fFade < kOutroTime) return;
    PlaySound3D(nullptr, &m_pEngineSound, false, false);
    m_bFadeStarted = 0;
    const int place = ChoosePlace();
    if (g_RoutesMgr.m_iCurrentRoute == kPodiumRoute && place >= 1 && place <= 3) {
        StartScene("outro");
        // The podium's scene ends with the result; without the scene the result comes at once.
        if (g_CutsceneMgr.m_pActiveScene) return;
    }
    ShowResult();
}

void CPlayer::RenderFade() {
    if (m_fFade > 1.0f) return;
    const float w = static_cast<float>(g_Settings.m_iScreenWidth), h = static_cast<float>(g_Settings.m_iScreenHeight);
    if (!m_FadeRect.m_bCreated) m_FadeRect.Create("bialy.tga", 0, 0, w, h, 0);
    m_FadeRect.SetRect(0, 0, w, h);
    m_FadeRect.SetColor(static_cast<uint32_t>(2.0f * (1.0f - m_fFade)) << 24);
    m_FadeRect.RenderWithStates(false, true);
}

void CPlayer::ShowResult() {
    m_bFadeStarted = 0;
    const int place = ChoosePlace();
    PlaySound3D(nullptr, &m_pEngineSound, false, false);
    m_bRunFinished = 1;
    const bool podium = place >= 1 && place <= 3;
    const char* const* keys = kResultKeys[podium ? place - 1 : 3];
    const RouteRecord* route = Route();
    const int prize = podium && route ? route->m_iPrizes[place - 1] : 0;
    char time[16];
    FormatLapTimeString(m_fRunTime, time);
    if (podium) {
        std::snprintf(m_szResultLines[0], sizeof m_szResultLines[0], "%s %s", g_TextMgr.GetText(keys[0]), time);
        std::snprintf(m_szResultLines[1], sizeof m_szResultLines[1], "%s", g_TextMgr.GetText(keys[1]));
        std::snprintf(m_szResultLines[2], sizeof m_szResultLines[2], "%s %i", g_TextMgr.GetText(keys[2]), prize);
    } else {
        for (int i = 0; i < 3; ++i)
            std::snprintf(m_szResultLines[i], sizeof m_szResultLines[i], "%s", g_TextMgr.GetText(keys[i]));
    }
    char line[96];
    std::snprintf(line, sizeof line, "Result: place %i, time %s, prize %i", place, time, prize);
    g_Console.Print(line);
    g_VehiclesHooks.bookRaceResult(g_RoutesMgr.m_iCurrentRoute, place, m_fRunTime, prize);
    m_iResultPlace = podium ? place : -1;
    g_VehiclesHooks.showResultPage(podium ? kSuccessPicture : kDefeatPicture);
}

void CPlayer::ShowDefeat() {
    if (m_bFadeStarted) return;
    m_bRunFinished = 1;
    m_bDrivingEnabled = 0;
    g_Input.StopActiveEffect();
    PlaySound3D(nullptr, &m_pEngineSound, false, false);
    g_RuchMgr.RemoveAllCars();
    for (int i = 0; i < 3; ++i)
        std::snprintf(m_szResultLines[i], sizeof m_szResultLines[i], "%s", g_TextMgr.GetText(kResultKeys[3][i]));
    g_Console.Print("Result: defeat");
    g_VehiclesHooks.bookDefeat();
    m_iResultPlace = -1;
    g_VehiclesHooks.showResultPage(kDefeatPicture);
}
