// Writes the demo game's ground, roads, field plot, hedges and sky dome as text .x files below the
// given game directory, each textured with one of make_textures' model textures.
#include <cmath>
#include <cstdio>

#include "ModelBuilder.h"

namespace {

using demo::Model;
using demo::P;

// 2000 x 2000 units of grass in tiles of 100, with a 600 x 400 field in the middle.
bool Ground() {
    Model m({"grass.tga", "field.tga"});
    for (int x = -10; x < 10; ++x)
        for (int z = -10; z < 10; ++z) {
            const float x0 = x * 100.0f, z0 = z * 100.0f, x1 = x0 + 100, z1 = z0 + 100;
            const bool field = x >= -3 && x < 3 && z >= -2 && z < 2;
            m.Quad({x0, 0, z0}, {x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0}, field ? 1 : 0, 2.0f);
        }
    return m.Save("prefabs\\ground\\field.x");
}

// A gravel road 6 wide and 200 long along z, and a ploughed plot of 60 x 40 to lay over a field as an
// object of its own, in metres like the machines.
bool RoadAndPlot() {
    Model road({"gravel.tga"});
    for (int z = -10; z < 10; ++z)
        road.Quad({-3, 0, z * 10.0f}, {-3, 0, z * 10.0f + 10}, {3, 0, z * 10.0f + 10}, {3, 0, z * 10.0f}, 0);
    Model plot({"field.tga"});
    plot.Quad({-30, 0, -20}, {-30, 0, 20}, {30, 0, 20}, {30, 0, -20}, 0, 4.0f);
    return road.Save("prefabs\\ground\\road.x") && plot.Save("prefabs\\ground\\plot.x");
}

// The sky dome: a unit sphere seen from inside (the sky scales it up and keeps it round the camera),
// its clouds on the second pass.
bool SkyDome() {
    Model m({"tc_clouds.tga"});
    constexpr int kRings = 8, kSegments = 16;
    const float pi = static_cast<float>(M_PI);
    for (int r = 0; r <= kRings; ++r)
        for (int s = 0; s <= kSegments; ++s) {
            const float polar = pi * r / kRings, around = 2 * pi * s / kSegments;
            const P p{std::sin(polar) * std::cos(around), std::cos(polar), std::sin(polar) * std::sin(around)};
            m.Vertex(p, {-p.x, -p.y, -p.z}, static_cast<float>(s) / kSegments, static_cast<float>(r) / kRings);
        }
    auto at = [](int r, int s) { return static_cast<uint16_t>(r * (kSegments + 1) + s); };
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s < kSegments; ++s) {
            m.Face(at(r, s), at(r + 1, s), at(r + 1, s + 1), 0);
            m.Face(at(r, s), at(r + 1, s + 1), at(r, s + 1), 0);
        }
    return m.Save("prefabs\\sky\\dome.x");
}

// A hedge 2.6 high and 60 long along z, the bank a road's fences stand against.
bool Hedge() {
    Model m({"leaves.tga"});
    m.Box({-0.6f, 0, -30}, {0.6f, 2.6f, 30}, 0, 6.0f);
    return m.Save("prefabs\\ground\\hedge.x");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_terrain GAME_DIR\n");
        return 2;
    }
    plat::SetStartDirectory(argv[1]);
    const bool ok = Ground() && RoadAndPlot() && SkyDome() && Hedge();
    if (!ok) std::fprintf(stderr, "make_terrain: cannot write the models into %s\n", argv[1]);
    return ok ? 0 : 1;
}
