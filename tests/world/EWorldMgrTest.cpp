// The world loader: line ends, exact keywords, object headers and their failures, bounded fields,
// list indices, the block rules, the property lines of meshes, skinned meshes and lights, the
// world settings reaching the sky, camera and console, text keys, blockers and the path file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/ETextMgr.h"
#include "mesh/EMesh.h"
#include "platform/sound/NullSound.h"
#include "audio/CSoundMgr.h"
#include "render/EPostProcess.h"
#include "render/RenderHooks.h"
#include "tools/SoundSynth.h"
#include "world/WorldFixture.h"

namespace {

using test::Text;
using test::WorldTest;
using Lines = std::vector<std::string>;

constexpr float kDegrees = std::numbers::pi_v<float> / 180.0f;

class WorldLoader : public WorldTest {
protected:
    // The console lines printed since the start of the test.
    Lines Console() const { return ConsoleLines(); }
    bool Printed(const std::string& line) const {
        for (const std::string& l : ConsoleLines())
            if (l == line) return true;
        return false;
    }
    int CountPrinted(const std::string& line) const {
        int n = 0;
        for (const std::string& l : ConsoleLines()) n += l == line;
        return n;
    }
    static Lines ErrorLines() {
        return Lines(g_WorldMgr.m_szErrorLines, g_WorldMgr.m_szErrorLines + g_WorldMgr.m_uErrorLines);
    }
};

const Lines kSmallWorld = {
    "mesh prefabs\\box.x", "name barn", "xpos 10.5", "zpos -3", "",
    "light",               "name lamp", "ypos 8",    "range 200",
    "mesh prefabs\\box.x", "name well", "flags 5",   "world_general_properties",
};

TEST_F(WorldLoader, EveryLineEndLoadsTheSameObjects) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SetUp();
        ASSERT_TRUE(LoadWorld(Text(kSmallWorld, end))) << end[0];
        EXPECT_EQ(ObjectNames(), (Lines{"barn", "well", "lamp"}));
        ASSERT_NE(Find("barn"), nullptr);
        EXPECT_EQ(Find("barn")->m_vPosition, (DV{10.5f, 0, -3}));
        EXPECT_EQ(Find("lamp")->m_vPosition, (DV{0, 8, 0}));
        EXPECT_EQ(Find("lamp")->m_fRadius, 200.0f);
        EXPECT_EQ(Find("well")->m_uFlags, 5u);
        EXPECT_EQ(g_WorldMgr.m_bError, 0);
        TearDown();
    }
    SetUp();
}

TEST_F(WorldLoader, KeywordsAreExactWordsAfterAnyBlanks) {
    ASSERT_TRUE(LoadWorld({"Mesh prefabs\\box.x", "name ignored",  // wrong case: no object
                           "   mesh prefabs\\box.x", "\tname  kept  ", "NAME other", "names x", "name"}));
    EXPECT_EQ(ObjectNames(), (Lines{"kept"}));
}

