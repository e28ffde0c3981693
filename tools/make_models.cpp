// Writes the demo game's props and machines as text .x files below the given game directory: the
// tractor (body, wheels, steering wheel), a race machine, a trailer with its drawbar and wheels, two
// trees, a house, a fence piece, the marker prefab, a power-line pole, the fence pieces laid along
// roads, a gate, a barrel and its wreck and a trigger box, each textured with one of make_textures'
// model textures. The ground, roads and sky are make_terrain's.
#include <cmath>
#include <cstdio>

#include "ModelBuilder.h"

namespace {

using demo::Model;
using demo::P;

// The machines are built in metres, front towards +z, their origin on the ground under their
// middle: the machines' physics sizes the chassis from the body's box and each wheel's radius
// from its model's height.
bool Tractor() {
    Model body({"tractor.tga"});
    body.Box({-0.6f, 0.5f, -0.2f}, {0.6f, 1.2f, 1.6f}, 0);     // engine hood and frame
    // An open cabin, so that the driver shows: the floor, four posts under the roof, the seat.
    body.Box({-0.55f, 1.0f, -1.2f}, {0.55f, 1.1f, -0.1f}, 0);
    for (float x : {-0.55f, 0.47f})
        for (float z : {-1.2f, -0.18f}) body.Box({x, 1.1f, z}, {x + 0.08f, 2.3f, z + 0.08f}, 0);
    body.Box({-0.22f, 1.1f, -0.85f}, {0.22f, 1.26f, -0.5f}, 0);
    body.Box({-0.65f, 2.3f, -1.25f}, {0.65f, 2.4f, 0.0f}, 0);  // roof
    body.Box({-0.1f, 0.5f, -1.5f}, {0.1f, 0.7f, -1.2f}, 0);    // hook
    body.Box({0.38f, 1.2f, 1.15f}, {0.48f, 2.0f, 1.25f}, 0);   // exhaust pipe
    Model rear({"tyre.tga"}), front({"tyre.tga"}), steering({"tyre.tga"});
    rear.Round({-0.2f, 0, 0}, 0.4f, 0.7f, 0.7f, 24, 0, true);
    front.Round({-0.15f, 0, 0}, 0.3f, 0.45f, 0.45f, 20, 0, true);
    steering.Round({0, 0, 0}, 0.03f, 0.18f, 0.18f, 16, 0);
    return body.Save("prefabs\\tractor\\body.x") && rear.Save("prefabs\\tractor\\wheel.x") &&
           front.Save("prefabs\\tractor\\wheel_front.x") && steering.Save("prefabs\\tractor\\steering_wheel.x");
}

bool Racer() {
    Model body({"tractor.tga"});
    body.Box({-0.55f, 0.35f, -1.1f}, {0.55f, 0.9f, 1.5f}, 0);  // low body
    body.Box({-0.4f, 0.9f, -0.9f}, {0.4f, 1.3f, 0.0f}, 0);     // seat and cowl
    body.Box({-0.5f, 1.3f, -0.9f}, {0.5f, 1.4f, -0.7f}, 0);    // roll bar
    Model wheel({"tyre.tga"});
    wheel.Round({-0.15f, 0, 0}, 0.3f, 0.5f, 0.5f, 20, 0, true);
    return body.Save("prefabs\\racer\\body.x") && wheel.Save("prefabs\\racer\\wheel.x");
}

bool Trailer() {
    Model m({"trailer.tga"});
    m.Box({-0.9f, 0.6f, -2.0f}, {0.9f, 0.75f, 2.0f}, 0);
    m.Box({-0.9f, 0.75f, -2.0f}, {-0.8f, 1.4f, 2.0f}, 0);
    m.Box({0.8f, 0.75f, -2.0f}, {0.9f, 1.4f, 2.0f}, 0);
    m.Box({-0.8f, 0.75f, -2.0f}, {0.8f, 1.4f, -1.9f}, 0);
    m.Box({-0.8f, 0.75f, 1.9f}, {0.8f, 1.4f, 2.0f}, 0);
    Model drawbar({"trailer.tga"}), wheel({"tyre.tga"});
    drawbar.Box({-0.05f, 0.55f, 0.0f}, {0.05f, 0.65f, 1.5f}, 0);
    wheel.Round({-0.12f, 0, 0}, 0.24f, 0.4f, 0.4f, 20, 0, true);
    return m.Save("prefabs\\trailer\\trailer.x") && drawbar.Save("prefabs\\trailer\\drawbar.x") &&
           wheel.Save("prefabs\\trailer\\wheel.x");
}

bool Trees() {
    Model pine({"bark.tga", "leaves.tga"});
    pine.Round({0, 0, 0}, 120, 18, 12, 10, 0);
    pine.Round({0, 100, 0}, 300, 110, 0, 12, 1);
    Model oak({"bark.tga", "leaves.tga"});
    oak.Round({0, 0, 0}, 180, 25, 20, 10, 0);
    oak.Round({0, 160, 0}, 90, 60, 140, 12, 1);
    oak.Round({0, 250, 0}, 110, 140, 0, 12, 1);
    return pine.Save("prefabs\\trees\\pine.x") && oak.Save("prefabs\\trees\\oak.x");
}

bool House() {
    Model m({"wall.tga", "roof.tga"});
    m.Box({-300, 0, -200}, {300, 300, 200}, 0, 3.0f);
    // Two roof slopes and the gables.
    m.Quad({-320, 300, -220}, {-320, 450, 0}, {320, 450, 0}, {320, 300, -220}, 1, 3.0f);
    m.Quad({320, 300, 220}, {320, 450, 0}, {-320, 450, 0}, {-320, 300, 220}, 1, 3.0f);
    m.Triangle({-300, 300, 200}, {-300, 450, 0}, {-300, 300, -200}, 0);
    m.Triangle({300, 300, -200}, {300, 450, 0}, {300, 300, 200}, 0);
    return m.Save("prefabs\\buildings\\house.x");
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

// A barred gate 6 wide across a road, a barrel and what is left of it after it blew up, and the
// trigger box (2 on each side) that fires an object's actions when a machine drives into it.
bool GateBarrelAndTrigger() {
    Model gate({"wood.tga"});
    for (float x : {-3.0f, -1.0f, 1.0f, 2.9f}) gate.Box({x, 0, -0.05f}, {x + 0.1f, 1.5f, 0.05f}, 0);
    for (float y : {0.3f, 1.3f}) gate.Box({-3.0f, y, -0.04f}, {3.0f, y + 0.12f, 0.04f}, 0);
    Model barrel({"trailer.tga"}), wreck({"tyre.tga"});
    barrel.Round({0, 0, 0}, 0.9f, 0.32f, 0.32f, 14, 0);
    wreck.Round({0, 0, 0}, 0.15f, 0.45f, 0.3f, 10, 0);
    Model trigger({"marker.tga"});
    trigger.Box({-2, 0, -2}, {2, 3, 2}, 0);
    return gate.Save("prefabs\\obiekty\\brama.x") && barrel.Save("prefabs\\obiekty\\beczka01.x") &&
           wreck.Save("prefabs\\obiekty\\beczka_wrak.x") && trigger.Save("prefabs\\special\\czujnik.x");
}

// A wooden power-line pole 9 m tall with a cross arm; the cables hang at its sockets.
bool PowerPole() {
    Model m({"wood.tga"});
    m.Round({0, 0, 0}, 9.0f, 0.14f, 0.11f, 10, 0);
    m.Box({-1.3f, 8.3f, -0.07f}, {1.3f, 8.45f, 0.07f}, 0);
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
    const bool ok = Tractor() && Racer() && Trailer() && Trees() && House() && Fence() && Marker() &&
                    PowerPole() && FencePrefabs() && GateBarrelAndTrigger();
    if (!ok) std::fprintf(stderr, "make_models: cannot write the models into %s\n", argv[1]);
    return ok ? 0 : 1;
}
