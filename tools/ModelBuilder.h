// The demo generators' model builder: vertices with normals and texture coordinates, faces with a
// material each, flat quads, triangles, boxes and six-sided blocks, round solids and lumps, saved
// as a text .x file below the game directory.
//
// Every face winds clockwise seen from its front, as the left-handed renderer draws front faces,
// and its normals point to that front: out of the solid for a solid seen from outside.
#pragma once

#include <array>
#include <utility>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/VertexDeclaration.h"
#include "platform/os/Files.h"
#include "platform/xfile/XFileWriter.h"

namespace demo {

struct P {
    float x, y, z;
};

inline P operator+(P a, P b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline P operator-(P a, P b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline P operator*(P a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline P Cross(P a, P b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Dot(P a, P b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Length(P a) { return std::sqrt(Dot(a, a)); }
// The vector scaled to length 1; a zero vector stays zero.
inline P Unit(P a) {
    const float l = Length(a);
    return l > 0 ? a * (1.0f / l) : a;
}

// The eight corners of a six-sided block: corner i lies on the block's high side in x when bit 0
// of i is set, in y with bit 1, in z with bit 2 (an axis-aligned box has corner i at
// {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z}).
using Corners = std::array<P, 8>;

inline Corners BoxCorners(P lo, P hi) {
    Corners k;
    for (int i = 0; i < 8; ++i) k[i] = {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z};
    return k;
}

// Vertices (position, normal, texture coordinates) and faces with their material.
class Model {
public:
    explicit Model(std::vector<std::string> textures) : m_textures(std::move(textures)) {}

    uint16_t Vertex(P p, P n, float u, float v) {
        const float data[8] = {p.x, p.y, p.z, n.x, n.y, n.z, u, v};
        const auto* bytes = reinterpret_cast<const uint8_t*>(data);
        m_vertices.insert(m_vertices.end(), bytes, bytes + sizeof data);
        return static_cast<uint16_t>(m_vertices.size() / sizeof data - 1);
    }
    void Face(uint16_t a, uint16_t b, uint16_t c, uint32_t material) {
        m_indices.insert(m_indices.end(), {a, b, c});
        m_attributes.push_back(material);
    }
    size_t FaceCount() const { return m_attributes.size(); }

    // A flat quad a, b, c, d, clockwise seen from its front, its texture repeated `tiles` times
    // along a-d and `tilesV` times along a-b (as often as along a-d when 0); the texture's top
    // row runs along b-c. A quad folded to nothing is left out.
    void Quad(P a, P b, P c, P d, uint32_t material, float tiles = 1.0f, float tilesV = 0.0f) {
        // The diagonals' cross product: the front's normal, also where two corners meet.
        const P n = Unit(Cross(c - a, d - b));
        if (Length(n) == 0) return;
        const float v = tilesV > 0 ? tilesV : tiles;
        const uint16_t i0 = Vertex(a, n, 0, v), i1 = Vertex(b, n, 0, 0), i2 = Vertex(c, n, tiles, 0),
                       i3 = Vertex(d, n, tiles, v);
        Face(i0, i1, i2, material);
        Face(i0, i2, i3, material);
    }
    // A flat rectangle round centre that faces along `facing`, its texture upright along `up`.
    void Panel(P centre, P facing, P up, float halfWidth, float halfHeight, uint32_t material) {
        const P n = Unit(facing), v = Unit(up) * halfHeight, u = Unit(Cross(n, up)) * halfWidth;
        Quad(centre - u - v, centre - u + v, centre + u + v, centre + u - v, material);
    }
    // A triangle a, b, c, clockwise seen from its front.
    void Triangle(P a, P b, P c, uint32_t material) {
        const P n = Unit(Cross(b - a, c - a));
        Face(Vertex(a, n, 0, 1), Vertex(b, n, 0.5f, 0), Vertex(c, n, 1, 1), material);
    }
    // A six-sided block from its corners (see Corners), every side facing out, whichever way
    // round the corners were given; each side's texture repeats as a quad's does.
    void Block(Corners k, uint32_t material, float tiles = 1.0f, float tilesV = 0.0f) {
        if (Dot(Cross(k[1] - k[0], k[2] - k[0]), k[4] - k[0]) < 0)
            for (int i = 0; i < 4; ++i) std::swap(k[i], k[i + 4]);
        Quad(k[0], k[2], k[3], k[1], material, tiles, tilesV);  // low z
        Quad(k[5], k[7], k[6], k[4], material, tiles, tilesV);  // high z
        Quad(k[4], k[6], k[2], k[0], material, tiles, tilesV);  // low x
        Quad(k[1], k[3], k[7], k[5], material, tiles, tilesV);  // high x
        Quad(k[2], k[6], k[7], k[3], material, tiles, tilesV);  // high y
        Quad(k[4], k[0], k[1], k[5], material, tiles, tilesV);  // low y
    }
    // An axis-aligned box from lo to hi; on its upright sides the texture's rows run across.
    void Box(P lo, P hi, uint32_t material, float tiles = 1.0f, float tilesV = 0.0f) {
        Block(BoxCorners(lo, hi), material, tiles, tilesV);
    }

    // A round solid around the axis from base up `height` (along y, or along x when sideways),
    // with radius r0 at the base and r1 at the top, and caps where the radius is not 0; the
    // texture wraps once around it.
    void Round(P base, float height, float r0, float r1, int segments, uint32_t material, bool sideways = false) {
        // Sideways turns the upright solid's y axis onto x (and x onto z), a turn, not a mirror.
        auto place = [&](float x, float y, float z) { return sideways ? P{y, z, x} : P{x, y, z}; };
        auto at = [&](float along, float angle, float r) {
            return base + place(std::cos(angle) * r, along, std::sin(angle) * r);
        };
        // The side's normal leans towards the narrow end of a cone.
        auto side = [&](float angle) {
            return Unit(place(std::cos(angle) * height, r0 - r1, std::sin(angle) * height));
        };
        const P up = place(0, 1, 0), down = place(0, -1, 0);
        const float step = 2.0f * static_cast<float>(M_PI) / segments;
        const uint16_t bottom = Vertex(at(0, 0, 0), down, 0.5f, 0.5f), top = Vertex(at(height, 0, 0), up, 0.5f, 0.5f);
        for (int i = 0; i < segments; ++i) {
            const float a0 = i * step, a1 = (i + 1) * step;
            const float u0 = i / float(segments), u1 = (i + 1) / float(segments);
            const uint16_t b0 = Vertex(at(0, a0, r0), side(a0), u0, 1), b1 = Vertex(at(0, a1, r0), side(a1), u1, 1),
                           t0 = Vertex(at(height, a0, r1), side(a0), u0, 0),
                           t1 = Vertex(at(height, a1, r1), side(a1), u1, 0);
            if (r1 > 0) Face(b0, t0, t1, material);
            if (r0 > 0) Face(b0, t1, b1, material);
            if (r0 > 0)
                Face(bottom, CapVertex(at(0, a0, r0), down, a0), CapVertex(at(0, a1, r0), down, a1), material);
            if (r1 > 0)
                Face(top, CapVertex(at(height, a1, r1), up, a1), CapVertex(at(height, a0, r1), up, a0), material);
        }
    }

    // A smooth lump: the ellipsoid round centre with these radii along x, y and z.
    void Lump(P centre, P radii, int rings, int segments, uint32_t material) {
        const float pi = static_cast<float>(M_PI);
        const auto first = static_cast<uint16_t>(m_vertices.size() / kVertexBytes);
        for (int r = 0; r <= rings; ++r)
            for (int s = 0; s <= segments; ++s) {
                const float polar = pi * r / rings, around = 2 * pi * s / segments;
                const P d{std::sin(polar) * std::cos(around), std::cos(polar), std::sin(polar) * std::sin(around)};
                const P n = Unit({d.x / radii.x, d.y / radii.y, d.z / radii.z});
                Vertex(centre + P{d.x * radii.x, d.y * radii.y, d.z * radii.z}, n, float(s) / segments * 2,
                       float(r) / rings);
            }
        auto at = [&](int r, int s) { return static_cast<uint16_t>(first + r * (segments + 1) + s); };
        for (int r = 0; r < rings; ++r)
            for (int s = 0; s < segments; ++s) {
                if (r > 0) Face(at(r, s), at(r, s + 1), at(r + 1, s + 1), material);
                if (r < rings - 1) Face(at(r, s), at(r + 1, s + 1), at(r + 1, s), material);
            }
    }

    bool Save(const char* gamePath) const {
        std::vector<xfile::ExtendedMaterial> materials;
        for (const std::string& t : m_textures) {
            xfile::ExtendedMaterial m;
            m.MatD3D.Diffuse = {1, 1, 1, 1};
            m.MatD3D.Power = 8;
            m.TextureFilename = t;
            materials.push_back(m);
        }
        std::shared_ptr<xfile::Mesh> mesh;
        const auto declaration = gfx::FvfElements(gfx::FVF_XYZ | gfx::FVF_NORMAL | 1u << gfx::FVF_TEXCOUNT_SHIFT);
        if (gfx::Failed(xfile::Mesh::Create(xfile::MESH_SYSTEMMEM, declaration, nullptr, m_vertices, m_indices,
                                            m_attributes, mesh)))
            return false;
        std::filesystem::create_directories(plat::ResolvePath(gamePath).parent_path());
        return !gfx::Failed(xfile::SaveMeshToX(gamePath, *mesh, nullptr, materials.data(),
                                               static_cast<uint32_t>(materials.size()), xfile::FILEFORMAT_TEXT));
    }

private:
    static constexpr size_t kVertexBytes = 8 * sizeof(float);

    // A vertex on a cap's rim, its texture laid flat across the cap.
    uint16_t CapVertex(P p, P n, float angle) {
        return Vertex(p, n, 0.5f + 0.5f * std::cos(angle), 0.5f + 0.5f * std::sin(angle));
    }

    std::vector<std::string> m_textures;
    std::vector<uint8_t> m_vertices;
    std::vector<uint16_t> m_indices;
    std::vector<uint32_t> m_attributes;
};

}  // namespace demo