TEST_F(WorldLoader, AFileThatCannotBeLoadedFailsAndSaysOnceWhich) {
    const struct {
        const char* what;
        std::function<void()> arrange;
        uint8_t errorFlag;  // set when the file does not open
        const char* why;
    } cases[] = {
        {"missing", nullptr, 1, "No such file or directory"},
        {"a folder", [this] { std::filesystem::create_directories(Path("worlds\\test.w")); }, 1, "Is a directory"},
        {"empty", [this] { WriteFile("worlds\\test.w", ""); }, 0, "the file is empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.arrange) c.arrange();
        EXPECT_FALSE(g_WorldMgr.LoadWorld("worlds\\test.w"));
        EXPECT_EQ(g_WorldMgr.m_bError, c.errorFlag);
        EXPECT_EQ(Console(), Lines{std::string("The world file worlds\\test.w could not be loaded: ") + c.why});
        EXPECT_EQ(ErrorLines(), (Lines{"The world file worlds\\test.w could not be loaded:", c.why}));
        EXPECT_TRUE(g_WorldMgr.FailedToLoad("WORLDS\\TEST.W"));
        EXPECT_FALSE(g_WorldMgr.FailedToLoad("worlds\\other.w"));
        TearDown();
    }
    SetUp();
    // A load that works forgets the failure.
    ASSERT_TRUE(LoadWorld(Lines{"world_general_properties"}));
    EXPECT_FALSE(g_WorldMgr.FailedToLoad("worlds\\test.w"));
    EXPECT_TRUE(Console().empty());
}

TEST_F(WorldLoader, AFailedHeaderDropsItsBlockAndTellsWhy) {
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\missing.x", "name lost", "xpos 5", "mesh x", "name lost2",
                           "skinmesh prefabs\\none.x", "name lost3", "mesh prefabs\\box.x", "name found"}));
    EXPECT_EQ(ObjectNames(), (Lines{"found"}));
    EXPECT_EQ(g_WorldMgr.m_bError, 1);
    EXPECT_EQ(ErrorLines(), (Lines{"Mesh loading failed:", "prefabs\\missing.x", "", "SkinMesh loading failed:",
                                   "prefabs\\none.x", ""}));

    // Thirteen failures make 39 lines: the list keeps the first 36.
    Lines failures;
    for (int i = 0; i < 13; ++i) failures.push_back("mesh prefabs\\missing" + std::to_string(i) + ".x");
    ASSERT_TRUE(LoadWorld(failures));
    EXPECT_EQ(g_WorldMgr.m_uErrorLines, 36u);
    EXPECT_STREQ(g_WorldMgr.m_szErrorLines[34], "prefabs\\missing11.x");
}

TEST_F(WorldLoader, AModelNameTooLongForTheObjectIsRefusedWhole) {
    const std::string longName = "prefabs\\" + std::string(120, 'a') + ".x";  // 130 characters
    WriteFile(longName, test::kTriangleModel);
    ASSERT_TRUE(LoadWorld({"mesh " + longName, "name cut"}));
    EXPECT_TRUE(ObjectNames().empty());
    EXPECT_TRUE(Printed("AddObject FileName>126"));
    EXPECT_EQ(ErrorLines().front(), "Mesh loading failed:");
}

TEST_F(WorldLoader, ATextTooLongForItsFieldLeavesTheFieldEmptyAndIsReported) {
    const struct {
        std::string line;
        std::string field;
        bool (*empty)(EObjectSlot*);
    } cases[] = {
        {"name " + std::string(32, 'n'), "szObjectName", [](EObjectSlot* o) { return o->m_szName[0] == 0; }},
        {"plotek_prefab 0 1 " + std::string(254, 'p'), "Plotek.Prefab.Lewy",
         [](EObjectSlot* o) { return g_Engine.GetPlotek(o)->m_szLeft[1][0] == 0; }},
        {"texture_paint_texture_name 1 " + std::string(254, 't'), "TP.TextureName",
         [](EObjectSlot* o) {
             strTexturePaint paint;
             return g_Engine.GetTexturePaint(o, &paint) && paint.m_szTextureName[1][0] == 0;
         }},
        {"bush_sound 2 " + std::string(256, 'b'), "bush_sound", [](EObjectSlot* o) { return o->m_szBushSound[0] == 0; }},
        {"sounds_world_bank " + std::string(260, 'w'), "sounds_world_bank", [](EObjectSlot*) { return true; }},
        {"action_console_print " + std::string(255, 'c'), "action_console_print",
         [](EObjectSlot* o) { return o->m_pActionParams->m_szConsolePrint[0] == 0; }},
    };
    for (const auto& c : cases) {
        SetUp();
        std::filesystem::remove(Path("!error.txt"));
        ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "action_general_opt 1 0", c.line}));
        EObjectSlot* o = &g_Engine.m_Objects[0];
        EXPECT_TRUE(c.empty(o)) << c.field;
        const Lines both = {"ERROR: safe_string_copy() Source String Too Long!", c.field};
        const Lines errors = ReadLines("!error.txt");
        ASSERT_GE(errors.size(), 2u);
        EXPECT_EQ(Lines(errors.end() - 2, errors.end()), both);
        EXPECT_TRUE(Printed(both[0]) && Printed(c.field)) << c.field;
        TearDown();
    }
    SetUp();
    std::filesystem::remove(Path("!error.txt"));
    // One character shorter fits.
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "name " + std::string(31, 'n')}));
    EXPECT_EQ(std::string(g_Engine.m_Objects[0].m_szName), std::string(31, 'n'));
    EXPECT_EQ(ReadFile("!error.txt").find("safe_string_copy"), std::string::npos);
}

