// The action-script lines of world files: read, change and write back, the on switches, the
// keyword-to-field layout of the lines with several values, which kinds read which family, the
// light-control numbers and names, and the path-moving and effect lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "world/WorldFixture.h"

namespace {

using test::WorldTest;
using Lines = std::vector<std::string>;

class ActionScript : public WorldTest {
protected:
    // A fresh world of one block with the lines, and the object it makes.
    EObjectSlot* Mesh(const Lines& lines, const char* header = "mesh prefabs\\box.x") {
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        Lines world = {header};
        world.insert(world.end(), lines.begin(), lines.end());
        EXPECT_TRUE(LoadWorld(world));
        for (EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed) return &o;
        return nullptr;
    }
    bool Printed(const std::string& line) const {
        for (const std::string& l : ConsoleLines())
            if (l == line) return true;
        return false;
    }
};

TEST_F(ActionScript, ALineBeforeItsFamilysSwitchIsLost) {
    EObjectSlot* o = Mesh({"action_dest_set early", "action_general_opt 1 1", "action_default_set later"});
    ASSERT_NE(o->m_pActionParams, nullptr);
    EXPECT_STREQ(o->m_pActionParams->m_szDestSet, "");
    EXPECT_STREQ(o->m_pActionParams->m_szDefaultSet, "later");
    EXPECT_EQ(o->m_pActionParams->m_uEnabled, 1u);
    EXPECT_EQ(o->m_pActionParams->m_uOnTouch, 1u);

    // Switching off frees the block; the next line on starts again from the defaults.
    o = Mesh({"action_general_opt 1 0", "action_kill_object cow", "action_general_opt 0 0"});
    EXPECT_EQ(o->m_pActionParams, nullptr);
    o = Mesh({"death_params_1 1 1 0 0 0 0 0 0 0 0 250", "death_params_SetWhenDead gone", "death_params_1 0"});
    EXPECT_EQ(o->m_pDeathParams, nullptr);
}

TEST_F(ActionScript, TheDeathSwitchLineGivesTheObjectItsHitPoints) {
    EObjectSlot* o = Mesh({"death_params_1 1 0 1 1 0 1 1 0 1 1 250.5", "death_params_HandleDeathIf bridge_ready",
                           "death_params_AddSpeed 0 5 0", "death_params_DestroyOtherPause 2.5",
                           "death_params_teleport_objects_here_list 9 barrel", "death_params_pane_crash_params 1 0 1 2 3 4 5 6"});
    const strDeathParams* d = o->m_pDeathParams;
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(o->m_fHitPoints, 250.5f);
    const uint8_t words[] = {d->m_bEnabled,       d->m_bExplosionDamage, d->m_bDeleteOnDeath,
                             d->m_bFallWithPhysics, d->m_bMortarExplosion, d->m_bDeathSound,
                             d->m_bAnimationAndHandOver[0], d->m_bAnimationAndHandOver[1], d->m_bKillTarget,
                             d->m_bRemoveJoints};
    EXPECT_EQ(std::vector<uint8_t>(words, words + 10), (std::vector<uint8_t>{1, 0, 1, 1, 0, 1, 1, 0, 1, 1}));
    EXPECT_STREQ(d->m_szHandleDeathIf, "bridge_ready");
    EXPECT_EQ(d->m_vAddSpeed, (DV{0, 5, 0}));
    EXPECT_EQ(d->m_fDestroyOtherPause, 2.5f);
    EXPECT_STREQ(d->m_szTeleportNames[9], "barrel");
    EXPECT_EQ(d->m_OneHit.m_iOneHit, 1);
    EXPECT_EQ(d->m_OneHit.m_fPaneCrash[4], 6.0f);
}

TEST_F(ActionScript, LinesWithSeveralValuesFillTheirFieldsWordByWord) {
    EObjectSlot* o = Mesh({"action_general_opt 1 1", "action_general_2 1 0", "action_moving 0 1 0 2.5 40",
                           "action_rotation 90 0 -45 30", "action_rotation_acceleration 4",
                           "action_door 1 1 75 20 3", "action_knob_general 1 6 15",
                           "action_camera_position_mesh 1 tower", "action_give_action_to___mesh gate",
                           "action_give_action_to___delay 2", "action_render_params_show_sectors 31 4",
                           "action_next_run_after 5"});
    const strActionParams* a = o->m_pActionParams;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_uOnce, 1u);
    EXPECT_EQ(a->m_vMove, (DV{0, 1, 0}));
    EXPECT_EQ(a->m_fMoveSpeed, 2.5f);
    EXPECT_EQ(a->m_fMoveLimit, 40.0f);
    EXPECT_EQ(a->m_fTurnTargets[0], 90.0f);
    EXPECT_EQ(a->m_fTurnTargets[2], -45.0f);
    EXPECT_EQ(a->m_fTurnSpeed, 30.0f);
    EXPECT_EQ(a->m_fTurnAcceleration, 4.0f);
    EXPECT_EQ(a->m_uSwing, 1u);
    EXPECT_EQ(a->m_uSwingAwayFromPlayer, 1u);
    EXPECT_EQ(a->m_fSwingAngle, 75.0f);
    EXPECT_EQ(a->m_fSwingSpeed, 20.0f);
    EXPECT_EQ(a->m_uSecondSwing, 1u);
    EXPECT_EQ(a->m_fSwing2Speed, 6.0f);
    EXPECT_EQ(a->m_fSwing2Target, 15.0f);
    EXPECT_EQ(a->m_uCameraPositioning, 1u);
    EXPECT_STREQ(a->m_szCameraPositioning, "tower");
    EXPECT_STREQ(a->m_szHandOver, "gate");
    EXPECT_EQ(a->m_fHandOverPause, 2.0f);
    EXPECT_EQ(a->m_iShowSectors[31], 4);
    EXPECT_EQ(a->m_fMinimumInterval, 5.0f);
}

