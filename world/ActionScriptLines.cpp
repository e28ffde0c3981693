#include "world/ActionScriptLines.h"

#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "core/EConsole.h"
#include "world/EEngine.h"
#include "world/WorldLine.h"

// Each keyword fills the field named after it. The lines with several values fill these fields,
// word by word (words counted from 1 after the keyword):
//
//   action_general_opt              1 m_uEnabled (the on switch)  2 m_uOnTouch
//   action_general_2                1 m_uOnce  2 m_uGeneral2
//   action_general_3                1-3 m_uGeneral3[0..2]
//   action_moving                   1-3 m_vMove x, y, z  4 m_fMoveSpeed  5 m_fMoveLimit
//   action_rotation                 1-3 m_fTurnTargets[0..2]  4 m_fTurnSpeed
//   action_door                     1 m_uSwing  2 m_uSwingAwayFromPlayer  3 m_fSwingAngle
//                                   4 m_fSwingSpeed  5 m_fDoorValue
//   action_knob_general             1 m_uSecondSwing  2 m_fSwing2Speed  3 m_fSwing2Target
//   action_camera_position_mesh     1 m_uCameraPositioning  2 m_szCameraPositioning
//   action_camera_positioning       1 m_bCameraSetting  2-7 m_fCameraSetting[0..5]
//                                   8 m_bCameraSettingLast
//   action_respawn_params           1 m_fRespawnValue  2 m_iRespawnCount
//   action_shoot_general            1 m_bShoot  2-3 m_iShoot[0..1]
//   action_render_params_states     1-8 m_bRenderStates[0..7]
//   action_render_params_show_sectors / _hide_sectors
//                                   1 entry (0-31)  2 m_iShowSectors / m_iHideSectors[entry]
//   action_player_move_and_view_fades         1 m_bFadeIn  2 m_fFadeIn  3 m_bFadeOut  4 m_fFadeOut
//   action_player_move_and_view_motion_blur   1 m_iMotionBlur  2 m_bMotionBlur
//   action_player_move_and_view_mouse_inertia 1 m_iMouseInertia  2 m_fMouseInertia  3 m_bMouseInertia
//   action_voice_hero0 = action_voice_druvel  m_szVoices[0];  action_voice_hero1 =
//   action_voice_moskat m_szVoices[1];  action_voice_other [2];  action_voice_enemy [3]
//
//   death_params_1    1 m_bEnabled (the on switch)  2 m_bExplosionDamage  3 m_bDeleteOnDeath
//                     4 m_bFallWithPhysics  5 m_bMortarExplosion  6 m_bDeathSound
//                     7-8 m_bAnimationAndHandOver[0..1]  9 m_bKillTarget  10 m_bRemoveJoints
//                     11 m_fInitialHitPoints
//   death_params_2    2, 4, 5 m_bParams2[0..2] (words 1 and 3 are not read)
//   death_params_4/5  m_bParams4 / m_bParams5;  death_params_6  1-2 m_bParams6  3-5 m_fParams6
//   death_params_pane_crash_params      1 m_OneHit.m_iOneHit  2-3 m_bPaneCrash  4-8 m_fPaneCrash
//   death_params_pane_crash_parameters2 1-2 m_OneHit.m_iPaneCrash
//   death_params_teleport_objects_here_list   1 entry (0-9)  2 m_szTeleportNames[entry]
//
// Light control: object_light_control_params / mesh_light_control_params 1 m_bEnabled (the on
// switch) 2 m_bSecond; ..._control2_light 1 number (0-31) 2 name; mesh_light_control_light0..6
// the name of light 0..6.

