// The fields' costs. Placement: the plants of a 200 x 200 field at the demo's wheat density (a
// segment down at three grid points in four) against reading the same placement from its cache
// (goal: the cache at least ten times faster). Grass: the renderer's frame at 800 x 600 on the GL
// backend from a chase camera at the edge of that field, with terrain tufts all round (goal: 30
// frames a second; the grass's draw calls within 1.2 times the kinds and sectors in view). Ground
// marks: 20,000 marks of one kind faded in and drawn on the recording device, the CPU time of a
// frame while all of them have faded in and while new ones keep coming (goal: below 0.5 ms).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "collision/ECollisionMgr.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "core/NumericHelpers.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"
#include "platform/os/Window.h"
#include "render/AmbientProbe.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "support/TestSupport.h"
#include "support/TextureFiles.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/PGroundMgr.h"
#include "world/CollisionFixture.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kWidth = 800;
constexpr uint32_t kHeight = 600;
constexpr const char* kWorld = "worlds\\bench.w";
constexpr float kField = 100.0f;   // the field's half size
constexpr float kGround = 200.0f;  // the ground's and the tufts' half size

// A flat quad facing up, from -half to half in x and z, with the texture named.
std::string Quad(float half, const char* texture) {
    char text[768];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 4;\n %g;0;%g;, %g;0;%g;, %g;0;%g;, %g;0;%g;;\n 2;\n 3;0,1,2;, 3;0,2,3;;\n"
                  " MeshMaterialList {\n  1;\n  2;\n  0,0;;\n"
                  "  Material { 1.0;1.0;1.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"%s\"; } }\n"
                  " }\n}\n",
                  -half, -half, -half, half, half, half, half, -half, texture);
    return text;
}

// A start directory with the demo's effects and field textures, the ground and the field's models
// and the wheat's grass script as the field world has it (with the tufts on the grass when asked),
// and the box of the tufts.
void WriteFarm(const fs::path& dir, bool tufts) {
    const fs::path game = FURROW_GAME_DIR;
    fs::copy(game / "fx", dir / "fx");
    fs::create_directories(dir / "textures");
    fs::copy(game / "textures" / "system", dir / "textures" / "system");
    fs::copy(game / "textures" / "fields", dir / "textures" / "fields");
    fs::copy(game / "textures" / "models", dir / "textures" / "models");
    fs::create_directories(dir / "scripts" / "grass");
    fs::copy(game / "scripts" / "textures.txt", dir / "scripts" / "textures.txt");
    fs::copy(game / "scripts" / "textures", dir / "scripts" / "textures");
    fs::create_directories(dir / "m");
    fs::create_directories(dir / "worlds");
    test::WriteWholeFile(dir / "m" / "ground.x", Quad(kGround, "grass.tga"));
    test::WriteWholeFile(dir / "m" / "field.x", Quad(kField, "field.tga"));
    test::WriteWholeFile(dir / "worlds" / "bench.w", "");
    test::WriteWholeFile(dir / "m" / "area.x", Quad(kField + 40, "marker.tga"));
    test::WriteWholeFile(dir / "scripts" / "grass" / "bench.txt",
                         std::string(tufts ? "texture grass.tga\n" : "") + "world worlds\\bench.w\ngrows zboze.tga\ncrop\nwidth 1.2\nheight 1.1\ndensity 0.9\n"
                         "random_seed 0.8\nmesh pole\n");
    plat::SetStartDirectory(dir);
}

EObjectSlot* Place(const char* name, const char* model, float height) {
    const DV at{0, height, 0};
    EObjectSlot* o = g_Engine.CreateObject(OT_MESH, model, kDefaultObjectFlags, FLAG2_SEEN_FAR, &at, nullptr);
    if (o) std::snprintf(o->m_szName, sizeof o->m_szName, "%s", name);
    return o;
}

