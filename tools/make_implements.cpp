// Writes the demo game's implements and bales as text .x files below the given game directory,
// with the few textures of their own (the implements' red paint, hay and grain): a grain trailer
// with its drawbar and its load of grain, a plough, a seeder, a potato planter, a mower, a round
// baler with its gate, a cube baler, the round and cube bales they make, and the front loader (a
// skinned model with its clips and sockets) that the loader tractor carries, and the tractors'
// three-point linkage that lifts the mounted implements.
//
// Like the machines (MachineModels.h) they are built in metres, front towards +z, the bodies as
// "_nocenter" prefabs whose origin lies on the ground where the physics keeps the machine's origin;
// their sockets (scripts\mesh_sockets) are in that frame. Parts hung on sockets (wheels, drawbar,
// gate, grain load) and the bales are centred by the mesh manager on their boxes, so they are built
// round their own middle. A trailer coupled by the player's set-up starts 4 behind the tractor's
// origin, so its drawbar's tractor end (0.9 + 1.6 ahead of it) meets the tractor's hook at 1.5
// behind the tractor.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "MachineModels.h"
#include "ModelBuilder.h"
#include "ModelTextures.h"
#include "SkinnedModel.h"
#include "TgaWriter.h"
#include "mesh/ESkinMeshAnimation.h"
#include "platform/os/Files.h"

