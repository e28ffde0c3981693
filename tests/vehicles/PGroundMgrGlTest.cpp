// Ground marks of every kind on a fixture field, on the GL device: each shows where it lies once
// it has faded in, and not before.
#include <gtest/gtest.h>

#include <filesystem>

#include "vehicles/FieldsGlFixture.h"
#include "vehicles/Truck.h"

namespace {

class PGroundMgrGl : public test::FieldsGlTest {};

TEST_F(PGroundMgrGl, MarksOfEveryKindShowOnTheFieldOnceTheyHaveFadedIn) {
    namespace fs = std::filesystem;
    for (const char* texture : {"spr_siano.tga", "spr_orka.tga", "spr_sadzenie.tga", "spr_sianie.tga"})
        fs::copy(fs::path(FURROW_GAME_DIR) / "textures" / "fields" / texture, m_game.path() / "textures" / texture);
    Texture("field.tga", 0xFF909090u);
    WriteFile("m\\field.x", test::QuadModel(-20, -20, 20, 20, 0, 0, "field.tga"));
    StartWorld();
    ASSERT_NE(Place("pole01", "m\\field.x", DV{}), nullptr);
    g_GroundMgr.Init();
    g_GroundMgr.ResolveTextures();
    View(DV{0, 30, -12}, DV{0, 0, 0});
    DrawWorld();
    const std::vector<uint32_t> bare = Picture();

    // Stamps of straw, hay and ploughed earth in a row, strips of planting and sowing below them.
    const DV up{0, 1, 0}, stamps[] = {{-10, 0, 6}, {0, 0, 6}, {10, 0, 6}};
    for (uint32_t kind = 0; kind < 3; ++kind)
        for (float dz : {-1.0f, 0.0f, 1.0f}) {
            const DV at = stamps[kind] + DV{0, 0, dz};
            g_GroundMgr.AddGroundEffect(kind, &at, nullptr, &up);
        }
    Truck implement;
    for (float x : {-6.0f, 6.0f}) {
        implement.m_vPreviousTrackEnds[0] = DV{x - 2, 0.05f, -10};
        implement.m_vPreviousTrackEnds[1] = DV{x + 2, 0.05f, -10};
        implement.m_vTrackEnds[0] = DV{x - 2, 0.05f, -2};
        implement.m_vTrackEnds[1] = DV{x + 2, 0.05f, -2};
        if (x < 0) g_GroundMgr.AddPlantingStrip(&implement);
        else g_GroundMgr.AddSowingStrip(&implement);
    }
    // Just added, the stamps are clear; the strips show at once.
    DrawWorld();
    const std::vector<uint32_t> added = Picture();
    g_Engine.m_fFrameTime = 1.0f;
    g_GroundMgr.UpdateVB();
    DrawWorld();
    const std::vector<uint32_t> shown = Picture();
    SavePicture("ground_marks");

    auto at = [](const std::vector<uint32_t>& picture, const DV& point) {
        uint32_t x, y;
        ScreenOf(point, x, y);
        return picture[size_t{y} * kWidth + x];
    };
    for (const DV& stamp : stamps) {
        SCOPED_TRACE(stamp.x);
        EXPECT_EQ(at(added, stamp), at(bare, stamp));
        EXPECT_GT(std::abs(test::Brightness(at(shown, stamp)) - test::Brightness(at(bare, stamp))), 30);
    }
    for (const DV& strip : {DV{-6, 0, -6}, DV{6, 0, -6}}) {
        SCOPED_TRACE(strip.x);
        EXPECT_GT(std::abs(test::Brightness(at(added, strip)) - test::Brightness(at(bare, strip))), 30);
    }
    // Between the marks the field is as it was.
    for (const DV& clear : {DV{-15, 0, -15}, DV{15, 0, -15}, DV{0, 0, 15}}) EXPECT_EQ(at(shown, clear), at(bare, clear));
}

}  // namespace