TEST_F(ActionScript, TheTwoNamesOfAVoiceFillOneField) {
    EObjectSlot* o = Mesh({"action_general_opt 1 0", "action_voice_hero0 first", "action_voice_druvel second",
                           "action_voice_moskat third", "action_voice_enemy shout"});
    EXPECT_STREQ(o->m_pActionParams->m_szVoices[0], "second");
    EXPECT_STREQ(o->m_pActionParams->m_szVoices[1], "third");
    EXPECT_STREQ(o->m_pActionParams->m_szVoices[3], "shout");
    o = Mesh({"action_general_opt 1 0", "action_voice_druvel first", "action_voice_hero0 second"});
    EXPECT_STREQ(o->m_pActionParams->m_szVoices[0], "second");
}

TEST_F(ActionScript, LightNumbersOutsideTheTableAreRefusedAndNamesKeepTheirEnd) {
    const std::string name31(31, 'a'), name32(32, 'b');
    EObjectSlot* o = Mesh({"object_light_control_params 1 1", "object_light_control2_light 31 " + name31,
                           "object_light_control2_light 0 " + name32, "mesh_light_control2_light 40 far",
                           "object_light_control2_light -1 neg", "mesh_light_control_light6 porch"});
    const strLightControlParams* l = o->m_pLightControlParams;
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->m_bSecond, 1);
    EXPECT_EQ(std::string(l->m_szLights[31]), name31);
    // A name as long as the entry would have no end: the entry stays empty and the line is told.
    EXPECT_STREQ(l->m_szLights[0], "");
    EXPECT_TRUE(Printed("object_light_control2_light"));
    EXPECT_TRUE(Printed("ERROR: blad w pliku *.w, zly numer swiatla na mesha..."));
    EXPECT_TRUE(Printed("ERROR: blad w pliku *.w, zly numer swiatla na obiekt..."));
    EXPECT_STREQ(l->m_szLights[6], "porch");
    for (int i = 1; i < 31; ++i) {
        if (i == 6) continue;
        EXPECT_STREQ(l->m_szLights[i], "") << i;
    }
}