TEST_F(WorldLoader, AListLineWithAnEntryOutsideItsListIsIgnoredAndTold) {
    const struct {
        std::string line;
        std::string told;
    } cases[] = {
        {"plotek_prefab 0 12 prefabs\\plot.x", "plotek_prefab: entry 12"},
        {"texture_paint_subset_used 16 5", "texture_paint_subset_used: entry 16"},
        {"texture_paint_subset_used -1 5", "texture_paint_subset_used: entry -1"},
        {"texture_paint_texture_name 3 t.tga", "texture_paint_texture_name: entry 3"},
        {"texture_paint_texture_additional_color 5 1 0 0", "texture_paint_texture_additional_color: entry 5"},
        {"texture_paint_slot_used 3 1", "texture_paint_slot_used: entry 3"},
        {"rigid_body_physics_disable_collision_with_list 25 cart", "rigid_body_physics_disable_collision_with_list: entry 25"},
        {"action_render_params_show_sectors 32 7", "action_render_params_show_sectors: entry 32"},
        {"death_params_teleport_objects_here_list 10 cart", "death_params_teleport_objects_here_list: entry 10"},
    };
    for (const auto& c : cases) {
        SetUp();
        ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "action_general_opt 1 0", "death_params_1 1", c.line}));
        EObjectSlot* o = &g_Engine.m_Objects[0];
        EXPECT_TRUE(Printed("ERROR: " + c.told + " is outside the list, line ignored")) << c.line;
        // Nothing was written: no block was made, and the blocks that exist hold their defaults.
        EXPECT_EQ(o->m_pPlotek, nullptr) << c.line;
        EXPECT_EQ(o->m_pTexturePaint, nullptr) << c.line;
        RigidBodyPhysicsParams body;
        g_Engine.GetRigidBodyPhysicsParams(o, &body);
        EXPECT_EQ(body.m_szDisableCollisionWith[24][0], 0) << c.line;
        EXPECT_EQ(o->m_pActionParams->m_iShowSectors[31], 0) << c.line;
        EXPECT_EQ(o->m_pDeathParams->m_szTeleportNames[9][0], 0) << c.line;
        TearDown();
    }
    SetUp();
    // A side other than 0 and 1 leaves the fence block as it was, without a message.
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "plotek_prefab 2 0 prefabs\\plot.x", "plotek_prefab 1 9 p.x"}));
    EXPECT_STREQ(g_Engine.m_Objects[0].m_pPlotek->m_szRight[9], "p.x");
    EXPECT_EQ(g_Engine.m_Objects[0].m_pPlotek->m_szLeft[0][0], 0);
}

TEST_F(WorldLoader, PropertiesNeedAnOpenBlockButObjectLinesOnlyAnObject) {
    ASSERT_TRUE(LoadWorld({"name early", "sector_idx 9",  // before any header: nothing to change
                           "mesh prefabs\\box.x", "name first", "fog_in_game 1",
                           "xpos 4",  // a setting that does not end the block
                           "world_general_properties", "name late", "zpos 7", "sector_idx 5", "disappear_range 400",
                           "pesel 1 2 3", "container_pesel 4 5 6"}));
    EObjectSlot* o = Find("first");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->m_vPosition, (DV{4, 0, 0}));
    EXPECT_EQ(o->m_iSector, 5);
    EXPECT_EQ(o->m_iViewDistance, 400);
    EXPECT_EQ((std::vector<uint32_t>(o->pesel, o->pesel + 3)), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ((std::vector<uint32_t>(o->m_uContainerPesel, o->m_uContainerPesel + 3)), (std::vector<uint32_t>{4, 5, 6}));
}

