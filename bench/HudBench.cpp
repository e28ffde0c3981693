// The HUD on the GL backend at 800 x 600, in the demo race with the race tractor driving: the time
// of one HUD draw (the dashboard, the map window, the panel and their texts) and of one overview
// map render into its target, whose sum has a goal of under 0.5 ms of CPU a frame; the HUD's own
// work alone (its draw onto a canvas that draws nothing: the layout, the quads' vertices, the heat
// model); and the frame rate of the whole game frame with the HUD and the map against the same
// frames without them (the free camera's switch hides both). On Mesa's software rasterizer the
// pixels of the HUD's large blended quads are drawn on the CPU too, and count in its times.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchGame.h"
#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/FloorHooks.h"
#include "app/WinMain.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "game/CHudPanel.h"
#include "game/HudCanvas.h"
#include "game/CLoadingScreen.h"
#include "game/CMainGame.h"
#include "game/PAutoMap.h"
#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"
#include "support/TestSupport.h"
#include "vehicles/CPlayer.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

// The start prompt, then the throttle; once out of the start's lane the machine circles on the
// meadow however long the benchmarks run.
constexpr const char* kScript = "240 keydown Space\n241 keyup Space\n453 keydown Up\n813 keydown Left\n";
constexpr int kWarmUpFrames = 900;

void Pump() {
    plat::Message message;
    while (plat::PeekMessage(message)) plat::DispatchMessage(message);
}

// One pass of the main loop as the game runs it.
void Frame() {
    Pump();
    if (!g_Engine.UpdateTimer()) return;
    g_FrameFacts.frameTime = g_Engine.m_fFrameTime;
    g_Engine.Update();
    g_MainGame.Update();
    if (g_Engine.m_bWorldRender) g_D3DMain.RenderFrame();
    if (g_LoadingScreen.m_bActive) g_LoadingScreen.Render();
    if (g_Engine.m_szPendingWorld[0]) g_Engine.ProcessStartWorld(g_Engine.m_szPendingWorld);
}

// The demo race, started once for every benchmark, driven past its countdown.
class Race {
public:
    static Race& Get() {
        static Race race;
        return race;
    }
    static bool Ready() { return Get().m_ready; }
    // The game's own way out: the world, the device and the log go before the program ends.
    void Close() {
        if (!m_started) return;
        RequestQuit();
        g_Console.CloseLog();
        g_Console.FreeVariables();
        g_Input.Release();
        plat::SetStartDirectory(std::filesystem::current_path());
        m_started = m_ready = false;
    }

private:
    Race() {
        if (!bench::StartGameIn(m_dir.path(), kScript, plat::VideoBackend::Gl, "hud bench")) return;
        m_started = true;
        g_MainGame.Start();
        for (int i = 0; i < kWarmUpFrames; ++i) Frame();
        m_ready = g_Player.m_pVehicle && g_Player.m_bDrivingEnabled && g_AutoMap.m_pTexture;
    }

    test::TempDir m_dir;
    bool m_started = false;
    bool m_ready = false;
};

// A canvas that draws nothing: what is left is the HUD's own work.
class NoCanvas final : public HudCanvas {
public:
    void BeginStates(ERect&) override {}
    void EndStates(ERect&) override {}
    void Quad(ERect&) override {}
    void QuadInViewport(ERect&, const gfx::BaseTexture*, uint32_t, uint32_t, uint32_t, uint32_t) override {}
    void Print(const char*, float, float, uint32_t, float, bool) override {}
};

// Argument 1: drawn on the screen; 0: onto a canvas that draws nothing.
void HudDraw(benchmark::State& state) {
    if (!Race::Ready()) return state.SkipWithError("the race did not start");
    static NoCanvas nothing;
    g_HudPanel.m_pCanvas = state.range(0) ? &g_HudScreen : static_cast<HudCanvas*>(&nothing);
    gfx::Device& device = *g_pd3dDevice;
    for (auto _ : state) {
        device.BeginScene();
        g_HudPanel.Draw();
        device.EndScene();
        state.PauseTiming();
        device.Present();
        state.ResumeTiming();
    }
    g_HudPanel.m_pCanvas = &g_HudScreen;
}

void MapRender(benchmark::State& state) {
    if (!Race::Ready()) return state.SkipWithError("the race did not start");
    for (auto _ : state) {
        g_AutoMap.RenderToTarget();
        state.PauseTiming();
        g_pd3dDevice->Present();
        state.ResumeTiming();
    }
}

// The whole frame; argument 1 with the HUD and the map, 0 without.
void RaceFrame(benchmark::State& state) {
    if (!Race::Ready()) return state.SkipWithError("the race did not start");
    g_Settings.m_bMucha = state.range(0) ? 0 : 1;
    int frames = 0;
    for (auto _ : state) {
        Frame();
        ++frames;
    }
    g_Settings.m_bMucha = 0;
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}

BENCHMARK(HudDraw)->Arg(1)->Arg(0)->Iterations(2000)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(MapRender)->Iterations(2000)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(RaceFrame)->Arg(1)->Arg(0)->Iterations(600)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Race::Get().Close();
    benchmark::Shutdown();
    return 0;
}
