// Writes the demo game's ground, roads, field plot, hedges, hedge banks and sky dome as text .x
// files below the given game directory, each textured with one of make_textures' model textures.
// Everything is in metres, as the worlds place it.
#include <cmath>
#include <cstdio>

#include "ModelBuilder.h"

namespace {

using demo::Model;
using demo::P;

// Textures repeat every this many metres on the ground, the road and the banks.
constexpr float kRepeat = 5.0f;

// An axis-aligned rectangle of the ground plane, x0..x1 by z0..z1.
struct Area {
    float x0, z0, x1, z1;
    bool Holds(float x, float z) const { return x > x0 && x < x1 && z > z0 && z < z1; }
};

// Meadow 2400 m square around the world's origin in cells of 40 m, so that from anywhere a machine
// can reach the grass runs on past the fog and the far plane; the ploughed fields of the farms
// around lie beyond the meadow's banks.
bool Ground() {
    constexpr float kHalf = 1200.0f, kCell = 40.0f;
    const Area fields[] = {
        {160, -120, 400, 120}, {-480, 200, -160, 440}, {-400, -440, -160, -200}, {200, 240, 480, 400}};
    Model m({"grass.tga", "field.tga"});
    for (float x0 = -kHalf; x0 < kHalf; x0 += kCell)
        for (float z0 = -kHalf; z0 < kHalf; z0 += kCell) {
            const float x1 = x0 + kCell, z1 = z0 + kCell, cx = x0 + kCell / 2, cz = z0 + kCell / 2;
            uint32_t material = 0;
            for (const Area& field : fields)
                if (field.Holds(cx, cz)) material = 1;
            m.Quad({x0, 0, z0}, {x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0}, material, kCell / kRepeat);
        }
    return m.Save("prefabs\\ground\\field.x");
}

// A gravel road 6 wide and 240 long along z, in squares of its width, and a ploughed plot of
// 60 x 40 to lay over the meadow as an object of its own.
bool RoadAndPlot() {
    constexpr float kHalfWidth = 3.0f, kHalfLength = 120.0f;
    Model road({"gravel.tga"});
    for (float z = -kHalfLength; z < kHalfLength; z += 2 * kHalfWidth)
        road.Quad({-kHalfWidth, 0, z}, {-kHalfWidth, 0, z + 2 * kHalfWidth}, {kHalfWidth, 0, z + 2 * kHalfWidth},
                  {kHalfWidth, 0, z}, 0);
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

// A hedge bank, the boundary of a meadow that no machine drives over: an earth bank 1.5 high with
// grassed sides too steep to climb, 3.2 across at its foot, a hedge 1.8 high along its top; 52
// long along z, so that banks meeting at a corner close it. Built in squares about the size of a
// texture's repeat, so that the grass and the leaves keep their scale.
bool HedgeBank() {
    // Half-widths at the foot, at the top and of the hedge; the top of the bank and of the hedge.
    constexpr float foot = 1.6f, top = 1.0f, hedge = 0.9f, bank = 1.5f, crown = 3.3f;
    constexpr float kHalfLength = 26.0f, kStep = 2.6f;
    Model m({"grass.tga", "leaves.tga"});
    for (float z0 = -kHalfLength; z0 < kHalfLength - 0.01f; z0 += kStep) {
        const float z1 = z0 + kStep;
        // The bank's two sides and its top either side of the hedge.
        m.Quad({-foot, 0, z1}, {-top, bank, z1}, {-top, bank, z0}, {-foot, 0, z0}, 0);
        m.Quad({foot, 0, z0}, {top, bank, z0}, {top, bank, z1}, {foot, 0, z1}, 0);
        m.Quad({-top, bank, z0}, {-top, bank, z1}, {-hedge, bank, z1}, {-hedge, bank, z0}, 0);
        m.Quad({hedge, bank, z0}, {hedge, bank, z1}, {top, bank, z1}, {top, bank, z0}, 0);
        // The hedge's sides and top.
        m.Quad({-hedge, bank, z1}, {-hedge, crown, z1}, {-hedge, crown, z0}, {-hedge, bank, z0}, 1);
        m.Quad({hedge, bank, z0}, {hedge, crown, z0}, {hedge, crown, z1}, {hedge, bank, z1}, 1);
        m.Quad({-hedge, crown, z0}, {-hedge, crown, z1}, {hedge, crown, z1}, {hedge, crown, z0}, 1);
    }
    // The ends, facing away from each other: the bank's cross-section and the hedge's.
    for (float z : {-kHalfLength, kHalfLength}) {
        const float s = z < 0 ? 1.0f : -1.0f;
        m.Quad({-s * foot, 0, z}, {-s * top, bank, z}, {s * top, bank, z}, {s * foot, 0, z}, 0);
        m.Quad({-s * hedge, bank, z}, {-s * hedge, crown, z}, {s * hedge, crown, z}, {s * hedge, bank, z}, 1);
    }
    return m.Save("prefabs\\ground\\hedge_bank.x");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_terrain GAME_DIR\n");
        return 2;
    }
    plat::SetStartDirectory(argv[1]);
    const bool ok = Ground() && RoadAndPlot() && SkyDome() && Hedge() && HedgeBank();
    if (!ok) std::fprintf(stderr, "make_terrain: cannot write the models into %s\n", argv[1]);
    return ok ? 0 : 1;
}