namespace {

constexpr int kLightNameLimit = strLightControlParams::kNameLength;

template <class T>
struct Member;
template <class B, class F>
struct Member<F B::*> {
    using Block = B;
};
template <auto Field>
using BlockOf = typename Member<decltype(Field)>::Block;

template <class B>
using Apply = void (*)(B& block, const WorldLine& line, const char* keyword);

// The one-argument forms: the rest of the line, the first word, a bool, an integer, a float.
template <auto Field>
void Rest(BlockOf<Field>& b, const WorldLine& line, const char* keyword) {
    CopyField(b.*Field, line.Rest(), keyword);
}
template <auto Field>
void Word(BlockOf<Field>& b, const WorldLine& line, const char* keyword) {
    CopyField(b.*Field, line.Word(1), keyword);
}
template <auto Field>
void Bool(BlockOf<Field>& b, const WorldLine& line, const char*) {
    b.*Field = line.Bool(1) ? 1 : 0;
}
template <auto Field>
void Int(BlockOf<Field>& b, const WorldLine& line, const char*) {
    b.*Field = line.Int(1);
}
template <auto Field>
void Float(BlockOf<Field>& b, const WorldLine& line, const char*) {
    b.*Field = line.Float(1);
}

template <size_t N>
void Floats(float (&out)[N], const WorldLine& line, int firstWord) {
    for (size_t i = 0; i < N; ++i) out[i] = line.Float(firstWord + static_cast<int>(i));
}

// A list line: word 1 is the entry, which must lie in the list.
bool Entry(const WorldLine& line, int entries, const char* keyword, int* entry) {
    *entry = line.Int(1);
    if (*entry >= 0 && *entry < entries) return true;
    ReportIndexOutOfRange(keyword, *entry);
    return false;
}

using A = strActionParams;
using D = strDeathParams;

template <class B>
struct Row {
    const char* keyword;
    Apply<B> apply;
};

const Row<A> kActionLines[] = {
    {"action_general_opt",
     [](A& b, const WorldLine& l, const char*) {
         b.m_uEnabled = l.Bool(1);
         b.m_uOnTouch = l.Bool(2);
     }},
    {"action_general_2",
     [](A& b, const WorldLine& l, const char*) {
         b.m_uOnce = l.Bool(1);
         b.m_uGeneral2 = l.Bool(2);
     }},
    {"action_general_3",
     [](A& b, const WorldLine& l, const char*) {
         for (int i = 0; i < 3; ++i) b.m_uGeneral3[i] = l.Bool(i + 1);
     }},
    {"action_moving",
     [](A& b, const WorldLine& l, const char*) {
         b.m_vMove = DV{l.Float(1), l.Float(2), l.Float(3)};
         b.m_fMoveSpeed = l.Float(4);
         b.m_fMoveLimit = l.Float(5);
     }},
    {"action_rotation",
     [](A& b, const WorldLine& l, const char*) {
         Floats(b.m_fTurnTargets, l, 1);
         b.m_fTurnSpeed = l.Float(4);
     }},
    {"action_door",
     [](A& b, const WorldLine& l, const char*) {
         b.m_uSwing = l.Bool(1);
         b.m_uSwingAwayFromPlayer = l.Bool(2);
         b.m_fSwingAngle = l.Float(3);
         b.m_fSwingSpeed = l.Float(4);
         b.m_fDoorValue = l.Float(5);
     }},
    {"action_knob_general",
     [](A& b, const WorldLine& l, const char*) {
         b.m_uSecondSwing = l.Bool(1);
         b.m_fSwing2Speed = l.Float(2);
         b.m_fSwing2Target = l.Float(3);
     }},
    {"action_camera_position_mesh",
     [](A& b, const WorldLine& l, const char* k) {
         b.m_uCameraPositioning = l.Bool(1);
         CopyField(b.m_szCameraPositioning, l.Word(2), k);
     }},
    {"action_camera_positioning",
     [](A& b, const WorldLine& l, const char*) {
         b.m_bCameraSetting = l.Bool(1);
         Floats(b.m_fCameraSetting, l, 2);
         b.m_bCameraSettingLast = l.Bool(8);
     }},
    {"action_respawn_params",
     [](A& b, const WorldLine& l, const char*) {
         b.m_fRespawnValue = l.Float(1);
         b.m_iRespawnCount = static_cast<int32_t>(l.Float(2));
     }},
    {"action_shoot_general",
     [](A& b, const WorldLine& l, const char*) {
         b.m_bShoot = l.Bool(1);
         b.m_iShoot[0] = l.Int(2);
         b.m_iShoot[1] = l.Int(3);
     }},
    {"action_constant_shake_params", [](A& b, const WorldLine& l, const char*) { Floats(b.m_fConstantShake, l, 1); }},
    {"action_short_shake_params", [](A& b, const WorldLine& l, const char*) { Floats(b.m_fShortShake, l, 1); }},
    {"action_render_params_states",
     [](A& b, const WorldLine& l, const char*) {
         for (int i = 0; i < 8; ++i) b.m_bRenderStates[i] = l.Bool(i + 1);
     }},
    {"action_render_params_show_sectors",
     [](A& b, const WorldLine& l, const char* k) {
         if (int e; Entry(l, A::kSectors, k, &e)) b.m_iShowSectors[e] = l.Int(2);
     }},
    {"action_render_params_hide_sectors",
     [](A& b, const WorldLine& l, const char* k) {
         if (int e; Entry(l, A::kSectors, k, &e)) b.m_iHideSectors[e] = l.Int(2);
     }},
    {"action_player_move_and_view_fades",
     [](A& b, const WorldLine& l, const char*) {
         b.m_bFadeIn = l.Bool(1);
         b.m_fFadeIn = l.Float(2);
         b.m_bFadeOut = l.Bool(3);
         b.m_fFadeOut = l.Float(4);
     }},
    {"action_player_move_and_view_motion_blur",
     [](A& b, const WorldLine& l, const char*) {
         b.m_iMotionBlur = l.Int(1);
         b.m_bMotionBlur = l.Bool(2);
     }},
    {"action_player_move_and_view_mouse_inertia",
     [](A& b, const WorldLine& l, const char*) {
         b.m_iMouseInertia = l.Int(1);
         b.m_fMouseInertia = l.Float(2);
         b.m_bMouseInertia = l.Bool(3);
     }},

    // rest(32)
    {"action_ifset", Rest<&A::m_szActionIf>},
    {"action_default_set", Rest<&A::m_szDefaultSet>},
    {"action_default_unset", Rest<&A::m_szDefaultUnset>},
    {"action_dest_set", Rest<&A::m_szDestSet>},
    {"action_dest_unset", Rest<&A::m_szDestUnset>},
    {"action_give_action_to___mesh", Rest<&A::m_szHandOver>},
    {"action_target_name", Rest<&A::m_szTargetName>},
    {"action_set_if_pickedup", Rest<&A::m_szSetIfPickedUp>},
    {"action_set_if_ontarget", Rest<&A::m_szSetIfOnTarget>},
    {"action_respawn_character_name", Rest<&A::m_szRespawnCharacter>},
    {"action_respawn_character_phase0",
     [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szRespawnPhases[0], l.Rest(), k); }},
    {"action_respawn_character_phase1",
     [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szRespawnPhases[1], l.Rest(), k); }},
    {"action_respawn_character_do_not_respawn_if", Rest<&A::m_szRespawnUnless>},
    {"action_respawn_character_action_after_last_respawn", Rest<&A::m_szRespawnLastAction>},
    {"action_kill_object", Rest<&A::m_szKillObject>},
    {"action_push_object", Rest<&A::m_szKickObject>},
    {"action_set_phase_for", Rest<&A::m_szSetPhaseFor>},
    {"action_phase_name", Rest<&A::m_szPhaseName>},
    {"action_allow_passing_blockers", Rest<&A::m_szPassBlockersOn>},
    {"action_forbid_passing_blockers", Rest<&A::m_szPassBlockersOff>},
    {"action_action_if_not_set", Rest<&A::m_szActionIfNot>},
    {"action_activate_ai_action", Rest<&A::m_szActivateAIAction>},
    // rest(63), rest(64), rest(128), rest(255), rest(256)
    {"action_teleport_character_here", Rest<&A::m_szTeleportCharacterHere>},
    {"action_respawn_on_alert_action", Rest<&A::m_szRespawnOnAlertAction>},
    {"action_respawn_enemy_type", Rest<&A::m_szRespawnEnemyType>},
    {"action_respawn_force_weapon", Rest<&A::m_szRespawnForceWeapon>},
    {"action_play_music", Rest<&A::m_szMusic>},
    {"action_start_world", Rest<&A::m_szStartWorld>},
    {"action_run_script", Rest<&A::m_szRunScript>},
    {"action_console_print", Rest<&A::m_szConsolePrint>},
    {"action_respawn_force_skinmesh", Rest<&A::m_szRespawnForceSkinMesh>},
    {"action_sounds_activate", Rest<&A::m_szSoundActivate>},
    {"action_sounds_deactivate", Rest<&A::m_szSoundDeactivate>},
    // word(31)
    {"action_knob_object", Word<&A::m_szKnobObject>},
    {"action_knob_socket", Word<&A::m_szKnobSocket>},
    {"action_default_set_fx", Word<&A::m_szDefaultSetFX>},
    {"action_default_unset_fx", Word<&A::m_szDefaultUnsetFX>},
    {"action_default_set_animation", Word<&A::m_szDefaultAnimation>},
    {"action_destination_set_animation", Word<&A::m_szDestinationAnimation>},
    {"action_shoot_target", Word<&A::m_szShootTarget>},
    {"action_shoot_weapon", Word<&A::m_szShootWeapon>},
    // word(63)
    {"action_set_anim_for_object_name", Word<&A::m_szAnimForObject>},
    {"action_set_anim_for_animation_name", Word<&A::m_szAnimForAnimation>},
    {"action_start_moving_on_different_bezier", Word<&A::m_szBezierStart>},
    {"action_make_object_move_on_bezier_object_name", Word<&A::m_szBezierForObject>},
    {"action_make_object_move_on_bezier_bezier_name", Word<&A::m_szBezierForNode>},
    {"action_remove_joints_for", Word<&A::m_szRemoveJointsFor>},
    {"action_direction_pointer_to", Word<&A::m_szDirectionPointerTo>},
    {"action_voice_hero0", [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szVoices[0], l.Word(1), k); }},
    {"action_voice_druvel", [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szVoices[0], l.Word(1), k); }},
    {"action_voice_hero1", [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szVoices[1], l.Word(1), k); }},
    {"action_voice_moskat", [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szVoices[1], l.Word(1), k); }},
    {"action_voice_other", [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szVoices[2], l.Word(1), k); }},
    {"action_voice_enemy", [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szVoices[3], l.Word(1), k); }},
    {"action_kill_character", Word<&A::m_szKillCharacter>},
    {"action_teleport_object_here", Word<&A::m_szTeleportObjectHere>},
    {"action_switch_green_point_for", Word<&A::m_szGreenPointFor>},
    {"action_switch_red_point_for", Word<&A::m_szRedPointFor>},
    {"action_spread_attachments_for_object", Word<&A::m_szSpreadAttachmentsFor>},
    {"action_character_name_runs_to", Word<&A::m_szCharacterRunsTo>},
    {"action_character_runs_to_target", Word<&A::m_szCharacterRunTarget>},
    {"action_character_uses_bezier", Word<&A::m_szCharacterBezier>},
    {"action_character_set_phase_on_target", Word<&A::m_szCharacterPhaseOnTarget>},
    {"action_character_runs_to_animation_name", Word<&A::m_szCharacterRunAnimation>},
    {"action_move_camera_to_object_name", Word<&A::m_szCameraMoveTo>},
    {"action_camera_look_from_object", Word<&A::m_szCameraLookFrom>},
    {"action_camera_look_from_socket", Word<&A::m_szCameraLookFromSocket>},
    {"action_start_hero_dialogue", Word<&A::m_szHeroDialogue>},
    {"action_start_dialogue0", Word<&A::m_szDialogue0>},
    {"action_start_dialogue_actor0",
     [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szDialogueActors[0], l.Word(1), k); }},
    {"action_start_dialogue_actor1",
     [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szDialogueActors[1], l.Word(1), k); }},
    {"action_start_dialogue_actor2",
     [](A& b, const WorldLine& l, const char* k) { CopyField(b.m_szDialogueActors[2], l.Word(1), k); }},
    {"action_add_new_objective", Word<&A::m_szNewObjective>},
    {"action_add_new_hint", Word<&A::m_szNewHint>},
    {"action_player_move_and_view_bezier_to_walk_on", Word<&A::m_szViewBezierWalk>},
    {"action_player_move_and_view_object_to_look_at", Word<&A::m_szViewLookAt>},
    {"action_player_move_and_view_add_object_to_bw_postprocess", Word<&A::m_szBwObject>},
    {"action_player_move_and_view_add_character_to_bw_postprocess", Word<&A::m_szBwCharacter>},
    {"action_after_pickup", Word<&A::m_szAfterPickup>},
    {"action_radio_radio", Word<&A::m_szRadio>},
    {"action_countdown_action_on_finish", Word<&A::m_szCountdownAction>},
    // word(254)
    {"action_sound_ambient_sound", Word<&A::m_szAmbientSound>},
    // bool
    {"action_switch_moving_on_action", Bool<&A::m_bSwitchMovingOnAction>},
    {"action_can_be_held_up", Bool<&A::m_bCanBeHeldUp>},
    {"action_respawn_obe_after_death", Bool<&A::m_bRespawnObeAfterDeath>},
    {"action_respawn_forbid_obe_after_death", Bool<&A::m_bRespawnForbidObeAfterDeath>},
    {"action_respawn_forbid_models_other_than_first", Bool<&A::m_bRespawnFirstModelOnly>},
    {"action_respawn_can_throw_grenades", Bool<&A::m_bRespawnCanThrowGrenades>},
    {"action_respawn_shoots_only_above", Bool<&A::m_bRespawnShootsOnlyAbove>},
    {"action_respawn_ragdoll_physics_on_death", Bool<&A::m_bRespawnRagdollOnDeath>},
    {"action_respawn_forbid_hat", Bool<&A::m_bRespawnForbidHat>},
    {"action_teleport_player_here", Bool<&A::m_bTeleportPlayerHere>},
    {"action_switch_light", Bool<&A::m_uLightToggle>},
    {"action_emit_bullet_hit_effects", Bool<&A::m_bEmitBulletHitEffects>},
    {"action_2door_enemy_can_open_this_door", Bool<&A::m_bDoorEnemyCanOpen>},
    {"action_partner_can_use", Bool<&A::m_bPartnerCanUse>},
    {"action_ladder", Bool<&A::m_bLadder>},
    {"action_blackout", Bool<&A::m_bBlackout>},
    {"action_control_blackout", Bool<&A::m_bControlBlackout>},
    {"action_switch_blinking", Bool<&A::m_uBlinkingToggle>},
    {"action_camera1_positioning_motion_blur", Bool<&A::m_bCameraPositioningMotionBlur>},
    {"action_teleport_with_my_rotation", Bool<&A::m_uTeleportWithRotation>},
    {"action_set_default_animation_loop", Bool<&A::m_bDefaultAnimationLoop>},
    {"action_set_destination_animation_loop", Bool<&A::m_bDestinationAnimationLoop>},
    {"action_teleport_multi_partner_here", Bool<&A::m_bTeleportMultiPartnerHere>},
    {"action_make_object_move_on_bezier_loop", Bool<&A::m_uBezierForLoop>},
    {"action_action_if_aimed_and_shot_with_rocket", Bool<&A::m_bIfAimedAndShotWithRocket>},
    {"action_hide_icon_if_action_invalid", Bool<&A::m_bHideIconIfInvalid>},
    {"action_multi_check_point", Bool<&A::m_bMultiCheckPoint>},
    {"action_action_on_look", Bool<&A::m_bActionOnLook>},
    {"action_shake_screen", Bool<&A::m_bShakeScreen>},
    {"action_constant_shake_screen", Bool<&A::m_bConstantShakeScreen>},
    {"action_short_shake_screen", Bool<&A::m_bShortShakeScreen>},
    {"action_render_params_use_render_params", Bool<&A::m_bUseRenderParams>},
    {"action_default_set_fx_tie_to_me", Bool<&A::m_bDefaultSetFXTieToMe>},
    {"action_default_unset_fx_tie_to_me", Bool<&A::m_bDefaultUnsetFXTieToMe>},
    {"action_switch_to_peaceful_mode", Bool<&A::m_bPeacefulMode>},
    {"action_switch_to_combat_mode", Bool<&A::m_bCombatMode>},
    {"action_character_allow_sprint", Bool<&A::m_bAllowSprint>},
    {"action_character_forbid_sprint", Bool<&A::m_bForbidSprint>},
    {"action_character_high_jump_on", Bool<&A::m_bHighJumpOn>},
    {"action_character_high_jump_off", Bool<&A::m_bHighJumpOff>},
    {"action_character_allow_jumping", Bool<&A::m_bAllowJumping>},
    {"action_character_forbid_jumping", Bool<&A::m_bForbidJumping>},
    {"action_crouching_teleport_player_here", Bool<&A::m_bCrouchingTeleportPlayerHere>},
    {"action_loop_anim_for", Bool<&A::m_bLoopAnimFor>},
    {"action_camera_look_from_character_not_object", Bool<&A::m_bCameraLookFromCharacter>},
    {"action_player_move_and_view_turn_on_movement_radius", Bool<&A::m_bMovementRadiusOn>},
    {"action_player_move_and_view_turn_off_movement_radius", Bool<&A::m_bMovementRadiusOff>},
    {"action_player_move_and_view_turn_on_panoramic_screen", Bool<&A::m_bPanoramicOn>},
    {"action_player_move_and_view_turn_off_panoramic_screen", Bool<&A::m_bPanoramicOff>},
    {"action_player_move_and_view_turn_on_bezier_walk", Bool<&A::m_bBezierWalkOn>},
    {"action_player_move_and_view_turn_on_bezier2_walk_use_running_mode", Bool<&A::m_bBezierWalkRunning>},
    {"action_player_move_and_view_turn_off_bezier_walk", Bool<&A::m_bBezierWalkOff>},
    {"action_player_move_and_view_turn_on_look_at", Bool<&A::m_bLookAtOn>},
    {"action_player_move_and_view_turn_off_look_at", Bool<&A::m_bLookAtOff>},
    {"action_player_move_and_view_turn_on_bw_postprocess", Bool<&A::m_bBwPostprocessOn>},
    {"action_player_move_and_view_turn_off_bw_postprocess", Bool<&A::m_bBwPostprocessOff>},
    {"action_player_move_and_view_turn_on_monochromatic", Bool<&A::m_bMonochromaticOn>},
    {"action_player_move_and_view_turn_off_monochromatic", Bool<&A::m_bMonochromaticOff>},
    {"action_checkpoint_checkpoint", Bool<&A::m_bCheckpoint>},
    {"action_full_ammo", Bool<&A::m_bFullAmmo>},
    {"action_end_game", Bool<&A::m_bEndGame>},
    {"action_countdown_turn_on", Bool<&A::m_bCountdownOn>},
    {"action_countdown_turn_off", Bool<&A::m_bCountdownOff>},
    {"action_add_cockroaches", Bool<&A::m_bAddCockroaches>},
    // n
    {"action_respawn_num_enemies", Int<&A::m_iRespawnEnemies>},
    {"action_respawn_agression_mode", Int<&A::m_iRespawnAggression>},
    {"action_render_params_delete_sector", Int<&A::m_iSectorToDelete>},
    {"action_num_cockroaches", Int<&A::m_iCockroaches>},
    // f
    {"action_give_action_to___delay", Float<&A::m_fHandOverPause>},
    {"action_sounds_range", Float<&A::m_fSoundRange>},
    {"action_take_health_away", Float<&A::m_fTakeHealthAway>},
    {"action_push_obj_force", Float<&A::m_fKickForce>},
    {"action_kill_delay", Float<&A::m_fKillDelay>},
    {"action_rotation_acceleration", Float<&A::m_fTurnAcceleration>},
    {"action_constant_shake_range", Float<&A::m_fConstantShakeRange>},
    {"action_render_params_farz", Float<&A::m_fFarZ>},
    {"action_spread_attachments_force", Float<&A::m_fSpreadAttachmentsForce>},
    {"action_move_camera_to_object_time", Float<&A::m_fCameraMoveTime>},
    {"action_global_time_speed", Float<&A::m_fGlobalTimeSpeed>},
    {"action_camera_look_from_time", Float<&A::m_fCameraLookFromTime>},
    {"action_sound_volume_ambient_sound", Float<&A::m_fAmbientVolume>},
    {"action_next_run_after", Float<&A::m_fMinimumInterval>},
    {"action_player_move_and_view_movement_radius", Float<&A::m_fMovementRadius>},
    {"action_player_move_and_view_look_at_angle_degrees", Float<&A::m_fLookAtAngle>},
    {"action_fov_multiplier", Float<&A::m_fFOVMultiplier>},
    {"action_countdown_time_in_seconds", Float<&A::m_fCountdownTime>},
    // The vehicle lines.
    {"action_vehicles_vehicle_target_me", Bool<&A::m_bVehicleTarget>},
    {"action_vehicles_vehicle_object_name_target_me", Rest<&A::m_szVehicleTarget>},
    {"action_vehicles_vehicle_stop_targetting", Bool<&A::m_bVehicleStopTargetting>},
    {"action_vehicles_vehicle_object_name_stop_targetting", Rest<&A::m_szVehicleStopTargetting>},
};

