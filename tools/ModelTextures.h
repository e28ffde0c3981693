#pragma once
// The demo models' textures, 64 x 64 texels that repeat: plain surfaces (ground, paints, metal,
// rubber) with a little noise, and patterns: roof tiles, bricks, boards, bark, leaves and needles,
// a door, a window, glass, a grille and a lamp. No text and no maker's marks.
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace modeltex {

constexpr int kSize = 64;

inline uint32_t Argb(double a, double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255.0)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// A value from 0 to 1 that jumps with the texel's position: cheap noise for surfaces.
inline double Noise(int x, int y) {
    const uint32_t h = (static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u) * 1274126177u;
    return ((h >> 16) & 0xFF) / 255.0;
}

// Noise that changes smoothly over cells `cell` texels wide and repeats across the texture.
inline double Smooth(int x, int y, int cell) {
    const int cells = kSize / cell, cx = x / cell, cy = y / cell;
    auto at = [&](int i, int j) { return Noise((cx + i) % cells + 101 * cell, (cy + j) % cells + 57 * cell); };
    auto ease = [](double t) { return t * t * (3 - 2 * t); };
    const double fx = ease(double(x % cell) / cell), fy = ease(double(y % cell) / cell);
    const double top = at(0, 0) + (at(1, 0) - at(0, 0)) * fx, bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * fx;
    return top + (bottom - top) * fy;
}

struct Colour {
    double r, g, b;
};

inline uint32_t Shade(Colour c, double k, double alpha = 1.0) { return Argb(alpha, c.r * k, c.g * k, c.b * k); }

inline Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

using Texel = std::function<uint32_t(int x, int y)>;

// A surface of one colour, uneven by `grain`, darker in every other band of `stripes` rows (none
// when 0).
inline Texel Plain(Colour c, double grain, int stripes = 0) {
    return [=](int x, int y) {
        double k = 1.0 - grain / 2 + grain * Noise(x, y);
        if (stripes && (y / stripes) % 2) k *= 0.8;
        return Shade(c, k);
    };
}

// Rows of overlapping tiles, each a little different, with dark joints.
inline uint32_t RoofTile(int x, int y) {
    const int row = y / 8, column = (x + (row % 2) * 4) / 8;
    const bool joint = y % 8 == 7 || (x + (row % 2) * 4) % 8 == 0;
    const double k = (0.85 + 0.25 * Noise(column, row + 300)) * (1.08 - 0.16 * (y % 8) / 7.0) * (0.95 + 0.1 * Noise(x, y));
    return Shade({0.62, 0.26, 0.16}, joint ? 0.5 * k : k);
}

// Bricks in bond with light mortar.
inline uint32_t Brick(int x, int y) {
    const int row = y / 8, shifted = x + (row % 2) * 8;
    if (y % 8 == 7 || shifted % 16 == 15) return Shade({0.72, 0.69, 0.62}, 0.9 + 0.1 * Noise(x, y));
    return Shade({0.58, 0.24, 0.16}, (0.8 + 0.3 * Noise(shifted / 16, row + 500)) * (0.93 + 0.14 * Noise(x, y)));
}

// Upright boards `width` texels wide with dark gaps and a grain along them.
inline Texel Boards(Colour c, int width) {
    return [=](int x, int y) {
        if (x % width == width - 1) return Shade(c, 0.35);
        const double board = 0.85 + 0.25 * Noise(x / width, 700);
        const double grain = 0.9 + 0.1 * std::sin(y * 0.7 + 6 * Noise(x / width, 701) + x * 0.4);
        return Shade(c, board * grain * (0.95 + 0.1 * Noise(x, y)));
    };
}

// Bark: dark furrows running up the trunk between lighter ridges.
inline uint32_t Bark(int x, int y) {
    const double wobble = 3.0 * Smooth(x, y, 16);
    const double ridge = std::fabs(std::sin((x + wobble) * 2 * M_PI / 8));
    return Shade({0.36, 0.26, 0.17}, (0.45 + 0.6 * ridge) * (0.9 + 0.2 * Noise(x, y)));
}

// Foliage: light and dark clusters of leaves.
inline uint32_t Leaves(int x, int y) {
    const double cluster = 0.6 * Smooth(x, y, 8) + 0.4 * Smooth(x, y, 4);
    const Colour c = Mix({0.09, 0.27, 0.07}, {0.36, 0.56, 0.16}, cluster);
    return Shade(c, 0.8 + 0.4 * Noise(x, y));
}

// Needles: dark blue-green with short light strokes.
inline uint32_t Needles(int x, int y) {
    const bool stroke = (x + 2 * y) % 7 == 0 && Noise(x, y) > 0.4;
    const Colour c = Mix({0.05, 0.2, 0.1}, {0.14, 0.36, 0.18}, Smooth(x, y, 8));
    return Shade(c, stroke ? 1.4 : 0.85 + 0.3 * Noise(x, y));
}

// Plaster with soft stains.
inline uint32_t Plaster(int x, int y) {
    return Shade({0.86, 0.82, 0.72}, 0.9 + 0.12 * Smooth(x, y, 16) + 0.06 * Noise(x, y));
}

// A wooden door: boards inside a darker frame, and a brass knob.
inline uint32_t Door(int x, int y) {
    if (x >= 50 && x < 54 && y >= 32 && y < 36) return Shade({0.85, 0.7, 0.3}, 1.0);
    const bool frame = x < 4 || x >= kSize - 4 || y < 4;
    return frame ? Shade({0.3, 0.18, 0.1}, 0.9 + 0.1 * Noise(x, y)) : Boards({0.5, 0.3, 0.16}, 16)(x, y);
}

// A window: a white frame with a cross, dark panes with a light reflection.
inline uint32_t Window(int x, int y) {
    const bool frame = x < 5 || x >= kSize - 5 || y < 5 || y >= kSize - 5 || std::abs(x - 31) < 2 || std::abs(y - 31) < 2;
    if (frame) return Shade({0.92, 0.92, 0.9}, 0.95 + 0.05 * Noise(x, y));
    const bool reflection = (x - y + kSize) % kSize > 18 && (x - y + kSize) % kSize < 28;
    return reflection ? Shade({0.5, 0.6, 0.68}, 1.0) : Shade({0.16, 0.22, 0.3}, 0.9 + 0.2 * Smooth(x, y, 16));
}

// Cab glass: mostly see-through, with a brighter streak of reflected sky.
inline uint32_t Glass(int x, int y) {
    const bool streak = (x + y) % kSize > 8 && (x + y) % kSize < 16;
    return streak ? Shade({0.85, 0.9, 0.95}, 1.0, 0.45) : Shade({0.45, 0.58, 0.66}, 1.0, 0.3);
}

// A radiator grille: dark slats in a light frame.
inline uint32_t Grille(int x, int y) {
    if (x < 4 || x >= kSize - 4 || y < 4 || y >= kSize - 4 || std::abs(x - 31) < 2) return Shade({0.55, 0.56, 0.58}, 1.0);
    return Shade({0.3, 0.31, 0.33}, y % 6 < 3 ? 0.15 : 1.0);
}

// A lamp's glass: bright in the middle, greyer at its rim.
inline uint32_t Lamp(int x, int y) {
    const double dx = (x + 0.5) / kSize - 0.5, dy = (y + 0.5) / kSize - 0.5;
    return Shade(Mix({1.0, 0.97, 0.86}, {0.62, 0.62, 0.58}, std::fmin(1.0, 2.4 * std::sqrt(dx * dx + dy * dy))), 1.0);
}

struct Named {
    std::string name;
    Texel texel;
};

inline std::vector<Named> All() {
    return {
        {"grass.tga", Plain({0.25, 0.55, 0.18}, 0.4)},
        {"field.tga", Plain({0.55, 0.40, 0.22}, 0.4, 4)},
        {"gravel.tga", Plain({0.55, 0.52, 0.46}, 0.4)},
        {"marker.tga", Plain({1.00, 0.85, 0.00}, 0.4)},
        {"wood.tga", Plain({0.60, 0.45, 0.28}, 0.4, 8)},
        {"tractor.tga", Plain({0.10, 0.40, 0.45}, 0.1)},
        {"racer.tga", Plain({0.42, 0.14, 0.55}, 0.1)},
        {"trim.tga", Plain({0.88, 0.86, 0.80}, 0.1)},
        {"steel.tga", Plain({0.20, 0.21, 0.23}, 0.3)},
        {"tyre.tga", Plain({0.10, 0.10, 0.10}, 0.3)},
        {"trailer.tga", Plain({0.20, 0.35, 0.60}, 0.15, 8)},
        {"barrel.tga", Plain({0.68, 0.12, 0.08}, 0.2)},
        {"roof.tga", RoofTile},
        {"brick.tga", Brick},
        {"planks.tga", Boards({0.55, 0.15, 0.10}, 8)},
        {"bark.tga", Bark},
        {"leaves.tga", Leaves},
        {"needles.tga", Needles},
        {"wall.tga", Plaster},
        {"door.tga", Door},
        {"window.tga", Window},
        {"glass.tga", Glass},
        {"grille.tga", Grille},
        {"lamp.tga", Lamp},
    };
}

}  // namespace modeltex
