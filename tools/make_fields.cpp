// Writes the field world's ground models and the textures of the plants and the ground marks below
// the given game directory: the ground of the farm (grass inside its hedge banks, ploughed fields
// beyond), the wheat field and the meadow for mowing laid over it, the hidden box that bounds the
// terrain grass; the terrain tufts, wheat and meadow grass (alpha-tested, dense enough to stay
// whole as their mip levels shrink), and the straw, ploughed, planted and sown marks. Everything
// is in metres, as the worlds place it.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "ModelBuilder.h"
#include "ModelTextures.h"
#include "TgaWriter.h"

namespace {

using demo::Model;
using modeltex::Argb;
using modeltex::Colour;
using modeltex::Mix;
using modeltex::Noise;
using modeltex::Shade;
using modeltex::Smooth;

// Textures repeat every this many metres on the ground and the plots.
constexpr float kRepeat = 5.0f;

// A flat rectangle x0..x1 by z0..z1 at height 0 in squares of about `cell`, the texture repeated
// every kRepeat metres.
void Plot(Model& m, float x0, float z0, float x1, float z1, float cell, uint32_t material) {
    const int nx = static_cast<int>(std::ceil((x1 - x0) / cell)), nz = static_cast<int>(std::ceil((z1 - z0) / cell));
    const float dx = (x1 - x0) / nx, dz = (z1 - z0) / nz;
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < nz; ++j) {
            const float a = x0 + i * dx, b = z0 + j * dz;
            m.Quad({a, 0, b}, {a, 0, b + dz}, {a + dx, 0, b + dz}, {a + dx, 0, b}, material, dx / kRepeat, dz / kRepeat);
        }
}

// The farm's ground, 1200 m square: grass, with ploughed fields beyond the banks (which close
// 100 m either side of the middle in x and 130 m in z), so that the ground runs on past the fog.
bool Ground() {
    Model m({"grass.tga", "field.tga"});
    constexpr float kHalf = 600.0f, kCell = 40.0f;
    for (float x0 = -kHalf; x0 < kHalf; x0 += kCell)
        for (float z0 = -kHalf; z0 < kHalf; z0 += kCell) {
            const float cx = x0 + kCell / 2, cz = z0 + kCell / 2;
            const bool beyond = std::fabs(cx) > 160 && std::fabs(cz) < 400 && std::fmod(std::fabs(cz) + 1000, 240) < 160;
            Plot(m, x0, z0, x0 + kCell, z0 + kCell, kCell, beyond ? 1 : 0);
        }
    return m.Save("prefabs\\fields\\ground.x");
}

// The wheat field (its stubble soil under the crop), 80 x 120, and the meadow to be mown, 80 x 120.
bool Fields() {
    Model wheat({"field.tga"}), meadow({"laka.tga"});
    Plot(wheat, -40, -60, 40, 60, 10, 0);
    Plot(meadow, -40, -60, 40, 60, 10, 0);
    return wheat.Save("prefabs\\fields\\wheat_field.x") && meadow.Save("prefabs\\fields\\meadow_field.x");
}

// A flat square of 1 x 1 that is never drawn: scaled by a world, its box bounds the terrain grass.
bool GrassArea() {
    Model m({"marker.tga"});
    m.Quad({-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f}, {0.5f, 0, 0.5f}, {0.5f, 0, -0.5f}, 0);
    return m.Save("prefabs\\fields\\grass_area.x");
}

// ---- Textures ---------------------------------------------------------------------------------

constexpr int kPlantSize = 128;

// Blades rising from the bottom of a band of rows `top` to `top + rows`: one every `spacing`
// texels, each of its own height (from `shortest` of the band up) and lean, narrowing to its tip;
// green at the root, lighter at the tip. Zero alpha between them.
uint32_t Blades(int x, int y, int top, int rows, int spacing, double shortest, Colour root, Colour tip, int seed) {
    const double t = (y - top + 0.5) / rows;  // 0 at the top row, 1 at the root
    for (int k = x / spacing - 2; k <= x / spacing + 2; ++k) {
        const int id = (k + 4096) % (kPlantSize / spacing);
        const double height = shortest + (1.0 - shortest) * Noise(id, seed);
        if (1.0 - t > height) continue;
        const double lean = (Noise(id, seed + 1) * 2.0 - 1.0) * spacing * 1.6;
        const double centre = k * spacing + spacing / 2.0 + lean * (1.0 - t) * (1.0 - t);
        const double width = 0.35 + spacing * 0.45 * t;
        double dx = std::fabs(x - centre);
        dx = std::fmin(dx, std::fabs(x + kPlantSize - centre));
        dx = std::fmin(dx, std::fabs(x - kPlantSize - centre));
        if (dx > width) continue;
        const double light = (1.0 - t) / height;
        return Shade(Mix(root, tip, light), 0.85 + 0.3 * Noise(x, y + seed));
    }
    return 0;
}

// The terrain tufts: three bands of 32 rows for the three variants (wide and low, middling, tall
// and narrow), each tip at its band's top; the last band is empty.
uint32_t Tuft(int x, int y) {
    const int band = y / 32;
    if (band > 2) return 0;
    const Colour root{0.14, 0.33, 0.07}, tip{0.52, 0.70, 0.24};
    return Blades(x, y, band * 32, 32, 3, 0.45 + 0.15 * band, root, tip, 11 + 5 * band);
}

