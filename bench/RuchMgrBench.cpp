// The demo race on the null backends: five opponents and a sixth machine driven as the combine
// (the demo has no combine model, so a tractor stands in for it) follow the race's road for 60
// simulated seconds while the player holds the throttle. Reports the opponents' own step
// (RuchMgr::Update, without the physics step it leaves to the player's frame) in microseconds per
// frame, goal under 50, and the whole frame's time with the opponents and, in the same race once
// they are removed, without them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "BenchGame.h"
#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/FloorHooks.h"
#include "app/WinMain.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/FrameFacts.h"
#include "game/CLoadingScreen.h"
#include "game/CMainGame.h"
#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"
#include "support/TestSupport.h"
#include "vehicles/CPlayer.h"
#include "vehicles/RuchMgr.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kScript = "240 keydown Space\n241 keyup Space\n453 keydown Up\n";
// Through the loading, the countdown and the start: the race runs.
constexpr int kWarmUpFrames = 460;
constexpr int kRaceFrames = 60 * 60;

void Pump() {
    plat::Message message;
    while (plat::PeekMessage(message)) plat::DispatchMessage(message);
}

// One pass of the main loop; the opponents' step is taken out of the player's frame and timed on
// its own right after it.
double Frame(bool timeOpponents) {
    Pump();
    if (!g_Engine.UpdateTimer()) return 0;
    g_FrameFacts.frameTime = g_Engine.m_fFrameTime;
    g_Engine.Update();
    const uint8_t started = g_RuchMgr.m_bStarted;
    if (timeOpponents) g_RuchMgr.m_bStarted = 0;
    g_MainGame.Update();
    g_RuchMgr.m_bStarted = started;
    double seconds = 0;
    if (timeOpponents) {
        const Clock::time_point start = Clock::now();
        g_RuchMgr.Update();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    if (g_Engine.m_bWorldRender) g_D3DMain.RenderFrame();
    return seconds;
}

bool StartRace(const std::filesystem::path& dir) {
    if (!bench::StartGameIn(dir, kScript, plat::VideoBackend::Null, "race bench")) return false;
    g_MainGame.Start();
    for (int i = 0; i < kWarmUpFrames; ++i) {
        Pump();
        if (!g_Engine.UpdateTimer()) continue;
        g_FrameFacts.frameTime = g_Engine.m_fFrameTime;
        g_Engine.Update();
        g_MainGame.Update();
        if (g_Engine.m_bWorldRender) g_D3DMain.RenderFrame();
        if (g_LoadingScreen.m_bActive) g_LoadingScreen.Render();
        if (g_Engine.m_szPendingWorld[0]) g_Engine.ProcessStartWorld(g_Engine.m_szPendingWorld);
    }
    return g_RuchMgr.m_bStarted && g_RuchMgr.m_bRaceStarted;
}

void EndRace() {
    RequestQuit();
    g_Console.CloseLog();
    g_Console.FreeVariables();
    g_Input.Release();
    plat::SetStartDirectory(std::filesystem::current_path());
}

// A sixth machine on the race's road, driven by the combine's rules.
void AddStandInCombine() {
    g_RuchMgr.DodajCar(5, g_Player.m_dDistance + 10.0, 1, RuchCar::kOpponent, 0);
    g_RuchMgr.m_Cars[5].m_iType = RuchCar::kCombine;
}

// The race with the opponents and the combine, timed by the benchmark; then the same number of
// frames of the same race with every machine removed, timed by hand, for the comparison.
void RaceFrame(benchmark::State& state) {
    test::TempDir dir;
    if (!StartRace(dir.path())) {
        state.SkipWithError("the race did not start");
        return;
    }
    AddStandInCombine();
    int active = 0;
    for (const RuchCar& car : g_RuchMgr.m_Cars) active += car.m_bActive && car.m_pObject;
    double opponentSeconds = 0;
    int frames = 0;
    const Clock::time_point withStart = Clock::now();
    for (auto _ : state) {
        opponentSeconds += Frame(true);
        ++frames;
    }
    const double with = std::chrono::duration<double>(Clock::now() - withStart).count();
    g_RuchMgr.RemoveAllCars();
    const Clock::time_point withoutStart = Clock::now();
    for (int i = 0; i < frames; ++i) Frame(false);
    const double without = std::chrono::duration<double>(Clock::now() - withoutStart).count();
    state.counters["machines"] = active;
    state.counters["opponents_us"] = frames ? opponentSeconds / frames * 1e6 : 0;
    state.counters["frame_us"] = frames ? with / frames * 1e6 : 0;
    state.counters["frame_us_without"] = frames ? without / frames * 1e6 : 0;
    EndRace();
}

BENCHMARK(RaceFrame)->Iterations(kRaceFrames)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
