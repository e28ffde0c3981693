// Writes the demo game's 2-D pictures below the given game directory: the loading screen's
// pictures (one per kind of event, 16:9, a field under the sky with furrows running to the
// horizon), the progress bar's frame and the loading screen's bar.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "TgaWriter.h"

namespace {

struct Colour {
    double r, g, b;
};

uint32_t Pack(double a, Colour c) {
    auto byte = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return byte(a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

Colour Mix(Colour a, Colour b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

struct Loading {
    const char* name;
    Colour field;   // the crop or soil
    Colour furrow;  // the rows between
};

constexpr Loading kPictures[] = {
    {"hud_loading.tga", {0.55, 0.62, 0.25}, {0.40, 0.45, 0.18}},
    {"hud_level_loading_belowanie.tga", {0.85, 0.75, 0.40}, {0.70, 0.60, 0.30}},
    {"hud_level_loading_dozsypu.tga", {0.90, 0.72, 0.30}, {0.75, 0.55, 0.20}},
    {"hud_level_loading_bale.tga", {0.88, 0.80, 0.50}, {0.72, 0.64, 0.38}},
    {"hud_level_loading_koszenietrawy.tga", {0.35, 0.62, 0.22}, {0.25, 0.48, 0.15}},
    {"hud_level_loading_sianie.tga", {0.42, 0.30, 0.18}, {0.32, 0.22, 0.12}},
    {"hud_level_loading_zprzeciwnikami.tga", {0.50, 0.50, 0.48}, {0.38, 0.38, 0.36}},
    {"hud_level_loading_koszenie.tga", {0.92, 0.80, 0.35}, {0.78, 0.64, 0.25}},
    {"hud_level_loading_oranie.tga", {0.48, 0.34, 0.20}, {0.30, 0.20, 0.11}},
    {"hud_level_loading_slalom.tga", {0.40, 0.66, 0.28}, {0.85, 0.20, 0.15}},
    {"hud_level_loading_sadzenie.tga", {0.45, 0.32, 0.20}, {0.30, 0.55, 0.20}},
};

constexpr int kWidth = 512, kHeight = 288;
constexpr double kHorizon = 0.52;  // of the height

uint32_t LoadingTexel(const Loading& p, int x, int y) {
    const double u = (x + 0.5) / kWidth, v = (y + 0.5) / kHeight;
    Colour c;
    if (v < kHorizon) {
        // Sky, lighter towards the horizon, a low sun on the right; a line of hills on the horizon.
        c = Mix({0.30, 0.50, 0.85}, {0.85, 0.90, 0.95}, v / kHorizon);
        double sun = std::hypot((u - 0.78) * 16.0 / 9.0, v - 0.22);
        if (sun < 0.07) c = {1.0, 0.95, 0.75};
        else if (sun < 0.16) c = Mix({1.0, 0.92, 0.70}, c, (sun - 0.07) / 0.09);
        double hill = kHorizon - 0.05 - 0.035 * std::sin(u * 9.0 + 1.0) - 0.02 * std::sin(u * 23.0);
        if (v > hill) c = Mix({0.25, 0.42, 0.22}, {0.32, 0.50, 0.28}, (v - hill) / (kHorizon - hill));
    } else {
        // Rows run from the viewer to a vanishing point on the horizon.
        double depth = (v - kHorizon) / (1.0 - kHorizon);
        double across = (u - 0.5) / std::max(depth, 0.02);
        double row = 0.5 + 0.5 * std::cos(across * 40.0);
        // Far rows are finer than a texel: they blend into the field's mean colour.
        double contrast = std::clamp((depth - 0.04) / 0.3, 0.0, 1.0);
        c = Mix(p.field, p.furrow, 0.375 + (row * row - 0.375) * contrast);
        c = Mix(Mix(c, {0.6, 0.7, 0.75}, 0.35), c, std::sqrt(depth));  // haze far away
    }
    // The lower part darkens so the loading texts stand out.
    if (v > 0.80) c = Mix(c, {0, 0, 0}, std::min(1.0, (v - 0.80) / 0.08) * 0.6);
    return Pack(1.0, c);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures GAME_DIR\n");
        return 2;
    }
    std::filesystem::path dir = std::filesystem::path(argv[1]) / "textures" / "hud";
    std::filesystem::create_directories(dir);
    bool ok = true;
    for (const Loading& p : kPictures)
        ok = ok && tga::Write(dir / p.name, kWidth, kHeight, [&p](int x, int y) { return LoadingTexel(p, x, y); });
    // The progress bar's frame: a light edge, clear inside.
    ok = ok && tga::Write(dir / "hud_progress_bar.tga", 64, 8, [](int x, int y) {
             bool edge = x == 0 || y == 0 || x == 63 || y == 7;
             return edge ? 0xC0E8E4D0u : 0x10FFFFFFu;
         });
    ok = ok && tga::Write(dir / "menu_pasek_pod_menu.tga", 64, 64, [](int, int y) {
             return Pack(0.75, Mix({0.20, 0.24, 0.16}, {0.08, 0.10, 0.06}, y / 63.0));
         });
    if (!ok) std::fprintf(stderr, "make_pictures: cannot write into %s\n", dir.string().c_str());
    return ok ? 0 : 1;
}