// Wheat: two halves, one per crossed quad, of close stalks with ears of grain at their tops.
uint32_t Wheat(int x, int y) {
    const int half = y / 64, row = y % 64;
    const int stalk = x / 3, id = stalk + 43 * half;
    const double height = 0.78 + 0.22 * Noise(id, 3);
    const double top = 64.0 * (1.0 - height);
    if (row < top) return 0;
    const double along = (row - top) / (64.0 - top);
    const int offset = x % 3;
    if (along < 0.28) {
        // The ear: a fat golden spike with awns sticking up out of it.
        if (offset == 2 && along < 0.08) return 0;
        return Shade({0.86, 0.70, 0.34}, 0.8 + 0.35 * Noise(x, y));
    }
    if (offset == 2 && Noise(x, y) < 0.6) return 0;
    return Shade(Mix({0.80, 0.66, 0.32}, {0.55, 0.50, 0.22}, along), 0.85 + 0.3 * Noise(x, y + 7));
}

// Meadow grass: two halves of dense blades with a few flowers.
uint32_t MeadowGrass(int x, int y) {
    const int half = y / 64;
    if ((x * 7 + y * 3 + half) % 97 == 0 && y % 64 < 40) return Shade({0.95, 0.9, 0.55}, 1.0);
    return Blades(x, y, half * 64, 64, 2, 0.55, {0.16, 0.40, 0.09}, {0.58, 0.80, 0.30}, 23 + half);
}

// Soft round cover with a ragged edge: 1 in the middle, 0 outside, over a square of `size`.
double Cover(int x, int y, int size, int seed) {
    const double dx = (x + 0.5) / size * 2.0 - 1.0, dy = (y + 0.5) / size * 2.0 - 1.0;
    const double d = std::sqrt(dx * dx + dy * dy) + 0.25 * (Noise(x / 2 + seed, y / 2) - 0.5);
    return std::fmin(1.0, std::fmax(0.0, (1.0 - d) * 3.0));
}

// Straw and hay on the ground: a heap of strands, thicker in the middle.
uint32_t Straw(int x, int y) {
    const double strand = 0.55 + 0.25 * Smooth(x, y, 4) + 0.2 * Noise(x / 2, y) * std::sin(x * 0.7 + 6.0 * Smooth(x, y, 16));
    return Argb(Cover(x, y, 64, 3), 0.80 * strand + 0.1, 0.68 * strand + 0.08, 0.34 * strand);
}

// Ploughed earth in a 4 x 4 atlas of 32-texel cells: furrows of turned clods.
uint32_t Ploughed(int x, int y) {
    const int cx = x % 32, cy = y % 32, cell = x / 32 + 4 * (y / 32);
    const double furrow = 0.55 + 0.45 * std::fabs(std::sin((cx + 3 * Noise(cell, cy / 4)) * M_PI / 8));
    const Colour c = Mix({0.22, 0.15, 0.09}, {0.42, 0.31, 0.20}, furrow * (0.8 + 0.2 * Noise(x, y)));
    return Argb(Cover(cx, cy, 32, cell * 5), c.r, c.g, c.b);
}

// Soil worked in rows (planting ridges, or sown drills): a 4 x 4 atlas whose rows run along v, so
// that a strip laid across the working width shows them along the track.
uint32_t Rows(int x, int y, int spacing, Colour dark, Colour light, double alpha) {
    const double ridge = 0.5 + 0.5 * std::cos((x % spacing) * 2 * M_PI / spacing);
    const Colour c = Mix(dark, light, ridge * (0.85 + 0.15 * Noise(x, y)));
    return Argb(alpha * (0.9 + 0.1 * Noise(y, x)), c.r, c.g, c.b);
}

uint32_t Planted(int x, int y) { return Rows(x, y, 16, {0.20, 0.13, 0.08}, {0.46, 0.34, 0.22}, 0.95); }
uint32_t Sown(int x, int y) { return Rows(x, y, 8, {0.30, 0.22, 0.14}, {0.50, 0.40, 0.27}, 0.85); }

// The meadow plot: lusher than the farm's grass, so the field to mow stands out.
uint32_t Meadow(int x, int y) {
    const double k = 0.8 + 0.25 * Smooth(x, y, 16) + 0.15 * Noise(x, y);
    return Shade({0.22, 0.50, 0.12}, k);
}

bool Textures(const std::filesystem::path& game) {
    const std::filesystem::path dir = game / "textures" / "fields";
    std::filesystem::create_directories(dir);
    return tga::Write(dir / "spr_trawa00.tga", kPlantSize, kPlantSize, Tuft) &&
           tga::Write(dir / "zboze.tga", kPlantSize, kPlantSize, Wheat) &&
           tga::Write(dir / "trawa_laka.tga", kPlantSize, kPlantSize, MeadowGrass) &&
           tga::Write(dir / "spr_siano.tga", 64, 64, Straw) && tga::Write(dir / "spr_orka.tga", 128, 128, Ploughed) &&
           tga::Write(dir / "spr_sadzenie.tga", 128, 128, Planted) &&
           tga::Write(dir / "spr_sianie.tga", 128, 128, Sown) && tga::Write(dir / "laka.tga", 64, 64, Meadow);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fields GAME_DIR\n");
        return 2;
    }
    plat::SetStartDirectory(argv[1]);
    const bool ok = Ground() && Fields() && GrassArea() && Textures(argv[1]);
    if (!ok) std::fprintf(stderr, "make_fields: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
