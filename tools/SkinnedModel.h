#pragma once
// Skinned models made in code: a skeleton of frames placed by their offsets from their parents
// (the bind pose has no rotations), meshes of boxes whose vertices carry bone weights, written as
// a text .x file with frames, meshes, materials and skin weights; and clips sampled from a pose
// function into the ".bin" clip record. The demo characters and the tests' fixtures are made
// with it.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mesh/ESkinMeshAnimation.h"
#include "platform/math/Quaternion.h"
#include "platform/math/Vec3.h"

namespace skinned {

using pmath::Vec3;

struct Bone {
    std::string name;
    int parent = -1;
    Vec3 offset;
};

struct Influence {
    int bone = 0;
    float weight = 1.0f;
};

struct Vertex {
    Vec3 position;
    Vec3 normal;
    float u = 0.0f, v = 0.0f;
    std::vector<Influence> weights;
};

// One mesh: its faces, their materials (each a texture file name) and, when skinned, the bones
// its vertices follow. An unskinned mesh is a rigid part of the frame that holds it.
struct Part {
    std::string name;
    int frame = 0;
    bool skinned = true;
    std::vector<std::string> textures;
    std::vector<Vertex> vertices;
    std::vector<std::array<uint32_t, 3>> faces;
    std::vector<uint32_t> materials;

    uint32_t Add(const Vertex& v) {
        vertices.push_back(v);
        return static_cast<uint32_t>(vertices.size() - 1);
    }
    // A quad a b c d with its outside away from `inside`; corners weighted as given.
    void Quad(const Vec3 (&c)[4], const Vec3& inside, uint32_t material, const std::vector<Influence> (&w)[4]) {
        Vec3 n = pmath::Normalize(pmath::Cross(c[1] - c[0], c[2] - c[0]));
        const Vec3 centre = (c[0] + c[1] + c[2] + c[3]) * 0.25f;
        const bool flip = pmath::Dot(n, centre - inside) > 0.0f;  // left-handed: clockwise faces out
        if (!flip) n = -n;
        const float uv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
        uint32_t i[4];
        for (int k = 0; k < 4; ++k) i[k] = Add({c[k], n, uv[k][0], uv[k][1], w[k]});
        if (flip) {
            faces.push_back({i[0], i[2], i[1]});
            faces.push_back({i[0], i[3], i[2]});
        } else {
            faces.push_back({i[0], i[1], i[2]});
            faces.push_back({i[0], i[2], i[3]});
        }
        materials.push_back(material);
        materials.push_back(material);
    }
    // A box from joint a to joint b, halfWidth across (x-ish) and halfDepth deep; the end at a
    // follows `atA`, the end at b `atB`.
    void Limb(const Vec3& a, const Vec3& b, float halfWidth, float halfDepth, uint32_t material,
              const std::vector<Influence>& atA, const std::vector<Influence>& atB) {
        const Vec3 axis = pmath::Normalize(b - a);
        const Vec3 hint = std::fabs(axis.y) > 0.9f ? Vec3{0, 0, 1} : Vec3{0, 1, 0};
        const Vec3 side = pmath::Normalize(pmath::Cross(hint, axis)) * halfWidth;
        const Vec3 depth = pmath::Normalize(pmath::Cross(axis, side)) * halfDepth;
        Vec3 corner[8];
        for (int k = 0; k < 8; ++k)
            corner[k] = ((k & 4) ? b : a) + side * ((k & 1) ? 1.0f : -1.0f) + depth * ((k & 2) ? 1.0f : -1.0f);
        const Vec3 inside = (a + b) * 0.5f;
        auto weight = [&](int k) { return (k & 4) ? atB : atA; };
        const int quads[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
        for (const auto& q : quads) {
            const Vec3 c[4] = {corner[q[0]], corner[q[1]], corner[q[2]], corner[q[3]]};
            const std::vector<Influence> w[4] = {weight(q[0]), weight(q[1]), weight(q[2]), weight(q[3])};
            Quad(c, inside, material, w);
        }
    }
};

class Model {
public:
    int AddBone(const std::string& name, int parent, Vec3 offset) {
        bones.push_back({name, parent, offset});
        return static_cast<int>(bones.size() - 1);
    }
    int Find(const std::string& name) const {
        for (size_t i = 0; i < bones.size(); ++i)
            if (bones[i].name == name) return static_cast<int>(i);
        return -1;
    }
    Vec3 BindPosition(int bone) const {
        Vec3 p;
        for (; bone >= 0; bone = bones[static_cast<size_t>(bone)].parent) p += bones[static_cast<size_t>(bone)].offset;
        return p;
    }

