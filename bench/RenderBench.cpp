// The renderer's frame on the GL backend at 800 x 600: a farm made in code in place of the demo
// world (fields and roads, fences, trees, barns, bales, grass tufts, a pond, tractors moving about
// with glass cabins leaving exhaust smoke and wheel dust, a power line along the road, the sky
// dome), seen from a start position, with shadows and bloom as the default video options have
// them. A simple visibility pass stands in for the engine's.
//
// Reported per frame: frames per second, draw calls as the device counts them, (texture, pass)
// pairs as this bench counts them from its own scene (each texture of the visible objects, the
// moving objects' shadow pass, the sky dome, the power line's cables, each texture and blend of the
// live effect sprites, the six post-processing steps) and their ratio, and the GL calls per draw.
// A texture shared by two models, or by more objects than one draw's instance array holds, takes
// a draw for each model and each full array. FURROW_BENCH_PICTURE=file.png writes the last frame, and file_near.png
// a look from beside the road.
#include <benchmark/benchmark.h>
#include <stb_dxt.h>
#include <stb_image_write.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/Window.h"
#include "render/CPowerLines.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "render/EFXMgr.h"
#include "render/EPostProcess.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "support/SceneGeometry.h"
#include "support/TestSupport.h"

namespace {

constexpr uint32_t kWidth = 800;
constexpr uint32_t kHeight = 600;
constexpr float kFarZ = 1000.0f;

using test::SceneGeometry;
using test::SceneObject;

// ---- Textures made for the farm ---------------------------------------------------------------

using Texel = uint32_t (*)(int x, int y);

uint32_t Argb(int a, int r, int g, int b) {
    auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

int Noise(int x, int y) { return static_cast<int>((static_cast<uint32_t>(x * 73856093 ^ y * 19349663) >> 7) % 32); }

std::string Tga(int size, Texel texel) {
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = file[14] = static_cast<char>(size & 0xFF);
    file[13] = file[15] = static_cast<char>(size >> 8);
    file[16] = 32;
    file[17] = 0x28;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            for (int shift : {0, 8, 16, 24}) file += static_cast<char>((texel(x, y) >> shift) & 0xFF);
    return file;
}

// A DXT1 file of the top level only: the device makes the rest of the chain.
std::string Dxt1(int size, Texel texel) {
    std::string file(128, '\0');
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    std::memcpy(&file[0], "DDS ", 4);
    put(4, 124);
    put(12, static_cast<uint32_t>(size));
    put(16, static_cast<uint32_t>(size));
    put(28, 1);
    put(76, 32);
    put(80, 0x4);
    put(84, 0x31545844);
    for (int by = 0; by < size; by += 4) {
        for (int bx = 0; bx < size; bx += 4) {
            unsigned char rgba[64], block[8];
            for (int i = 0; i < 16; ++i) {
                uint32_t t = texel(bx + i % 4, by + i / 4);
                rgba[4 * i] = static_cast<unsigned char>(t >> 16);
                rgba[4 * i + 1] = static_cast<unsigned char>(t >> 8);
                rgba[4 * i + 2] = static_cast<unsigned char>(t);
                rgba[4 * i + 3] = 255;
            }
            stb_compress_dxt_block(block, rgba, 0, STB_DXT_NORMAL);
            file.append(reinterpret_cast<const char*>(block), 8);
        }
    }
    return file;
}

struct TextureFile {
    const char* name;
    bool compressed;
    Texel texel;
    const char* definition;
};

const TextureFile kTextures[] = {
    {"grass.tga", false, [](int x, int y) { return Argb(255, 70 + Noise(x, y), 120 + Noise(y, x), 50); }, ""},
    {"field.tga", false, [](int x, int y) { return Argb(255, 170 + Noise(x, y), 140 + (y % 8 < 2 ? -30 : 0), 70); }, ""},
    {"dirt.tga", false, [](int x, int y) { return Argb(255, 110 + Noise(x, y), 85, 60); }, ""},
    {"road.tga", false, [](int x, int y) { return Argb(255, 90 + Noise(x, y) / 2, 90, 95); }, ""},
    {"wood.dds", true, [](int x, int y) { return Argb(255, 120 + (x % 16) * 3, 80, 45 + Noise(x, y)); }, ""},
    {"bark.dds", true, [](int x, int y) { return Argb(255, 80, 60 + (x % 8) * 3, 40 + Noise(x, y) / 2); }, ""},
    {"brick.dds", true, [](int x, int y) { return (y % 16 < 2 || (x + (y / 16) * 8) % 32 < 2) ? Argb(255, 200, 200, 190) : Argb(255, 150 + Noise(x, y), 50, 40); }, ""},
    {"roof.tga", false, [](int x, int y) { return Argb(255, 90 + (y % 8) * 4, 50, 40); }, ""},
    {"straw.tga", false, [](int x, int y) { return Argb(255, 210 + Noise(x, y), 180 + Noise(y, x), 90); }, ""},
    {"paint.tga", false, [](int x, int y) { return Argb(255, 40, 140 + Noise(x, y) / 4, 60); }, "specular 1.2 20"},
    {"leaves.tga", false, [](int x, int y) { return Argb(Noise(x, y) + (x * x + y * y) % 97 > 30 ? 255 : 0, 40, 110 + Noise(x, y), 40); }, "transparent\n2sided"},
    {"tuft.tga", false, [](int x, int y) { return Argb((x % 8) > 2 && y > x % 16 ? 255 : 0, 80, 150, 50); }, "transparent\n2sided\ngrass_texture"},
    {"glass.tga", false, [](int, int) { return Argb(90, 180, 210, 230); }, "translucent"},
    {"pond.tga", false, [](int x, int y) { return Argb(255, 40, 80 + Noise(x, y), 110); }, "water"},
};

// ---- The farm ---------------------------------------------------------------------------------

// An object of the farm with the sphere the visibility pass tests.
struct FarmObject {
    SceneObject* object = nullptr;
    const char* texture = "";
    DV centre;
    float radius = 0;
    bool moving = false;
};

class Farm {
public:
    static constexpr uint32_t kCapacity = 2048;

    void Build();
    // The engine's part: what the camera sees this frame, and the tractors driving.
    void Frame(float time);
    // The engine's object table: the objects one after the other.
    DrawObjectTable Table() const {
        return DrawObjectTable{&m_slots[0].object, static_cast<uint32_t>(objects.size()), sizeof(SceneObject)};
    }

    std::vector<FarmObject> objects;

    SceneGeometry& Geometry() { return *m_geometry.emplace_back(std::make_unique<SceneGeometry>()); }
    FarmObject& Place(const SceneGeometry& g, const pmath::Matrix& world, const char* texture, float radius);

private:

    std::unique_ptr<SceneObject[]> m_slots = std::make_unique<SceneObject[]>(kCapacity);
    std::vector<std::unique_ptr<SceneGeometry>> m_geometry;
};

FarmObject& Farm::Place(const SceneGeometry& g, const pmath::Matrix& world, const char* texture, float radius) {
    FarmObject& o = objects.emplace_back();
    o.object = &m_slots[objects.size() - 1];
    o.object->Place(g, world, texture);
    o.texture = texture;
    o.centre = DV{world.m[3][0], world.m[3][1], world.m[3][2]};
    o.radius = radius;
    return o;
}

void Farm::Build() {
    gfx::Device& device = *g_pd3dDevice;
    auto upload = [&](SceneGeometry& g) -> SceneGeometry& {
        g.Upload(device);
        return g;
    };
    // Ground tiles of 64 units, 4 x 4 cells each.
    SceneGeometry& tile = Geometry();
    for (int z = 0; z < 4; ++z)
        for (int x = 0; x < 4; ++x)
            tile.AddQuad(DV{-24.0f + 16 * x, 0, -24.0f + 16 * z}, DV{8, 0, 0}, DV{0, 0, 8}, 2.0f);
    upload(tile);
    const char* grounds[] = {"grass.tga", "field.tga", "grass.tga", "dirt.tga"};
    for (int z = -5; z < 5; ++z)
        for (int x = -5; x < 5; ++x)
            Place(tile, test::Translation(DV{64.0f * x + 32, 0, 64.0f * z + 32}), grounds[(x * 7 + z * 3 + 50) % 4], 46);
    SceneGeometry& road = Geometry();
    road.AddQuad(DV{0, 0.05f, 0}, DV{4, 0, 0}, DV{0, 0, 32}, 8.0f);
    upload(road);
    for (int z = -5; z < 5; ++z) Place(road, test::Translation(DV{10, 0, 64.0f * z + 32}), "road.tga", 33);
    // Fences along the fields: segments of a post and two rails, one model as a fence file is.
    SceneGeometry& fence = Geometry();
    fence.AddBox(DV{-0.1f, 0, -0.1f}, DV{0.1f, 1.4f, 0.1f});
    fence.AddBox(DV{-0.05f, 0.9f, 0.1f}, DV{0.05f, 1.05f, 3.0f});
    fence.AddBox(DV{-0.05f, 0.4f, 0.1f}, DV{0.05f, 0.55f, 3.0f});
    upload(fence);
    for (int side = 0; side < 2; ++side)
        for (int i = 0; i < 150; ++i)
            Place(fence, test::Translation(DV{side ? 20.0f : 0.0f, 0, -220.0f + 3.0f * i}), "wood.dds", 2);
    // Trees: a trunk and a crown of crossed leaf quads.
    SceneGeometry& trunk = Geometry();
    trunk.AddBox(DV{-0.3f, 0, -0.3f}, DV{0.3f, 4, 0.3f});
    upload(trunk);
    SceneGeometry& crown = Geometry();
    for (int k = 0; k < 3; ++k) {
        float a = 1.0471976f * k;
        crown.AddQuad(DV{0, 6, 0}, DV{3 * std::cos(a), 0, 3 * std::sin(a)}, DV{0, 3, 0});
    }
    upload(crown);
    for (int i = 0; i < 120; ++i) {
        DV at{-200.0f + static_cast<float>((i * 37) % 400), 0, 60.0f + static_cast<float>((i * 91) % 180)};
        Place(trunk, test::Translation(at), "bark.dds", 4);
        FarmObject& leaves = Place(crown, test::Translation(at), "leaves.tga", 5);
        leaves.object->object.m_bTree = 1;
    }
    // Barns with their roofs.
    SceneGeometry& barn = Geometry();
    barn.AddBox(DV{-8, 0, -5}, DV{8, 7, 5});
    upload(barn);
    SceneGeometry& roof = Geometry();
    roof.AddQuad(DV{0, 9, -2.5f}, DV{8.5f, 0, 0}, DV{0, 2, 2.7f});
    roof.AddQuad(DV{0, 9, 2.5f}, DV{-8.5f, 0, 0}, DV{0, 2, -2.7f});
    upload(roof);
    for (int i = 0; i < 12; ++i) {
        DV at{-180.0f + 33.0f * i, 0, -60.0f - 25.0f * (i % 3)};
        Place(barn, test::Translation(at), "brick.dds", 11);
        Place(roof, test::Translation(at), "roof.tga", 11);
    }
    // Bales on the field.
    SceneGeometry& bale = Geometry();
    bale.AddBox(DV{-0.8f, 0, -0.6f}, DV{0.8f, 1.2f, 0.6f});
    upload(bale);
    for (int i = 0; i < 80; ++i)
        Place(bale, test::Translation(DV{25.0f + (i % 10) * 6.0f, 0, -150.0f + (i / 10) * 7.0f}), "straw.tga", 1.3f);
    // Grass tufts along the road.
    SceneGeometry& tuft = Geometry();
    tuft.AddQuad(DV{0, 0.5f, 0}, DV{0.6f, 0, 0}, DV{0, 0.5f, 0});
    tuft.AddQuad(DV{0, 0.5f, 0}, DV{0, 0, 0.6f}, DV{0, 0.5f, 0});
    upload(tuft);
    for (int i = 0; i < 200; ++i)
        Place(tuft, test::Translation(DV{5.0f + (i % 4), 0, -150.0f + 1.5f * i}), "tuft.tga", 1);
    // The pond.
    SceneGeometry& pond = Geometry();
    pond.AddQuad(DV{0, 0.1f, 0}, DV{25, 0, 0}, DV{0, 0, 18}, 4.0f);
    upload(pond);
    Place(pond, test::Translation(DV{-45, 0, -120}), "pond.tga", 31);
    // Tractors: a body, a cabin of glass, wheels; they move and cast moving shadows.
    SceneGeometry& body = Geometry();
    body.AddBox(DV{-1.2f, 0.6f, -2.2f}, DV{1.2f, 1.8f, 2.2f});
    for (float x : {-1.3f, 1.3f})
        for (float z : {-1.4f, 1.5f}) body.AddBox(DV{x - 0.25f, 0, z - 0.6f}, DV{x + 0.25f, 1.2f, z + 0.6f});
    upload(body);
    SceneGeometry& cabin = Geometry();
    cabin.AddBox(DV{-1, 1.8f, -1.8f}, DV{1, 3.2f, 0});
    upload(cabin);
    for (int i = 0; i < 6; ++i) {
        for (auto [g, texture] : {std::pair{&body, "paint.tga"}, std::pair{&cabin, "glass.tga"}}) {
            FarmObject& t = Place(*g, pmath::Identity(), texture, 4);
            t.moving = true;
            t.object->object.m_bInShadowRange = 1;
            t.object->object.m_bNoStaticShadow = 1;
        }
    }
    SceneGeometry& dome = Geometry();
    dome.AddDome(12, 24);
    upload(dome);
    // The dome is the sky's, drawn by it alone: it stays out of the lists and the table.
    static SceneObject s_dome;
    s_dome.Place(dome, pmath::Identity(), "bialy.tga");
    s_dome.object.m_bVisibleThisFrame = 0;
    g_Sky.m_pSkyDome = &s_dome.object;
}

void Farm::Frame(float time) {
    int tractor = 0;
    for (FarmObject& o : objects) {
        if (!o.moving) continue;
        int i = tractor++ / 2;
        float a = time * 0.3f + i;
        DV at{-10.0f + 25.0f * std::cos(a) + i * 6.0f, 0, -140.0f + 15.0f * std::sin(a) + i * 4.0f};
        o.object->mesh.world = pmath::MatrixFromAxisAngle(DV{0, 1, 0}, -a) * test::Translation(at);
        o.centre = at;
    }
    // Inside the view (with a margin of its sphere) and nearer than the far plane.
    const pmath::Matrix vp = g_DrawCamera.view * g_DrawCamera.projection;
    for (FarmObject& o : objects) {
        pmath::Vec4 c = pmath::Transform(o.centre, vp);
        float margin = o.radius * 2.0f;
        bool seen = c.w > -o.radius && std::fabs(c.x) <= c.w + margin && std::fabs(c.y) <= c.w + margin &&
                    pmath::Length(o.centre - g_DrawCamera.position) < kFarZ + o.radius;
        o.object->object.m_bVisibleThisFrame = seen ? 1 : 0;
    }
}

// ---- Smoke, dust and a power line ------------------------------------------------------------

// Poles along the road, every 40 units, with the cable sockets of the game's pole.
struct PowerLine {
    static constexpr int kPoles = 11;
    static constexpr DV kSockets[3] = {{-1.15f, 8.5f, 0}, {0, 9.05f, 0}, {1.15f, 8.5f, 0}};
    DV poles[kPoles];
    SceneObject* objects[kPoles] = {};

    void Build(Farm& farm, SceneGeometry& pole) {
        for (int i = 0; i < kPoles; ++i) {
            poles[i] = DV{16, 0, -220.0f + 40.0f * i};
            objects[i] = farm.Place(pole, test::Translation(poles[i]), "wood.dds", 9).object;
        }
    }
    int Index(const DrawVisibility* object) const {
        for (int i = 0; i < kPoles; ++i)
            if (&objects[i]->object == object) return i;
        return -1;
    }
    // The game's power-line script of this line.
    static std::string Script() {
        std::string script = "world farm\nlinia\ngrubosc_kabla 0.04\nsocket kabel1\nsocket kabel2\nsocket kabel3\n";
        for (int i = 0; i < kPoles; ++i) script += "slup slup" + std::to_string(i) + "\n";
        return script;
    }
};

PowerLine* s_line = nullptr;

// The engine's side of the poles, as the power lines ask it.
void InstallPowerLineHooks(PowerLine& line) {
    s_line = &line;
    g_RenderHooks.worldName = [] { return "farm"; };
    g_RenderHooks.findObject = [](const char* name) -> const DrawVisibility* {
        int i = std::atoi(name + 4);
        return std::strncmp(name, "slup", 4) == 0 && i >= 0 && i < PowerLine::kPoles ? &s_line->objects[i]->object
                                                                                       : nullptr;
    };
    g_RenderHooks.effectObject = [](const DrawVisibility* object, EffectObject& out) {
        int i = s_line->Index(object);
        if (i >= 0) out.position = s_line->poles[i];
        return i >= 0;
    };
    g_RenderHooks.objectSocket = [](const DrawVisibility* object, const char* socket, DV& at, EOrientation*) {
        int i = s_line->Index(object), k = std::atoi(socket + 5) - 1;
        if (i < 0 || k < 0 || k > 2) return false;
        at = s_line->poles[i] + PowerLine::kSockets[k];
        return true;
    };
}

// The tractors' exhaust smoke every 0.01 s and the dust their rear wheels raise every 0.5 units.
class TractorEffects {
public:
    void Frame(const Farm& farm, float frameTime) {
        m_exhaust += frameTime;
        int puffs = static_cast<int>(m_exhaust / 0.01f);
        m_exhaust -= puffs * 0.01f;
        int tractor = 0;
        for (const FarmObject& o : farm.objects) {
            if (!o.moving || o.object->subset.blended) continue;
            const pmath::Matrix& world = o.object->mesh.world;
            DV pipe = pmath::TransformPoint(DV{0.8f, 2.6f, 1.6f}, world);
            for (int i = 0; i < puffs; ++i) g_FXMgr.AddFXByName("dymek_rura", &pipe, nullptr);
            for (int side = 0; side < 2; ++side) {
                DV wheel = pmath::TransformPoint(DV{side ? 1.3f : -1.3f, 0.1f, -1.4f}, world);
                DV& last = m_dust[tractor][side];
                if (pmath::Length(wheel - last) <= 0.5f) continue;
                g_FXMgr.AddFXByName("zwir", &wheel, nullptr);
                last = wheel;
            }
            ++tractor;
        }
    }

private:
    float m_exhaust = 0;
    DV m_dust[8][2];
};

// ---- The pairs, counted from the scene ------------------------------------------------------

constexpr int kPostProcessSteps = 6;  // five bloom filters and the copy to the screen

int ScenePairs(const Farm& farm) {
    std::set<std::string> textures;
    bool movingSeen = false;
    for (const FarmObject& o : farm.objects) {
        if (!o.object->object.m_bVisibleThisFrame) continue;
        textures.insert(o.texture);
        movingSeen |= o.moving;
    }
    std::set<std::pair<uint32_t, uint32_t>> sprites;
    for (const EFXInstance& fx : g_FXMgr.m_Instances)
        if (fx.m_bInUse && fx.m_uType == FX_SPRITE && fx.m_uTexture) sprites.insert({fx.m_uTexture, fx.m_uBlendFlags});
    const int shadow = movingSeen ? 1 : 0, sky = 1, cables = 1;
    return static_cast<int>(textures.size() + sprites.size()) + shadow + sky + cables + kPostProcessSteps;
}

// ---- The run ----------------------------------------------------------------------------------

int64_t IgnoreMessages(plat::WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

void RenderFrame() {
    g_Renderer.Update();
    g_Renderer.PreRender();
    g_FXMgr.PrepareVertexBuffers();
    g_PostProcess.BeginCapture();
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
    g_pd3dDevice->BeginScene();
    g_Renderer.Render();
    g_Renderer.RenderTranslucent();
    g_FXMgr.Render();
    g_PostProcess.EndCapture();
    g_PostProcess.Render();
    g_pd3dDevice->EndScene();
    g_pd3dDevice->Present();
}

void SavePicture(const char* path) {
    std::vector<uint32_t> argb(size_t{kWidth} * kHeight);
    g_pd3dDevice->ReadBackBuffer(0, 0, kWidth, kHeight, argb.data());
    std::vector<uint8_t> rgb;
    for (uint32_t p : argb) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    stbi_write_png(path, kWidth, kHeight, 3, rgb.data(), kWidth * 3);
}

void FarmFrame(benchmark::State& state) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    const fs::path game = FURROW_GAME_DIR;
    fs::copy(game / "fx", dir.path() / "fx");
    fs::create_directories(dir.path() / "textures");
    fs::copy(game / "textures" / "system", dir.path() / "textures" / "system");
    fs::copy(game / "textures" / "effects", dir.path() / "textures" / "effects");
    fs::copy(game / "afx", dir.path() / "afx");
    fs::create_directories(dir.path() / "scripts" / "slupy");
    test::WriteWholeFile(dir.path() / "scripts" / "slupy" / "farm.txt", PowerLine::Script());
    std::string definitions;
    for (const TextureFile& t : kTextures) {
        test::WriteWholeFile(dir.path() / "textures" / t.name, t.compressed ? Dxt1(128, t.texel) : Tga(128, t.texel));
        definitions += std::string("texture ") + t.name + "\n" + t.definition + "\n";
    }
    fs::create_directories(dir.path() / "scripts");
    test::WriteWholeFile(dir.path() / "scripts" / "textures.txt",
                         test::ReadWholeFile(game / "scripts" / "textures.txt") + definitions);
    plat::SetStartDirectory(dir.path());

    plat::RegisterWindowClass({"render bench", IgnoreMessages});
    plat::WindowDesc desc;
    desc.className = "render bench";
    desc.title = "furrow render bench";
    plat::WindowHandle window = plat::CreateMainWindow(desc);
    g_pD3D = gfx::CreateSystem();
    gfx::PresentParameters pp;
    pp.backBufferWidth = kWidth;
    pp.backBufferHeight = kHeight;
    pp.autoDepthStencilFormat = gfx::FMT_D24S8;
    if (!window || !g_pD3D || gfx::Failed(g_pD3D->CreateDevice(window, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp,
                                                               g_pd3dDevice))) {
        state.SkipWithError("no GL device");
        return;
    }
    g_d3dpp = pp;
    g_Settings.SetScreenSize(kWidth, kHeight);
    g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration);
    g_pd3dDevice->CreateVertexDeclaration(kSkinVertexElements, g_pSkinVertexDeclaration);
    g_Renderer.InitTextures();
    g_EffectMgr.Init();
    g_Renderer.OnStartWorld();
    g_Sky.OnStartWorld();
    g_Sky.m_uPora = 1;
    g_ShadowMaps.CreateRenderTextures();
    g_PostProcess.Create();

    Farm farm;
    farm.Build();
    PowerLine line;
    SceneGeometry& pole = farm.Geometry();
    pole.AddBox(DV{-0.15f, 0, -0.15f}, DV{0.15f, 9, 0.15f});
    pole.AddBox(DV{-1.3f, 8.3f, -0.07f}, DV{1.3f, 8.45f, 0.07f});
    pole.Upload(*g_pd3dDevice);
    line.Build(farm, pole);
    InstallPowerLineHooks(line);
    g_PowerLines.OnStartWorld();
    g_FXMgr.LoadResources();
    TractorEffects effects;
    const DV eye{-30, 14, -190}, target{10, 0, -40};
    g_DrawCamera.view = pmath::LookAtLH(eye, target, DV{0, 1, 0});
    g_DrawCamera.projection = pmath::PerspectiveFovLH(1.0f, static_cast<float>(kWidth) / kHeight, 0.5f, kFarZ);
    g_DrawCamera.position = eye;
    g_DrawCamera.farZ = kFarZ;
    static DV s_eye;
    static const Farm* s_farm;
    s_eye = eye;
    s_farm = &farm;
    g_RenderHooks.cameraPosition = [] { return s_eye; };
    g_RenderHooks.gameFrame = [] { return 1000u; };
    g_RenderHooks.objectTable = [] { return s_farm->Table(); };
    g_Renderer.m_bSkyLitMeshes = 1;
    g_Renderer.m_bMeshesInShadowRange = 1;

    float time = 0;
    int pairs = 0;
    auto frame = [&] {
        time += 1.0f / 60.0f;
        g_FrameFacts.frameTime = 1.0f / 60.0f;
        farm.Frame(time);
        effects.Frame(farm, g_FrameFacts.frameTime);
        g_FXMgr.Update(false);
        g_PowerLines.Update();
        g_Sky.UpdateFrame();
        pairs += ScenePairs(farm);
        RenderFrame();
    };
    for (int warm = 0; warm < 10; ++warm) frame();
    gfx::DeviceStats before = g_pd3dDevice->Stats();
    pairs = 0;
    int frames = 0;
    for (auto _ : state) {
        frame();
        ++frames;
    }
    gfx::DeviceStats after = g_pd3dDevice->Stats();
    double draws = static_cast<double>(after.draws - before.draws);
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["draws/frame"] = draws / frames;
    state.counters["pairs/frame"] = static_cast<double>(pairs) / frames;
    state.counters["draws/pair"] = draws / pairs;
    state.counters["glcalls/draw"] = static_cast<double>(after.backendCalls - before.backendCalls) / draws;
    if (const char* picture = std::getenv("FURROW_BENCH_PICTURE")) {
        SavePicture(picture);
        // And a look from beside the road, where the tractors pass under the power line.
        const DV nearEye{-2, 4, -162}, nearTarget{12, 3.5f, -140};
        g_DrawCamera.view = pmath::LookAtLH(nearEye, nearTarget, DV{0, 1, 0});
        g_DrawCamera.position = s_eye = nearEye;
        for (int i = 0; i < 30; ++i) frame();
        std::string near = picture;
        near.insert(near.size() > 4 && near.compare(near.size() - 4, 4, ".png") == 0 ? near.size() - 4 : near.size(), "_near");
        SavePicture(near.c_str());
    }

    g_FXMgr.Release();
    g_PowerLines.Release();
    g_PostProcess.ReleaseTargets();
    g_PostProcess.ReleaseDecl();
    g_ShadowMaps.ReleaseRenderTextures();
    g_Renderer.Release();
    g_EffectMgr.Release();
    g_RenderHooks = RenderHooks{};
    g_pVertexDeclaration.reset();
    g_pSkinVertexDeclaration.reset();
    g_pd3dDevice.reset();
    g_pD3D.reset();
    plat::ResetWindows();
    plat::SetStartDirectory(fs::current_path());
}

BENCHMARK(FarmFrame)->Iterations(300)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
