#pragma once
// The demo game's machines: a field tractor with a glazed cab, a race tractor with a roll bar, a
// trailer with its drawbar and a combine harvester with its reel and grain pipe, each with its own
// wheels and the tractors' steering wheel.
//
// They are built in metres, front towards +z. The bodies are "_nocenter" prefabs: the mesh keeps
// the file's origin, on the ground under the machine's middle, where the physics keeps the
// machine's origin; their sockets (scripts\mesh_sockets) are in this frame. Wheels, the steering
// wheel and the drawbar are centred by the mesh manager on their boxes, so they are built round
// their own middle. The physics sizes the chassis from the body's box and each wheel's radius from
// its model's height.
#include <cmath>

#include "ModelBuilder.h"

namespace machines {

using demo::Corners;
using demo::Model;
using demo::P;

constexpr float kPi = 3.14159265f;

// A point at distance `radial` from the x axis at angle phi (from +y towards +z), moved by
// `along` round the axis, at x.
inline P AroundX(float x, float radial, float along, float phi) {
    return {x, radial * std::cos(phi) - along * std::sin(phi), radial * std::sin(phi) + along * std::cos(phi)};
}

// A wheel of radius r and width w round its middle, its axle along x: a tyre with chevron lugs
// across the tread, and on both sides a rim and a hub.
inline void Wheel(Model& m, float r, float w, int lugs, uint32_t tyre, uint32_t rim, uint32_t hub) {
    const float lugHeight = 0.07f * r, pitch = 2 * kPi / lugs, thickness = 0.3f * r * pitch;
    m.Round({-w / 2, 0, 0}, w, r - lugHeight, r - lugHeight, 20, tyre, true);
    for (int i = 0; i < lugs; ++i) {
        const float phi = i * pitch;
        // Each half of the chevron runs from the tread's middle back to one edge.
        for (float side : {-1.0f, 1.0f}) {
            Corners k;
            for (int c = 0; c < 8; ++c) {
                const float x = c & 1 ? side * w / 2 : 0.0f, radial = c & 2 ? r : r - lugHeight - 0.01f;
                const float along = c & 4 ? thickness / 2 : -thickness / 2;
                k[c] = AroundX(x, radial, along, phi + 0.5f * pitch * std::fabs(x) / (w / 2));
            }
            m.Block(k, tyre);
        }
    }
    m.Round({-w / 2 - 0.01f, 0, 0}, w + 0.02f, 0.62f * r, 0.62f * r, 16, rim, true);
    m.Round({-w / 2 - 0.05f, 0, 0}, w + 0.1f, 0.18f * r, 0.18f * r, 8, hub, true);
}

// A curved mudguard over a wheel whose middle is at (cy, cz): a strip between x0 and x1 on the
// radius r, from angle a0 to a1 (from the front, upwards), in pieces.
inline void Mudguard(Model& m, float x0, float x1, float cy, float cz, float r, float a0, float a1, int pieces,
                     uint32_t material) {
    const float step = (a1 - a0) / pieces;
    for (int i = 0; i < pieces; ++i) {
        Corners k;
        for (int c = 0; c < 8; ++c) {
            const float a = a0 + step * (i + (c & 4 ? 1 : 0)), radial = c & 2 ? r + 0.05f : r;
            k[c] = {c & 1 ? x1 : x0, cy + radial * std::sin(a), cz + radial * std::cos(a)};
        }
        m.Block(k, material);
    }
}

// A block whose top slopes: a box from lo to hi with its top at yBack at lo.z and yFront at hi.z,
// and narrowed to the half width `frontHalf` at the front.
inline Corners Tapered(P lo, P hi, float yBack, float yFront, float frontHalf) {
    Corners k = demo::BoxCorners(lo, hi);
    for (int c = 0; c < 8; ++c) {
        if (c & 2) k[c].y = c & 4 ? yFront : yBack;
        if (c & 4) k[c].x = c & 1 ? frontHalf : -frontHalf;
    }
    return k;
}

// The same box on both sides: once as given and once mirrored to the other side of x = 0.
inline void Pair(Model& m, P lo, P hi, uint32_t material) {
    m.Box(lo, hi, material);
    m.Box({-hi.x, lo.y, lo.z}, {-lo.x, hi.y, hi.z}, material);
}

// A flat steering wheel round its middle: a rim of 14 pieces, three spokes and a boss.
inline bool SteeringWheel(const char* gamePath) {
    Model m({"steel.tga"});
    const float r = 0.19f, tube = 0.022f;
    const int pieces = 14;
    for (int i = 0; i < pieces; ++i) {
        Corners k;
        for (int c = 0; c < 8; ++c) {
            const float a = 2 * kPi * (i + (c & 4 ? 1 : 0)) / pieces, radial = c & 1 ? r + tube : r - tube;
            k[c] = {radial * std::cos(a), c & 2 ? tube : -tube, radial * std::sin(a)};
        }
        m.Block(k, 0);
    }
    for (float a : {kPi / 2, kPi / 2 + 2 * kPi / 3, kPi / 2 + 4 * kPi / 3}) {
        Corners k;
        for (int c = 0; c < 8; ++c) {
            const float radial = c & 1 ? r : 0.0f, across = c & 4 ? 0.015f : -0.015f;
            k[c] = {radial * std::cos(a) - across * std::sin(a), c & 2 ? 0.012f : -0.012f,
                    radial * std::sin(a) + across * std::cos(a)};
        }
        m.Block(k, 0);
    }
    m.Round({0, -tube, 0}, 2 * tube, 0.045f, 0.045f, 8, 0);
    return m.Save(gamePath);
}

// The field tractor: long bonnet with a grille and lamps on a dark frame, a glazed cab with a
// white roof between the big rear wheels and their mudguards, an exhaust beside the cab, steps,
// a fuel tank and the towing hook. Front wheels 0.5 at z 1.5, rear wheels 0.8 at z -0.75.
inline bool Tractor() {
    enum { PAINT, STEEL, TRIM, GLASS, GRILLE, LAMP };
    Model m({"tractor.tga", "steel.tga", "trim.tga", "glass.tga", "grille.tga", "lamp.tga"});
    // Frame, engine and front axle.
    m.Box({-0.32f, 0.45f, -0.5f}, {0.32f, 0.95f, 2.1f}, STEEL);
    m.Box({-0.68f, 0.42f, 1.42f}, {0.68f, 0.58f, 1.58f}, STEEL);
    m.Box({-0.45f, 0.45f, 2.1f}, {0.45f, 0.85f, 2.38f}, STEEL);  // front weight
    // The bonnet, sloping down to the grille, with a white stripe along each side.
    m.Block(Tapered({-0.45f, 0.95f, -0.05f}, {0.45f, 1.6f, 2.15f}, 1.6f, 1.45f, 0.4f), PAINT);
    m.Block(Tapered({-0.455f, 1.22f, 0.0f}, {0.455f, 1.3f, 2.1f}, 1.3f, 1.3f, 0.405f), TRIM);
    m.Box({-0.3f, 0.98f, 2.14f}, {0.3f, 1.4f, 2.17f}, GRILLE);
    Pair(m, {0.3f, 1.22f, 2.13f}, {0.39f, 1.34f, 2.18f}, LAMP);
    // The cab: floor, dashboard, lower panels, posts, glass and roof.
    m.Box({-0.66f, 0.92f, -1.36f}, {0.66f, 1.0f, -0.04f}, STEEL);
    m.Box({-0.45f, 1.0f, -0.26f}, {0.45f, 1.55f, -0.06f}, STEEL);
    m.Box({-0.66f, 1.0f, -0.08f}, {0.66f, 1.3f, -0.04f}, PAINT);
    Pair(m, {0.62f, 1.0f, -1.36f}, {0.66f, 1.3f, -0.04f}, PAINT);
    m.Box({-0.66f, 1.0f, -1.36f}, {0.66f, 1.3f, -1.32f}, PAINT);
    for (float z : {-1.37f, -0.11f}) Pair(m, {0.6f, 1.0f, z}, {0.68f, 2.66f, z + 0.08f}, STEEL);
    m.Panel({0, 1.98f, -0.05f}, {0, 0, 1}, {0, 1, 0}, 0.6f, 0.67f, GLASS);
    m.Panel({0, 1.98f, -1.35f}, {0, 0, -1}, {0, 1, 0}, 0.6f, 0.67f, GLASS);
    for (float x : {-1.0f, 1.0f}) m.Panel({0.65f * x, 1.98f, -0.7f}, {x, 0, 0}, {0, 1, 0}, 0.58f, 0.67f, GLASS);
    m.Box({-0.78f, 2.64f, -1.48f}, {0.78f, 2.78f, 0.06f}, TRIM);
    m.Box({-0.5f, 2.78f, -1.2f}, {0.5f, 2.83f, -0.2f}, TRIM);
    Pair(m, {0.68f, 2.45f, -0.03f}, {0.8f, 2.47f, -0.01f}, STEEL);  // mirrors on their arms
    Pair(m, {0.78f, 2.3f, -0.02f}, {0.9f, 2.5f, 0.0f}, STEEL);
    // Seat and steering column.
    m.Box({-0.24f, 1.2f, -1.05f}, {0.24f, 1.35f, -0.62f}, STEEL);
    m.Box({-0.24f, 1.35f, -1.12f}, {0.24f, 1.95f, -1.02f}, STEEL);
    m.Box({-0.04f, 1.4f, -0.42f}, {0.04f, 1.8f, -0.2f}, STEEL);
    // Rear mudguards over the wheels, with a lamp at the back of each.
    for (float x : {-1.0f, 1.0f}) Mudguard(m, 0.66f * x, 1.22f * x, 0.8f, -0.75f, 0.88f, 0.25f, 3.0f, 7, PAINT);
    Pair(m, {1.0f, 1.05f, -1.68f}, {1.12f, 1.13f, -1.6f}, LAMP);
    // Steps and fuel tank on the left, battery box on the right, between the wheels.
    m.Box({-0.62f, 0.5f, -0.05f}, {-0.34f, 0.92f, 0.6f}, PAINT);
    m.Box({-0.8f, 0.45f, 0.1f}, {-0.62f, 0.5f, 0.4f}, STEEL);
    m.Box({-0.8f, 0.7f, 0.1f}, {-0.62f, 0.75f, 0.4f}, STEEL);
    m.Box({0.34f, 0.55f, 0.0f}, {0.58f, 0.9f, 0.5f}, STEEL);
    // The exhaust: a silencer on a bracket beside the bonnet and a pipe standing at the right
    // front corner of the cab, out of the driver's view ahead.
    m.Box({0.45f, 1.3f, 0.03f}, {0.52f, 1.38f, 0.13f}, STEEL);
    m.Round({0.56f, 1.3f, 0.08f}, 0.5f, 0.08f, 0.08f, 10, STEEL);
    m.Round({0.56f, 1.8f, 0.08f}, 1.05f, 0.05f, 0.045f, 8, STEEL);
    // Rear axle housing, hitch plate and hook.
    m.Box({-0.66f, 0.7f, -0.85f}, {0.66f, 0.9f, -0.65f}, STEEL);
    m.Box({-0.3f, 0.5f, -1.45f}, {0.3f, 0.92f, -1.32f}, STEEL);
    m.Box({-0.07f, 0.52f, -1.6f}, {0.07f, 0.68f, -1.4f}, STEEL);

    Model rear({"tyre.tga", "trim.tga", "steel.tga"}), front({"tyre.tga", "trim.tga", "steel.tga"});
    Wheel(rear, 0.8f, 0.45f, 18, 0, 1, 2);
    Wheel(front, 0.5f, 0.3f, 14, 0, 1, 2);
    return m.Save("prefabs\\tractor\\body_nocenter.x") && rear.Save("prefabs\\tractor\\wheel.x") &&
           front.Save("prefabs\\tractor\\wheel_front.x") && SteeringWheel("prefabs\\tractor\\steering_wheel.x");
}

// The race tractor: a short, low tractor on big rear wheels, open seat behind a racing bonnet
// with a stripe, a roll bar with twin exhausts behind the seat and wide mudguards. Front wheels 0.4 at z 1.25, rear
// wheels 0.65 at z -0.7.
inline bool Racer() {
    enum { PAINT, STEEL, TRIM, GRILLE, LAMP };
    Model m({"racer.tga", "steel.tga", "trim.tga", "grille.tga", "lamp.tga"});
    m.Box({-0.25f, 0.35f, -0.9f}, {0.25f, 0.75f, 1.75f}, STEEL);
    m.Box({-0.56f, 0.33f, 1.18f}, {0.56f, 0.47f, 1.32f}, STEEL);
    m.Box({-0.36f, 0.35f, 1.75f}, {0.36f, 0.6f, 1.98f}, STEEL);  // front bumper
    m.Block(Tapered({-0.34f, 0.7f, -0.15f}, {0.34f, 1.15f, 1.8f}, 1.15f, 0.95f, 0.3f), PAINT);
    m.Block(Tapered({-0.08f, 0.7f, -0.14f}, {0.08f, 1.16f, 1.81f}, 1.16f, 0.96f, 0.08f), TRIM);
    m.Box({-0.24f, 0.74f, 1.79f}, {0.24f, 0.92f, 1.82f}, GRILLE);
    Pair(m, {0.16f, 0.94f, 1.62f}, {0.28f, 1.02f, 1.72f}, LAMP);
    // The cockpit: floor, seat with a high back, steering column, side panels.
    m.Box({-0.5f, 0.62f, -1.1f}, {0.5f, 0.7f, -0.12f}, STEEL);
    m.Box({-0.22f, 0.7f, -0.75f}, {0.22f, 1.0f, -0.38f}, STEEL);
    m.Box({-0.22f, 1.0f, -0.84f}, {0.22f, 1.6f, -0.74f}, TRIM);
    m.Box({-0.04f, 1.0f, -0.2f}, {0.04f, 1.4f, -0.02f}, STEEL);
    Pair(m, {0.46f, 0.7f, -1.1f}, {0.5f, 1.0f, -0.12f}, PAINT);
    // The roll bar behind the seat.
    Pair(m, {0.44f, 0.7f, -1.02f}, {0.52f, 1.95f, -0.94f}, TRIM);
    m.Box({-0.52f, 1.87f, -1.02f}, {0.52f, 1.95f, -0.94f}, TRIM);
    // Wide rear mudguards with lamps, twin exhausts rising behind the seat.
    for (float x : {-1.0f, 1.0f}) {
        Mudguard(m, 0.5f * x, 1.07f * x, 0.65f, -0.7f, 0.72f, 0.2f, 3.0f, 6, PAINT);
        m.Round({0.32f * x, 0.75f, -0.93f}, 1.05f, 0.045f, 0.055f, 8, STEEL);
    }
    Pair(m, {0.85f, 0.88f, -1.44f}, {0.97f, 0.95f, -1.38f}, LAMP);
    m.Box({-0.06f, 0.42f, -1.25f}, {0.06f, 0.58f, -0.9f}, STEEL);  // hook

    Model rear({"tyre.tga", "trim.tga", "steel.tga"}), front({"tyre.tga", "trim.tga", "steel.tga"});
    Wheel(rear, 0.65f, 0.42f, 16, 0, 1, 2);
    Wheel(front, 0.4f, 0.24f, 12, 0, 1, 2);
    return m.Save("prefabs\\racer\\body_nocenter.x") && rear.Save("prefabs\\racer\\wheel.x") &&
           front.Save("prefabs\\racer\\wheel_front.x");
}

// The trailer: a bed with painted board sides on a frame, mudguards over its four wheels (0.4
// at z 1.0 and -1.0), an A-frame under its front where the drawbar turns, and a rear hook. The
// drawbar is 1.5 long between its two ends.
inline bool Trailer() {
    enum { PAINT, STEEL, LAMP };
    Model m({"trailer.tga", "steel.tga", "lamp.tga"});
    m.Box({-1.0f, 0.88f, -2.0f}, {1.0f, 0.98f, 2.0f}, STEEL);
    Pair(m, {0.94f, 0.98f, -2.0f}, {1.0f, 1.6f, 2.0f}, PAINT);
    m.Box({-0.94f, 0.98f, 1.94f}, {0.94f, 1.6f, 2.0f}, PAINT);
    m.Box({-0.94f, 0.98f, -2.0f}, {0.94f, 1.6f, -1.94f}, PAINT);
    for (float z : {-1.99f, -0.66f, 0.66f, 1.99f}) Pair(m, {0.99f, 0.9f, z - 0.04f}, {1.04f, 1.62f, z + 0.04f}, STEEL);
    Pair(m, {0.4f, 0.68f, -1.9f}, {0.52f, 0.88f, 1.9f}, STEEL);
    for (float z : {-1.0f, 1.0f}) {
        m.Box({-0.85f, 0.32f, z - 0.06f}, {0.85f, 0.48f, z + 0.06f}, STEEL);
        Pair(m, {0.42f, 0.45f, z - 0.06f}, {0.5f, 0.7f, z + 0.06f}, STEEL);
    }
    // The A-frame from the frame's front to the hinge of the drawbar.
    for (float x : {-1.0f, 1.0f}) {
        Corners k;
        for (int c = 0; c < 8; ++c) {
            const bool tip = c & 4;
            const float across = (c & 1 ? 0.05f : -0.05f);
            k[c] = {tip ? across : 0.46f * x + across, c & 2 ? 0.7f : 0.55f, tip ? 2.12f : 1.8f};
        }
        m.Block(k, STEEL);
    }
    m.Box({-0.08f, 0.5f, 2.0f}, {0.08f, 0.7f, 2.15f}, STEEL);
    m.Box({-0.07f, 0.52f, -2.15f}, {0.07f, 0.68f, -2.0f}, STEEL);
    Pair(m, {0.75f, 0.78f, -2.04f}, {0.9f, 0.86f, -2.0f}, LAMP);

    Model drawbar({"steel.tga"}), wheel({"tyre.tga", "trim.tga", "steel.tga"});
    drawbar.Box({-0.04f, -0.05f, -0.68f}, {0.04f, 0.05f, 0.68f}, 0);
    drawbar.Box({-0.1f, -0.06f, -0.75f}, {0.1f, 0.06f, -0.68f}, 0);
    drawbar.Box({-0.06f, -0.06f, 0.68f}, {0.06f, 0.06f, 0.75f}, 0);
    Wheel(wheel, 0.4f, 0.25f, 14, 0, 1, 2);
    return m.Save("prefabs\\trailer\\trailer_nocenter.x") && drawbar.Save("prefabs\\trailer\\drawbar.x") &&
           wheel.Save("prefabs\\trailer\\wheel.x");
}

// The combine harvester: a tall body with the grain tank on top, a glazed cab high at the front
// over the cutter table (5.2 wide, its reel turning above it on the socket "heder"), big front
// drive wheels (0.85 at z 1.2) and small rear steering wheels (0.55 at z -2.4), the straw hood at
// the back and the grain pipe folded along the left side, swinging out from its pivot.
inline bool Combine() {
    enum { PAINT, STEEL, TRIM, GLASS, GRILLE, LAMP };
    Model m({"tractor.tga", "steel.tga", "trim.tga", "glass.tga", "grille.tga", "lamp.tga"});
    // Body, engine bay and grain tank.
    m.Box({-1.1f, 0.7f, -3.0f}, {1.1f, 2.9f, 1.6f}, PAINT);
    m.Box({-1.12f, 1.9f, -2.2f}, {1.12f, 2.05f, 1.0f}, TRIM);
    m.Box({-1.2f, 2.9f, -2.6f}, {1.2f, 3.7f, 0.6f}, PAINT);
    m.Box({-1.22f, 3.6f, -2.62f}, {1.22f, 3.72f, 0.62f}, TRIM);
    m.Box({-1.0f, 2.2f, -3.02f}, {1.0f, 2.8f, -2.98f}, GRILLE);
    // The cab over the feeder, glazed all round, with its roof.
    m.Box({-0.9f, 2.9f, 0.6f}, {0.9f, 3.0f, 2.2f}, STEEL);
    for (float z : {0.62f, 2.12f}) Pair(m, {0.82f, 3.0f, z}, {0.9f, 4.3f, z + 0.06f}, STEEL);
    m.Panel({0, 3.65f, 2.19f}, {0, 0, 1}, {0, 1, 0}, 0.82f, 0.65f, GLASS);
    for (float x : {-1.0f, 1.0f}) m.Panel({0.89f * x, 3.65f, 1.4f}, {x, 0, 0}, {0, 1, 0}, 0.72f, 0.65f, GLASS);
    m.Box({-1.0f, 4.3f, 0.5f}, {1.0f, 4.45f, 2.3f}, TRIM);
    Pair(m, {0.5f, 4.3f, 2.25f}, {0.7f, 4.4f, 2.32f}, LAMP);
    m.Box({-0.25f, 3.0f, 1.0f}, {0.25f, 3.45f, 1.4f}, STEEL);  // seat
    // The feeder from the body down to the table, and the table with its side dividers.
    m.Block(Tapered({-0.6f, 0.7f, 1.6f}, {0.6f, 1.6f, 3.0f}, 1.6f, 1.1f, 0.6f), PAINT);
    m.Box({-2.6f, 0.35f, 2.6f}, {2.6f, 0.55f, 4.0f}, STEEL);
    m.Box({-2.6f, 0.55f, 2.6f}, {2.6f, 1.2f, 2.75f}, PAINT);
    for (float x : {-1.0f, 1.0f}) {
        Corners k;
        for (int c = 0; c < 8; ++c)
            k[c] = {2.6f * x + (c & 1 ? 0.05f : -0.05f), c & 2 ? 1.2f : 0.35f, c & 4 ? 4.3f : 2.6f};
        m.Block(k, TRIM);
    }
    m.Box({-2.5f, 0.36f, 3.9f}, {2.5f, 0.42f, 4.1f}, TRIM);  // the knife along the front
    // Front axle under the body, rear axle housing, ladder to the cab, straw hood at the back.
    m.Box({-1.5f, 0.75f, 1.05f}, {1.5f, 1.0f, 1.35f}, STEEL);
    m.Box({-0.9f, 0.45f, -2.55f}, {0.9f, 0.7f, -2.25f}, STEEL);
    m.Box({-1.25f, 1.0f, 0.9f}, {-1.15f, 2.9f, 1.0f}, STEEL);
    m.Block(Tapered({-0.8f, 0.8f, -3.5f}, {0.8f, 1.8f, -3.0f}, 1.8f, 1.5f, 0.7f), PAINT);
    Pair(m, {0.85f, 1.7f, -3.05f}, {1.0f, 1.8f, -3.0f}, LAMP);
    // The exhaust beside the tank.
    m.Round({0.9f, 3.7f, -2.0f}, 0.7f, 0.07f, 0.06f, 8, STEEL);

    // The reel: a shaft with six bats round it, turning about its length.
    Model reel({"steel.tga", "trim.tga"});
    reel.Round({-2.5f, 0, 0}, 5.0f, 0.06f, 0.06f, 8, 0, true);
    for (int i = 0; i < 6; ++i) {
        const float phi = 2 * kPi * static_cast<float>(i) / 6;
        Corners k;
        for (int c = 0; c < 8; ++c) k[c] = AroundX(c & 1 ? 2.5f : -2.5f, c & 2 ? 0.55f : 0.45f, c & 4 ? 0.03f : -0.03f, phi);
        reel.Block(k, 1);
        for (float x : {-2.4f, 0.0f, 2.4f}) {
            Corners arm;
            for (int c = 0; c < 8; ++c) arm[c] = AroundX(x + (c & 1 ? 0.03f : -0.03f), c & 2 ? 0.5f : 0.0f, c & 4 ? 0.02f : -0.02f, phi);
            reel.Block(arm, 0);
        }
    }
    // The grain pipe, from its pivot at the origin back along -z, its spout turned down at the end.
    Model pipe({"tractor.tga", "steel.tga"});
    pipe.Round({0, 0, 0}, 0.5f, 0.16f, 0.16f, 10, 1);
    pipe.Box({-0.13f, 0.4f, -4.2f}, {0.13f, 0.66f, 0.1f}, 0);
    pipe.Box({-0.14f, 0.1f, -4.3f}, {0.14f, 0.66f, -4.02f}, 0);

    Model front({"tyre.tga", "trim.tga", "steel.tga"}), rear({"tyre.tga", "trim.tga", "steel.tga"});
    Wheel(front, 0.85f, 0.55f, 20, 0, 1, 2);
    Wheel(rear, 0.55f, 0.35f, 14, 0, 1, 2);
    return m.Save("prefabs\\combine\\body_nocenter.x") && reel.Save("prefabs\\combine\\reel.x") &&
           pipe.Save("prefabs\\combine\\pipe_nocenter.x") && front.Save("prefabs\\combine\\wheel_front.x") &&
           rear.Save("prefabs\\combine\\wheel.x");
}

}  // namespace machines