TEST_F(WorldLoader, LightAndFogSlotsKeepTheLowByteAndStopAtTheLast) {
    const struct {
        const char* value;
        uint8_t slot;
        int sector;
    } cases[] = {{"2", 2, 2}, {"3", 3, 3}, {"7", 3, 7}, {"-1", 3, 255}, {"258", 2, 2}};
    for (const auto& c : cases) {
        SetUp();
        ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", std::string("ambient_light_idx ") + c.value,
                               std::string("fog_idx ") + c.value, std::string("sector_idx ") + c.value}));
        EXPECT_EQ(g_Engine.m_Objects[0].m_bAmbientLightIdx, c.slot) << c.value;
        EXPECT_EQ(g_Engine.m_Objects[0].m_bFogIdx, c.slot) << c.value;
        EXPECT_EQ(g_Engine.m_Objects[0].m_iSector, c.sector) << c.value;
        TearDown();
    }
    SetUp();
}

TEST_F(WorldLoader, TransformAndFlagsOfAMesh) {
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "name m", "rotation_angles 10 20 30", "scaling_axis 2 3 4",
                           "flags 13", "invisible_in_game 1", "invisible_in_edytor 1", "flag2 4294967295"}));
    EObjectSlot* o = Find("m");
    ASSERT_NE(o, nullptr);
    const EOrientation expected = EOrientation::EOrientationFromYawPitchRoll(20 * kDegrees, 10 * kDegrees, 30 * kDegrees);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR((&o->m_Orientation.m_Quaternion.x)[i], (&expected.m_Quaternion.x)[i], 1e-6f);
        EXPECT_NEAR((&o->m_StartOrientation.m_Quaternion.x)[i], (&expected.m_Quaternion.x)[i], 1e-6f);
    }
    EXPECT_EQ(o->m_vRotationAngles, (DV{10, 20, 30}));
    EXPECT_EQ(o->m_bOrientationGiven, 1);
    EXPECT_EQ(o->m_vScale, (DV{2, 3, 4}));
    // invisible_in_game clears the visible bit of the flags written before it.
    EXPECT_EQ(o->m_uFlags, 12u);
    EXPECT_EQ(o->m_bVisibleThisFrame, 0);
    EXPECT_EQ(o->m_uFlags3, FLAG3_INVISIBLE_IN_GAME | FLAG3_INVISIBLE_IN_EDITOR);
    EXPECT_EQ(o->m_uFlags2, 0xFFFFFFFFu);

    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "name n", "invisible_in_game 1", "invisible_in_game 0", "flags 13"}));
    EXPECT_EQ(Find("n")->m_uFlags3, 0u);
    EXPECT_EQ(Find("n")->m_uFlags, 13u);
}

TEST_F(WorldLoader, TexturePaintFillsItsSlotsAndSubsetRows) {
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "texture_paint_slot_used 1 1", "texture_paint_texture_name 2 grass.tga",
                           "texture_paint_texture_density 1 2 3", "texture_paint_texture_sharpness 4 5 6",
                           "texture_paint_texture_brightness 7 8 9", "texture_paint_texture_add_color_saturation 1 0 1",
                           "texture_paint_texture_additional_color 0 0.5 0.25 0", "texture_paint_subset_used 2 65535",
                           "texture_paint_subset_used 2 5"}));
    strTexturePaint p;
    ASSERT_TRUE(g_Engine.GetTexturePaint(&g_Engine.m_Objects[0], &p));
    EXPECT_EQ(p.m_bSlotUsed[1], 1);
    EXPECT_STREQ(p.m_szTextureName[2], "grass.tga");
    EXPECT_EQ(p.m_fDensity[2], 3.0f);
    EXPECT_EQ(p.m_fSharpness[0], 4.0f);
    EXPECT_EQ(p.m_fBrightness[1], 8.0f);
    EXPECT_EQ(p.m_fSaturation[2], 1.0f);
    EXPECT_EQ(p.m_fAdditionalColour[0][1], 0.25f);
    EXPECT_EQ(p.m_fAdditionalColour[1][0], 1.0f);  // untouched slots keep white
    const uint8_t row2[16] = {1, 0, 1};
    EXPECT_EQ(0, std::memcmp(p.m_bSubsetUsed[2], row2, 16));
    EXPECT_EQ(p.m_bSubsetUsed[3][0], 0);
}

