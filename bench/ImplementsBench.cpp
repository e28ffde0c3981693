// The machines' world with 16 tractors driving circles on flat ground for 10 simulated seconds,
// once each towing a trailer on its drawbar (the trailer's hitch body, hinge and coupling, its
// wheels steered after the tractor) and once alone. Prints the physics frame of both and their
// ratio; the goal is that the implements cost at most 1.5x the machines alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/FloorHooks.h"
#include "mesh/EMeshMgr.h"
#include "mesh/EMeshSocketsMgr.h"
#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"
#include "vehicles/Physics.h"
#include "world/EEngine.h"

namespace {

constexpr float kStep = 1.0f / 60.0f;
constexpr int kFrames = 600;
constexpr int kMachines = 16;
constexpr float kSpacing = 24.0f;
constexpr float kForce = 1500.0f;
constexpr float kSteering = 0.3f;

std::filesystem::path g_dir;

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories((g_dir / path).parent_path());
    std::ofstream(g_dir / path) << text;
}

std::string Box(float x0, float y0, float z0, float x1, float y1, float z1) {
    char text[768];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 8;\n %g;%g;%g;, %g;%g;%g;, %g;%g;%g;, %g;%g;%g;,\n"
                  " %g;%g;%g;, %g;%g;%g;, %g;%g;%g;, %g;%g;%g;;\n 12;\n 3;0,2,1;, 3;0,3,2;, 3;4,5,6;, 3;4,6,7;,"
                  " 3;0,1,5;, 3;0,5,4;, 3;2,3,7;, 3;2,7,6;, 3;1,2,6;, 3;1,6,5;, 3;0,4,7;, 3;0,7,3;;\n}\n",
                  x0, y0, z0, x1, y0, z0, x1, y1, z0, x0, y1, z0, x0, y0, z1, x1, y0, z1, x1, y1, z1, x0, y1, z1);
    return text;
}