const Row<D> kDeathLines[] = {
    {"death_params_1",
     [](D& b, const WorldLine& l, const char*) {
         b.m_bEnabled = l.Bool(1);
         b.m_bExplosionDamage = l.Bool(2);
         b.m_bDeleteOnDeath = l.Bool(3);
         b.m_bFallWithPhysics = l.Bool(4);
         b.m_bMortarExplosion = l.Bool(5);
         b.m_bDeathSound = l.Bool(6);
         b.m_bAnimationAndHandOver[0] = l.Bool(7);
         b.m_bAnimationAndHandOver[1] = l.Bool(8);
         b.m_bKillTarget = l.Bool(9);
         b.m_bRemoveJoints = l.Bool(10);
         b.m_fInitialHitPoints = l.Float(11);
     }},
    {"death_params_2",
     [](D& b, const WorldLine& l, const char*) {
         b.m_bParams2[0] = l.Bool(2);
         b.m_bParams2[1] = l.Bool(4);
         b.m_bParams2[2] = l.Bool(5);
     }},
    {"death_params_4", Bool<&D::m_bParams4>},
    {"death_params_5", Bool<&D::m_bParams5>},
    {"death_params_6",
     [](D& b, const WorldLine& l, const char*) {
         b.m_bParams6[0] = l.Bool(1);
         b.m_bParams6[1] = l.Bool(2);
         Floats(b.m_fParams6, l, 3);
     }},
    {"death_params_AddSpeed",
     [](D& b, const WorldLine& l, const char*) { b.m_vAddSpeed = DV{l.Float(1), l.Float(2), l.Float(3)}; }},
    {"death_params_pane_crash_params",
     [](D& b, const WorldLine& l, const char*) {
         b.m_OneHit.m_iOneHit = l.Int(1);
         b.m_OneHit.m_bPaneCrash[0] = l.Bool(2);
         b.m_OneHit.m_bPaneCrash[1] = l.Bool(3);
         Floats(b.m_OneHit.m_fPaneCrash, l, 4);
     }},
    {"death_params_pane_crash_parameters2",
     [](D& b, const WorldLine& l, const char*) {
         b.m_OneHit.m_iPaneCrash[0] = l.Int(1);
         b.m_OneHit.m_iPaneCrash[1] = l.Int(2);
     }},
    {"death_params_physics_hit_teleported_objects_hit_force",
     [](D& b, const WorldLine& l, const char*) { b.m_vTeleportForce = DV{l.Float(1), l.Float(2), l.Float(3)}; }},
    {"death_params_teleport_objects_here_list",
     [](D& b, const WorldLine& l, const char* k) {
         // The names hold 63 characters less their terminator, though each entry has 64 bytes.
         if (int e; Entry(l, D::kTeleportNames, k, &e)) CopyField(b.m_szTeleportNames[e], 63, l.Word(2), k);
     }},
    {"death_params_remove_joints_when_dead", [](D&, const WorldLine&, const char*) {}},
    // rest(32), rest(31), rest(255), rest(256)
    {"death_params_ActivateObjectName", Rest<&D::m_szActivateObjectName>},
    {"death_params_DeadAnimName", Rest<&D::m_szDeadAnimName>},
    {"death_params_DestroyObjectName", Rest<&D::m_szDestroyObjectName>},
    {"death_params_HitAnimName", Rest<&D::m_szHitAnimName>},
    {"death_params_SetWhenDead", Rest<&D::m_szSetWhenDead>},
    {"death_params_SetWhenHit", Rest<&D::m_szSetWhenHit>},
    {"death_params_UnsetWhenDead", Rest<&D::m_szUnsetWhenDead>},
    {"death_params_UnsetWhenHit", Rest<&D::m_szUnsetWhenHit>},
    {"death_params_HandleDeathIf", Rest<&D::m_szHandleDeathIf>},
    {"death_params_created_mesh_name", Rest<&D::m_szCreatedMeshName>},
    {"death_params_FX_On_Hit", Rest<&D::m_szFXOnHit>},
    {"death_params_FX_On_Death", Rest<&D::m_szFXOnDeath>},
    {"death_params_FX_On_GroundHit", Rest<&D::m_szFXOnGroundHit>},
    {"death_params_FX_In_HighestPoint", Rest<&D::m_szFXInHighestPoint>},
    {"death_params_console_print", Rest<&D::m_szConsolePrint>},
    {"death_params_SoundName", Rest<&D::m_szSoundName>},
    {"death_params_CreateMeshOnDeath", Rest<&D::m_szCreateMeshOnDeath>},
    {"death_params_CreateMeshOnGroundHit", Rest<&D::m_szCreateMeshOnGroundHit>},
    // word(31), word(63), word(254)
    {"death_params_activate_object_on_hit", Word<&D::m_szActivateObjectOnHit>},
    {"death_params_kill_other_object_if_hp_less_than_object", Word<&D::m_szKillIfHPLessThanObject>},
    {"death_params_move_to_object_before_death_object", Word<&D::m_szMoveBeforeDeathObject>},
    {"death_params_sound_name_when_hit", Word<&D::m_szSoundNameWhenHit>},
    // bool
    {"death_params_created_mesh_disappears", Bool<&D::m_bCreatedMeshDisappears>},
    {"death_params_shake_screen", Bool<&D::m_bShakeScreen>},
    {"death_params_sound_when_hit", Bool<&D::m_bSoundWhenHit>},
    {"death_params_teleport_objects_here_use", Bool<&D::m_bTeleportObjectsHere>},
    {"death_params_teleport_objects_here_copy", Bool<&D::m_bTeleportCopy>},
    {"death_params_pane_crash_on", Bool<&D::m_bPaneCrashOn>},
    {"death_params_physics_hit_teleported_objects_on", Bool<&D::m_bTeleportPhysics>},
    // f
    {"death_params_DestroyOtherPause", Float<&D::m_fDestroyOtherPause>},
    {"death_params_ExplosionPowerCoef", Float<&D::m_fExplosionPowerCoef>},
    {"death_params_time_to_disappear_created_mesh", Float<&D::m_fTimeToDisappearCreatedMesh>},
    {"death_params_kill_if_player_closer_than", Float<&D::m_fKillIfPlayerCloserThan>},
    {"death_params_kill_other_object_if_hp_less_than_hp", Float<&D::m_fKillIfHPLessThanHP>},
    {"death_params_move_to_object_before_death_speed", Float<&D::m_fMoveBeforeDeathSpeed>},
};