// The engine with its objects reached by collision and drawn by the renderer.
void StartEngine() {
    test::ResetGlobal(g_Engine);
    test::ResetGlobal(g_EngineObject);
    test::ResetGlobal(g_CollisionMgr);
    test::InstallCollisionHooks();
    g_MeshHooks.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o; };
    g_RenderHooks.objectTable = [] {
        return DrawObjectTable{&g_Engine.m_Objects[0], EEngine::kObjectSlots, sizeof(EObjectSlot)};
    };
    g_RenderHooks.renderGrass = [] { g_PlantMgr.RenderGrass(); };
    g_RenderHooks.cameraPosition = [] { return g_DrawCamera.position; };
    std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "%s", kWorld);
    g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration);
    g_Renderer.InitTextures();
    g_EffectMgr.Init();
    g_Renderer.OnStartWorld();
}

void StopEngine() {
    g_PlantMgr.Release();
    for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
    g_MeshMgr.ReleaseAll();
    test::RemoveCollisionHooks();
    g_Renderer.Release();
    g_EffectMgr.Release();
    g_RenderHooks = RenderHooks{};
    g_MeshHooks = MeshHooks{};
    g_pVertexDeclaration.reset();
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int64_t IgnoreMessages(plat::WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

// The GL device on an 800 x 600 window; false when there is none.
bool OpenGlDevice() {
    plat::RegisterWindowClass({"fields bench", IgnoreMessages});
    plat::WindowDesc desc;
    desc.className = "fields bench";
    desc.title = "furrow fields bench";
    plat::WindowHandle window = plat::CreateMainWindow(desc);
    g_pD3D = gfx::CreateSystem();
    gfx::PresentParameters pp;
    pp.backBufferWidth = kWidth;
    pp.backBufferHeight = kHeight;
    pp.autoDepthStencilFormat = gfx::FMT_D24S8;
    if (!window || !g_pD3D ||
        gfx::Failed(g_pD3D->CreateDevice(window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice)))
        return false;
    g_d3dpp = pp;
    g_Settings.SetScreenSize(kWidth, kHeight);
    return true;
}

void CloseGlDevice() {
    g_pSkinVertexDeclaration.reset();
    g_pd3dDevice.reset();
    g_pD3D.reset();
    plat::ResetWindows();
}

// ---- Placement and its cache ------------------------------------------------------------------

// Arg 0: the field's plants alone, on the recording device. Arg 1: the field in a meadow on the
// GL device, whose terrain tufts are placed through the ambient probe as the first start of a
// world places them.
void PlacementAndCache(benchmark::State& state) {
    const bool tufts = state.range(0) != 0;
    test::TempDir dir;
    WriteFarm(dir.path(), tufts);
    if (tufts && !OpenGlDevice()) {
        state.SkipWithError("no GL device");
        return;
    }
    if (!tufts) g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
    StartEngine();
    Place("pole", "m\\field.x", 0.02f);
    if (tufts) {
        Place("teren", "m\\ground.x", 0);
        Place("grass", "m\\area.x", -2);
        g_AmbientProbe.OnStartWorld();
    }
    double placing = 0, reading = 0;
    uint32_t plants = 0;
    for (auto _ : state) {
        fs::remove(dir.path() / "worlds" / "bench.w.grs");
        g_PlantMgr.Release();
        g_PlantMgr.LoadGrass();
        plat::SeedRandom(1);
        Clock::time_point start = Clock::now();
        g_PlantMgr.ComputeGrass();
        placing += Seconds(start);
        plants = g_PlantMgr.m_Grass[0].dwGrassesDefined;
        g_PlantMgr.Release();
        g_PlantMgr.LoadGrass();
        start = Clock::now();
        if (!g_PlantMgr.ComputeGrass()) state.SkipWithError("the cache was not read");
        reading += Seconds(start);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["plants"] = plants;
    state.counters["tufts"] = g_PlantMgr.m_TGrass.dwTPlants;
    state.counters["place_ms"] = placing / runs * 1000;
    state.counters["cache_ms"] = reading / runs * 1000;
    state.counters["speedup"] = reading > 0 ? placing / reading : 0;
    g_AmbientProbe.OnEndWorld();
    StopEngine();
    CloseGlDevice();
    plat::SetStartDirectory(fs::current_path());
}

// ---- Grass from the chase camera --------------------------------------------------------------

// Tufts where the demo's probe would put them on open grass: one cell of 1.4 in four, jittered.
void SowTufts() {
    TerrainGrass& t = g_PlantMgr.m_TGrass;
    t.m_fMinX = t.m_fMinZ = -kGround;
    t.m_fMaxX = t.m_fMaxZ = kGround;
    const uint32_t cells = static_cast<uint32_t>(2 * kGround / 1.4f) + 1;
    t.pTPlants = std::make_unique<TPlant[]>(size_t{cells} * cells);
    for (uint32_t r = 0; r < cells; ++r)
        for (uint32_t c = 0; c < cells; ++c) {
            if (plat::Random() % 4 != 0) continue;
            const DV at{-kGround + c * 1.4f + RandomFloat(0.9f), 0, -kGround + r * 1.4f + RandomFloat(0.9f)};
            if (std::fabs(at.x) < kField && std::fabs(at.z) < kField) continue;
            t.pTPlants[t.dwTPlants++] = TPlant{at, DV{0, 1, 0}, 0x00407020u, 1};
        }
}

// Whether a sphere lies at least partly inside the view: its centre within its radius of every
// side of the frustum (clip x, y within w, z from 0 to w).
bool InView(const DV& centre, float radius) {
    const pmath::Matrix m = g_DrawCamera.view * g_DrawCamera.projection;
    auto plane = [&](int column, float sign) {
        float p[4];
        for (int i = 0; i < 4; ++i) p[i] = m.m[i][3] + sign * m.m[i][column];
        const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        return (p[0] * centre.x + p[1] * centre.y + p[2] * centre.z + p[3]) / length >= -radius;
    };
    return plane(0, 1) && plane(0, -1) && plane(1, 1) && plane(1, -1) && plane(2, -1);
}

uint32_t KindsAndSectorsInView() {
    uint32_t n = 0;
    for (uint32_t i = 0; i < g_PlantMgr.m_dwGrass; ++i) n += InView(g_PlantMgr.m_Grass[i].m_vPosition, g_PlantMgr.m_Grass[i].m_fRadius);
    for (uint32_t i = 0; i < g_PlantMgr.m_dwTSectors; ++i)
        n += g_PlantMgr.m_pTSectors[i].m_dwTriangles && InView(g_PlantMgr.m_pTSectors[i].m_vCentre, 71.0f);
    return n;
}

void GrassFrame(benchmark::State& state) {
    test::TempDir dir;
    WriteFarm(dir.path(), false);
    if (!OpenGlDevice()) {
        state.SkipWithError("no GL device");
        return;
    }
    StartEngine();
    g_Sky.OnStartWorld();
    g_Sky.m_uPora = 1;
    g_ShadowMaps.CreateRenderTextures();
    Place("teren", "m\\ground.x", 0);
    Place("pole", "m\\field.x", 0.02f);
    g_PlantMgr.LoadGrass();
    plat::SeedRandom(1);
    g_PlantMgr.CreateGrass();
    SowTufts();
    g_PlantMgr.CreateAndFillTSectors();
    g_PlantMgr.CreateAndFillTVBuffers();
    // Behind and above a machine at the field's edge, looking across it.
    const DV eye{0, 3.5f, -kField - 8}, target{0, 1, -kField + 10};
    const DV ahead = target - eye;
    g_Camera.SetFarZ(1000.0f);
    g_Camera.SetOrientation(EOrientation::EOrientationFromDirection(&ahead));
    g_Camera.SetPosition(eye);
    g_Settings.m_bRecalculateCamera = 1;
    g_EngineObject.Update();
    g_DrawCamera.view = pmath::LookAtLH(eye, target, DV{0, 1, 0});
    g_DrawCamera.projection = pmath::PerspectiveFovLH(1.1f, static_cast<float>(kWidth) / kHeight, 0.5f, 1000.0f);
    g_DrawCamera.position = eye;
    g_Renderer.m_bSkyLitMeshes = 1;
    auto frame = [] {
        g_FrameFacts.frameTime = 1.0f / 60.0f;
        g_Sky.UpdateFrame();
        g_Renderer.Update();
        g_Renderer.PreRender();
        g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
        g_pd3dDevice->BeginScene();
        g_Renderer.Render();
        g_Renderer.RenderTranslucent();
        g_pd3dDevice->EndScene();
        g_pd3dDevice->Present();
    };
    // Arg 0: the same frame without the grass pass, for what the grass costs.
    if (state.range(0) == 0) g_RenderHooks.renderGrass = [] {};
    if (state.range(0) == 2) g_Settings.m_bDrawShadows = 0;
    for (int warm = 0; warm < 10; ++warm) frame();
    int frames = 0;
    uint64_t draws = 0;
    for (auto _ : state) {
        frame();
        draws += g_PlantMgr.m_dwDrawCalls;
        ++frames;
    }
    const uint32_t visible = KindsAndSectorsInView();
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["grass_draws/frame"] = static_cast<double>(draws) / frames;
    state.counters["kinds_sectors_in_view"] = visible;
    state.counters["draws/in_view"] = visible ? static_cast<double>(draws) / frames / visible : 0;
    state.counters["plants"] = g_PlantMgr.m_Grass[0].dwGrassesDefined;
    state.counters["tufts"] = g_PlantMgr.m_TGrass.dwTPlants;

    g_ShadowMaps.ReleaseRenderTextures();
    StopEngine();
    CloseGlDevice();
    plat::SetStartDirectory(fs::current_path());
}

// ---- Ground marks -----------------------------------------------------------------------------

void GroundMarks(benchmark::State& state) {
    test::TempDir dir;
    WriteFarm(dir.path(), false);
    g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
    g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration);
    g_Renderer.InitTextures();
    g_EffectMgr.Init();
    g_GroundMgr.Init();
    g_GroundMgr.ResolveTextures();
    plat::SeedRandom(1);
    const DV up{0, 1, 0};
    for (int i = 0; i < 20000; ++i) {
        const DV at{static_cast<float>(i % 100) * 2.0f, 0, static_cast<float>(i / 100) * 2.0f};
        g_GroundMgr.AddGroundEffect(1, &at, &up, &up);
    }
    g_Engine.m_fFrameTime = 1.0f / 60.0f;
    for (int i = 0; i < 60; ++i) g_GroundMgr.UpdateVB();
    // A baler's worth of new marks: one every 0.1 s, still fading while the next come.
    const bool arriving = state.range(0) != 0;
    int frames = 0;
    for (auto _ : state) {
        if (arriving && frames % 6 == 0) {
            const DV at{static_cast<float>(frames % 200), 0, -10};
            g_GroundMgr.AddGroundEffect(1, &at, &up, &up);
        }
        g_GroundMgr.UpdateVB();
        g_GroundMgr.Render();
        ++frames;
    }
    state.counters["marks"] = g_GroundMgr.m_Records[1].m_dwMarks;
    g_GroundMgr.Shutdown();
    g_Renderer.Release();
    g_EffectMgr.Release();
    g_pVertexDeclaration.reset();
    g_pd3dDevice.reset();
    plat::SetStartDirectory(fs::current_path());
}

BENCHMARK(PlacementAndCache)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(GrassFrame)->Arg(0)->Arg(1)->Arg(2)->Iterations(300)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(GroundMarks)->Arg(0)->Arg(1)->Iterations(3000)->Unit(benchmark::kMicrosecond);

}  // namespace