TEST_F(WorldLoader, MeshLinesFillTheFenceBodyAndPathBlocks) {
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "plotek_use 1 0", "plotek_prefab 0 0 prefabs\\plot01.x",
                           "rigid_body_physics_general 2 40.5 1", "rigid_body_physics_friction_coef 0.7",
                           "rigid_body_physics_joint_general 1 2.5", "rigid_body_physics_give_action_to gate",
                           "rigid_body_physics_disable_collision_with_1 cart",
                           "rigid_body_physics_disable_collision_with_list 24 barrow",
                           "rigid_body_physics_collision_sound 30 sounds\\hit1.wav", "rigid_body_physics_not_important 1",
                           "path_generation 1 10 20 30 400", "land_mine 1", "is_it_tree 1", "green_point 1"}));
    EObjectSlot* o = &g_Engine.m_Objects[0];
    ASSERT_NE(o->m_pPlotek, nullptr);
    EXPECT_EQ(o->m_pPlotek->m_bLeft, 1);
    EXPECT_EQ(o->m_pPlotek->m_bRight, 0);
    EXPECT_STREQ(o->m_pPlotek->m_szLeft[0], "prefabs\\plot01.x");
    RigidBodyPhysicsParams b;
    g_Engine.GetRigidBodyPhysicsParams(o, &b);
    EXPECT_EQ(b.m_uBodyKind, 2u);
    EXPECT_EQ(b.m_fMass, 40.5f);
    EXPECT_EQ(b.m_fFrictionCoef, 0.7f);
    EXPECT_EQ(b.m_bJoint, 1);
    EXPECT_EQ(b.m_fJointValue, 2.5f);
    EXPECT_STREQ(b.m_szGiveActionTo, "gate");
    EXPECT_STREQ(b.m_szDisableCollisionWith[0], "cart");
    EXPECT_STREQ(b.m_szDisableCollisionWith[24], "barrow");
    EXPECT_EQ(b.m_fCollisionSoundDistance, 30.0f);
    EXPECT_STREQ(b.m_szCollisionSound, "sounds\\hit1.wav");
    EXPECT_EQ(b.m_bNotImportant, 1);
    PathGenerationParams path;
    g_Engine.GetPathGenerationParams(o, &path);
    EXPECT_EQ(path.m_bEnabled, 1);
    EXPECT_EQ(path.m_fValues[2], 30.0f);
    EXPECT_EQ(path.m_iCount, 400);
    EXPECT_EQ(o->m_bLandMine, 1);
    EXPECT_EQ(o->m_bTree, 1);
    EXPECT_EQ(o->m_bGreenPoint, 1);
}

TEST_F(WorldLoader, LightLinesAndKindsThatDoNotReadALine) {
    ASSERT_TRUE(LoadWorld({"light", "name lamp", "range 150", "power 3.5", "diffuse 1 0.5 0.25", "light_linear_scatter 1",
                           "ignore_calculating_player_visibility 1", "rotation_angles 0 90 0", "land_mine 1",
                           "mesh prefabs\\box.x", "name box", "range 99", "power 9", "light_linear_scatter 1"}));
    EObjectSlot* lamp = Find("lamp");
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->m_fRadius, 150.0f);
    EXPECT_EQ(lamp->m_fLightValues[0], 3.5f);
    EXPECT_EQ(lamp->m_fLightValues[1], 3.5f);
    EXPECT_EQ(lamp->m_vDiffuse, (DV{1, 0.5f, 0.25f}));
    EXPECT_EQ(lamp->m_bLightLinearScatter, 1);
    EXPECT_EQ(lamp->m_bIgnorePlayerVisibility, 1);
    EXPECT_EQ(lamp->m_bOrientationGiven, 0);  // lights have no rotation angles
    EXPECT_EQ(lamp->m_bLandMine, 0);
    EObjectSlot* box = Find("box");
    EXPECT_EQ(box->m_fLightValues[0], 2.0f);  // a mesh has no power line
    EXPECT_EQ(box->m_bLightLinearScatter, 0);
}

