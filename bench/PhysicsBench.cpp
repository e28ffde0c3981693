// The machines' world stepped with 1, 8, 32 and 128 machines driving circles on a triangle-mesh
// ground: once through Physics (wishes, the step, poses copied back onto the engine objects,
// wheels and parts placed on their sockets, each wheel shown on the ground under it) and once
// through Bullet alone with the same ground, chassis, wheels and tuning, side by side in this
// process. Prints how many times Bullet's own step our frame takes and the time per machine; the
// goal is at most 1.5x at 32 and 128 machines, and a frame linear in the machines.
#include <benchmark/benchmark.h>

#include <btBulletDynamicsCommon.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
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
constexpr int kGrid = 60;              // 60 x 60 quads: 7,200 triangles
constexpr float kCell = 4.0f;          // over 240 x 240
constexpr float kSpacing = 16.0f;      // between the machines' starts
constexpr float kForce = 800.0f;
constexpr float kSteering = 0.35f;
constexpr float kMass = 800.0f;
const float kWheelX = 0.9f, kWheelZ = 1.0f, kWheelRadius = 0.5f;

std::filesystem::path g_dir;
std::vector<btVector3> g_groundVertices;
std::vector<int> g_groundIndices;

float Height(int x, int z) { return 0.4f * std::sin(x * 0.3f) * std::cos(z * 0.25f); }

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories((g_dir / path).parent_path());
    std::ofstream(g_dir / path) << text;
}

// The gently rolling ground as a text .x and as arrays for the direct world.
void WriteGround() {
    std::string x = "xof 0303txt 0032\nMesh {\n " + std::to_string((kGrid + 1) * (kGrid + 1)) + ";\n";
    const float half = kGrid * kCell / 2;
    for (int z = 0; z <= kGrid; ++z)
        for (int c = 0; c <= kGrid; ++c) {
            const btVector3 p(c * kCell - half, Height(c, z), z * kCell - half);
            g_groundVertices.push_back(p);
            x += " " + std::to_string(p.x()) + ";" + std::to_string(p.y()) + ";" + std::to_string(p.z()) + ";" +
                 (z == kGrid && c == kGrid ? ";\n" : ",\n");
        }
    for (int z = 0; z < kGrid; ++z)
        for (int c = 0; c < kGrid; ++c) {
            const int a = z * (kGrid + 1) + c, b = a + kGrid + 1;
            g_groundIndices.insert(g_groundIndices.end(), {a, b, b + 1, a, b + 1, a + 1});
        }
    x += " " + std::to_string(g_groundIndices.size() / 3) + ";\n";
    for (size_t i = 0; i < g_groundIndices.size(); i += 3)
        x += " 3;" + std::to_string(g_groundIndices[i]) + "," + std::to_string(g_groundIndices[i + 1]) + "," +
             std::to_string(g_groundIndices[i + 2]) + ";" + (i + 3 == g_groundIndices.size() ? ";\n" : ",\n");
    Write("bench/ground.x", x + "}\n");
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

void SetUp() {
    g_dir = std::filesystem::temp_directory_path() / ("furrow_physics_bench_" + std::to_string(::getpid()));
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
    WriteGround();
    Write("bench/tractor.x", Box(-0.8f, 0.4f, -1.5f, 0.8f, 2.0f, 1.5f));
    Write("bench/wheel.x", Box(-0.2f, -kWheelRadius, -kWheelRadius, 0.2f, kWheelRadius, kWheelRadius));
    Write("scripts/mesh_sockets/tractor.txt",
          "mesh_filename bench\\tractor.x\nsocket fl -0.9 0.5 1\nsocket fr 0.9 0.5 1\nsocket rl -0.9 0.5 -1\n"
          "socket rr 0.9 0.5 -1\n");
    Write("scripts/vehicles/tractor.txt",
          "Vehicle Bench\nprefab bench\\tractor.x\ntraktor\nplayer_can_drive\nMass 800\n"
          "front_wheel bench\\wheel.x fl 0.5 0 0\nfront_wheel bench\\wheel.x fr 0.5 0 0\n"
          "wheel bench\\wheel.x rl 0.5 0 0\nwheel bench\\wheel.x rr 0.5 0 0\n");
    InstallFloorHooks();
    g_MeshSocketsMgr.LoadAll();
    g_Physics.Init();
}

// The machines start on a square grid round the ground's middle.
DV Start(int i, int machines) {
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<float>(machines))));
    const float middle = (side - 1) * 0.5f;
    return DV{(i % side - middle) * kSpacing, 1.0f, (i / side - middle) * kSpacing};
}

