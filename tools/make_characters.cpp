// Writes the demo game's characters below the given game directory: the five driver models
// ("models\postacie\kierowcy\<nation>\<nation>.x") with their idle clip, sockets, collision
// elements and ragdoll definition ("death" folder), the clips all drivers share in "models\common", the
// hen ("models\postacie\kura\kura.x") with its clips and collision spheres, and their textures.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TgaWriter.h"
#include "mesh/ESkinMeshAnimation.h"
#include "platform/os/Files.h"
#include "tools/CharacterModels.h"
#include "tools/RagDollModel.h"

namespace {

namespace fs = std::filesystem;

bool WriteText(const std::string& gamePath, const std::string& text) {
    fs::create_directories(plat::ResolvePath(gamePath).parent_path());
    FILE* f = plat::OpenFile(gamePath, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteClip(const std::string& gamePath, const strSkinMeshAnimation& clip) {
    fs::create_directories(plat::ResolvePath(gamePath).parent_path());
    return Save_Animation_To_Bin_File(&clip, gamePath.c_str());
}

uint32_t Argb(double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255.0)); };
    return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

// A cloth of the colour with a faint weave.
bool Cloth(const std::string& gamePath, double r, double g, double b) {
    fs::create_directories(plat::ResolvePath(gamePath).parent_path());
    return tga::Write(plat::ResolvePath(gamePath), 16, 16, [&](int x, int y) {
        const double weave = ((x + y) % 4 == 0) ? 0.85 : 1.0;
        return Argb(r * weave, g * weave, b * weave);
    });
}

const char* const kNations[] = {"english", "french", "german", "usa", "laska_usa"};

// Sockets and collision elements in metres.
constexpr const char* kDriverSockets =
    "reka_lewa Bip01_L_Hand 0 -0.06 0 0 0 0\n"
    "reka_prawa Bip01_R_Hand 0 -0.06 0 0 0 0\n"
    "glowa Bip01_Head 0 0.12 0 0 0 0\n";

constexpr const char* kDriverCollisions =
    "sphere head\nnode_name Bip01_Head\nhit_zone_name glowa\nradius 0.12\n\n"
    "cylinder torso\nstart_node_name Bip01_Spine\nfinish_node_name Bip01_Neck\nhit_zone_name tulow\nthickness 0.15\n\n"
    "cylinder left_upper_arm\nstart_node_name Bip01_L_UpperArm\nfinish_node_name Bip01_L_Forearm\nhit_zone_name lewa_reka\nthickness 0.05\n\n"
    "cylinder left_forearm\nstart_node_name Bip01_L_Forearm\nfinish_node_name Bip01_L_Hand\nhit_zone_name lewa_reka\nthickness 0.05\n\n"
    "cylinder right_upper_arm\nstart_node_name Bip01_R_UpperArm\nfinish_node_name Bip01_R_Forearm\nhit_zone_name prawa_reka\nthickness 0.05\n\n"
    "cylinder right_forearm\nstart_node_name Bip01_R_Forearm\nfinish_node_name Bip01_R_Hand\nhit_zone_name prawa_reka\nthickness 0.05\n\n"
    "cylinder left_thigh\nstart_node_name Bip01_L_Thigh\nfinish_node_name Bip01_L_Calf\nhit_zone_name lewa_noga\nthickness 0.08\n\n"
    "cylinder left_calf\nstart_node_name Bip01_L_Calf\nfinish_node_name Bip01_L_Foot\nhit_zone_name lewa_noga\nthickness 0.06\n\n"
    "cylinder right_thigh\nstart_node_name Bip01_R_Thigh\nfinish_node_name Bip01_R_Calf\nhit_zone_name prawa_noga\nthickness 0.08\n\n"
    "cylinder right_calf\nstart_node_name Bip01_R_Calf\nfinish_node_name Bip01_R_Foot\nhit_zone_name prawa_noga\nthickness 0.06\n\n";

// The hen uses the short form: one sphere per line.
constexpr const char* kHenPhysics =
    "Bone_body 1 4.2 tulow\n"
    "Bone_head 1 1.8 glowa\n";

bool Drivers() {
    const characters::Model driver = characters::Driver();
    const std::string model = driver.XText();
    const strSkinMeshAnimation idle = characters::DriverIdle(driver);
    bool ok = true;
    for (const char* nation : kNations) {
        const std::string folder = std::string("models\\postacie\\kierowcy\\") + nation + "\\";
        ok = ok && WriteText(folder + nation + ".x", model) && WriteText(folder + "sockets.txt", kDriverSockets) &&
             WriteText(folder + "collisions.txt", kDriverCollisions) &&
             WriteClip(folder + "animations\\idle_DEFAULT.bin", idle) &&
             WriteText(folder + "death\\particles.txt", ragdoll::Particles()) &&
             WriteText(folder + "death\\distance_constraints.txt", ragdoll::DistanceConstraints()) &&
             WriteText(folder + "death\\selfcollision_constraints.txt", ragdoll::SelfCollisionConstraints());
    }
    for (const characters::NamedClip& c : characters::DriverCommonClips(driver))
        ok = ok && WriteClip("models\\common\\" + c.name + ".bin", c.clip);
    const std::string textures = "models\\postacie\\kierowcy\\textures\\";
    return ok && Cloth(textures + "driver_skin.tga", 0.93, 0.74, 0.60) &&
           Cloth(textures + "driver_shirt.tga", 0.85, 0.85, 0.80) &&
           Cloth(textures + "driver_shirt_red.tga", 0.80, 0.15, 0.12) &&
           Cloth(textures + "driver_shirt_blue.tga", 0.15, 0.30, 0.80) &&
           Cloth(textures + "driver_shirt_green.tga", 0.20, 0.60, 0.20) &&
           Cloth(textures + "driver_trousers.tga", 0.22, 0.25, 0.35);
}

bool HenModel() {
    const characters::Model hen = characters::Hen();
    const std::string folder = "models\\postacie\\kura\\";
    bool ok = WriteText(folder + "kura.x", hen.XText()) && WriteText(folder + "physics.txt", kHenPhysics);
    for (const characters::NamedClip& c : characters::HenClips(hen))
        ok = ok && WriteClip(folder + "animations\\" + c.name + (c.name == "kura_drapie" ? "_DEFAULT.bin" : ".bin"), c.clip);
    return ok && Cloth(folder + "kura_feathers.tga", 0.95, 0.92, 0.85) && Cloth(folder + "kura_skin.tga", 0.95, 0.65, 0.10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_characters GAME_DIR\n");
        return 2;
    }
    plat::SetStartDirectory(argv[1]);
    const bool ok = Drivers() && HenModel();
    if (!ok) std::fprintf(stderr, "make_characters: cannot write the characters into %s\n", argv[1]);
    return ok ? 0 : 1;
}