namespace {

using demo::Corners;
using demo::Model;
using demo::P;
using machines::Pair;
using machines::Wheel;

constexpr float kPi = 3.14159265f;

// A flat bar of the given half sizes turned about y by `yaw` round its middle.
Corners TurnedBar(P centre, P half, float yaw) {
    Corners k = demo::BoxCorners(P{0, 0, 0} - half, half);
    for (P& c : k) c = centre + P{c.x * std::cos(yaw) + c.z * std::sin(yaw), c.y, -c.x * std::sin(yaw) + c.z * std::cos(yaw)};
    return k;
}

// A drawbar's A-frame: two struts from the frame's front corners (at half width w, z0) to the
// hinge at z1, at height y.
void AFrame(Model& m, float w, float z0, float z1, float y, uint32_t material) {
    for (float x : {-1.0f, 1.0f}) {
        Corners k;
        for (int c = 0; c < 8; ++c) {
            const bool tip = c & 4;
            const float across = c & 1 ? 0.05f : -0.05f;
            k[c] = {tip ? across : w * x + across, y + (c & 2 ? 0.08f : -0.08f), tip ? z1 : z0};
        }
        m.Block(k, material);
    }
}

// The grain trailer: a deep red bed with ribbed sides and a trim rail on a dark frame, a turntable
// front axle and a rear axle (wheels 0.5 at z 0 and -2.5), lamps and a ladder at the back, and the
// A-frame to the drawbar's hinge at z 0.9. Its drawbar is 1.6 between its ends; its load of grain
// is a thin layer on the bed's floor that the trailer raises and thickens as it fills.
bool GrainTrailer() {
    enum { PAINT, STEEL, TRIM, LAMP };
    Model m({"implement.tga", "steel.tga", "trim.tga", "lamp.tga"});
    m.Box({-1.15f, 1.0f, -3.4f}, {1.15f, 1.1f, 0.6f}, STEEL);                 // floor
    Pair(m, {1.1f, 1.1f, -3.4f}, {1.15f, 2.0f, 0.6f}, PAINT);                 // sides
    m.Box({-1.1f, 1.1f, 0.55f}, {1.1f, 2.0f, 0.6f}, PAINT);                   // front board
    m.Box({-1.1f, 1.1f, -3.4f}, {1.1f, 2.0f, -3.35f}, PAINT);                 // tailgate
    for (float z = -3.3f; z <= 0.5f; z += 0.63f) Pair(m, {1.15f, 1.05f, z - 0.04f}, {1.2f, 2.0f, z + 0.04f}, PAINT);
    Pair(m, {1.08f, 1.98f, -3.45f}, {1.2f, 2.06f, 0.65f}, TRIM);              // top rails
    m.Box({-1.2f, 1.98f, 0.58f}, {1.2f, 2.06f, 0.65f}, TRIM);
    m.Box({-1.2f, 1.98f, -3.45f}, {1.2f, 2.06f, -3.38f}, TRIM);
    Pair(m, {0.5f, 0.78f, -3.3f}, {0.62f, 1.0f, 0.5f}, STEEL);                // frame
    for (float z : {0.0f, -2.5f}) m.Box({-0.8f, 0.42f, z - 0.06f}, {0.8f, 0.58f, z + 0.06f}, STEEL);
    m.Round({0, 0.58f, 0}, 0.2f, 0.55f, 0.55f, 16, STEEL);                    // turntable
    Pair(m, {0.5f, 0.55f, -2.56f}, {0.6f, 0.8f, -2.44f}, STEEL);              // rear axle hangers
    AFrame(m, 0.45f, 0.45f, 0.95f, 0.6f, STEEL);
    m.Box({-0.07f, 0.52f, -3.55f}, {0.07f, 0.68f, -3.4f}, STEEL);             // rear hook
    Pair(m, {0.8f, 0.85f, -3.48f}, {1.0f, 0.95f, -3.4f}, LAMP);
    for (float y = 1.2f; y < 2.0f; y += 0.2f) m.Box({0.6f, y, -3.46f}, {0.9f, y + 0.03f, -3.4f}, STEEL);  // ladder

    Model drawbar({"steel.tga"}), grain({"grain.tga"}), wheel({"tyre.tga", "trim.tga", "steel.tga"});
    drawbar.Box({-0.045f, -0.05f, -0.72f}, {0.045f, 0.05f, 0.72f}, 0);
    drawbar.Box({-0.12f, -0.06f, -0.8f}, {0.12f, 0.06f, -0.72f}, 0);
    drawbar.Box({-0.07f, -0.06f, 0.72f}, {0.07f, 0.06f, 0.8f}, 0);
    grain.Box({-1.08f, -0.02f, -1.95f}, {1.08f, 0.02f, 1.95f}, 0, 4.0f);
    Wheel(wheel, 0.5f, 0.3f, 14, 0, 1, 2);
    return m.Save("prefabs\\pojazdy\\przyczepa_ov\\przyczepa_ov_nocenter.x") &&
           drawbar.Save("prefabs\\pojazdy\\przyczepa_ov\\dyszel.x") && grain.Save("prefabs\\pojazdy\\przyczepa_ov\\ziarno.x") &&
           wheel.Save("prefabs\\pojazdy\\przyczepa_ov\\kolo.x");
}

// A three-point headstock on the implement's front: two lower arms' pins and the top link's mast,
// round the hook at (0, 0.6, z).
void Headstock(Model& m, float z, uint32_t material) {
    m.Box({-0.45f, 0.5f, z - 0.2f}, {0.45f, 0.62f, z}, material);
    Pair(m, {0.38f, 0.5f, z - 0.1f}, {0.46f, 1.3f, z}, material);
    m.Box({-0.46f, 1.22f, z - 0.1f}, {0.46f, 1.3f, z}, material);
    m.Box({-0.06f, 0.52f, z}, {0.06f, 0.68f, z + 0.15f}, material);
}

// The plough: a beam running back and to the right from the headstock with four bodies, each a
// leg, a curved mouldboard and a share, and a depth wheel behind. Shares at plug0..plug2.
bool Plough() {
    enum { PAINT, STEEL, TYRE };
    Model m({"implement.tga", "steel.tga", "tyre.tga"});
    Headstock(m, 0.0f, PAINT);
    m.Block(TurnedBar({0.45f, 0.85f, -1.6f}, {0.08f, 0.1f, 1.6f}, 0.28f), PAINT);  // beam
    for (int i = 0; i < 4; ++i) {
        const float z = -0.7f - 0.75f * i, x = 0.2f + 0.21f * i;
        m.Box({x - 0.05f, 0.3f, z - 0.05f}, {x + 0.05f, 0.8f, z + 0.05f}, PAINT);  // leg
        for (int s = 0; s < 4; ++s) {
            // The mouldboard twists outwards as it rises.
            const float a = 0.35f + 0.2f * s, y = 0.08f + 0.12f * s;
            m.Block(TurnedBar({x + 0.12f + 0.04f * s, y + 0.06f, z - 0.15f}, {0.02f, 0.06f, 0.3f}, a), STEEL);
        }
        m.Block(TurnedBar({x, 0.04f, z + 0.1f}, {0.12f, 0.03f, 0.2f}, 0.3f), STEEL);  // share
    }
    m.Box({1.0f, 0.3f, -3.35f}, {1.06f, 0.8f, -3.25f}, PAINT);
    m.Round({0.9f, 0.3f, -3.3f}, 0.2f, 0.28f, 0.28f, 14, TYRE, true);
    return m.Save("prefabs\\pojazdy\\plug_ov\\plug_ov_nocenter.x");
}

// The seeder: a wide hopper with a lid on a frame, a row of coulter discs under it, a harrow bar
// behind and two wheels (0.35 at z -0.6). Seed falls at siewnikl and siewnikr.
bool Seeder() {
    enum { PAINT, STEEL, TRIM };
    Model m({"implement.tga", "steel.tga", "trim.tga"});
    Headstock(m, 0.0f, STEEL);
    m.Box({-1.5f, 0.55f, -0.6f}, {1.5f, 0.7f, -0.2f}, STEEL);
    m.Block(machines::Tapered({-1.4f, 0.7f, -1.0f}, {1.4f, 1.45f, -0.2f}, 1.45f, 1.45f, 1.4f), PAINT);  // hopper
    m.Box({-1.45f, 1.45f, -1.05f}, {1.45f, 1.52f, -0.15f}, TRIM);
    for (float x = -1.35f; x <= 1.36f; x += 0.225f) {
        m.Box({x - 0.02f, 0.25f, -0.85f}, {x + 0.02f, 0.7f, -0.8f}, STEEL);
        m.Round({x - 0.01f, 0.22f, -0.9f}, 0.02f, 0.2f, 0.2f, 12, STEEL, true);
    }
    m.Box({-1.5f, 0.15f, -1.3f}, {1.5f, 0.22f, -1.25f}, STEEL);
    for (float x = -1.45f; x <= 1.46f; x += 0.15f) m.Box({x - 0.01f, 0.02f, -1.3f}, {x + 0.01f, 0.18f, -1.27f}, STEEL);
    Model wheel({"tyre.tga", "trim.tga", "steel.tga"});
    Wheel(wheel, 0.35f, 0.2f, 12, 0, 1, 2);
    return m.Save("prefabs\\pojazdy\\siewnik_ov\\siewnik_ov_nocenter.x") && wheel.Save("prefabs\\pojazdy\\siewnik_ov\\kolo.x");
}

// The potato planter: a deep hopper over two planting units with their furrow openers and the
// ridging discs behind, on two wheels (0.4 at z -1.2). Potatoes drop at ziemniaki.
bool Planter() {
    enum { PAINT, STEEL, TRIM };
    Model m({"implement.tga", "steel.tga", "trim.tga"});
    Headstock(m, 0.0f, STEEL);
    m.Box({-0.9f, 0.55f, -1.6f}, {0.9f, 0.7f, -0.2f}, STEEL);
    m.Block(machines::Tapered({-0.85f, 0.9f, -1.5f}, {0.85f, 1.75f, -0.3f}, 1.75f, 1.75f, 0.85f), PAINT);  // hopper
    m.Box({-0.9f, 1.75f, -1.55f}, {0.9f, 1.8f, -0.25f}, TRIM);
    for (float x : {-0.38f, 0.38f}) {
        m.Box({x - 0.12f, 0.2f, -1.1f}, {x + 0.12f, 0.9f, -0.7f}, PAINT);  // planting unit
        m.Block(TurnedBar({x, 0.12f, -0.6f}, {0.03f, 0.1f, 0.15f}, 0), STEEL);  // opener
        for (float side : {-1.0f, 1.0f})
            m.Round({x + 0.18f * side - 0.01f, 0.22f, -1.75f}, 0.02f, 0.22f, 0.22f, 12, STEEL, true);  // ridgers
    }
    Model wheel({"tyre.tga", "trim.tga", "steel.tga"});
    Wheel(wheel, 0.4f, 0.22f, 12, 0, 1, 2);
    return m.Save("prefabs\\pojazdy\\sadzarka_ov\\sadzarka_nocenter.x") && wheel.Save("prefabs\\pojazdy\\sadzarka_ov\\kolo.x");
}

// The mower: a headstock with a gearbox, and a long cutter bar out to the right with its guards
// and a red cover over the drums, a skid at its outer end. The bar is the part that swings while
// mowing (attachment on socket kosa).
bool Mower() {
    enum { PAINT, STEEL };
    Model m({"implement.tga", "steel.tga"}), bar({"implement.tga", "steel.tga"});
    Headstock(m, 0.0f, PAINT);
    m.Box({-0.25f, 0.6f, -0.5f}, {0.25f, 0.95f, -0.15f}, STEEL);  // gearbox
    m.Box({0.2f, 0.5f, -0.45f}, {0.9f, 0.6f, -0.35f}, PAINT);     // arm to the bar
    bar.Box({-1.4f, -0.04f, -0.25f}, {1.4f, 0.04f, 0.25f}, STEEL);
    for (float x = -1.35f; x <= 1.36f; x += 0.1f)
        bar.Block(TurnedBar({x, -0.02f, 0.32f}, {0.015f, 0.015f, 0.1f}, 0), STEEL);  // guards
    bar.Block(machines::Tapered({-1.35f, 0.04f, -0.3f}, {1.35f, 0.3f, 0.22f}, 0.3f, 0.12f, 1.35f), PAINT);  // cover
    for (float x = -1.0f; x <= 1.01f; x += 0.5f) bar.Round({x, 0.04f, 0}, 0.06f, 0.18f, 0.18f, 12, STEEL);  // drums
    bar.Box({1.4f, -0.08f, -0.3f}, {1.5f, 0.2f, 0.3f}, STEEL);
    return m.Save("prefabs\\pojazdy\\kosa_ov\\kosa_ov_nocenter.x") && bar.Save("prefabs\\pojazdy\\kosa_ov\\listwa.x");
}

// The round baler: a round chamber in green-and-red panels on two wheels (0.45 at z -1.0), a
// pick-up with tines under its front, a drawbar to the hook, and a rear gate (its own model, on
// socket brama) that tilts open to let the bale out. The bale forms at bela.
bool RoundBaler() {
    enum { PAINT, STEEL, TRIM };
    Model m({"implement.tga", "steel.tga", "trim.tga"}), gate({"implement.tga", "steel.tga"});
    m.Round({-1.0f, 1.25f, -1.0f}, 2.0f, 0.85f, 0.85f, 20, PAINT, true);  // chamber
    Pair(m, {1.0f, 0.45f, -1.1f}, {1.1f, 2.1f, -0.9f}, STEEL);
    m.Box({-1.0f, 0.3f, -0.2f}, {1.0f, 0.5f, 0.3f}, STEEL);              // pick-up
    for (float x = -0.9f; x <= 0.91f; x += 0.15f) m.Box({x - 0.01f, 0.15f, 0.25f}, {x + 0.01f, 0.35f, 0.35f}, STEEL);
    AFrame(m, 0.5f, -0.1f, 1.6f, 0.62f, STEEL);
    m.Box({-0.07f, 0.52f, 1.55f}, {0.07f, 0.7f, 1.75f}, STEEL);
    m.Box({-1.02f, 2.1f, -1.1f}, {1.02f, 2.15f, -0.2f}, TRIM);
    gate.Box({-1.05f, -0.85f, -0.05f}, {1.05f, 0.85f, 0.05f}, PAINT);
    for (float y : {-0.6f, 0.0f, 0.6f}) gate.Box({-1.08f, y - 0.04f, -0.09f}, {1.08f, y + 0.04f, -0.05f}, STEEL);
    Model wheel({"tyre.tga", "trim.tga", "steel.tga"});
    Wheel(wheel, 0.45f, 0.3f, 12, 0, 1, 2);
    return m.Save("prefabs\\pojazdy\\prasa_ov\\prasa_ov_nocenter.x") && gate.Save("prefabs\\pojazdy\\prasa_ov\\brama.x") &&
           wheel.Save("prefabs\\pojazdy\\prasa_ov\\kolo.x");
}

// The cube baler: a long square chamber beside a wide pick-up, the knotters on top, a drawbar to
// the hook and a bale chute at the back; two wheels (0.4 at z -1.4). The bale forms at bela and
// slides out along the chamber.
bool CubeBaler() {
    enum { PAINT, STEEL, TRIM };
    Model m({"implement.tga", "steel.tga", "trim.tga"});
    m.Box({-0.35f, 0.6f, -2.6f}, {0.35f, 1.35f, 0.4f}, PAINT);        // chamber
    m.Box({-1.2f, 0.25f, 0.0f}, {0.35f, 0.7f, 0.6f}, PAINT);          // pick-up housing
    for (float x = -1.1f; x <= 0.3f; x += 0.15f) m.Box({x - 0.01f, 0.1f, 0.55f}, {x + 0.01f, 0.3f, 0.65f}, STEEL);
    m.Box({-0.3f, 1.35f, -1.0f}, {0.3f, 1.6f, -0.4f}, TRIM);          // knotters
    m.Box({-0.3f, 0.5f, -3.4f}, {0.3f, 0.58f, -2.6f}, STEEL);         // chute
    Pair(m, {0.3f, 0.55f, -3.4f}, {0.32f, 0.7f, -2.6f}, STEEL);
    Pair(m, {0.35f, 0.45f, -1.5f}, {0.75f, 0.6f, -1.3f}, STEEL);      // axle
    AFrame(m, 0.3f, 0.35f, 1.6f, 0.62f, STEEL);
    m.Box({-0.07f, 0.52f, 1.55f}, {0.07f, 0.7f, 1.75f}, STEEL);
    Model wheel({"tyre.tga", "trim.tga", "steel.tga"});
    Wheel(wheel, 0.4f, 0.25f, 12, 0, 1, 2);
    return m.Save("prefabs\\pojazdy\\prasa_kostka\\prasa_kostka_nocenter.x") &&
           wheel.Save("prefabs\\pojazdy\\prasa_kostka\\kolo.x");
}

// The bales: a round bale 1.2 across and 1.2 long, its axis upright as its body's cylinder, netted
// with a few bands; a cube bale 0.9 long tied with two strings.
bool Bales() {
    Model round({"hay.tga", "trim.tga"}), cube({"hay.tga", "trim.tga"});
    round.Round({0, -0.6f, 0}, 1.2f, 0.6f, 0.6f, 20, 0);
    for (float y : {-0.35f, 0.0f, 0.35f}) round.Round({0, y - 0.02f, 0}, 0.04f, 0.605f, 0.605f, 20, 1);
    cube.Box({-0.23f, -0.18f, -0.45f}, {0.23f, 0.18f, 0.45f}, 0, 2.0f);
    for (float x : {-0.1f, 0.1f}) cube.Box({x - 0.01f, -0.185f, -0.455f}, {x + 0.01f, 0.185f, 0.455f}, 1);
    return round.Save("prefabs\\obiekty\\bala.x") && cube.Save("prefabs\\obiekty\\snopek.x");
}

bool WriteText(const std::string& gamePath, const std::string& text) {
    std::filesystem::create_directories(plat::ResolvePath(gamePath).parent_path());
    FILE* f = plat::OpenFile(gamePath, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// The front loader, round its mounting socket on the tractor (metres, front +z): two masts, two
// arms from the masts' tops over the bonnet down to a bale grab before the tractor's nose, tied by
// a cross tube. The arms turn on the masts ("Ramie"), the grab on the arms' ends ("Chwytak") so
// that it stays level. Clips: "podnosi" raises the arms in 1.5 s, "opuszcza" lowers them, and
// "podniesiony" holds them up. The bale rides on the grab's socket "bela".
// A machine's type is found by its model's file, so a type that shares the field tractor's body
// gets its own copy of it.
bool CopyTractorBody(const char* gamePath) {
    const std::filesystem::path tractor = plat::ResolvePath("prefabs\\tractor\\body_nocenter.x");
    const std::filesystem::path copy = plat::ResolvePath(gamePath);
    std::filesystem::create_directories(copy.parent_path());
    std::error_code error;
    std::filesystem::copy_file(tractor, copy, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

bool FrontLoader() {
    using skinned::Influence;
    using pmath::Vec3;
    skinned::Model m;
    const int root = m.AddBone("Tur", -1, {0, 0, 0});
    const int arm = m.AddBone("Ramie", root, {0, 0.35f, 0});
    const int grab = m.AddBone("Chwytak", arm, {0, -0.95f, 2.75f});
    const std::vector<Influence> onRoot{{root, 1}}, onArm{{arm, 1}}, onGrab{{grab, 1}};
    skinned::Part body;
    body.name = "tur";
    body.textures = {"steel.tga", "implement.tga"};
    for (float x : {-0.72f, 0.72f}) {
        body.Limb({x, -0.45f, 0}, {x, 0.35f, 0}, 0.06f, 0.08f, 0, onRoot, onRoot);
        body.Limb({x, 0.35f, 0}, {x, 0.3f, 1.3f}, 0.06f, 0.09f, 1, onArm, onArm);
        body.Limb({x, 0.3f, 1.3f}, {x, -0.6f, 2.75f}, 0.06f, 0.09f, 1, onArm, onArm);
        for (float z : {2.75f, 3.25f}) body.Limb({x, -0.65f, 2.7f}, {x * 0.9f, -0.65f, z + 0.3f}, 0.04f, 0.04f, 0, onGrab, onGrab);
        body.Limb({x, -0.6f, 2.75f}, {x, 0.0f, 2.95f}, 0.05f, 0.05f, 0, onGrab, onGrab);
    }
    body.Limb({-0.72f, 0.3f, 1.3f}, {0.72f, 0.3f, 1.3f}, 0.05f, 0.05f, 1, onArm, onArm);
    body.Limb({-0.72f, -0.6f, 2.75f}, {0.72f, -0.6f, 2.75f}, 0.06f, 0.06f, 0, onGrab, onGrab);
    body.Limb({-0.72f, 0.0f, 2.95f}, {0.72f, 0.0f, 2.95f}, 0.04f, 0.04f, 0, onGrab, onGrab);
    m.parts.push_back(body);

    constexpr float kRaised = -0.85f;
    auto lift = [](float angle) {
        return [angle](float t, skinned::Pose& p, float from) {
            const float a = from + (angle - from) * std::fmin(t / 1.5f, 1.0f);
            p.angles["Ramie"] = {a, 0, 0};
            p.angles["Chwytak"] = {-a, 0, 0};
        };
    };
    const strSkinMeshAnimation raise = skinned::MakeClip(m, "podnosi", 1.5, 16, [&](float t, skinned::Pose& p) { lift(kRaised)(t, p, 0); });
    const strSkinMeshAnimation lower = skinned::MakeClip(m, "opuszcza", 1.5, 16, [&](float t, skinned::Pose& p) { lift(0)(t, p, kRaised); });
    const strSkinMeshAnimation held = skinned::MakeClip(m, "podniesiony", 1.0, 2, [&](float, skinned::Pose& p) { lift(kRaised)(1.5f, p, 0); });
    const std::string folder = "models\\tur\\";
    auto clip = [&](const strSkinMeshAnimation& c) {
        const std::string path = folder + "animations\\" + c.szName + ".bin";
        std::filesystem::create_directories(plat::ResolvePath(path).parent_path());
        return Save_Animation_To_Bin_File(&c, path.c_str());
    };
    // The loader tractor is the field tractor with the loader's mounting.
    return CopyTractorBody("prefabs\\ladowacz\\body_nocenter.x") && WriteText(folder + "tur.x", m.XText()) &&
           WriteText(folder + "sockets.txt", "bela Chwytak 0 0.1 0.75 0 0 0\npoziom Ramie 0 0 0 0 0 0\npion Tur 0 0 0 0 0 0\n") &&
           clip(raise) && clip(lower) && clip(held);
}

// The tractor's three-point linkage, round its socket at the tractor's back (metres, front +z):
// two lower arms and the top link reach back from the tractor and turn together ("Ramiona") to
// lift a mounted implement. Clips: "podnosi" raises them in a second, "opuszcza" lowers them,
// "podniesiony" holds them up.
bool Linkage() {
    using skinned::Influence;
    skinned::Model m;
    const int root = m.AddBone("Zaczep", -1, {0, 0, 0});
    const int arms = m.AddBone("Ramiona", root, {0, 0, 0});
    const std::vector<Influence> onArms{{arms, 1}};
    skinned::Part part;
    part.name = "zaczep";
    part.textures = {"steel.tga"};
    for (float x : {-0.35f, 0.35f}) part.Limb({x * 0.6f, 0, 0}, {x, -0.1f, -0.75f}, 0.03f, 0.04f, 0, onArms, onArms);
    part.Limb({0, 0.45f, 0}, {0, 0.5f, -0.7f}, 0.035f, 0.035f, 0, onArms, onArms);
    part.Limb({-0.35f, -0.1f, -0.75f}, {0.35f, -0.1f, -0.75f}, 0.025f, 0.025f, 0, onArms, onArms);
    m.parts.push_back(part);
    constexpr float kRaised = -0.35f;
    auto lift = [](float from, float to) {
        return [from, to](float t, skinned::Pose& p) { p.angles["Ramiona"] = {from + (to - from) * std::fmin(t, 1.0f), 0, 0}; };
    };
    const std::string folder = "models\\zaczep\\";
    auto clip = [&](const strSkinMeshAnimation& c) {
        const std::string path = folder + "animations\\" + c.szName + ".bin";
        std::filesystem::create_directories(plat::ResolvePath(path).parent_path());
        return Save_Animation_To_Bin_File(&c, path.c_str());
    };
    return WriteText(folder + "zaczep.x", m.XText()) && clip(skinned::MakeClip(m, "podnosi", 1.0, 8, lift(0, kRaised))) &&
           clip(skinned::MakeClip(m, "opuszcza", 1.0, 8, lift(kRaised, 0))) &&
           clip(skinned::MakeClip(m, "podniesiony", 1.0, 2, lift(kRaised, kRaised)));
}

// The implements' paint, straw-coloured hay with its stalks, and golden grain.
bool Textures(const char* gameDir) {
    const std::filesystem::path dir = std::filesystem::path(gameDir) / "textures" / "models";
    std::filesystem::create_directories(dir);
    using modeltex::Shade;
    const auto hay = [](int x, int y) {
        const double stalk = 0.8 + 0.3 * modeltex::Noise(x / 2, y * 3 + x % 3);
        return Shade({0.80, 0.68, 0.36}, stalk);
    };
    const auto grain = [](int x, int y) { return Shade({0.85, 0.66, 0.25}, 0.75 + 0.4 * modeltex::Noise(x, y)); };
    return tga::Write(dir / "implement.tga", modeltex::kSize, modeltex::kSize, modeltex::Plain({0.68, 0.10, 0.08}, 0.1)) &&
           tga::Write(dir / "hay.tga", modeltex::kSize, modeltex::kSize, hay) &&
           tga::Write(dir / "grain.tga", modeltex::kSize, modeltex::kSize, grain);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_implements GAME_DIR\n");
        return 2;
    }
    plat::SetStartDirectory(argv[1]);
    const bool ok = Textures(argv[1]) && GrainTrailer() && Plough() && Seeder() && Planter() && Mower() &&
                    RoundBaler() && CubeBaler() && Bales() && FrontLoader() && Linkage() &&
                    // The tractor the intro's player drives is the field tractor too.
                    CopyTractorBody("prefabs\\pojazdy\\tractor015\\tractor015_nocenter.x");
    if (!ok) std::fprintf(stderr, "make_implements: cannot write the implements into %s\n", argv[1]);
    return ok ? 0 : 1;
}