using L = strLightControlParams;

// Who reads a light-control line: objects of every kind but lights, or meshes only.
enum class LightReader { Objects, Meshes };

struct LightRow {
    const char* keyword;
    LightReader reader;
    Apply<L> apply;
};

// A light's number and name: a number outside the table drops the line with its message.
template <const char* Message>
void NumberedLight(L& b, const WorldLine& l, const char* k) {
    const int32_t n = l.Int(1);
    if (n < 0 || n >= L::kLights) {
        g_Console.Print(Message);
        return;
    }
    CopyField(b.m_szLights[n], kLightNameLimit, l.Word(2), k);
}

constexpr char kObjectLightError[] = "ERROR: blad w pliku *.w, zly numer swiatla na obiekt...";
constexpr char kMeshLightError[] = "ERROR: blad w pliku *.w, zly numer swiatla na mesha...";

void LightSwitches(L& b, const WorldLine& l, const char*) {
    b.m_bEnabled = l.Bool(1);
    b.m_bSecond = l.Bool(2);
}

template <int N>
void LegacyLight(L& b, const WorldLine& l, const char* k) {
    CopyField(b.m_szLights[N], kLightNameLimit, l.Rest(), k);
}

const LightRow kLightLines[] = {
    {"object_light_control_params", LightReader::Objects, LightSwitches},
    {"object_light_control2_light", LightReader::Objects, NumberedLight<kObjectLightError>},
    {"mesh_light_control_params", LightReader::Meshes, LightSwitches},
    {"mesh_light_control2_light", LightReader::Meshes, NumberedLight<kMeshLightError>},
    {"mesh_light_control_light0", LightReader::Meshes, LegacyLight<0>},
    {"mesh_light_control_light1", LightReader::Meshes, LegacyLight<1>},
    {"mesh_light_control_light2", LightReader::Meshes, LegacyLight<2>},
    {"mesh_light_control_light3", LightReader::Meshes, LegacyLight<3>},
    {"mesh_light_control_light4", LightReader::Meshes, LegacyLight<4>},
    {"mesh_light_control_light5", LightReader::Meshes, LegacyLight<5>},
    {"mesh_light_control_light6", LightReader::Meshes, LegacyLight<6>},
};