// ---- Through Physics ---------------------------------------------------------------------------

std::vector<EObjectSlot*> BuildOurs(int machines) {
    for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
    g_Physics.OnExitWorld();
    EObjectSlot* ground = g_Engine.CreateObject(OT_MESH, "bench\\ground.x", kDefaultObjectFlags, 0, nullptr, nullptr);
    g_Physics.CreateStaticTriMesh(ground);
    std::vector<EObjectSlot*> trucks;
    for (int i = 0; i < machines; ++i) {
        const DV at = Start(i, machines);
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, "bench\\tractor.x", kDefaultObjectFlags, 0, &at, nullptr);
        g_Physics.DisableTruckDeactivation(o);
        g_Physics.ReleaseTruckControls(o);
        trucks.push_back(o);
    }
    return trucks;
}

void BM_Physics(benchmark::State& state) {
    const std::vector<EObjectSlot*> trucks = BuildOurs(static_cast<int>(state.range(0)));
    g_Engine.m_fFrameTime = kStep;
    for (auto _ : state) {
        for (EObjectSlot* o : trucks) {
            g_Physics.SetTruckDrive(o, kForce, kSteering);
            g_Physics.SetTruckControls(o);
        }
        g_Physics.Update();
    }
    state.counters["z0"] = trucks[0]->m_vPosition.y;
}

// ---- Through Bullet alone ------------------------------------------------------------------------