// The bench's tractor, trailer with its drawbar, wheels and a flat ground of 400 x 400.
void SetUp() {
    g_dir = std::filesystem::temp_directory_path() / ("furrow_implements_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_dir);
    plat::SetStartDirectory(g_dir);
    plat::BackendChoice choice = plat::Backends();
    choice.video = plat::VideoBackend::Null;
    plat::SetBackends(choice);
    g_pD3D = gfx::CreateSystem();
    gfx::PresentParameters pp;
    pp.backBufferWidth = 64;
    pp.backBufferHeight = 64;
    g_pD3D->CreateDevice(nullptr, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice);
    Write("bench/ground.x",
          "xof 0303txt 0032\nMesh {\n 4;\n -200;0;-200;, -200;0;200;, 200;0;200;, 200;0;-200;;\n"
          " 2;\n 3;0,1,2;, 3;0,2,3;;\n}\n");
    Write("bench/tractor.x", Box(-0.8f, 0.4f, -1.5f, 0.8f, 2.0f, 1.5f));
    Write("bench/trailer.x", Box(-1, 0.8f, -2, 1, 2.0f, 2));
    Write("bench/drawbar.x", Box(-0.1f, -0.1f, -0.75f, 0.1f, 0.1f, 0.75f));
    Write("bench/wheel.x", Box(-0.2f, -0.5f, -0.5f, 0.2f, 0.5f, 0.5f));
    Write("scripts/mesh_sockets/tractor.txt",
          "mesh_filename bench\\tractor.x\nsocket fl -0.9 0.5 1\nsocket fr 0.9 0.5 1\nsocket rl -0.9 0.5 -1\n"
          "socket rr 0.9 0.5 -1\nsocket hak 0 0.6 -1.9\n");
    Write("scripts/mesh_sockets/trailer.txt",
          "mesh_filename bench\\trailer.x\nsocket fl -1.1 0.5 1.5\nsocket fr 1.1 0.5 1.5\nsocket rl -1.1 0.5 -1.5\n"
          "socket rr 1.1 0.5 -1.5\nsocket hak 0 0.6 -2.2\nsocket zaczep 0 0.6 2.3\n");
    Write("scripts/mesh_sockets/drawbar.txt",
          "mesh_filename bench\\drawbar.x\nsocket przyczepa 0 0 -0.75\nsocket traktor 0 0 0.75\n");
    const std::string wheels = "front_wheel bench\\wheel.x fl 0.5 0 0\nfront_wheel bench\\wheel.x fr 0.5 0 0\n"
                               "wheel bench\\wheel.x rl 0.5 0 0\nwheel bench\\wheel.x rr 0.5 0 0\nhak hak\n";
    Write("scripts/vehicles/tractor.txt", "Vehicle Bench\nprefab bench\\tractor.x\ntraktor\nplayer_can_drive\nMass 800\n" + wheels);
    Write("scripts/vehicles/trailer.txt", "Vehicle Bench Trailer\nprefab bench\\trailer.x\nprzyczepa\nMass 600\n" + wheels +
                                              "zaczep bench\\drawbar.x zaczep przyczepa traktor\n");
    InstallFloorHooks();
    g_MeshSocketsMgr.LoadAll();
    g_Physics.Init();
}

// A fresh world: the ground and the tractors in rows, each with its trailer coupled behind when
// asked (the drawbar's tractor end on the tractor's hook).
std::vector<EObjectSlot*> Build(bool implements) {
    for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
    g_Physics.OnExitWorld();
    EObjectSlot* ground = g_Engine.CreateObject(OT_MESH, "bench\\ground.x", kDefaultObjectFlags, 0, nullptr, nullptr);
    g_Physics.CreateStaticTriMesh(ground);
    std::vector<EObjectSlot*> tractors;
    for (int i = 0; i < kMachines; ++i) {
        const DV at{(i % 4 - 1.5f) * kSpacing, 0.05f, (i / 4 - 1.5f) * kSpacing};
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, "bench\\tractor.x", kDefaultObjectFlags, 0, &at, nullptr);
        g_Physics.DisableTruckDeactivation(o);
        g_Physics.ReleaseTruckControls(o);
        tractors.push_back(o);
        if (!implements) continue;
        const DV behind = at + DV{0, 0, -5.7f};
        EObjectSlot* trailer = g_Engine.CreateObject(OT_MESH, "bench\\trailer.x", kDefaultObjectFlags, 0, &behind, nullptr);
        g_Physics.CoupleImplement(o, trailer);
    }
    return tractors;
}

// One iteration drives 10 simulated seconds from a fresh world.
void Drive(benchmark::State& state, bool implements) {
    g_Engine.m_fFrameTime = kStep;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<EObjectSlot*> tractors = Build(implements);
        state.ResumeTiming();
        for (int frame = 0; frame < kFrames; ++frame) {
            for (EObjectSlot* o : tractors) {
                g_Physics.SetTruckDrive(o, kForce, kSteering);
                g_Physics.SetTruckControls(o);
            }
            g_Physics.Update();
        }
    }
}

void BM_Towing(benchmark::State& state) { Drive(state, true); }
void BM_Alone(benchmark::State& state) { Drive(state, false); }

BENCHMARK(BM_Towing)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Alone)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3)->ReportAggregatesOnly(true);

// Keeps the median CPU time of each case.
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median") m_median[run.run_name.function_name] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_median;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    SetUp();
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    // The medians are of 10 simulated seconds (600 frames), in milliseconds.
    const double towing = summary.m_median["BM_Towing"] * 1000.0 / kFrames;
    const double alone = summary.m_median["BM_Alone"] * 1000.0 / kFrames;
    std::printf("\n16 tractors, physics frame (median CPU time): towing %.1f us, alone %.1f us, ratio %.2fx\n", towing,
                alone, alone > 0 ? towing / alone : 0.0);
    std::printf("goal: implements cost at most 1.5x the machines alone\n");
    for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
    g_Physics.OnExitWorld();
    g_MeshMgr.ReleaseAll();
    g_pd3dDevice.reset();
    std::filesystem::remove_all(g_dir);
    return 0;
}