using P = strBezierMovingParameters;

const Row<P> kPathLines[] = {
    {"bezier_moving_____start_node_name", Rest<&P::m_szStartNode>},
    {"bezier_moving_____params0",
     [](P& b, const WorldLine& l, const char*) {
         b.m_iLapLimit = l.Int(1);
         b.m_bEnabled = l.Bool(2);
         b.m_dFirstLapWait = l.Float(3);
         b.m_dLaterLapWait = l.Float(4);
         // These three count only when written as 1.
         b.m_bStartAtLoad = l.Int(5) == 1;
         b.m_bPassThroughBlockers = l.Int(6) == 1;
         b.m_bBlockerStop = l.Int(7) == 1;
     }},
    {"bezier_moving_____params1",
     [](P& b, const WorldLine& l, const char*) {
         b.m_bKeepOwnOrientation = l.Bool(1);
         b.m_bPlaceOnPathAtLoad = l.Bool(2);
     }},
};

// One keyword's line, whichever family it belongs to.
struct Line {
    enum Family { Action, Death, Light, Path, Effect } family;
    const void* row;
};

const std::unordered_map<std::string_view, Line>& Keywords() {
    static const auto keywords = [] {
        std::unordered_map<std::string_view, Line> map;
        for (const Row<A>& row : kActionLines) map.emplace(row.keyword, Line{Line::Action, &row});
        for (const Row<D>& row : kDeathLines) map.emplace(row.keyword, Line{Line::Death, &row});
        for (const LightRow& row : kLightLines) map.emplace(row.keyword, Line{Line::Light, &row});
        for (const Row<P>& row : kPathLines) map.emplace(row.keyword, Line{Line::Path, &row});
        map.emplace("set_fx", Line{Line::Effect, nullptr});
        return map;
    }();
    return keywords;
}

