// Writes the demo game's fixed-name textures as small TGA files below the given game directory:
// the plain white, black and ambient textures, the cloud layer, one sky per time of day and the
// environment the water mirrors (a bright sky over a dark horizon, the same on every side), the
// models' textures (ModelTextures.h), the power lines' cable, and the sprites of the particle
// effects (smoke, flash and dust puffs, straw chaff).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ModelTextures.h"
#include "TgaWriter.h"

namespace {

using modeltex::Argb;
using modeltex::Noise;

bool WriteTga(const std::filesystem::path& path, int size, const tga::Texel& texel) {
    return tga::Write(path, size, size, texel);
}

// Smooth repeating clouds from a few sine waves: alpha is the cloud cover.
uint32_t Cloud(int x, int y, int size) {
    const double k = 2.0 * M_PI / size;
    double v = std::sin(x * k * 2 + 1.3) * std::cos(y * k * 3 + 0.4) + 0.6 * std::sin((x + 2 * y) * k * 5) +
               0.3 * std::cos((3 * x - y) * k * 7);
    double cover = std::fmin(std::fmax((v + 0.4) / 1.6, 0.0), 1.0);
    return Argb(cover, 1.0, 1.0, 1.0);
}

struct Sky {
    const char* name;
    double top[3];
    double horizon[3];
};

constexpr Sky kSkies[] = {
    {"sky_morning.tga", {0.35, 0.50, 0.80}, {0.95, 0.75, 0.55}},
    {"sky_noon.tga", {0.20, 0.45, 0.90}, {0.70, 0.85, 1.00}},
    {"sky_evening.tga", {0.20, 0.20, 0.50}, {0.95, 0.50, 0.30}},
    {"sky_cloudy.tga", {0.55, 0.60, 0.65}, {0.80, 0.82, 0.85}},
    {"sky_storm.tga", {0.20, 0.22, 0.25}, {0.45, 0.47, 0.50}},
};

// A soft round puff: opaque in the middle, fading to nothing at the edge, a little uneven.
uint32_t Puff(int x, int y, int size, double r, double g, double b) {
    const double dx = (x + 0.5) / size * 2.0 - 1.0, dy = (y + 0.5) / size * 2.0 - 1.0;
    const double d = std::sqrt(dx * dx + dy * dy);
    const double cover = std::fmax(0.0, 1.0 - d) * (0.75 + 0.25 * Noise(x, y));
    return Argb(cover * cover * (3.0 - 2.0 * cover), r, g, b);
}

// Bits of straw: short bright strokes on nothing.
uint32_t Chaff(int x, int y) {
    const bool stroke = (x + 2 * y) % 11 < 2 && (x * 7 + y * 3) % 13 < 8;
    return stroke ? Argb(1.0, 0.85 + 0.15 * Noise(x, y), 0.75, 0.35) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_textures GAME_DIR\n");
        return 2;
    }
    std::filesystem::path dir = std::filesystem::path(argv[1]) / "textures" / "system";
    std::filesystem::create_directories(dir);
    bool ok = WriteTga(dir / "bialy.tga", 4, [](int, int) { return 0xFFFFFFFFu; }) &&
              WriteTga(dir / "czarne.tga", 4, [](int, int) { return 0xFF000000u; }) &&
              WriteTga(dir / "sys_ambient.tga", 4, [](int, int) { return 0xFF808080u; }) &&
              WriteTga(dir / "tc_clouds.tga", 64, [](int x, int y) { return Cloud(x, y, 64); }) &&
              WriteTga(dir / "env_miasto2.tga", 32, [](int, int y) {
                  double t = y / 31.0;
                  return t < 0.55 ? Argb(1.0, 0.55 + 0.3 * t, 0.7 + 0.2 * t, 0.95) : Argb(1.0, 0.25, 0.3, 0.25);
              });
    for (const Sky& sky : kSkies) {
        ok = ok && WriteTga(dir / sky.name, 64, [&sky](int, int y) {
                 double t = y / 63.0;
                 return Argb(1.0, sky.top[0] + (sky.horizon[0] - sky.top[0]) * t,
                             sky.top[1] + (sky.horizon[1] - sky.top[1]) * t,
                             sky.top[2] + (sky.horizon[2] - sky.top[2]) * t);
             });
    }
    const std::filesystem::path models = std::filesystem::path(argv[1]) / "textures" / "models";
    std::filesystem::create_directories(models);
    for (const modeltex::Named& t : modeltex::All()) ok = ok && WriteTga(models / t.name, modeltex::kSize, t.texel);
    // The power lines' cables, and the particle effects' sprites.
    ok = ok && WriteTga(dir / "SlupMgr.tga", 8, [](int, int) { return 0xFF2A2A2Eu; });
    const std::filesystem::path effects = std::filesystem::path(argv[1]) / "textures" / "effects";
    std::filesystem::create_directories(effects);
    ok = ok && WriteTga(effects / "smoke.tga", 32, [](int x, int y) { return Puff(x, y, 32, 1.0, 1.0, 1.0); }) &&
         // Explosions' flashes are drawn additively: a texture must not be drawn both ways.
         WriteTga(effects / "flash.tga", 32, [](int x, int y) { return Puff(x, y, 32, 1.0, 1.0, 1.0); }) &&
         WriteTga(effects / "dust.tga", 32, [](int x, int y) { return Puff(x, y, 32, 0.72, 0.62, 0.45); }) &&
         WriteTga(effects / "chaff.tga", 32, Chaff);
    if (!ok) std::fprintf(stderr, "make_textures: cannot write into %s\n", dir.string().c_str());
    return ok ? 0 : 1;
}
