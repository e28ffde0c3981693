#pragma once
// The demo game's characters: the tractor driver, a small biped of 30 bones that stands, sits at
// the wheel, steers and waves, and the hen with its own skeleton of "Bone" nodes that scratches,
// pecks and runs. They are made in centimetres and written in metres (the game's unit), y up,
// facing +z.
#include <cmath>
#include <string>
#include <vector>

#include "tools/SkinnedModel.h"

namespace characters {

using skinned::Influence;
using skinned::Model;
using skinned::Part;
using skinned::Pose;
using skinned::Vec3;

constexpr float kPi = 3.14159265f;
constexpr float kDegrees = kPi / 180.0f;

// The driver's textures (one per material) and the shirt's variants.
inline const std::vector<std::string> kDriverTextures = {"driver_skin.tga", "driver_shirt.tga", "driver_trousers.tga"};
inline const std::vector<std::string> kShirtVariants = {"driver_shirt_red.tga", "driver_shirt_blue.tga",
                                                        "driver_shirt_green.tga"};
// The height of the hips above the seat when the driver sits, in centimetres.
constexpr float kSeatedRootHeight = 12.0f;

inline Model DriverSkeleton() {
    Model m;
    m.unit = 0.01f;
    const int root = m.AddBone("Bip01", -1, {0, 95, 0});
    const int pelvis = m.AddBone("Bip01_Pelvis", root, {0, 0, 0});
    const int spine = m.AddBone("Bip01_Spine", pelvis, {0, 10, 0});
    const int spine1 = m.AddBone("Bip01_Spine1", spine, {0, 15, 0});
    const int spine2 = m.AddBone("Bip01_Spine2", spine1, {0, 15, 0});
    const int neck = m.AddBone("Bip01_Neck", spine2, {0, 20, 0});
    const int head = m.AddBone("Bip01_Head", neck, {0, 6, 0});
    m.AddBone("Bip01_HeadNub", head, {0, 20, 0});
    for (const char* side : {"L", "R"}) {
        const float x = side[0] == 'L' ? -1.0f : 1.0f;
        const std::string s = std::string("Bip01_") + side + "_";
        const int clavicle = m.AddBone(s + "Clavicle", neck, {4 * x, -2, 0});
        const int upper = m.AddBone(s + "UpperArm", clavicle, {16 * x, 0, 0});
        const int fore = m.AddBone(s + "Forearm", upper, {0, -28, 0});
        const int hand = m.AddBone(s + "Hand", fore, {0, -25, 0});
        const int finger = m.AddBone(s + "Finger0", hand, {0, -8, 0});
        m.AddBone(s + "Finger01", finger, {0, -5, 0});
        const int thigh = m.AddBone(s + "Thigh", pelvis, {10 * x, -5, 0});
        const int calf = m.AddBone(s + "Calf", thigh, {0, -42, 0});
        const int foot = m.AddBone(s + "Foot", calf, {0, -40, 0});
        const int toe = m.AddBone(s + "Toe0", foot, {0, -4, 12});
        m.AddBone(s + "Toe0Nub", toe, {0, 0, 8});
    }
    return m;
}

// The driver: skin, shirt and trousers, every limb a box whose upper end blends with its parent.
inline Model Driver() {
    Model m = DriverSkeleton();
    Part body;
    body.name = "driver_body";
    body.frame = m.Find("Bip01");
    body.textures = kDriverTextures;
    enum { SKIN, SHIRT, TROUSERS };
    auto at = [&](const char* bone) { return m.BindPosition(m.Find(bone)); };
    auto rigid = [&](const char* bone) { return std::vector<Influence>{{m.Find(bone), 1.0f}}; };
    auto blend = [&](const char* bone, const char* parent) {
        return std::vector<Influence>{{m.Find(bone), 0.6f}, {m.Find(parent), 0.4f}};
    };
    const Vec3 up{0, 1, 0};
    body.Limb(at("Bip01_Pelvis") + Vec3{0, -8, 0}, at("Bip01_Spine"), 13, 9, TROUSERS, rigid("Bip01_Pelvis"), rigid("Bip01_Pelvis"));
    body.Limb(at("Bip01_Spine"), at("Bip01_Spine1"), 14, 9, SHIRT, blend("Bip01_Spine", "Bip01_Pelvis"), rigid("Bip01_Spine"));
    body.Limb(at("Bip01_Spine1"), at("Bip01_Spine2"), 15, 10, SHIRT, rigid("Bip01_Spine1"), rigid("Bip01_Spine1"));
    body.Limb(at("Bip01_Spine2"), at("Bip01_Neck") + Vec3{0, -2, 0}, 16, 10, SHIRT, blend("Bip01_Spine2", "Bip01_Spine1"),
              rigid("Bip01_Spine2"));
    body.Limb(at("Bip01_Neck") + Vec3{0, -3, 0}, at("Bip01_Head"), 4, 4, SKIN, rigid("Bip01_Neck"), rigid("Bip01_Neck"));
    body.Limb(at("Bip01_Head"), at("Bip01_HeadNub"), 9, 10, SKIN, rigid("Bip01_Head"), rigid("Bip01_Head"));
    body.Limb(at("Bip01_Head") + Vec3{0, 8, 9}, at("Bip01_Head") + Vec3{0, 12, 13}, 2, 2, SKIN, rigid("Bip01_Head"),
              rigid("Bip01_Head"));  // the nose shows which way the head looks
    for (const char* side : {"L", "R"}) {
        const std::string s = std::string("Bip01_") + side + "_";
        auto b = [&](const char* part) { return s + part; };
        body.Limb(at(b("Clavicle").c_str()), at(b("UpperArm").c_str()), 5, 5, SHIRT, rigid(b("Clavicle").c_str()),
                  rigid(b("Clavicle").c_str()));
        body.Limb(at(b("UpperArm").c_str()) + up * 3.0f, at(b("Forearm").c_str()), 5, 5, SHIRT,
                  blend(b("UpperArm").c_str(), b("Clavicle").c_str()), rigid(b("UpperArm").c_str()));
        body.Limb(at(b("Forearm").c_str()), at(b("Hand").c_str()), 4, 4, SHIRT,
                  blend(b("Forearm").c_str(), b("UpperArm").c_str()), rigid(b("Forearm").c_str()));
        body.Limb(at(b("Hand").c_str()), at(b("Finger01").c_str()), 4, 2, SKIN, rigid(b("Hand").c_str()),
                  rigid(b("Finger0").c_str()));
        body.Limb(at(b("Thigh").c_str()) + up * 4.0f, at(b("Calf").c_str()), 7, 8, TROUSERS,
                  blend(b("Thigh").c_str(), "Bip01_Pelvis"), rigid(b("Thigh").c_str()));
        body.Limb(at(b("Calf").c_str()), at(b("Foot").c_str()), 6, 6, TROUSERS, blend(b("Calf").c_str(), b("Thigh").c_str()),
                  rigid(b("Calf").c_str()));
        body.Limb(at(b("Foot").c_str()) + Vec3{0, 0, -5}, at(b("Toe0Nub").c_str()), 5, 4, TROUSERS,
                  rigid(b("Foot").c_str()), rigid(b("Toe0").c_str()));
    }
    m.parts.push_back(body);
    return m;
}

// Angles of the seated driver: hips bent forward, knees down, hands forward on the wheel. steer
// turns the wheel (-1 full left .. 1 full right).
inline void Seated(Pose& p, float steer, float bob) {
    p.translations["Bip01"] = {0, kSeatedRootHeight + bob, 0};
    for (const char* side : {"L", "R"}) {
        const std::string s = std::string("Bip01_") + side + "_";
        const float x = side[0] == 'L' ? -1.0f : 1.0f;
        p.angles[s + "Thigh"] = {-90 * kDegrees, 0, 0};
        p.angles[s + "Calf"] = {80 * kDegrees, 0, 0};
        p.angles[s + "Foot"] = {10 * kDegrees, 0, 0};
        // Turning the wheel raises one hand and lowers the other.
        const float lift = steer * x * 18 * kDegrees;
        p.angles[s + "UpperArm"] = {-55 * kDegrees + lift, 0, -10 * x * kDegrees};
        p.angles[s + "Forearm"] = {-40 * kDegrees, 0, 0};
    }
    p.angles["Bip01_Spine1"] = {8 * kDegrees, steer * 6 * kDegrees, 0};
    p.angles["Bip01_Head"] = {0, steer * 15 * kDegrees, 0};
}

// Standing, breathing: the chest rises and the arms swing a little.
inline void Standing(Pose& p, float breath) {
    p.angles["Bip01_Spine1"] = {breath * 3 * kDegrees, 0, 0};
    p.angles["Bip01_L_UpperArm"] = {breath * 4 * kDegrees, 0, -4 * kDegrees};
    p.angles["Bip01_R_UpperArm"] = {-breath * 4 * kDegrees, 0, 4 * kDegrees};
    p.angles["Bip01_Head"] = {breath * 2 * kDegrees, 0, 0};
}

struct NamedClip {
    std::string name;
    strSkinMeshAnimation clip;
};

// The driver's own default clip (standing idle).
inline strSkinMeshAnimation DriverIdle(const Model& m) {
    return skinned::MakeClip(m, "idle", 2.0, 21, [](float t, Pose& p) { Standing(p, std::sin(t * kPi)); });
}

// The clips every driver model shares (the common cache).
inline std::vector<NamedClip> DriverCommonClips(const Model& m) {
    std::vector<NamedClip> clips;
    clips.push_back({"drive", skinned::MakeClip(m, "drive", 2.0, 21, [](float t, Pose& p) {
                         Seated(p, 0.08f * std::sin(t * kPi), 0.6f * std::sin(t * 2 * kPi));
                     })});
    // Held at a time by the machine's steering: 0 straight, 0.5 s full lock.
    clips.push_back({"turn_left", skinned::MakeClip(m, "turn_left", 0.5, 11, [](float t, Pose& p) {
                         Seated(p, -t / 0.5f, 0);
                     })});
    clips.push_back({"turn_right", skinned::MakeClip(m, "turn_right", 0.5, 11, [](float t, Pose& p) {
                         Seated(p, t / 0.5f, 0);
                     })});
    clips.push_back({"steer", skinned::MakeClip(m, "steer", 3.0, 31, [](float t, Pose& p) {
                         Seated(p, std::sin(t * 2 * kPi / 3.0f), 0);
                     })});
    clips.push_back({"wave", skinned::MakeClip(m, "wave", 2.0, 41, [](float t, Pose& p) {
                         Standing(p, 0);
                         p.angles["Bip01_R_UpperArm"] = {0, 0, 150 * kDegrees};
                         p.angles["Bip01_R_Forearm"] = {0, 0, std::sin(t * 2 * kPi) * 30 * kDegrees};
                     })});
    return clips;
}

// The hen: a body on two legs with a neck, head, beak, tail and wings; its bones are "Bone"
// nodes. About 17 units tall: the game scales it down to a hen's size.
inline Model Hen() {
    Model m;
    m.unit = 0.01f;
    const int root = m.AddBone("Bone_kura", -1, {0, 0, 0});
    const int body = m.AddBone("Bone_body", root, {0, 800, 0});
    const int neck = m.AddBone("Bone_neck", body, {0, 250, 350});
    const int head = m.AddBone("Bone_head", neck, {0, 400, 100});
    m.AddBone("Bone_beak", head, {0, 0, 250});
    m.AddBone("Bone_tail", body, {0, 200, -450});
    for (const char* side : {"l", "r"}) {
        const float x = side[0] == 'l' ? -1.0f : 1.0f;
        const std::string s = std::string("Bone_") + side + "_";
        m.AddBone(s + "wing", body, {300 * x, 150, 0});
        const int leg = m.AddBone(s + "leg", body, {150 * x, -250, 0});
        m.AddBone(s + "foot", leg, {0, -550, 0});
    }
    Part p;
    p.name = "kura_body";
    p.frame = root;
    p.textures = {"kura_feathers.tga", "kura_skin.tga"};
    auto at = [&](const char* bone) { return m.BindPosition(m.Find(bone)); };
    auto rigid = [&](const char* bone) { return std::vector<Influence>{{m.Find(bone), 1.0f}}; };
    p.Limb(at("Bone_body") + Vec3{0, 0, -400}, at("Bone_body") + Vec3{0, 0, 350}, 280, 300, 0, rigid("Bone_body"), rigid("Bone_body"));
    p.Limb(at("Bone_neck") + Vec3{0, -150, 0}, at("Bone_head"), 110, 110, 0, rigid("Bone_neck"), rigid("Bone_neck"));
    p.Limb(at("Bone_head") + Vec3{0, -50, -100}, at("Bone_head") + Vec3{0, 150, 100}, 120, 130, 0, rigid("Bone_head"), rigid("Bone_head"));
    p.Limb(at("Bone_head") + Vec3{0, 20, 80}, at("Bone_beak"), 40, 30, 1, rigid("Bone_beak"), rigid("Bone_beak"));
    p.Limb(at("Bone_tail") + Vec3{0, -100, 100}, at("Bone_tail") + Vec3{0, 250, -100}, 150, 60, 0, rigid("Bone_tail"), rigid("Bone_tail"));
    for (const char* side : {"l", "r"}) {
        const std::string s = std::string("Bone_") + side + "_";
        auto b = [&](const char* part) { return s + part; };
        p.Limb(at(b("wing").c_str()), at(b("wing").c_str()) + Vec3{0, -50, -500}, 40, 180, 0, rigid(b("wing").c_str()),
               rigid(b("wing").c_str()));
        p.Limb(at(b("leg").c_str()), at(b("foot").c_str()), 50, 50, 1, rigid(b("leg").c_str()), rigid(b("leg").c_str()));
        p.Limb(at(b("foot").c_str()) + Vec3{0, 30, -60}, at(b("foot").c_str()) + Vec3{0, 0, 250}, 90, 25, 1,
               rigid(b("foot").c_str()), rigid(b("foot").c_str()));
    }
    m.parts.push_back(p);
    return m;
}

inline std::vector<NamedClip> HenClips(const Model& m) {
    std::vector<NamedClip> clips;
    clips.push_back({"kura_drapie", skinned::MakeClip(m, "kura_drapie", 1.6, 17, [](float t, Pose& p) {
                         const float scratch = std::sin(t * 2 * kPi / 0.8f);
                         p.angles["Bone_l_leg"] = {scratch * 35 * kDegrees, 0, 0};
                         p.angles["Bone_body"] = {-10 * kDegrees, 0, 0};
                         p.angles["Bone_neck"] = {25 * kDegrees, 0, 0};
                     })});
    clips.push_back({"kura_dziobie", skinned::MakeClip(m, "kura_dziobie", 1.2, 13, [](float t, Pose& p) {
                         const float peck = std::fabs(std::sin(t * 2 * kPi / 0.6f));
                         p.angles["Bone_body"] = {-peck * 25 * kDegrees, 0, 0};
                         p.angles["Bone_neck"] = {peck * 60 * kDegrees, 0, 0};
                     })});
    clips.push_back({"kura_biegnie", skinned::MakeClip(m, "kura_biegnie", 0.5, 11, [](float t, Pose& p) {
                         const float stride = std::sin(t * 2 * kPi / 0.5f);
                         p.angles["Bone_l_leg"] = {stride * 40 * kDegrees, 0, 0};
                         p.angles["Bone_r_leg"] = {-stride * 40 * kDegrees, 0, 0};
                         p.angles["Bone_l_wing"] = {0, 0, stride * 30 * kDegrees};
                         p.angles["Bone_r_wing"] = {0, 0, -stride * 30 * kDegrees};
                         p.angles["Bone_body"] = {-15 * kDegrees, 0, 0};
                     })});
    return clips;
}

}  // namespace characters