// Read the block, change it, write it back.
template <class B, class Get, class Set>
void Change(EObjectSlot* object, const Row<B>& row, const WorldLine& line, Get get, Set set) {
    B block;
    (g_Engine.*get)(object, &block);
    row.apply(block, line, row.keyword);
    (g_Engine.*set)(object, &block);
}

}  // namespace

bool ActionScriptLines::Apply(EObjectSlot* object, bool inBlock, const WorldLine& line) {
    auto found = Keywords().find(line.Keyword());
    if (found == Keywords().end()) return false;
    if (!object) return true;
    const Line& l = found->second;
    switch (l.family) {
        case Line::Action:
            if (inBlock)
                Change(object, *static_cast<const Row<A>*>(l.row), line, &EEngine::GetActionParams,
                       &EEngine::SetActionParams);
            break;
        case Line::Death:
            if (inBlock)
                Change(object, *static_cast<const Row<D>*>(l.row), line, &EEngine::GetDeathParams,
                       &EEngine::SetDeathParams);
            break;
        case Line::Light: {
            const LightRow& row = *static_cast<const LightRow*>(l.row);
            bool reads = row.reader == LightReader::Meshes ? object->Type == OT_MESH : object->Type != OT_LIGHT;
            if (!inBlock || !reads) break;
            L block;
            g_Engine.GetLightControlParams(object, &block);
            row.apply(block, line, row.keyword);
            g_Engine.SetLightControlParams(object, &block);
            break;
        }
        case Line::Path:
            Change(object, *static_cast<const Row<P>*>(l.row), line, &EEngine::GetBezierMovingParameters,
                   &EEngine::SetBezierMovingParameters);
            break;
        case Line::Effect: {
            // A name too long for its field leaves the field empty: the object loses its effect.
            char name[255];
            CopyField(name, line.Rest(), "set_fx");
            g_Engine.SetFX(object, name);
            break;
        }
    }
    return true;
}
