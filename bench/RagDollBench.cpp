// One frame of a falling ragdoll: the demo driver (in centimetres, the unit the ragdoll is made
// for) started from its standing pose onto a ground of two triangles, stepped with detailed
// collisions and its pose written back into the bone matrices; a ragdoll that comes to rest is
// started again. Reported per frame of one ragdoll.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/FrameFacts.h"
#include "mesh/ECharacterRagDoll.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/os/Files.h"
#include "tools/CharacterModels.h"
#include "tools/RagDollModel.h"

namespace {

namespace fs = std::filesystem;

constexpr float kFrame = 1.0f / 60.0f;

void WriteText(const std::string& gamePath, const std::string& text) {
    FILE* f = plat::OpenFile(gamePath, "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// The model and its death folder, written once into a start directory of their own; the ground
// stands in for the world's triangles.
class Scene {
public:
    Scene() : m_dir(fs::temp_directory_path() / ("furrow_ragdoll_bench_" + std::to_string(::getpid()))) {
        fs::create_directories(m_dir / "man" / "death");
        plat::SetStartDirectory(m_dir);
        skinned::Model man = characters::Driver();
        man.unit = 1.0f;
        WriteText("man\\man.x", man.XText());
        WriteText("man\\death\\particles.txt", ragdoll::Particles());
        WriteText("man\\death\\distance_constraints.txt", ragdoll::DistanceConstraints());
        WriteText("man\\death\\selfcollision_constraints.txt", ragdoll::SelfCollisionConstraints());
        g_MeshHooks.gatherTriangles = [](void**, const DV&, const DV&, CharacterCollisionTriangle* out, uint32_t) {
            const float w = 2000.0f;
            const DV a{-w, 0, -w}, b{w, 0, -w}, c{w, 0, w}, d{-w, 0, w};
            out[0] = {{a, b, c}, {0, 1, 0}, {-w, 0, -w}, {w, 0, w}, -1, 0.0f};
            out[1] = {{a, c, d}, {0, 1, 0}, {-w, 0, -w}, {w, 0, w}, -1, 0.0f};
            return 2u;
        };
    }
    ~Scene() {
        g_SkinMeshMgr.DeleteAll();
        fs::remove_all(m_dir);
    }

private:
    fs::path m_dir;
};

void BM_RagDollFrame(benchmark::State& state) {
    static Scene scene;
    static int owner;  // any object will do: the skinned mesh only needs one
    ESkinMesh skin;
    skin.m_hObject = reinterpret_cast<EObjectSlot*>(&owner);
    if (!skin.Create("man\\man.x") || !skin.StartRagDoll()) {
        state.SkipWithError("the ragdoll does not load or start");
        return;
    }
    g_FrameFacts.frameTime = kFrame;
    for (auto _ : state) {
        if (!skin.m_pRagDoll->m_bActive) {
            state.PauseTiming();
            skin.StartRagDoll();
            state.ResumeTiming();
        }
        skin.UpdateRagDoll();
    }
}

BENCHMARK(BM_RagDollFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
