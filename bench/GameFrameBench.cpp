// The whole game frame, headless on the null backends, on the demo route with the race tractor
// driving: the program's own frame (the engine's update, the main game's update with the player's
// frame and the physics step, effects and sound, and the render on the recording device), run as
// the main loop runs it once the message queue is empty. The game starts once; every repetition
// then drives on. Reports frames per second; the goal is above 1000, so that the renderer, not
// the game, limits the frame rate.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "BenchGame.h"
#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/FloorHooks.h"
#include "app/WinMain.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "game/CMainGame.h"
#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"
#include "support/TestSupport.h"
#include "vehicles/CPlayer.h"
#include "world/CRoutesMgr.h"

namespace {

// Key presses of the warm-up: the start prompt, the camera behind, then the throttle and, once
// the machine is out of the hedged lane of the start, the left key held, so that it circles on the
// meadow however long the benchmark runs.
constexpr const char* kScript =
    "240 keydown Space\n241 keyup Space\n260 keydown C\n261 keyup C\n270 keydown C\n271 keyup C\n"
    "453 keydown Up\n813 keydown Left\n";
constexpr int kWarmUpFrames = 900;

std::unique_ptr<test::TempDir> g_dir;

// The main loop's pass: every queued message is handled, then the frame runs.
void LoopPass() {
    plat::Message message;
    while (plat::PeekMessage(message)) plat::DispatchMessage(message);
    RunFrame();
}

// Starts the demo game in a copy of its folder, as the program starts it, and runs the loading
// and the countdown until the machine is released; false when it was not.
bool StartGame() {
    g_dir = std::make_unique<test::TempDir>();
    if (!bench::StartGameIn(g_dir->path(), kScript, plat::VideoBackend::Null, "game frame bench")) return false;
    g_MainGame.Start();
    for (int i = 0; i < kWarmUpFrames; ++i) LoopPass();
    return g_Player.m_pVehicle && g_Player.m_bDrivingEnabled;
}

void StopGame() {
    RequestQuit();
    g_Console.CloseLog();
    g_Console.FreeVariables();
    g_Input.Release();
    plat::SetStartDirectory(std::filesystem::current_path());
    g_dir.reset();
}

void GameFrame(benchmark::State& state) {
    for (auto _ : state) LoopPass();
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["speed"] = g_Player.m_fSpeed;
}

// The machine is shared with other work: the frame runs in five repetitions, compared by median.
BENCHMARK(GameFrame)->Iterations(3000)->Repetitions(5)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!StartGame()) {
        std::fprintf(stderr, "the demo game did not start or the machine was not released\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    StopGame();
    return 0;
}
