// Animating and skinning N characters a frame: the demo driver (30 bones) plays one clip and every
// half second blends over a quarter second into the other; then its node matrices and palettes
// are rebuilt. Reported per character ("per_character", in seconds with an SI prefix: "2u" is
// two microseconds).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/FrameFacts.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "platform/os/Files.h"
#include "tools/CharacterModels.h"

namespace {

namespace fs = std::filesystem;

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kSwitch = 0.5f;
constexpr float kBlend = 0.25f;

// The driver's model and two of its clips, written once into a start directory of their own.
class Scene {
public:
    Scene() : m_dir(fs::temp_directory_path() / ("furrow_skin_bench_" + std::to_string(::getpid()))) {
        fs::create_directories(m_dir / "driver" / "animations");
        plat::SetStartDirectory(m_dir);
        const skinned::Model driver = characters::Driver();
        FILE* f = plat::OpenFile("driver\\driver.x", "wb");
        const std::string text = driver.XText();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        for (const characters::NamedClip& c : characters::DriverCommonClips(driver))
            if (c.name == "drive" || c.name == "steer")
                Save_Animation_To_Bin_File(&c.clip, ("driver\\animations\\" + c.name + ".bin").c_str());
    }
    ~Scene() {
        g_SkinMeshMgr.DeleteAll();
        fs::remove_all(m_dir);
    }

private:
    fs::path m_dir;
};

struct Character {
    ESkinMesh skin;
    float timer = 0.0f;
    bool steering = false;
};

void BM_AnimateAndSkin(benchmark::State& state) {
    static Scene scene;
    static int owner;  // any object will do: the skinned mesh only needs one
    const auto count = static_cast<size_t>(state.range(0));
    std::vector<std::unique_ptr<Character>> characters;
    for (size_t i = 0; i < count; ++i) {
        auto c = std::make_unique<Character>();
        c->skin.m_hObject = reinterpret_cast<EObjectSlot*>(&owner);
        if (!c->skin.Create("driver\\driver.x")) {
            state.SkipWithError("the driver does not load");
            return;
        }
        c->skin.SetAnimation("drive", true);
        // Spread over the switch period, so that every frame some characters blend.
        c->timer = kSwitch * static_cast<float>(i) / static_cast<float>(count);
        characters.push_back(std::move(c));
    }
    g_FrameFacts.frameTime = kFrame;
    for (auto _ : state) {
        for (auto& c : characters) {
            c->timer += kFrame;
            if (c->timer >= kSwitch) {
                c->timer -= kSwitch;
                c->steering = !c->steering;
                c->skin.BlendToAnimation(c->steering ? "steer" : "drive", true, kBlend);
            }
            c->skin.UpdateAnimation();
            c->skin.UpdateFrameMatrices();
        }
    }
    const double characterFrames = static_cast<double>(state.iterations()) * static_cast<double>(count);
    state.counters["per_character"] =
        benchmark::Counter(characterFrames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_AnimateAndSkin)->Arg(1)->Arg(16)->Arg(64);