    std::string XText() const {
        std::string out = "xof 0303txt 0032\n";
        for (size_t b = 0; b < bones.size(); ++b)
            if (bones[b].parent < 0) WriteFrame(out, static_cast<int>(b), 0);
        return out;
    }

    std::vector<Bone> bones;
    std::vector<Part> parts;
    // The length of one unit of the numbers above in the file: a model made in centimetres
    // and written in metres has 0.01.
    float unit = 1.0f;

private:
    static std::string F(float v) {
        char text[32];
        std::snprintf(text, sizeof text, "%.6f", v);
        return text;
    }
    static std::string Matrix(const float* m) {
        std::string s;
        for (int i = 0; i < 16; ++i) s += F(m[i]) + (i == 15 ? ";;" : ",");
        return s;
    }
    std::string Translation(const Vec3& t) const {
        const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, t.x * unit, t.y * unit, t.z * unit, 1};
        return Matrix(m);
    }

    void WriteFrame(std::string& out, int bone, int depth) const {
        const std::string pad(static_cast<size_t>(depth), ' ');
        out += pad + "Frame " + bones[static_cast<size_t>(bone)].name + " {\n";
        out += pad + " FrameTransformMatrix { " + Translation(bones[static_cast<size_t>(bone)].offset) + " }\n";
        for (const Part& p : parts)
            if (p.frame == bone) WriteMesh(out, p);
        for (size_t b = 0; b < bones.size(); ++b)
            if (bones[b].parent == bone) WriteFrame(out, static_cast<int>(b), depth + 1);
        out += pad + "}\n";
    }

    void WriteMesh(std::string& out, const Part& p) const {
        const size_t n = p.vertices.size();
        out += "Mesh " + p.name + " {\n " + std::to_string(n) + ";\n";
        for (size_t i = 0; i < n; ++i) {
            const Vec3 v = p.vertices[i].position * unit;
            out += " " + F(v.x) + ";" + F(v.y) + ";" + F(v.z) + (i + 1 == n ? ";;\n" : ";,\n");
        }
        const std::string faces = FaceList(p);
        out += " " + faces;
        out += " MeshNormals {\n  " + std::to_string(n) + ";\n";
        for (size_t i = 0; i < n; ++i) {
            const Vec3& v = p.vertices[i].normal;
            out += "  " + F(v.x) + ";" + F(v.y) + ";" + F(v.z) + (i + 1 == n ? ";;\n" : ";,\n");
        }
        out += "  " + faces + " }\n";
        out += " MeshTextureCoords {\n  " + std::to_string(n) + ";\n";
        for (size_t i = 0; i < n; ++i)
            out += "  " + F(p.vertices[i].u) + ";" + F(p.vertices[i].v) + (i + 1 == n ? ";;\n" : ";,\n");
        out += " }\n MeshMaterialList {\n  " + std::to_string(p.textures.size()) + ";\n  " +
               std::to_string(p.faces.size()) + ";\n  ";
        for (size_t f = 0; f < p.materials.size(); ++f)
            out += std::to_string(p.materials[f]) + (f + 1 == p.materials.size() ? ";;\n" : ",");
        for (const std::string& t : p.textures)
            out += "  Material { 1.0;1.0;1.0;1.0;; 8.0; 0.2;0.2;0.2;; 0.0;0.0;0.0;; TextureFilename { \"" + t + "\"; } }\n";
        out += " }\n";
        if (p.skinned) WriteSkin(out, p);
        out += "}\n";
    }