struct DirectWorld {
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &configuration};
    std::unique_ptr<btTriangleIndexVertexArray> mesh;
    std::vector<std::unique_ptr<btCollisionShape>> shapes;
    std::vector<std::unique_ptr<btDefaultMotionState>> states;
    std::vector<std::unique_ptr<btRigidBody>> bodies;
    btRaycastVehicle::btVehicleTuning tuning;
    std::vector<std::unique_ptr<btDefaultVehicleRaycaster>> raycasters;
    std::vector<std::unique_ptr<btRaycastVehicle>> vehicles;

    btRigidBody* Add(float mass, btCollisionShape* shape, const btVector3& at) {
        btVector3 inertia(0, 0, 0);
        if (mass > 0) shape->calculateLocalInertia(mass, inertia);
        states.push_back(std::make_unique<btDefaultMotionState>(btTransform(btQuaternion::getIdentity(), at)));
        bodies.push_back(std::make_unique<btRigidBody>(mass, states.back().get(), shape, inertia));
        // The same dynamics as Physics keeps: no implicit gyroscopic term.
        bodies.back()->setFlags(bodies.back()->getFlags() & ~BT_ENABLE_GYROSCOPIC_FORCE_IMPLICIT_BODY);
        world.addRigidBody(bodies.back().get());
        return bodies.back().get();
    }

    explicit DirectWorld(int machines) {
        world.setGravity(btVector3(0, -10, 0));
        world.setLatencyMotionStateInterpolation(false);
        mesh = std::make_unique<btTriangleIndexVertexArray>(
            static_cast<int>(g_groundIndices.size() / 3), g_groundIndices.data(), 3 * sizeof(int),
            static_cast<int>(g_groundVertices.size()), g_groundVertices[0].m_floats, sizeof(btVector3));
        shapes.push_back(std::make_unique<btBvhTriangleMeshShape>(mesh.get(), true, true));
        Add(0, shapes.back().get(), btVector3(0, 0, 0))->setFriction(2.11f);
        for (int i = 0; i < machines; ++i) {
            auto compound = std::make_unique<btCompoundShape>(true);
            shapes.push_back(std::make_unique<btBoxShape>(btVector3(1.0f, 1.0f, 1.5f)));
            compound->addChildShape(btTransform(btQuaternion::getIdentity(), btVector3(0, 1.5f, 0)), shapes.back().get());
            const DV at = Start(i, machines);
            btRigidBody* chassis = Add(kMass, compound.get(), btVector3(at.x, at.y, at.z));
            shapes.push_back(std::move(compound));
            chassis->setFriction(0.02f);
            chassis->setDamping(0.1f, 0.1f);
            chassis->setActivationState(DISABLE_DEACTIVATION);
            raycasters.push_back(std::make_unique<btDefaultVehicleRaycaster>(&world));
            vehicles.push_back(std::make_unique<btRaycastVehicle>(tuning, chassis, raycasters.back().get()));
            btRaycastVehicle* v = vehicles.back().get();
            world.addAction(v);
            v->setCoordinateSystem(0, 1, 2);
            for (int k = 0; k < 4; ++k) {
                const btVector3 point(k % 2 ? kWheelX : -kWheelX, kWheelRadius, k < 2 ? kWheelZ : -kWheelZ);
                btWheelInfo& w = v->addWheel(point, btVector3(0, -1, 0), btVector3(-1, 0, 0), 0.01f, kWheelRadius,
                                             tuning, k < 2);
                w.m_suspensionStiffness = 100;
                w.m_wheelsDampingRelaxation = 20.3f;
                w.m_wheelsDampingCompression = 1.4f;
                w.m_frictionSlip = 10;
                w.m_rollInfluence = 0.1f;
            }
        }
    }
    ~DirectWorld() {
        for (auto& v : vehicles) world.removeAction(v.get());
        for (auto& b : bodies) world.removeRigidBody(b.get());
    }
};

void BM_Bullet(benchmark::State& state) {
    DirectWorld direct(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (auto& v : direct.vehicles)
            for (int k = 0; k < 2; ++k) {
                v->setSteeringValue(kSteering, k);
                v->applyEngineForce(kForce, k);
            }
        direct.world.stepSimulation(kStep, 3, kStep);
    }
}

// The machine is shared with other work: each case runs five times and the medians are compared.
BENCHMARK(BM_Physics)->Arg(1)->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMicrosecond)->MinTime(0.3)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Bullet)->Arg(1)->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMicrosecond)->MinTime(0.3)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps the median time of each case, by its name and argument ("BM_Physics/32").
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                m_median[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_median;
};

// The repetitions of all cases run shuffled among each other, so that a spell of load on the
// shared machine falls on both sides of a comparison alike. A flag given on the command line
// comes later and wins.
std::vector<char*> InterleavedRepetitions(int argc, char** argv) {
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, interleave);
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args = InterleavedRepetitions(argc, argv);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    SetUp();
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    std::printf("\nmachines  Physics frame  Bullet step  ratio  Physics per machine (medians of CPU time)\n");
    for (int n : {1, 8, 32, 128}) {
        const double ours = summary.m_median["BM_Physics/" + std::to_string(n)];
        const double bullet = summary.m_median["BM_Bullet/" + std::to_string(n)];
        std::printf("%8d  %10.1f us  %8.1f us  %5.2fx  %8.1f us\n", n, ours, bullet, bullet > 0 ? ours / bullet : 0.0,
                    ours / n);
    }
    std::printf("goal: at most 1.5x at 32 and 128 machines, the time per machine flat\n");
    for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
    g_Physics.OnExitWorld();
    g_MeshMgr.ReleaseAll();
    g_pd3dDevice.reset();
    std::filesystem::remove_all(g_dir);
    return 0;
}