TEST_F(WorldLoader, WorldSettingsReachTheSkyTheCameraAndTheConsole) {
    TakeCalls();
    g_RenderHooks.createSkyDome = [](const char* file) -> const DrawVisibility* {
        test::Record(std::string("createSkyDome ") + file);
        return nullptr;
    };
    ASSERT_TRUE(LoadWorld({"fog 4290822336 3000 500 1", "fog2 4278190335 800 100", "global_ambient_light 4282400832",
                           "global_ambient_light3 4278255360", "background_color 4286611584", "farz 2500",
                           "sky_light_direction 45 30", "sky_light_color 4294967295", "sky_light_power 1.5",
                           "sky_light_use 0", "bloom_params 0.5 2", "vertex_ambient_color 0.1 0.2 0.3",
                           "vertex_ambient_inside_brightness 0.7", "skinmesh_skylight_coef 0.8",
                           "skinmesh_ambient_coef 0.6", "sky_mesh prefabs\\sky\\dome.x"}));
    EXPECT_EQ(g_Sky.m_uFogColour[0], 4290822336u);
    EXPECT_EQ(g_Sky.m_fFogFar[0], 3000.0f);
    EXPECT_EQ(g_Sky.m_fFogNear[0], 500.0f);
    EXPECT_EQ(g_Sky.m_bFog, 1);
    EXPECT_EQ(g_WorldMgr.m_bFogEnabled, 1);
    EXPECT_EQ(g_Sky.m_uFogColour[2], 4278190335u);
    EXPECT_EQ(g_Sky.m_fFogNear[2], 100.0f);
    EXPECT_EQ(g_Sky.m_uAmbientColour[0], 4282400832u);
    EXPECT_EQ(g_Sky.m_uAmbientColour[3], 4278255360u);
    EXPECT_EQ(g_Engine.m_uBackgroundColour, 4286611584u);
    float farZ = 0;
    g_Camera.GetFarZ(farZ);
    EXPECT_EQ(farZ, 2500.0f);
    float pitch = 0, rotation = 0;
    EXPECT_TRUE(g_Console.GetVariable("SkyLightPitch", pitch));
    EXPECT_TRUE(g_Console.GetVariable("SkyLightRotation", rotation));
    EXPECT_EQ(pitch, 45.0f);
    EXPECT_EQ(rotation, 30.0f);
    const EOrientation sun = EOrientation::EOrientationFromYawPitchRoll(30 * kDegrees, 45 * kDegrees, 0);
    EXPECT_NEAR(pmath::Dot(g_Sky.m_vSkyLightDirection, sun.m_Front), 1.0f, 1e-5f);
    EXPECT_EQ(g_Sky.m_uSkyLightColour, 0xFFFFFFFFu);
    EXPECT_EQ(g_Sky.m_fSkyLightPower, 1.5f);
    EXPECT_EQ(g_Sky.m_bSkyLightUsed, 0);
    EXPECT_EQ(g_PostProcess.m_fBloomCone, 0.5f);
    EXPECT_EQ(g_PostProcess.m_fBloomPower, 2.0f);
    EXPECT_EQ(g_Sky.m_vVertexAmbientColour, (DV{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(g_Sky.m_fVertexAmbientInsideBrightness, 0.7f);
    EXPECT_EQ(g_Sky.m_fSkinMeshSkyLightCoef, 0.8f);
    EXPECT_EQ(g_Sky.m_fSkinMeshAmbientCoef, 0.6f);
    EXPECT_EQ(g_WorldMgr.m_bSkyMeshLoaded, 1);
    EXPECT_EQ(TakeCalls(), (Lines{"createSkyDome prefabs\\sky\\dome.x"}));
    g_RenderHooks = RenderHooks{};

    // "fog_in_game 0" switches the fog off again; the next load starts with the flags clear.
    ASSERT_TRUE(LoadWorld(Lines{"fog_in_game 0"}));
    EXPECT_EQ(g_Sky.m_bFog, 0);
    EXPECT_EQ(g_WorldMgr.m_bFogEnabled, 0);
    EXPECT_EQ(g_WorldMgr.m_bSkyMeshLoaded, 0);
}

TEST_F(WorldLoader, ALineWithATextKeyIsReadWithItsText) {
    WriteFile("scripts\\text_keys.txt", ">Barn old_barn\n");
    g_TextMgr.Load();
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "name >Barn", "mesh prefabs\\box.x", "name >Unknown"}));
    EXPECT_EQ(ObjectNames(), (Lines{"old_barn", ">Unknown"}));
    std::filesystem::remove(Path("scripts\\text_keys.txt"));
    g_TextMgr.Load();
}