    static std::string FaceList(const Part& p) {
        std::string s = std::to_string(p.faces.size()) + ";\n";
        for (size_t f = 0; f < p.faces.size(); ++f) {
            const auto& t = p.faces[f];
            s += "  3;" + std::to_string(t[0]) + "," + std::to_string(t[1]) + "," + std::to_string(t[2]) +
                 (f + 1 == p.faces.size() ? ";;\n" : ";,\n");
        }
        return s;
    }

    void WriteSkin(std::string& out, const Part& p) const {
        std::map<int, std::vector<std::pair<size_t, float>>> byBone;
        for (size_t i = 0; i < p.vertices.size(); ++i)
            for (const Influence& w : p.vertices[i].weights) byBone[w.bone].push_back({i, w.weight});
        out += " XSkinMeshHeader { 4; 12; " + std::to_string(byBone.size()) + "; }\n";
        for (const auto& [bone, weights] : byBone) {
            out += " SkinWeights {\n  \"" + bones[static_cast<size_t>(bone)].name + "\";\n  " +
                   std::to_string(weights.size()) + ";\n  ";
            for (size_t i = 0; i < weights.size(); ++i)
                out += std::to_string(weights[i].first) + (i + 1 == weights.size() ? ";\n  " : ",");
            for (size_t i = 0; i < weights.size(); ++i) out += F(weights[i].second) + (i + 1 == weights.size() ? ";\n  " : ",");
            out += Translation(-BindPosition(bone)) + "\n }\n";
        }
    }
};

// The pose of one moment: per bone a rotation (yaw, pitch, roll in radians) and, when given, a
// translation in place of the bone's offset (in the model's units).
struct Pose {
    std::map<std::string, Vec3> angles;  // x pitch, y yaw, z roll
    std::map<std::string, Vec3> translations;
};

// A clip sampled from pose(t) at `keys` evenly spaced keys over the period, 30 ticks a second.
inline strSkinMeshAnimation MakeClip(const Model& model, const char* name, double period, int keys,
                                     const std::function<void(float t, Pose&)>& pose) {
    constexpr double kTicks = 30.0;
    strSkinMeshAnimation clip;
    std::snprintf(clip.szName, sizeof clip.szName, "%s", name);
    clip.dTicksPerSecond = kTicks;
    clip.dPeriod = period;
    clip.tTracks.resize(model.bones.size());
    for (size_t b = 0; b < model.bones.size(); ++b) {
        tNodeAnim& track = clip.tTracks[b];
        std::snprintf(track.szNodeName, sizeof track.szNodeName, "%s", model.bones[b].name.c_str());
        track.vBaseScale[0] = track.vBaseScale[1] = track.vBaseScale[2] = 1.0f;
        track.qBaseRotation[3] = 1.0f;
    }
    for (int k = 0; k < keys; ++k) {
        const double seconds = keys > 1 ? period * k / (keys - 1) : 0.0;
        Pose p;
        pose(static_cast<float>(seconds), p);
        const auto tick = static_cast<float>(seconds * kTicks);
        for (size_t b = 0; b < model.bones.size(); ++b) {
            tNodeAnim& track = clip.tTracks[b];
            const std::string& bone = model.bones[b].name;
            const auto a = p.angles.find(bone);
            const Vec3 e = a == p.angles.end() ? Vec3{} : a->second;
            track.fTimeRotation.push_back(tick);
            track.qRotation.push_back(pmath::QuaternionFromYawPitchRoll(e.y, e.x, e.z));
            const auto t = p.translations.find(bone);
            track.fTimeTranslation.push_back(tick);
            track.vTranslation.push_back((t == p.translations.end() ? model.bones[b].offset : t->second) * model.unit);
        }
    }
    clip.iNumTracks = static_cast<uint32_t>(clip.tTracks.size());
    return clip;
}

}  // namespace skinned
