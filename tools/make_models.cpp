// Writes the demo game's static models as text .x files below the given game directory: the
// ground with its field, a road and a field plot, the sky dome, the tractor (body, wheels, steering
// wheel), a race machine, a trailer with its drawbar and wheels, two trees, a house, a fence piece,
// the marker prefab, a power-line pole, the fence pieces laid along roads, a hedge, a gate, a barrel
// and its wreck and a trigger box, each textured with one of make_textures' model textures.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gfx/VertexDeclaration.h"
#include "platform/os/Files.h"
#include "platform/xfile/XFileWriter.h"

namespace {

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

// 2000 x 2000 units of grass in tiles of 100, with a 600 x 400 field in the middle.
bool Ground() {
    Model m({"grass.tga", "field.tga"});
    for (int x = -10; x < 10; ++x)
        for (int z = -10; z < 10; ++z) {
            const float x0 = x * 100.0f, z0 = z * 100.0f, x1 = x0 + 100, z1 = z0 + 100;
            const bool field = x >= -3 && x < 3 && z >= -2 && z < 2;
            m.Quad({x0, 0, z0}, {x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0}, field ? 1 : 0, 2.0f);
        }
    return m.Save("prefabs\\ground\\field.x");
}

// A gravel road 6 wide and 200 long along z, and a ploughed plot of 60 x 40 to lay over a field as an
// object of its own, in metres like the machines.
bool RoadAndPlot() {
    Model road({"gravel.tga"});
    for (int z = -10; z < 10; ++z)
        road.Quad({-3, 0, z * 10.0f}, {-3, 0, z * 10.0f + 10}, {3, 0, z * 10.0f + 10}, {3, 0, z * 10.0f}, 0);
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

// A hedge 2.6 high and 60 long along z, the bank a road's fences stand against.
bool Hedge() {
    Model m({"leaves.tga"});
    m.Box({-0.6f, 0, -30}, {0.6f, 2.6f, 30}, 0, 6.0f);
    return m.Save("prefabs\\ground\\hedge.x");
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
    const bool ok = Ground() && RoadAndPlot() && SkyDome() && Tractor() && Racer() && Trailer() && Trees() &&
                    House() && Fence() && Marker() && PowerPole() && FencePrefabs() && Hedge() &&
                    GateBarrelAndTrigger();
    if (!ok) std::fprintf(stderr, "make_models: cannot write the models into %s\n", argv[1]);
    return ok ? 0 : 1;
}