TEST_F(WorldLoader, BlockerObjectsAreRemovedOnceEach) {
    WriteFile("prefabs\\special\\Visibility_Blocker.X", test::kTriangleModel);
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\special\\Visibility_Blocker.X", "name wall1", "mesh prefabs\\box.x",
                           "name barn", "mesh prefabs\\special\\visibility_blocker.x", "name wall2"}));
    EXPECT_EQ(ObjectNames(), (Lines{"barn"}));
    EXPECT_EQ(CountPrinted("visibility blocker FAILED..."), 2);
    EXPECT_EQ(g_VisibilityBlockers.m_iMaxBlockers, 0);
}

TEST_F(WorldLoader, ThePathFileIsTheWorldsWithTheBzrExtension) {
    const struct {
        const char* world;
        const char* paths;
    } cases[] = {
        {"worlds\\Intro.w", "worlds\\Intro.bzr"},
        {"worlds\\demo", "worlds\\demo.bzr"},  // no extension: one is added, not the whole name replaced
        {"worlds.v2\\demo", "worlds.v2\\demo.bzr"},
        {"worlds\\a.b.w", "worlds\\a.b.bzr"},
    };
    for (const auto& c : cases) EXPECT_EQ(EWorldMgr::PathFileName(c.world), c.paths) << c.world;

    WriteFile("worlds\\Intro.bzr", "bezier_node road\r\nnr 1\r\npos 1 2 3\r\nnext_in_path_nr -1\r\n");
    ASSERT_TRUE(LoadWorld(Text({"mesh prefabs\\box.x"}), "worlds\\Intro.w"));
    ASSERT_NE(g_BezierMgr.FindNode("road"), nullptr);
    EXPECT_EQ(g_BezierMgr.FindNode("road")->m_vPosition, (DV{1, 2, 3}));
}

TEST_F(WorldLoader, AuthoredObjectSoundsArePlayedByTheObjectPass) {
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "name mill", "sound_for_mesh 300 sounds\\mill.wav",
                           "sound_for_mes_ifset mill_on", "mesh prefabs\\box.x", "name quiet", "sound_for_mes_ifset x"}));
    EObjectSlot* mill = Find("mill");
    ASSERT_NE(mill->m_pSoundParams, nullptr);
    EXPECT_STREQ(mill->m_pSoundParams->m_szFile, "sounds\\mill.wav");
    EXPECT_EQ(mill->m_pSoundParams->m_fDistance, 300.0f);
    EXPECT_STREQ(mill->m_pSoundParams->m_szVariable, "mill_on");
    // A variable without a file makes no sound.
    EXPECT_EQ(Find("quiet")->m_pSoundParams, nullptr);
    // sound_for_mesh names no variable: it clears the one before it.
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "name pump", "sound_for_mes_ifset a", "sound_for_mesh 50 s.wav"}));
    EXPECT_STREQ(Find("pump")->m_pSoundParams->m_szVariable, "");

    // From level frame 200, with its variable set, the object pass starts the sound.
    snd::ResetNullSoundBackend();
    g_SoundMgr.Initialize(nullptr);
    std::vector<float> samples(200, 0.25f);
    WriteFile("sounds\\mill.wav", synth::Wave(1, 22050, 16, synth::Pcm16(samples)));
    test::g_LevelFrame = 200;
    g_Engine.m_fFrameTime = 0.02f;
    g_EngineObject.Update();
    EXPECT_EQ(mill->m_pSoundParams->m_pSound, nullptr);
    g_GameAI.SetVariable("mill_on", nullptr);
    g_EngineObject.Update();
    EXPECT_NE(mill->m_pSoundParams->m_pSound, nullptr);
    g_Engine.DeleteObject(mill);
    g_SoundMgr.Release();
}

}  // namespace
