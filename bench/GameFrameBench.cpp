// The whole game frame, headless on the null backends, on the demo route with the race tractor
// driving: the engine's update, the main game's update with the player's frame (input and
// drivetrain, the physics step, position, smoke, camera), effects and sound, and the render on the
// recording device. Reports frames per second and each profiler section's share of the frame. The
// goal is above 1000 frames per second, so that the renderer, not the game, limits the frame rate.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/FloorHooks.h"
#include "app/WinMain.h"
#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
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
#include "render/EFXMgr.h"
#include "support/TestSupport.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

// The sections of the frame by their profiler ids: 0 the engine's update, 200 the rest of the main
// game's update, 204 the player's input, 210 and 220 the drivetrain and controls, 230 the physics
// step, 240 position and velocity, 260 the level checks and smoke, 272 the camera; the render.
enum Part { kEngine, kGameRest, kInput, kDriving, kPhysics, kPosition, kLevel, kCamera, kRender, kParts };
constexpr const char* kPartNames[kParts] = {"s0_engine",   "s200_game",  "s204_input", "s210_driving", "s230_physics",
                                            "s240_motion", "s260_level", "s272_camera", "render"};

// Key presses of the warm-up: the start prompt, the camera behind, then the throttle and, once
// the machine is out of the hedged lane of the start, the left key held, so that it circles on the
// meadow however long the benchmark runs.
constexpr const char* kScript =
    "240 keydown Space\n241 keyup Space\n260 keydown C\n261 keyup C\n270 keydown C\n271 keyup C\n"
    "453 keydown Up\n813 keydown Left\n";
constexpr int kWarmUpFrames = 900;

struct Timer {
    double (&seconds)[kParts];
    template <typename F>
    void operator()(Part part, F&& work) {
        const Clock::time_point start = Clock::now();
        work();
        seconds[part] += std::chrono::duration<double>(Clock::now() - start).count();
    }
};

void Pump() {
    plat::Message message;
    while (plat::PeekMessage(message)) plat::DispatchMessage(message);
}

// The main loop's frame, its sections timed: the main game's and the player's update in the order
// their own updates keep.
void Frame(double (&seconds)[kParts]) {
    Pump();
    if (!g_Engine.UpdateTimer()) return;
    g_FrameFacts.frameTime = g_Engine.m_fFrameTime;
    Timer time{seconds};
    time(kEngine, [] { g_Engine.Update(); });
    CPlayer& p = g_Player;
    time(kGameRest, [] {
        g_MainGame.StartLevel();
        g_Camera.Update(false);
    });
    time(kInput, [&] {
        p.m_fFrameTime = g_Engine.m_fFrameTime;
        p.ReadInput();
    });
    time(kDriving, [&] {
        p.UpdateGearChange();
        p.UpdateDrivetrain();
        p.UpdateSteering();
        p.ApplyControls();
    });
    time(kPhysics, [&] {
        g_Physics.SetTruckControls(p.m_pVehicle);
        g_Physics.Update();
    });
    time(kPosition, [&] {
        p.UpdatePosition();
        p.UpdateVelocity();
    });
    time(kLevel, [&] {
        p.CheckTipOver();
        p.UpdateExhaustSmoke();
    });
    time(kCamera, [&] {
        p.UpdateFieldOfView();
        p.UpdateCamera();
        p.UpdateEngineSound();
    });
    time(kGameRest, [] {
        g_FXMgr.Update(false);
        g_SoundMgr.Update();
    });
    time(kRender, [] { g_D3DMain.RenderFrame(); });
}

void GameFrame(benchmark::State& state) {
    test::TempDir dir;
    test::CopyGameTo(dir.path());
    test::WriteWholeFile(dir.path() / "input.txt", kScript);
    plat::SetStartDirectory(dir.path());
    plat::BackendChoice choice;
    choice.video = plat::VideoBackend::Null;
    choice.audio = plat::AudioBackend::Null;
    choice.input = plat::InputBackend::Script;
    choice.inputScript = (dir.path() / "input.txt").string();
    choice.clock = plat::ClockBackend::Fixed;
    choice.fixedFramesPerSecond = 60;
    plat::SetBackends(choice);

    InstallFloorHooks();
    g_Console.ExecFile("qv.cfg");
    plat::RegisterWindowClass({"game frame bench", WndProc});
    plat::WindowDesc desc;
    desc.className = "game frame bench";
    desc.title = "game frame bench";
    desc.caption = true;
    desc.width = 800;
    desc.height = 600;
    g_hWnd = plat::CreateMainWindow(desc);
    g_pD3D = gfx::CreateSystem();
    g_Input.Init();
    g_RoutesMgr.Load();
    g_D3DMain.Create(g_hWnd);
    if (!g_D3DMain.m_bCreated) {
        state.SkipWithError("no device");
        return;
    }
    g_FocusMgr.SetOnFocus();
    g_MainGame.Start();

    // The loading and the countdown run the main loop's own frame.
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
    if (!g_Player.m_pVehicle || !g_Player.m_bDrivingEnabled) {
        state.SkipWithError("the machine was not released");
        return;
    }

    double seconds[kParts] = {};
    int frames = 0;
    for (auto _ : state) {
        Frame(seconds);
        ++frames;
    }
    double total = 0;
    for (double s : seconds) total += s;
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["speed"] = g_Player.m_fSpeed;
    for (int i = 0; i < kParts; ++i) state.counters[kPartNames[i]] = total > 0 ? seconds[i] / total : 0;

    RequestQuit();
    g_Console.CloseLog();
    g_Console.FreeVariables();
    g_Input.Release();
    plat::SetStartDirectory(std::filesystem::current_path());
}

BENCHMARK(GameFrame)->Iterations(3000)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
