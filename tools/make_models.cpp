// Writes the demo game's props and machines as text .x files below the given game directory: the
// machines (MachineModels.h), two trees, a farmhouse and a barn, a fence piece, the marker prefab,
// a power-line pole, the fence pieces laid along roads, a gate, a barrel and its wreck and a
// trigger box, each textured with make_textures' model textures. The ground, roads and sky are
// make_terrain's.
//
// The mesh manager centres every prefab on its box (unless its name says "_nocenter"), so a world
// stands a prop on the ground at half its height, and the sockets of a prop are given from its
// box's middle. Trees and buildings are made in centimetres (worlds scale them by 0.01).
#include <cmath>
#include <cstdio>

#include "MachineModels.h"
#include "ModelBuilder.h"

namespace {

using demo::Corners;
using demo::Model;
using demo::P;

// A plank or beam of the given half width and half depth (along x) from a to b, both in a plane
// of constant x.
Corners Beam(P a, P b, float halfWidth, float halfDepth) {
    const P along = demo::Unit(b - a), across = P{0, -along.z, along.y} * halfWidth;
    Corners k;
    for (int c = 0; c < 8; ++c)
        k[c] = (c & 4 ? b : a) + (c & 2 ? across : across * -1.0f) + P{c & 1 ? halfDepth : -halfDepth, 0, 0};
    return k;
}

// A pine 9.15 m tall: a tapering trunk, bare to 2.6 m, and four tiers of needles, each narrower
// than the one below.
bool Pine() {
    Model m({"bark.tga", "needles.tga"});
    m.Round({0, 0, 0}, 320, 24, 10, 10, 0);
    for (int tier = 0; tier < 4; ++tier)
        m.Round({0, 260.0f + tier * 150.0f, 0}, 280.0f - tier * 25.0f, 230.0f - tier * 45.0f, 0, 12, 1);
    return m.Save("prefabs\\trees\\pine.x");
}

// An oak 7.2 m tall: a thick trunk with two boughs under a rounded crown of six lumps.
bool Oak() {
    Model m({"bark.tga", "leaves.tga"});
    m.Round({0, 0, 0}, 340, 36, 22, 10, 0);
    for (float x : {-1.0f, 1.0f}) {
        Corners k;
        for (int c = 0; c < 8; ++c) {
            const bool tip = c & 4;
            const float h = tip ? 9.0f : 16.0f;
            const P at = tip ? P{110 * x, 380, 20 * x} : P{0, 240, 0};
            k[c] = at + P{c & 1 ? h : -h, 0, c & 2 ? h : -h};
        }
        m.Block(k, 0);
    }
    struct LumpAt {
        P centre, radii;
    };
    const LumpAt crown[] = {{{0, 470, 0}, {210, 170, 210}},      {{140, 430, 40}, {130, 115, 130}},
                            {{-140, 440, -30}, {130, 115, 130}}, {{30, 440, 150}, {125, 110, 125}},
                            {{-30, 430, -150}, {125, 110, 125}}, {{0, 600, 0}, {150, 120, 150}}};
    for (const LumpAt& l : crown) m.Lump(l.centre, l.radii, 6, 10, 1);
    return m.Save("prefabs\\trees\\oak.x");
}

// A gable roof along x from -halfLength to halfLength: two slopes from the eaves (at z plus or
// minus halfSpan, height eave) to the ridge, each `thickness` thick.
void GableRoof(Model& m, float halfLength, float halfSpan, float eave, float ridge, float thickness, uint32_t material,
               float tiles) {
    for (float side : {-1.0f, 1.0f}) {
        Corners k;
        for (int c = 0; c < 8; ++c) {
            const bool atRidge = c & 4;
            k[c] = {c & 1 ? halfLength : -halfLength, (atRidge ? ridge : eave) + (c & 2 ? thickness : 0.0f),
                    atRidge ? 0.0f : side * halfSpan};
        }
        m.Block(k, material, tiles, tiles / 2);
    }
}

// The gable ends under a roof along x: a triangle on each end wall (at x plus or minus halfLength),
// from the walls' top to the ridge.
void Gables(Model& m, float halfLength, float halfWidth, float top, float ridge, uint32_t material) {
    m.Triangle({-halfLength, top, halfWidth}, {-halfLength, ridge, 0}, {-halfLength, top, -halfWidth}, material);
    m.Triangle({halfLength, top, -halfWidth}, {halfLength, ridge, 0}, {halfLength, top, halfWidth}, material);
}

// A window or door set 4 proud of the wall whose outside is at x (facing along x, sign `facing`),
// centred on z.
void OnXWall(Model& m, float x, float facing, float z, float halfWidth, float y0, float y1, uint32_t material) {
    m.Box({std::fmin(x, x + 4 * facing), y0, z - halfWidth}, {std::fmax(x, x + 4 * facing), y1, z + halfWidth}, material);
}

// The same on a wall whose outside is at z, centred on x.
void OnZWall(Model& m, float z, float facing, float x, float halfWidth, float y0, float y1, uint32_t material) {
    m.Box({x - halfWidth, y0, std::fmin(z, z + 4 * facing)}, {x + halfWidth, y1, std::fmax(z, z + 4 * facing)}, material);
}

// A farmhouse 6 x 4 on a brick plinth, 5.3 to the chimney's top: plastered walls, a tiled gable
// roof along x, the door towards -x between two windows, windows on every side and in the gables.
bool House() {
    enum { WALL, ROOF, BRICK, DOOR, WINDOW };
    Model m({"wall.tga", "roof.tga", "brick.tga", "door.tga", "window.tga"});
    m.Box({-305, 0, -205}, {305, 45, 205}, BRICK, 8.0f, 1.0f);
    m.Box({-300, 45, -200}, {300, 290, 200}, WALL, 3.0f, 1.5f);
    Gables(m, 300, 200, 290, 450, WALL);
    GableRoof(m, 320, 230, 272, 450, 12, ROOF, 6.0f);
    OnXWall(m, -300, -1, 0, 50, 45, 255, DOOR);
    m.Box({-318, 0, -70}, {-305, 30, 70}, BRICK);
    for (float z : {-130.0f, 130.0f}) OnXWall(m, -300, -1, z, 35, 125, 235, WINDOW);
    for (float z : {-120.0f, 0.0f, 120.0f}) OnXWall(m, 300, 1, z, 35, 125, 235, WINDOW);
    for (float x : {-180.0f, 0.0f, 180.0f})
        for (float side : {-1.0f, 1.0f}) OnZWall(m, 200 * side, side, x, 35, 125, 235, WINDOW);
    for (float side : {-1.0f, 1.0f}) OnXWall(m, 300 * side, side, 0, 30, 320, 385, WINDOW);
    m.Box({150, 300, -60}, {200, 520, -10}, BRICK, 1.0f, 3.0f);
    m.Box({145, 520, -65}, {205, 530, -5}, BRICK);
    return m.Save("prefabs\\buildings\\house.x");
}

// A barn 8 x 5.6 of red boards under a steep roof, 6.3 to the ridge, its wide door towards +x
// braced with a white cross, small windows along its sides.
bool Barn() {
    enum { PLANKS, ROOF, TRIM, WINDOW };
    Model m({"planks.tga", "roof.tga", "trim.tga", "window.tga"});
    m.Box({-400, 0, -280}, {400, 380, 280}, PLANKS, 6.0f, 2.0f);
    Gables(m, 400, 280, 380, 620, PLANKS);
    GableRoof(m, 420, 310, 358, 620, 12, ROOF, 7.0f);
    OnXWall(m, 400, 1, 0, 130, 0, 300, PLANKS);
    // The door's frame and cross.
    for (float z : {-136.0f, 124.0f}) m.Box({404, 0, z}, {408, 306, z + 12}, TRIM);
    m.Box({404, 294, -136}, {408, 306, 136}, TRIM);
    m.Block(Beam({406, 10, -120}, {406, 290, 120}, 8, 2), TRIM);
    m.Block(Beam({406, 10, 120}, {406, 290, -120}, 8, 2), TRIM);
    for (float x : {-260.0f, 0.0f, 260.0f})
        for (float side : {-1.0f, 1.0f}) OnZWall(m, 280 * side, side, x, 40, 220, 290, WINDOW);
    OnXWall(m, -400, -1, 0, 45, 420, 520, WINDOW);
    return m.Save("prefabs\\buildings\\barn.x");
}

bool Fence() {
    Model m({"wood.tga"});
    m.Box({-5, 0, -5}, {5, 120, 5}, 0);
    m.Box({195, 0, -5}, {205, 120, 5}, 0);
    m.Box({-5, 40, -3}, {205, 55, 3}, 0);
    m.Box({-5, 90, -3}, {205, 105, 3}, 0);
    return m.Save("prefabs\\fence\\fence.x");
}

// The fence pieces the fence generator lays along the roads, in metres: each centred on its
// origin (the generator stands it on the ground by half its height), running along z from post to
// post, in lengths and heights of their own.
bool FencePrefabs() {
    struct Piece {
        float length, height;
        int rails;
    };
    const Piece pieces[] = {{2.0f, 1.0f, 2}, {2.5f, 1.1f, 2}, {3.0f, 1.2f, 3}, {2.0f, 1.2f, 3},
                            {2.5f, 0.9f, 2}, {3.0f, 1.0f, 2}, {2.2f, 1.1f, 3}, {2.8f, 1.0f, 2}};
    int n = 0;
    for (const Piece& p : pieces) {
        Model m({"wood.tga"});
        const float h = p.height / 2, l = p.length / 2;
        m.Box({-0.06f, -h, -l}, {0.06f, h, -l + 0.12f}, 0);
        m.Box({-0.06f, -h, l - 0.12f}, {0.06f, h, l}, 0);
        for (int r = 0; r < p.rails; ++r) {
            const float y = -h + p.height * (r + 1) / (p.rails + 1);
            m.Box({-0.03f, y - 0.05f, -l}, {0.03f, y + 0.05f, l}, 0);
        }
        char name[64];
        std::snprintf(name, sizeof name, "prefabs\\plotki\\plot%02d.x", ++n);
        if (!m.Save(name)) return false;
    }
    return true;
}

// A barred gate 6 wide and 1.5 high across a road, braced corner to corner; a barrel 0.9 high
// with steel hoops and what is left of it after it blew up; the trigger box (2 on each side) that
// fires an object's actions when a machine drives into it.
bool GateBarrelAndTrigger() {
    Model gate({"wood.tga"});
    for (float x : {-3.0f, -1.0f, 1.0f, 2.9f}) gate.Box({x, 0, -0.05f}, {x + 0.1f, 1.5f, 0.05f}, 0);
    for (float y : {0.3f, 1.3f}) gate.Box({-3.0f, y, -0.04f}, {3.0f, y + 0.12f, 0.04f}, 0);
    for (float x : {-2.9f, 1.1f}) {
        Corners k;
        for (int c = 0; c < 8; ++c)
            k[c] = {x + (c & 4 ? 1.8f : 0.0f), (c & 4 ? 1.3f : 0.42f) + (c & 2 ? 0.1f : 0.0f), c & 1 ? 0.03f : -0.03f};
        gate.Block(k, 0);
    }
    Model barrel({"barrel.tga", "steel.tga"}), wreck({"tyre.tga"});
    barrel.Round({0, 0, 0}, 0.9f, 0.32f, 0.32f, 16, 0);
    for (float y : {0.12f, 0.43f, 0.74f}) barrel.Round({0, y, 0}, 0.04f, 0.335f, 0.335f, 16, 1);
    wreck.Round({0, 0, 0}, 0.15f, 0.45f, 0.3f, 10, 0);
    Model trigger({"marker.tga"});
    trigger.Box({-2, 0, -2}, {2, 3, 2}, 0);
    return gate.Save("prefabs\\obiekty\\brama.x") && barrel.Save("prefabs\\obiekty\\beczka01.x") &&
           wreck.Save("prefabs\\obiekty\\beczka_wrak.x") && trigger.Save("prefabs\\special\\czujnik.x");
}

// A wooden power-line pole 9 m tall with a braced cross arm and three insulators, the cables'
// sockets on their tops.
bool PowerPole() {
    Model m({"wood.tga", "trim.tga"});
    m.Round({0, 0, 0}, 8.92f, 0.14f, 0.11f, 10, 0);
    m.Box({-1.3f, 8.3f, -0.07f}, {1.3f, 8.45f, 0.07f}, 0);
    for (float x : {-1.0f, 1.0f}) {
        Corners k;
        for (int c = 0; c < 8; ++c)
            k[c] = {(c & 4 ? 0.7f * x : 0.0f) + (c & 2 ? 0.04f : -0.04f), c & 4 ? 8.3f : 7.7f, c & 1 ? 0.03f : -0.03f};
        m.Block(k, 0);
        m.Round({1.15f * x, 8.45f, 0}, 0.1f, 0.04f, 0.03f, 6, 1);
    }
    m.Round({0, 8.92f, 0}, 0.08f, 0.04f, 0.03f, 6, 1);
    return m.Save("prefabs\\powerline\\pole.x");
}

bool Marker() {
    Model m({"marker.tga"});
    m.Round({0, 0, 0}, 60, 15, 0, 4, 0);
    return m.Save("prefabs\\special\\marker.x");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_models GAME_DIR\n");
        return 2;
    }
    plat::SetStartDirectory(argv[1]);
    const bool ok = machines::Tractor() && machines::Racer() && machines::Trailer() && machines::Combine() && Pine() && Oak() && House() &&
                    Barn() && Fence() && Marker() && PowerPole() && FencePrefabs() && GateBarrelAndTrigger();
    if (!ok) std::fprintf(stderr, "make_models: cannot write the models into %s\n", argv[1]);
    return ok ? 0 : 1;
}
