// The plants on the GL device: a field with its crop drawn differs from the bare field where the
// crop stands and nowhere else, and terrain tufts grow only where the ambient probe sees the
// textures the script names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "vehicles/FieldsGlFixture.h"

namespace {

// Two quads side by side, facing up: x below 0 with the first texture, above 0 with the second.
std::string TwoTextureGround(float half, const char* left, const char* right) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 8;\n"
                  " %g;0;%g;, %g;0;%g;, 0;0;%g;, 0;0;%g;,\n 0;0;%g;, 0;0;%g;, %g;0;%g;, %g;0;%g;;\n"
                  " 4;\n 3;0,1,2;, 3;0,2,3;, 3;4,5,6;, 3;4,6,7;;\n"
                  " MeshMaterialList {\n  2;\n  4;\n  0,0,1,1;;\n"
                  "  Material { 1.0;1.0;1.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"%s\"; } }\n"
                  "  Material { 1.0;1.0;1.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"%s\"; } }\n"
                  " }\n}\n",
                  -half, -half, -half, half, half, -half, -half, half, half, half, half, -half, left, right);
    return text;
}

class EPlantMgrGl : public test::FieldsGlTest {};

TEST_F(EPlantMgrGl, AFieldWithItsCropDiffersFromTheBareFieldOnlyWhereTheCropStands) {
    Texture("field.tga", 0xFF503018u);
    Texture("zboze.tga", 0xFF30E030u);
    WriteFile("m\\field.x", test::QuadModel(-5, -5, 5, 5, 0, 0, "field.tga"));
    WriteFile("scripts\\grass\\test.txt", std::string("world ") + kWorld +
                                              "\ngrows zboze.tga\ncrop\nwidth 1\nheight 1.2\ndensity 1\nmesh pole01\n");
    StartWorld();
    ASSERT_NE(Place("pole01", "m\\field.x", DV{}), nullptr);
    const DV eye{0, 9, -16}, target{0, 0, 0};
    View(eye, target);
    g_PlantMgr.LoadGrass();
    DrawWorld();
    const std::vector<uint32_t> bare = Picture();
    SavePicture("field_bare");
    g_PlantMgr.CreateGrass();
    ASSERT_GT(g_PlantMgr.m_Grass[0].dwGrassesDefined, 50u);
    DrawWorld();
    const std::vector<uint32_t> grown = Picture();
    SavePicture("field_grown");
    EXPECT_EQ(g_PlantMgr.m_dwDrawCalls, 1u);

    // The screen box of everything the crop can cover: the field, the plants' widths beyond its
    // edges, their height above it; and of the field's middle, where the crop stands thick.
    auto box = [](float half, float height, uint32_t& x0, uint32_t& y0, uint32_t& x1, uint32_t& y1) {
        x0 = y0 = UINT32_MAX;
        x1 = y1 = 0;
        for (int i = 0; i < 8; ++i) {
            uint32_t x, y;
            ScreenOf(DV{i & 1 ? half : -half, i & 2 ? height : 0.0f, i & 4 ? half : -half}, x, y);
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
    };
    uint32_t ox0, oy0, ox1, oy1, ix0, iy0, ix1, iy1;
    box(5.8f, 1.4f, ox0, oy0, ox1, oy1);
    box(2.5f, 0.0f, ix0, iy0, ix1, iy1);
    int inside = 0, changedInside = 0, greenInside = 0;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            const size_t i = size_t{y} * kWidth + x;
            const bool changed = bare[i] != grown[i];
            if (x + 1 < ox0 || x > ox1 + 1 || y + 1 < oy0 || y > oy1 + 1) {
                EXPECT_FALSE(changed) << "pixel " << x << " " << y << " away from the field";
                continue;
            }
            if (x < ix0 || x > ix1 || y < iy0 || y > iy1) continue;
            ++inside;
            changedInside += changed;
            greenInside += ((grown[i] >> 8) & 0xFF) > ((grown[i] >> 16) & 0xFF) + 40;
        }
    ASSERT_GT(inside, 20);
    EXPECT_GT(changedInside, inside * 8 / 10);
    EXPECT_GT(greenInside, inside * 7 / 10);
}

// The ground bears grass on its left half only: every tuft stands there, and takes its colour.
TEST_F(EPlantMgrGl, TuftsGrowOnlyWhereTheProbeSeesTheScriptsTextures) {
    Texture("grass.tga", 0xFF30A020u);
    Texture("dirt.tga", 0xFF806040u);
    Texture("zboze.tga", 0xFF30E030u);
    WriteFile("m\\ground.x", TwoTextureGround(12, "grass.tga", "dirt.tga"));
    WriteFile("m\\area.x", test::QuadModel(-10, -10, 10, 10, 0, 0, "dirt.tga"));
    WriteFile("scripts\\grass\\test.txt", std::string("world ") + kWorld + "\ntexture grass.tga\ngrows zboze.tga\n");
    StartWorld();
    ASSERT_NE(Place("ground", "m\\ground.x", DV{}), nullptr);
    // The marker's box, below the ground where no ray meets it.
    ASSERT_NE(Place("grass", "m\\area.x", DV{0, -3, 0}), nullptr);
    View(DV{0, 20, -20}, DV{0, 0, 0});
    g_PlantMgr.LoadGrass();
    g_PlantMgr.CreateGrass();
    const TerrainGrass& t = g_PlantMgr.m_TGrass;
    EXPECT_EQ(t.dwSzer, 15u);
    EXPECT_EQ(t.dwWys, 15u);
    EXPECT_GT(t.dwTPlants, 10u);
    EXPECT_LT(t.dwTPlants, 15u * 15u / 2);
    for (uint32_t i = 0; i < t.dwTPlants; ++i) {
        const TPlant& p = t.pTPlants[i];
        EXPECT_LT(p.m_vPosition.x, 0.2f) << i;
        EXPECT_NEAR(p.m_vPosition.y, 0.0f, 1e-4f);
        EXPECT_GT((p.m_uColour >> 8) & 0xFF, (p.m_uColour >> 16) & 0xFF) << std::hex << p.m_uColour;
    }
    EXPECT_EQ(g_PlantMgr.m_dwTSectors, 1u);
}

}  // namespace