TEST_F(ActionScript, EachFamilyIsReadWhereItsKindReadsIt) {
    // A light reads action lines but holds no light-control block.
    EObjectSlot* o = Mesh({"action_general_opt 1 0", "object_light_control_params 1 0", "set_fx smoke"}, "light");
    ASSERT_NE(o, nullptr);
    EXPECT_NE(o->m_pActionParams, nullptr);
    EXPECT_EQ(o->m_pLightControlParams, nullptr);
    char fx[64];
    g_Engine.GetFX(o, fx, sizeof fx);
    EXPECT_STREQ(fx, "smoke");

    // After a line that ends the block the families of the block are no longer read; the effect
    // and path lines still reach the last object.
    o = Mesh({"world_general_properties", "action_general_opt 1 0", "death_params_1 1", "mesh_light_control_params 1 0",
              "set_fx dust", "bezier_moving_____start_node_name road"});
    EXPECT_EQ(o->m_pActionParams, nullptr);
    EXPECT_EQ(o->m_pDeathParams, nullptr);
    EXPECT_EQ(o->m_pLightControlParams, nullptr);
    g_Engine.GetFX(o, fx, sizeof fx);
    EXPECT_STREQ(fx, "dust");
    EXPECT_STREQ(o->m_pBezierParams->m_szStartNode, "road");
}

TEST_F(ActionScript, PathMovingLinesAndTheirWordsThatCountOnlyAsOne) {
    const struct {
        const char* words;
        uint8_t startAtLoad, passThrough, blockerStop;
    } cases[] = {{"1 1 1", 1, 1, 1}, {"2 0 -1", 0, 0, 0}, {"1 7 1.9", 1, 0, 1}};
    for (const auto& c : cases) {
        EObjectSlot* o = Mesh({"bezier_moving_____start_node_name  road start ",
                               std::string("bezier_moving_____params0 3 1 2.5 0.5 ") + c.words,
                               "bezier_moving_____params1 1 0"});
        const strBezierMovingParameters& p = *o->m_pBezierParams;
        EXPECT_STREQ(p.m_szStartNode, "road start");
        EXPECT_EQ(p.m_iLapLimit, 3);
        EXPECT_EQ(p.m_bEnabled, 1);
        EXPECT_EQ(p.m_dFirstLapWait, 2.5);
        EXPECT_EQ(p.m_dLaterLapWait, 0.5);
        EXPECT_EQ(p.m_bStartAtLoad, c.startAtLoad) << c.words;
        EXPECT_EQ(p.m_bPassThroughBlockers, c.passThrough) << c.words;
        EXPECT_EQ(p.m_bBlockerStop, c.blockerStop) << c.words;
        EXPECT_EQ(p.m_bKeepOwnOrientation, 1);
        EXPECT_EQ(p.m_bPlaceOnPathAtLoad, 0);
    }
    // Without the lines the block keeps its defaults.
    const strBezierMovingParameters& d = *Mesh({})->m_pBezierParams;
    EXPECT_EQ(d.m_bEnabled, 0);
    EXPECT_EQ(d.m_bStartAtLoad, 1);
    EXPECT_EQ(d.m_bBlockerStop, 1);
    EXPECT_EQ(d.m_bPlaceOnPathAtLoad, 1);
}

TEST_F(ActionScript, AnEffectNameTooLongForItsBlockIsToldAndTheOldOneStays) {
    EObjectSlot* o = Mesh({"set_fx smoke", "set_fx " + std::string(70, 'x')});
    char fx[64];
    g_Engine.GetFX(o, fx, sizeof fx);
    EXPECT_STREQ(fx, "smoke");
    EXPECT_TRUE(Printed("FX"));
    o = Mesh({"set_fx smoke", "set_fx"});  // an empty name removes the effect
    g_Engine.GetFX(o, fx, sizeof fx);
    EXPECT_STREQ(fx, "");
}

}  // namespace
