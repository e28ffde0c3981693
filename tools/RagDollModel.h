#pragma once
// The ragdoll definition of the demo biped (its "death" folder): one particle for every name of
// the ragdoll's bone map, each bound to the bone it rides on; distance constraints that make each
// body part's cage rigid and tie each joint cage to the two cages it joins; and self-collision
// limits that keep the feet and hands from flying apart.
#include <string>
#include <vector>

#include "mesh/ECharacterRagDoll.h"

namespace ragdoll {

// The bone a particle rides on, from the body-part word of its name.
inline std::string BoneOf(const std::string& particle) {
    const std::string side = particle.rfind("L_", 0) == 0 ? "L" : "R";
    auto has = [&](const char* word) { return particle.find(word) != std::string::npos; };
    if (has("glowa")) return "Bip01_Head";
    if (has("tulow")) return "Bip01_Spine2";
    if (has("miednica")) return "Bip01_Pelvis";
    if (has("poldupek") || has("udo")) return "Bip01_" + side + "_Thigh";
    if (has("kolano") || has("lydka")) return "Bip01_" + side + "_Calf";
    if (has("przedramie") || has("lokiec")) return "Bip01_" + side + "_Forearm";
    return "Bip01_" + side + "_UpperArm";
}

inline std::string Particles() {
    std::string text;
    for (const char* name : ECharacterRagDoll::kMapNames) text += std::string(name) + " " + BoneOf(name) + " 0 3.0 -\n";
    return text;
}

using Group = std::vector<std::string>;

inline Group Numbered(const std::string& stem, std::initializer_list<int> numbers) {
    Group g;
    for (int n : numbers) g.push_back(stem + std::to_string(n));
    return g;
}

inline Group Joined(Group a, const Group& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The pairs the joint limits lay onto each other when a joint bends too far: a rod between them
// would fight the limit.
inline bool HeldByALimit(const std::string& a, const std::string& b) {
    static const char* const kHeld[][2] = {
        {"L_udo1", "L_kolano1"},     {"L_udo2", "L_kolano2"},         {"L_kolano3", "L_kolano1"},
        {"L_kolano4", "L_kolano2"},  {"L_lydka1", "L_kolano3"},       {"L_lydka2", "L_kolano4"},
        {"P_udo1", "P_kolano1"},     {"P_udo2", "P_kolano2"},         {"P_kolano1", "P_kolano3"},
        {"P_kolano2", "P_kolano4"},  {"P_lydka1", "P_kolano3"},       {"P_lydka2", "P_kolano4"},
        {"L_poldupek2", "L_miednica3"}, {"L_poldupek1", "miednica6"}, {"L_udo9", "miednica5"},
        {"P_poldupek2", "miednica6"},   {"P_poldupek1", "P_miednica4"}, {"P_udo8", "miednica5"},
        {"L_lokiec1", "L_ramie7"},   {"L_lokiec2", "L_ramie3"},       {"L_lokiec3", "L_lokiec1"},
        {"L_lokiec4", "L_lokiec2"},  {"L_przedramie6", "L_lokiec3"},  {"L_przedramie5", "L_lokiec4"},
        {"P_lokiec1", "P_ramie7"},   {"P_lokiec2", "P_ramie3"},       {"P_lokiec3", "P_lokiec1"},
        {"P_lokiec4", "P_lokiec2"},  {"P_przedramie6", "P_lokiec3"},  {"P_przedramie5", "P_lokiec4"},
    };
    for (const auto& pair : kHeld)
        if ((a == pair[0] && b == pair[1]) || (a == pair[1] && b == pair[0])) return true;
    return false;
}

inline void Rod(const std::string& a, const std::string& b, std::string& text) {
    if (!HeldByALimit(a, b)) text += a + " " + b + " 0.5 0.5 0 0 0 -\n";
}

inline void AllPairs(const Group& g, std::string& text) {
    for (size_t i = 0; i < g.size(); ++i)
        for (size_t j = i + 1; j < g.size(); ++j) Rod(g[i], g[j], text);
}

inline void Between(const Group& a, const Group& b, std::string& text) {
    for (const std::string& x : a)
        for (const std::string& y : b) Rod(x, y, text);
}

inline std::string DistanceConstraints() {
    std::string text;
    const Group head = Numbered("glowa", {1, 2, 3, 4, 5, 6, 7, 8});
    const Group torso = Joined(Joined(Numbered("L_tulow", {1, 2, 3, 4}), Numbered("P_tulow", {1, 2, 3, 4})),
                               {"miednica5", "miednica6", "L_miednica2", "L_miednica3", "P_miednica1", "P_miednica4"});
    AllPairs(head, text);
    AllPairs(torso, text);
    Between(Numbered("glowa", {1, 2, 3, 4}), Numbered("L_tulow", {2, 3}), text);
    Between(Numbered("glowa", {1, 2, 3, 4}), Numbered("P_tulow", {2, 3}), text);
    for (const std::string s : {"L_", "P_"}) {
        const Group pelvis = s == "L_" ? Group{s + "miednica2", s + "miednica3", "miednica5", "miednica6"}
                                       : Group{s + "miednica1", s + "miednica4", "miednica5", "miednica6"};
        const Group thigh = Numbered(s + "udo", {1, 2, 3, 4, 5, 6, 8, 9});
        const Group calf = Numbered(s + "lydka", {1, 2, 3, 4, 5, 6, 7, 8});
        const Group upper = Numbered(s + "ramie", {1, 2, 3, 4, 5, 6, 7, 8});
        const Group fore = Numbered(s + "przedramie", {1, 2, 3, 4, 5, 6, 7, 8});
        // The hip's limit lays poldupek3 and poldupek4 onto the thigh's top (udo5 and udo6): they
        // carry no rods but are kept near those (below), the rest of the hip cage ties pelvis and
        // thigh.
        const Group hip = Numbered(s + "poldupek", {1, 2, 5, 6});
        const Group knee = Numbered(s + "kolano", {1, 2, 3, 4, 5, 6});
        const Group elbow = Numbered(s + "lokiec", {1, 2, 3, 4, 5, 6});
        for (const Group* cage : {&thigh, &calf, &upper, &fore, &hip, &knee, &elbow}) AllPairs(*cage, text);
        Between(hip, pelvis, text);
        Between(hip, Numbered(s + "udo", {5, 6, 8, 9}), text);
        Between(knee, Numbered(s + "udo", {1, 2, 3, 4}), text);
        Between(knee, Numbered(s + "lydka", {1, 2, 7, 8}), text);
        Between(Numbered(s + "ramie", {1, 4, 5, 8}), Numbered(s + "tulow", {1, 2, 3, 4}), text);
        Between(elbow, Numbered(s + "ramie", {2, 3, 6, 7}), text);
        Between(elbow, Numbered(s + "przedramie", {5, 6, 7, 8}), text);
    }
    return text;
}

// The hip's loose particles stay within a unit of the thigh's top; the feet within the width of
// the hips plus a stride, the hands within the shoulders' plus an arm's reach.
inline std::string SelfCollisionConstraints() {
    std::string text;
    for (const std::string s : {"L_", "P_"})
        text += s + "poldupek3 " + s + "udo5 0 0 " + s + "udo5 " + s + "udo5 1\n" + s + "poldupek4 " + s + "udo6 0 0 " +
                s + "udo6 " + s + "udo6 1\n";
    return text + "L_lydka3 P_lydka3 0 0 L_miednica2 P_miednica1 60\n"
                  "L_przedramie1 P_przedramie1 0 0 L_tulow1 P_tulow1 150\n";
}

}  // namespace ragdoll
