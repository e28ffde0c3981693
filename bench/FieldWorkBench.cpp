// The field work's cost per frame on a 200 x 200 field of the demo's wheat density: a combine with
// a 6-unit cutter bar harvesting across it, and a plough of three shares working its 1.4-unit grid;
// each frame is the main game's field work and the engine's hub (goal: median below 0.3 ms). The
// counters give the median and the 95th percentile in microseconds and the plants or cells worked.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mesh/EMeshMgr.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "render/EFXMgr.h"
#include "support/TestSupport.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/PGroundMgr.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"
#include "world/CollisionFixture.h"
#include "world/EEngine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr float kField = 100.0f;  // the field's half size
constexpr float kStep = 0.1f;     // 6 units a second at 60 frames

std::string Quad(float half, float height, const char* texture) {
    char text[768];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 4;\n %g;%g;%g;, %g;%g;%g;, %g;%g;%g;, %g;%g;%g;;\n 2;\n 3;0,1,2;, 3;0,2,3;;\n"
                  " MeshMaterialList {\n  1;\n  2;\n  0,0;;\n"
                  "  Material { 1.0;1.0;1.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"%s\"; } }\n"
                  " }\n}\n",
                  -half, height, -half, -half, height, half, half, height, half, half, height, -half, texture);
    return text;
}

// The demo's effects and field textures, the field, a machine's box and the plough's shares, and
// the wheat's grass script as the field world has it.
void WriteFarm(const fs::path& dir) {
    const fs::path game = FURROW_GAME_DIR;
    fs::copy(game / "afx", dir / "afx");
    fs::create_directories(dir / "textures");
    fs::copy(game / "textures" / "fields", dir / "textures" / "fields");
    fs::create_directories(dir / "scripts" / "grass");
    fs::create_directories(dir / "scripts" / "mesh_sockets");
    fs::create_directories(dir / "m");
    fs::create_directories(dir / "worlds");
    test::WriteWholeFile(dir / "m" / "field.x", Quad(kField, 0, "field.tga"));
    test::WriteWholeFile(dir / "m" / "machine.x", Quad(0.5f, 40, "field.tga"));
    test::WriteWholeFile(dir / "worlds" / "bench.w", "");
    test::WriteWholeFile(dir / "scripts" / "mesh_sockets" / "machine.txt",
                         "mesh_filename m\\machine.x\nsocket plug0 -1 0 0\nsocket plug1 0 0 0\nsocket plug2 1 0 0\n");
    test::WriteWholeFile(dir / "scripts" / "grass" / "bench.txt",
                         "world worlds\\bench.w\ngrows zboze.tga\ncrop\nwidth 1.2\nheight 1.1\ndensity 0.9\n"
                         "random_seed 0.8\nmesh pole\n");
    plat::SetStartDirectory(dir);
}

EObjectSlot* Place(const char* name, const char* model) {
    const DV at{};
    EObjectSlot* o = g_Engine.CreateObject(OT_MESH, model, kDefaultObjectFlags, 0, &at, nullptr);
    if (o) std::snprintf(o->m_szName, sizeof o->m_szName, "%s", name);
    return o;
}

struct Farm {
    test::TempDir dir;
    RouteRecord route;
    EObjectSlot vehicle;
    Truck vehicleTruck, machineTruck;
    EObjectSlot* machine = nullptr;

    Farm() {
        WriteFarm(dir.path());
        g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
        test::ResetGlobal(g_Engine);
        test::InstallCollisionHooks();
        g_MeshHooks.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o && o->m_bUsed ? o->Mesh() : nullptr; };
        std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "worlds\\bench.w");
        g_MeshSocketsMgr.LoadAll();
        g_FXMgr.LoadResources();
        g_GroundMgr.Init();
        Place("pole", "m\\field.x");
        machine = Place("maszyna", "m\\machine.x");
        machine->m_uFlags &= ~FLAG_STATIC_LEVEL_MESH;
        machine->m_hTruck = &machineTruck;
        g_PlantMgr.LoadGrass();
        plat::SeedRandom(1);
        g_PlantMgr.CreateGrass();
        route.Reset();
        std::snprintf(route.m_szField, sizeof route.m_szField, "pole");
        g_RoutesMgr.m_pCurrentRoute = &route;
        vehicle.m_hTruck = &vehicleTruck;
        g_Player.m_pVehicle = &vehicle;
        g_Engine.m_fFrameTime = 1.0f / 60.0f;
    }
    ~Farm() {
        machine->m_hTruck = nullptr;
        g_Player.m_pVehicle = nullptr;
        g_RoutesMgr.m_pCurrentRoute = nullptr;
        g_PlantMgr.Release();
        g_GroundMgr.Shutdown();
        g_FXMgr.Release();
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        g_MeshMgr.ReleaseAll();
        test::RemoveCollisionHooks();
        g_MeshHooks = MeshHooks{};
        g_pd3dDevice.reset();
        plat::SetStartDirectory(fs::current_path());
    }

    // The machine's next place on its passes up and down the field, 6 units apart.
    DV Along(int frame) const {
        const int perPass = static_cast<int>(2 * kField / kStep);
        const int pass = frame / perPass % 33;
        const float z = -kField + kStep * static_cast<float>(frame % perPass);
        return DV{-kField + 3 + 6.0f * static_cast<float>(pass), 0, pass % 2 ? -z : z};
    }
};

void Frame() {
    g_PlantMgr.UpdateHarvest();
    g_PlantMgr.UpdateGrassMowing();
    g_PlantMgr.UpdateBaling();
    g_PlantMgr.UpdatePloughing();
    g_PlantMgr.UpdatePlanting();
    g_PlantMgr.UpdateSowing();
    g_PlantMgr.UpdateFieldWork();
}

void Report(benchmark::State& state, std::vector<double>& micros) {
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p95_us"] = micros[micros.size() * 95 / 100];
}

// Arg 0: the combine harvesting. Arg 1: the plough.
void FieldWork(benchmark::State& state) {
    Farm farm;
    const bool plough = state.range(0) != 0;
    if (plough) {
        farm.route.m_bPloughing = 1;
        farm.machineTruck.m_bPlug = 1;
        farm.machineTruck.m_iPloughLiftState = 1;
        farm.vehicleTruck.m_pPartner = farm.machine;
        g_PlantMgr.CreatePloughingGround();
    } else {
        farm.route.m_bMowing = 1;
        farm.machineTruck.m_bKombajn = 1;
        g_PlantMgr.RegisterCombine(farm.machine);
    }
    std::vector<double> micros;
    int frame = 0;
    for (auto _ : state) {
        const DV at = farm.Along(frame++);
        g_Engine.SetObjectPosition(farm.machine, at, false);
        farm.machineTruck.m_vCutterBar[0] = at - DV{3, 0, 0};
        farm.machineTruck.m_vCutterBar[1] = at + DV{3, 0, 0};
        farm.machineTruck.m_dGrainFill = 0;
        const Clock::time_point start = Clock::now();
        Frame();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    Report(state, micros);
    if (plough) {
        state.counters["cells"] = g_PlantMgr.m_dwGroundCells;
        state.counters["worked_pct"] = g_PlantMgr.m_fProgress[EPlantMgr::kPloughing];
    } else {
        state.counters["plants"] = g_PlantMgr.m_Grass[0].dwGrassesDefined;
        state.counters["cut_pct"] = g_PlantMgr.m_fProgress[EPlantMgr::kHarvest];
    }
}

}  // namespace

BENCHMARK(FieldWork)->Arg(0)->Arg(1)->Iterations(6000)->Unit(benchmark::kMicrosecond);
