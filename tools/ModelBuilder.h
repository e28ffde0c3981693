// The demo generators' model builder: vertices with normals and texture coordinates, faces with a
// material each, flat quads, triangles, boxes and round solids, saved as a text .x file below the game
// directory.
#pragma once

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
    // A flat quad a, b, c, d (clockwise seen from the front, as a left-handed frame draws it),
    // its texture repeated `tiles` times.
    void Quad(P a, P b, P c, P d, uint32_t material, float tiles = 1.0f) {
        const P u{b.x - a.x, b.y - a.y, b.z - a.z}, v{d.x - a.x, d.y - a.y, d.z - a.z};
        P n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        const float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        n = {-n.x / l, -n.y / l, -n.z / l};
        const uint16_t i0 = Vertex(a, n, 0, tiles), i1 = Vertex(b, n, 0, 0), i2 = Vertex(c, n, tiles, 0),
                       i3 = Vertex(d, n, tiles, tiles);
        Face(i0, i1, i2, material);
        Face(i0, i2, i3, material);
    }
    void Triangle(P a, P b, P c, uint32_t material) {
        const P u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
        P n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        const float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        n = {-n.x / l, -n.y / l, -n.z / l};
        Face(Vertex(a, n, 0, 1), Vertex(b, n, 0.5f, 0), Vertex(c, n, 1, 1), material);
    }
    // An axis-aligned box from lo to hi.
    void Box(P lo, P hi, uint32_t material, float tiles = 1.0f) {
        const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
        Quad({x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, material, tiles);  // front (-z)
        Quad({x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}, material, tiles);  // back
        Quad({x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}, material, tiles);  // left
        Quad({x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}, material, tiles);  // right
        Quad({x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, material, tiles);  // top
        Quad({x0, y0, z1}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, material, tiles);  // bottom
    }
    // A round solid around the axis from base to top (along y, or along x when sideways), with
    // radius r0 at the base and r1 at the top, and caps.
    void Round(P base, float height, float r0, float r1, int segments, uint32_t material, bool sideways = false) {
        auto at = [&](float along, float angle, float r) {
            const float c = std::cos(angle) * r, s = std::sin(angle) * r;
            return sideways ? P{base.x + along, base.y + c, base.z + s} : P{base.x + c, base.y + along, base.z + s};
        };
        auto dir = [&](float angle) {
            const float c = std::cos(angle), s = std::sin(angle);
            return sideways ? P{0, c, s} : P{c, 0, s};
        };
        const float step = 2.0f * static_cast<float>(M_PI) / segments;
        for (int i = 0; i < segments; ++i) {
            const float a0 = i * step, a1 = (i + 1) * step;
            const uint16_t b0 = Vertex(at(0, a0, r0), dir(a0), i / float(segments), 1),
                           b1 = Vertex(at(0, a1, r0), dir(a1), (i + 1) / float(segments), 1),
                           t0 = Vertex(at(height, a0, r1), dir(a0), i / float(segments), 0),
                           t1 = Vertex(at(height, a1, r1), dir(a1), (i + 1) / float(segments), 0);
            Face(b0, t0, t1, material);
            Face(b0, t1, b1, material);
            const P down = sideways ? P{-1, 0, 0} : P{0, -1, 0}, up = sideways ? P{1, 0, 0} : P{0, 1, 0};
            const uint16_t c0 = Vertex(at(0, 0, 0), down, 0.5f, 0.5f), c1 = Vertex(at(height, 0, 0), up, 0.5f, 0.5f);
            Face(c0, Vertex(at(0, a1, r0), down, 0, 0), Vertex(at(0, a0, r0), down, 1, 0), material);
            if (r1 > 0) Face(c1, Vertex(at(height, a0, r1), up, 0, 0), Vertex(at(height, a1, r1), up, 1, 0), material);
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
    std::vector<std::string> m_textures;
    std::vector<uint8_t> m_vertices;
    std::vector<uint16_t> m_indices;
    std::vector<uint32_t> m_attributes;
};

}  // namespace demo
