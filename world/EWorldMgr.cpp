#include "world/EWorldMgr.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/MeshParams.h"
#include "platform/os/Files.h"
#include "render/ESky.h"
#include "world/ActionScriptLines.h"
#include "world/BezierMgr.h"
#include "world/CVisibilityBlockers.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/ObjectCreateParams.h"
#include "world/TextLines.h"
#include "world/WorldLine.h"

EWorldMgr g_WorldMgr;

namespace {

constexpr float kDegrees = std::numbers::pi_v<float> / 180.0f;
constexpr const char* kBlockerFile = "visibility_blocker.x";

// The state of one load: the descriptor of the next object, the object made by the last header
// with that header's kind, and whether its block is open.
struct Load {
    ObjectCreateParams params;
    EObjectSlot* object = nullptr;
    uint8_t kind = OT_MESH;
    bool inBlock = false;
};

// Which kinds' blocks read a property line.
constexpr uint8_t kMesh = 1;
constexpr uint8_t kSkin = 2;
constexpr uint8_t kLight = 4;
constexpr uint8_t kAnyKind = kMesh | kSkin | kLight;

uint8_t KindBit(uint8_t kind) { return kind == OT_SKINMESH ? kSkin : kind == OT_LIGHT ? kLight : kMesh; }

using Apply = void (*)(EWorldMgr& world, EObjectSlot* object, const WorldLine& line);

// Where a line applies: to the current object wherever it stands, as a world setting (some end
// the block), or in the block of one of the kinds.
struct Row {
    enum Scope : uint8_t { Current, Setting, EndingSetting, Block } scope;
    uint8_t kinds;
    Apply apply;
};

// ---- Lines of the current object ---------------------------------------------------------------

void ReadIds(uint32_t* ids, const WorldLine& l) {
    for (int i = 0; i < 3; ++i) ids[i] = l.Uint(i + 1);
}

// The slot of a light set or fog set: the low byte, above 3 the last slot.
uint8_t SetSlot(const WorldLine& l) {
    const uint8_t slot = static_cast<uint8_t>(l.Int(1));
    return slot > 3 ? 3 : slot;
}

// A tie to a socket of another object, the names at most limit - 1 characters.
template <size_t Limit>
void Tie(EObjectSlot* o, const WorldLine& l) {
    char target[Limit], socket[Limit];
    CopyField(target, l.Word(2), "szObjectName");
    CopyField(socket, l.Word(3), "szSocketName");
    g_Engine.TieToSocket(o, l.Bool(1), target, socket);
}

// ---- Property lines --------------------------------------------------------------------------

void SetCoordinate(EObjectSlot* o, float DV::* axis, const WorldLine& l) {
    DV position;
    g_Engine.GetObjectPosition(o, &position);
    position.*axis = l.Float(1);
    g_Engine.SetObjectPosition(o, position, false);
}

// The object sound: the values the object has, some of them replaced by the line.
struct Sound {
    char file[256] = {};
    float distance = 0;
    char variable[64] = {};
};

Sound ObjectSound(EObjectSlot* o) {
    Sound s;
    g_Engine.GetSoundParams(o, s.file, sizeof s.file, &s.distance, s.variable, sizeof s.variable);
    return s;
}

void SetObjectSound(EObjectSlot* o, const Sound& s) { g_Engine.SetSoundParams(o, s.file, s.distance, s.variable); }

template <class Change>
void ChangePlotek(EObjectSlot* o, Change change) {
    strPlotek plotek;
    if (const strPlotek* current = g_Engine.GetPlotek(o)) plotek = *current;
    change(plotek);
    g_Engine.SetPlotek(o, &plotek);
}

template <class Change>
void ChangePaint(EObjectSlot* o, Change change) {
    strTexturePaint paint;
    g_Engine.GetTexturePaint(o, &paint);
    change(paint);
    g_Engine.SetTexturePaint(o, &paint);
}

// A texture-paint line naming a slot (word 1): only slots 0 to 2 exist.
template <class Change>
void ChangePaintSlot(EObjectSlot* o, const WorldLine& l, Change change) {
    const int slot = l.Int(1);
    if (slot < 0 || slot >= strTexturePaint::kSlots) {
        ReportIndexOutOfRange(l.Keyword(), slot);
        return;
    }
    ChangePaint(o, [&](strTexturePaint& p) { change(p, slot); });
}

// The three per-slot values of a texture-paint line.
template <float (strTexturePaint::*Values)[strTexturePaint::kSlots]>
void PaintValues(EWorldMgr&, EObjectSlot* o, const WorldLine& l) {
    ChangePaint(o, [&](strTexturePaint& p) {
        for (int i = 0; i < strTexturePaint::kSlots; ++i) (p.*Values)[i] = l.Float(i + 1);
    });
}

template <class Change>
void ChangeBody(EObjectSlot* o, Change change) {
    RigidBodyPhysicsParams body;
    g_Engine.GetRigidBodyPhysicsParams(o, &body);
    change(body);
    g_Engine.SetRigidBodyPhysicsParams(o, &body);
}

template <uint8_t RigidBodyPhysicsParams::*Field>
void BodyBool(EWorldMgr&, EObjectSlot* o, const WorldLine& l) {
    ChangeBody(o, [&](RigidBodyPhysicsParams& b) { b.*Field = l.Bool(1); });
}

template <float RigidBodyPhysicsParams::*Field>
void BodyFloat(EWorldMgr&, EObjectSlot* o, const WorldLine& l) {
    ChangeBody(o, [&](RigidBodyPhysicsParams& b) { b.*Field = l.Float(1); });
}

template <auto Field>
void BodyName(EWorldMgr&, EObjectSlot* o, const WorldLine& l) {
    ChangeBody(o, [&](RigidBodyPhysicsParams& b) { CopyField(b.*Field, l.Word(1), std::string(l.Keyword()).c_str()); });
}

template <uint8_t EObjectSlot::*Field>
void ObjectBool(EWorldMgr&, EObjectSlot* o, const WorldLine& l) {
    o->*Field = l.Bool(1);
}

// ---- World settings --------------------------------------------------------------------------

template <int Set>
void Fog(EWorldMgr&, EObjectSlot*, const WorldLine& l) {
    g_Sky.SetFogColour(l.Uint(1), Set);
    g_Sky.SetFogFar(l.Float(2), Set);
    g_Sky.SetFogNear(l.Float(3), Set);
}

void SwitchFog(EWorldMgr& w, bool on) {
    if (on) g_Sky.EnableFog();
    else g_Sky.DisableFog();
    w.m_bFogEnabled = on;
}

template <int Set>
void Ambient(EWorldMgr&, EObjectSlot*, const WorldLine& l) {
    g_Sky.SetAmbientLight(l.Uint(1), Set);
}

template <float ESky::*Field>
void SkyFloat(EWorldMgr&, EObjectSlot*, const WorldLine& l) {
    g_Sky.*Field = l.Float(1);
}

template <DV ESky::*Field>
void SkyColour(EWorldMgr&, EObjectSlot*, const WorldLine& l) {
    g_Sky.*Field = DV{l.Float(1), l.Float(2), l.Float(3)};
}

void NoEffect(EWorldMgr&, EObjectSlot*, const WorldLine&) {}

// ---- The keywords ------------------------------------------------------------------------------

using W = EWorldMgr;
using O = EObjectSlot*;
using Ln = const WorldLine&;

const std::unordered_map<std::string_view, Row>& Keywords() {
    static const std::unordered_map<std::string_view, Row> keywords = {
        // The current object, wherever the line stands.
        {"editor_undo_pesel", {Row::Current, kAnyKind, [](W& w, O, Ln l) { ReadIds(w.m_uUndoPesel, l); }}},
        {"pesel", {Row::Current, kAnyKind, [](W&, O o, Ln l) { ReadIds(o->pesel, l); }}},
        {"container_pesel", {Row::Current, kAnyKind, [](W&, O o, Ln l) { ReadIds(o->m_uContainerPesel, l); }}},
        {"ambient_light_idx", {Row::Current, kAnyKind, [](W&, O o, Ln l) { o->m_bAmbientLightIdx = SetSlot(l); }}},
        {"fog_idx", {Row::Current, kAnyKind, [](W&, O o, Ln l) { o->m_bFogIdx = SetSlot(l); }}},
        {"sector_idx", {Row::Current, kAnyKind, [](W&, O o, Ln l) { o->m_iSector = static_cast<uint8_t>(l.Int(1)); }}},
        {"env_texture_idx",
         {Row::Current, kAnyKind, [](W&, O o, Ln l) { o->m_bEnvTextureIdx = static_cast<uint8_t>(l.Int(1)); }}},
        {"ignore_calculating_player_visibility",
         {Row::Current, kLight, [](W&, O o, Ln l) { o->m_bIgnorePlayerVisibility = l.Bool(1); }}},
        {"light_linear_scatter", {Row::Current, kLight, [](W&, O o, Ln l) { o->m_bLightLinearScatter = l.Bool(1); }}},
        {"disappear_range", {Row::Current, kAnyKind, [](W&, O o, Ln l) { g_Engine.SetViewDistance(o, l.Int(1)); }}},
        {"link_by_socket", {Row::Current, kAnyKind, [](W&, O o, Ln l) { Tie<1000>(o, l); }}},
        {"blinking1", {Row::Current, kAnyKind, [](W&, O o, Ln l) {
             strLightBlinking blinking;
             blinking.m_bOn = l.Bool(1);
             for (int i = 0; i < 6; ++i) blinking.m_fValues[i] = l.Float(i + 2);
             g_Engine.SetLightBlinking(o, &blinking);
         }}},

        // World settings.
        {"world_general_properties", {Row::EndingSetting, 0, NoEffect}},
        {"fog", {Row::EndingSetting, 0, [](W& w, O o, Ln l) {
             Fog<0>(w, o, l);
             SwitchFog(w, l.Bool(4));
         }}},
        {"fog_in_game", {Row::Setting, 0, [](W& w, O, Ln l) { SwitchFog(w, l.Bool(1)); }}},
        {"fog0", {Row::EndingSetting, 0, Fog<0>}},
        {"fog1", {Row::EndingSetting, 0, Fog<1>}},
        {"fog2", {Row::EndingSetting, 0, Fog<2>}},
        {"fog3", {Row::EndingSetting, 0, Fog<3>}},
        {"farz", {Row::EndingSetting, 0, [](W&, O, Ln l) { g_Camera.SetFarZ(l.Float(1)); }}},
        {"ambient_occlusion_depth", {Row::EndingSetting, 0, NoEffect}},
        {"ambient_occlusion_intensity", {Row::EndingSetting, 0, NoEffect}},
        {"global_ambient_light", {Row::EndingSetting, 0, Ambient<0>}},
        {"global_ambient_light0", {Row::EndingSetting, 0, Ambient<0>}},
        {"global_ambient_light1", {Row::EndingSetting, 0, Ambient<1>}},
        {"global_ambient_light2", {Row::EndingSetting, 0, Ambient<2>}},
        {"global_ambient_light3", {Row::EndingSetting, 0, Ambient<3>}},
        {"background_color", {Row::EndingSetting, 0, [](W&, O, Ln l) { g_Engine.m_uBackgroundColour = l.Uint(1); }}},
        {"sounds_world_bank", {Row::Setting, 0, [](W&, O, Ln l) {
             char bank[260];
             CopyField(bank, l.Word(1), "sounds_world_bank");
         }}},
        {"vertex_ambient_brightness", {Row::Setting, 0, SkyFloat<&ESky::m_fVertexAmbientBrightness>}},
        {"vertex_ambient_contrast", {Row::Setting, 0, SkyFloat<&ESky::m_fVertexAmbientContrast>}},
        {"vertex_ambient_color", {Row::Setting, 0, SkyColour<&ESky::m_vVertexAmbientColour>}},
        {"vertex_ambient_inside_brightness", {Row::Setting, 0, SkyFloat<&ESky::m_fVertexAmbientInsideBrightness>}},
        {"vertex_ambient_inside_contrast", {Row::Setting, 0, SkyFloat<&ESky::m_fVertexAmbientInsideContrast>}},
        {"vertex_ambient_inside_color", {Row::Setting, 0, SkyColour<&ESky::m_vVertexAmbientInsideColour>}},
        {"sky_light_use", {Row::Setting, 0, [](W&, O, Ln l) { g_Sky.m_bSkyLightUsed = l.Bool(1); }}},
        {"sky_light_direction", {Row::Setting, 0, [](W& w, O, Ln l) {
             w.m_fSkyLightPitch = l.Float(1);
             w.m_fSkyLightRotation = l.Float(2);
             g_Console.SetVariable("SkyLightRotation", w.m_fSkyLightRotation, 0);
             g_Console.SetVariable("SkyLightPitch", w.m_fSkyLightPitch, 0);
             EOrientation sun = EOrientation::EOrientationFromYawPitchRoll(w.m_fSkyLightRotation * kDegrees,
                                                                           w.m_fSkyLightPitch * kDegrees, 0);
             g_Sky.SetSkyLightDirection(sun.m_Front.x, sun.m_Front.y, sun.m_Front.z);
         }}},
        {"sky_light_color", {Row::Setting, 0, [](W&, O, Ln l) { g_Sky.SetSkyLightColour(l.Uint(1)); }}},
        {"sky_light_power", {Row::Setting, 0, SkyFloat<&ESky::m_fSkyLightPower>}},
        {"sky_mesh", {Row::Setting, 0, [](W& w, O, Ln l) {
             g_Sky.CreateSkyDome(std::string(l.Rest()).c_str());
             w.m_bSkyMeshLoaded = 1;
         }}},
        {"sky_light_projector", {Row::Setting, 0, [](W&, O, Ln l) {
             g_Sky.SetSkyLightProjector(l.Uint(1), l.Int(2), l.Int(3), l.Float(4));
         }}},
        {"skinmesh_skylight_coef", {Row::Setting, 0, SkyFloat<&ESky::m_fSkinMeshSkyLightCoef>}},
        {"skinmesh_ambient_coef", {Row::Setting, 0, SkyFloat<&ESky::m_fSkinMeshAmbientCoef>}},
        {"bloom_params", {Row::Setting, 0, [](W&, O, Ln l) { g_Sky.SetBloomParams(l.Float(1), l.Float(2)); }}},

        // Property lines of the blocks.
        {"name", {Row::Block, kAnyKind, [](W&, O o, Ln l) {
             if (l.Rest().empty()) return;
             char name[32];
             CopyField(name, l.Rest(), "szObjectName");
             std::memcpy(o->m_szName, name, sizeof name);
         }}},
        {"xpos", {Row::Block, kAnyKind, [](W&, O o, Ln l) { SetCoordinate(o, &DV::x, l); }}},
        {"ypos", {Row::Block, kAnyKind, [](W&, O o, Ln l) { SetCoordinate(o, &DV::y, l); }}},
        {"zpos", {Row::Block, kAnyKind, [](W&, O o, Ln l) { SetCoordinate(o, &DV::z, l); }}},
        {"rotation_angles", {Row::Block, kMesh | kSkin, [](W&, O o, Ln l) {
             o->m_vRotationAngles = DV{l.Float(1), l.Float(2), l.Float(3)};
             EOrientation turn = EOrientation::EOrientationFromYawPitchRoll(
                 o->m_vRotationAngles.y * kDegrees, o->m_vRotationAngles.x * kDegrees, o->m_vRotationAngles.z * kDegrees);
             g_Engine.SetObjectOrientation(o, turn);
             o->m_StartOrientation = turn;
             o->m_bOrientationGiven = 1;
         }}},
        {"scaling_axis", {Row::Block, kMesh | kSkin, [](W&, O o, Ln l) {
             g_Engine.SetObjectScaling(o, DV{l.Float(1), l.Float(2), l.Float(3)});
         }}},
        {"flags", {Row::Block, kAnyKind, [](W&, O o, Ln l) { g_Engine.SetObjectFlags(o, l.Uint(1), ~0u); }}},
        {"invisible_in_game", {Row::Block, kMesh | kSkin, [](W&, O o, Ln l) {
             if (l.Bool(1)) g_Engine.SetObjectFlags(o, 0, FLAG_VISIBLE);
             g_Engine.SetObjectFlags3(o, l.Bool(1) ? FLAG3_INVISIBLE_IN_GAME : 0, FLAG3_INVISIBLE_IN_GAME);
         }}},
        {"invisible_in_edytor", {Row::Block, kMesh | kSkin, [](W&, O o, Ln l) {
             g_Engine.SetObjectFlags3(o, l.Bool(1) ? FLAG3_INVISIBLE_IN_EDITOR : 0, FLAG3_INVISIBLE_IN_EDITOR);
         }}},
        {"flag2", {Row::Block, kAnyKind, [](W&, O o, Ln l) { g_Engine.SetObjectFlags2(o, l.Uint(1), ~0u); }}},

        // The object sounds: each keeps the values its line does not give.
        {"sound_for_mesh", {Row::Block, kMesh, [](W&, O o, Ln l) {
             Sound s;
             s.distance = l.Float(1);
             CopyField(s.file, l.Word(2), "sound_for_mesh");
             SetObjectSound(o, s);
         }}},
        {"sound_for_mes_ifset", {Row::Block, kMesh, [](W&, O o, Ln l) {
             Sound s = ObjectSound(o);
             CopyField(s.variable, 32, l.Rest(), "sound_for_mes_ifset");
             SetObjectSound(o, s);
         }}},
        {"skinmesh_sound_range_and_filename", {Row::Block, kSkin, [](W&, O o, Ln l) {
             Sound s = ObjectSound(o);
             s.distance = l.Float(1);
             CopyField(s.file, 255, l.Word(2), "skinmesh_sound_range_and_filename");
             SetObjectSound(o, s);
         }}},
        {"skinmesh_sound_ifset", {Row::Block, kSkin, [](W&, O o, Ln l) {
             Sound s = ObjectSound(o);
             CopyField(s.variable, 63, l.Word(1), "skinmesh_sound_ifset");
             SetObjectSound(o, s);
         }}},
        {"bush_sound", {Row::Block, kMesh, [](W&, O o, Ln l) {
             char file[256];
             CopyField(file, l.Word(2), "bush_sound");
             g_Engine.SetBushSound(o, file, l.Float(1));
         }}},

        {"land_mine", {Row::Block, kMesh, ObjectBool<&EObjectSlot::m_bLandMine>}},
        {"green_point", {Row::Block, kMesh, ObjectBool<&EObjectSlot::m_bGreenPoint>}},
        {"red_point", {Row::Block, kMesh, ObjectBool<&EObjectSlot::m_bRedPoint>}},
        {"is_it_tree", {Row::Block, kMesh, [](W&, O o, Ln l) { o->m_bTree = l.Bool(1); }}},
        {"item_dropped", {Row::Block, kMesh, ObjectBool<&EObjectSlot::m_bItemDropped>}},

        // Fences along the roads.
        {"plotek_use", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangePlotek(o, [&](strPlotek& p) {
                 p.m_bLeft = l.Bool(1);
                 p.m_bRight = l.Bool(2);
             });
         }}},
        {"plotek_prefab", {Row::Block, kMesh, [](W&, O o, Ln l) {
             const int side = l.Int(1), index = l.Int(2);
             if (side != 0 && side != 1) return;
             if (index < 0 || index >= strPlotek::kPrefabs) {
                 ReportIndexOutOfRange("plotek_prefab", index);
                 return;
             }
             ChangePlotek(o, [&](strPlotek& p) {
                 char* file = side == 0 ? p.m_szLeft[index] : p.m_szRight[index];
                 CopyField(file, 254, l.Word(3), side == 0 ? "Plotek.Prefab.Lewy" : "Plotek.Prefab.Prawy");
             });
         }}},

        // Texture painting.
        {"texture_paint_slot_used", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangePaintSlot(o, l, [&](strTexturePaint& p, int slot) { p.m_bSlotUsed[slot] = l.Bool(2); });
         }}},
        {"texture_paint_texture_name", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangePaintSlot(o, l, [&](strTexturePaint& p, int slot) {
                 CopyField(p.m_szTextureName[slot], 254, l.Word(2), "TP.TextureName");
             });
         }}},
        {"texture_paint_texture_density", {Row::Block, kMesh, PaintValues<&strTexturePaint::m_fDensity>}},
        {"texture_paint_texture_sharpness", {Row::Block, kMesh, PaintValues<&strTexturePaint::m_fSharpness>}},
        {"texture_paint_texture_brightness", {Row::Block, kMesh, PaintValues<&strTexturePaint::m_fBrightness>}},
        {"texture_paint_texture_add_color_saturation",
         {Row::Block, kMesh, PaintValues<&strTexturePaint::m_fSaturation>}},
        {"texture_paint_texture_additional_color", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangePaintSlot(o, l, [&](strTexturePaint& p, int slot) {
                 for (int i = 0; i < 3; ++i) p.m_fAdditionalColour[slot][i] = l.Float(i + 2);
             });
         }}},
        {"texture_paint_subset_used", {Row::Block, kMesh, [](W&, O o, Ln l) {
             const int row = l.Int(1);
             if (row < 0 || row >= strTexturePaint::kRows) {
                 ReportIndexOutOfRange("texture_paint_subset_used", row);
                 return;
             }
             const uint32_t mask = l.Uint(2);
             ChangePaint(o, [&](strTexturePaint& p) {
                 for (int i = 0; i < 16; ++i) p.m_bSubsetUsed[row][i] = (mask >> i) & 1;
             });
         }}},

        {"mesh_link_by_socket", {Row::Block, kMesh, [](W&, O o, Ln l) { Tie<1000>(o, l); }}},
        {"light_link_by_socket", {Row::Block, kLight, [](W&, O o, Ln l) { Tie<32>(o, l); }}},

        // Rigid-body physics of loose meshes.
        {"rigid_body_physics_general", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangeBody(o, [&](RigidBodyPhysicsParams& b) {
                 b.m_uBodyKind = l.Uint(1);
                 b.m_fMass = l.Float(2);
                 b.m_bGeneral = l.Bool(3);
             });
         }}},
        {"rigid_body_physics_react_after_bullet_hit",
         {Row::Block, kMesh, BodyBool<&RigidBodyPhysicsParams::m_bReactAfterBulletHit>}},
        {"rigid_body_physics_react_after_explosion",
         {Row::Block, kMesh, BodyBool<&RigidBodyPhysicsParams::m_bReactAfterExplosion>}},
        {"rigid_body_physics_friction_coef", {Row::Block, kMesh, BodyFloat<&RigidBodyPhysicsParams::m_fFrictionCoef>}},
        {"rigid_body_physics_joint_general", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangeBody(o, [&](RigidBodyPhysicsParams& b) {
                 b.m_bJoint = l.Bool(1);
                 b.m_fJointValue = l.Float(2);
             });
         }}},
        {"rigid_body_physics_joint_my_socket",
         {Row::Block, kMesh, BodyName<&RigidBodyPhysicsParams::m_szJointMySocket>}},
        {"rigid_body_physics_joint_to_object",
         {Row::Block, kMesh, BodyName<&RigidBodyPhysicsParams::m_szJointToObject>}},
        {"rigid_body_physics_joint_object_socket",
         {Row::Block, kMesh, BodyName<&RigidBodyPhysicsParams::m_szJointObjectSocket>}},
        {"rigid_body_physics_give_action_to", {Row::Block, kMesh, BodyName<&RigidBodyPhysicsParams::m_szGiveActionTo>}},
        {"rigid_body_physics_disable_collision_with_1", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangeBody(o, [&](RigidBodyPhysicsParams& b) {
                 CopyField(b.m_szDisableCollisionWith[0], l.Word(1), "rigid_body_physics_disable_collision_with_1");
             });
         }}},
        {"rigid_body_physics_disable_collision_with_list", {Row::Block, kMesh, [](W&, O o, Ln l) {
             constexpr int kEntries = sizeof RigidBodyPhysicsParams::m_szDisableCollisionWith /
                                      sizeof RigidBodyPhysicsParams::m_szDisableCollisionWith[0];
             const int entry = l.Int(1);
             if (entry < 0 || entry >= kEntries) {
                 ReportIndexOutOfRange("rigid_body_physics_disable_collision_with_list", entry);
                 return;
             }
             ChangeBody(o, [&](RigidBodyPhysicsParams& b) {
                 CopyField(b.m_szDisableCollisionWith[entry], l.Word(2), "rigid_body_physics_disable_collision_with_list");
             });
         }}},
        {"rigid_body_physics_sound_filename", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangeBody(o, [&](RigidBodyPhysicsParams& b) {
                 CopyField(b.m_szSoundFileName, 254, l.Word(1), "rigid_body_physics_sound_filename");
             });
         }}},
        {"rigid_body_physics_sound_params", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangeBody(o, [&](RigidBodyPhysicsParams& b) {
                 b.m_bSound = l.Bool(1);
                 b.m_fSoundParam = l.Float(2);
             });
         }}},
        {"rigid_body_physics_silence_between_sounds",
         {Row::Block, kMesh, BodyFloat<&RigidBodyPhysicsParams::m_fSilenceBetweenSounds>}},
        {"rigid_body_physics_collision_sound", {Row::Block, kMesh, [](W&, O o, Ln l) {
             ChangeBody(o, [&](RigidBodyPhysicsParams& b) {
                 b.m_fCollisionSoundDistance = l.Float(1);
                 CopyField(b.m_szCollisionSound, 254, l.Word(2), "rigid_body_physics_collision_sound");
             });
         }}},
        {"rigid_body_physics_disable_all_collisions",
         {Row::Block, kMesh, BodyBool<&RigidBodyPhysicsParams::m_bDisableAllCollisions>}},
        {"rigid_body_physics_disable_collisions_with_other_physics",
         {Row::Block, kMesh, BodyBool<&RigidBodyPhysicsParams::m_bDisableCollisionsWithOtherPhysics>}},
        {"rigid_body_physics_not_important", {Row::Block, kMesh, BodyBool<&RigidBodyPhysicsParams::m_bNotImportant>}},
        {"rigid_body_physics_construction_prefab_filename",
         {Row::Block, kMesh, BodyName<&RigidBodyPhysicsParams::m_szConstructionPrefab>}},
        {"path_generation", {Row::Block, kMesh, [](W&, O o, Ln l) {
             PathGenerationParams p;
             p.m_bEnabled = l.Bool(1);
             for (int i = 0; i < 3; ++i) p.m_fValues[i] = l.Float(i + 2);
             p.m_iCount = l.Int(5);
             g_Engine.SetPathGenerationParams(o, &p);
         }}},

        // Lights.
        {"range", {Row::Block, kLight, [](W&, O o, Ln l) { g_Engine.SetLightRange(o, l.Float(1)); }}},
        {"power", {Row::Block, kLight, [](W&, O o, Ln l) { o->m_fLightValues[0] = o->m_fLightValues[1] = l.Float(1); }}},
        {"diffuse", {Row::Block, kLight, [](W&, O o, Ln l) { o->m_vDiffuse = DV{l.Float(1), l.Float(2), l.Float(3)}; }}},
    };
    return keywords;
}

// An object header: the object is made at once from the kind and the file alone.
void Create(EWorldMgr& w, Load& load, uint8_t kind, std::string_view file) {
    load.params.Reset();
    load.params.m_bKind = kind;
    load.kind = kind;
    char name[256] = {};
    if (kind != OT_LIGHT) {
        CopyField(name, file, kind == OT_MESH ? "mesh file name" : "skin mesh file name");
        // A name too long for the descriptor fills it, and the engine refuses it.
        std::snprintf(load.params.m_szFileName, sizeof load.params.m_szFileName, "%s", name);
    }
    load.object = g_Engine.AddObject(&load.params);
    if (!load.object) {
        w.m_bError = 1;
        if (kind == OT_LIGHT) {
            w.AddErrorLine("Light failed!");
        } else {
            w.AddErrorLine(kind == OT_MESH ? "Mesh loading failed:" : "SkinMesh loading failed:");
            w.AddErrorLine(name);
        }
        w.AddErrorLine("");
        return;
    }
    load.object->m_bSpawned = 1;
    load.inBlock = true;
}

void ParseLine(EWorldMgr& w, Load& load, const WorldLine& line) {
    const std::string_view keyword = line.Keyword();
    if (keyword.empty()) return;
    if (keyword == "mesh" || keyword == "skinmesh" || keyword == "light") {
        load.inBlock = false;
        if (keyword == "light") Create(w, load, OT_LIGHT, {});
        else if (line.Word(1).size() >= 2) Create(w, load, keyword == "mesh" ? OT_MESH : OT_SKINMESH, line.Word(1));
        return;
    }
    auto found = Keywords().find(keyword);
    if (found == Keywords().end()) {
        ActionScriptLines::Apply(load.object, load.inBlock, line);
        return;
    }
    const Row& row = found->second;
    switch (row.scope) {
        case Row::Current:
            if (load.object && (row.kinds & KindBit(load.object->Type))) row.apply(w, load.object, line);
            break;
        case Row::EndingSetting:
            load.inBlock = false;
            row.apply(w, load.object, line);
            break;
        case Row::Setting:
            row.apply(w, load.object, line);
            break;
        case Row::Block:
            if (load.inBlock && load.object && (row.kinds & KindBit(load.kind))) row.apply(w, load.object, line);
            break;
    }
}

const char* KindName(uint8_t kind) { return kind == OT_SKINMESH ? "skinmesh" : kind == OT_LIGHT ? "light" : "mesh"; }

}  // namespace

bool EWorldMgr::LoadWorld(const char* fileName) {
    m_bError = 0;
    m_uErrorLines = 0;
    m_szFailedWorld[0] = 0;
    if (!FileExists(fileName)) {
        m_bError = 1;
        ReportFailure(fileName, std::strerror(errno));
        return false;
    }
    m_bFogEnabled = 0;
    m_bSkyMeshLoaded = 0;
    m_fSkyLightPitch = m_fSkyLightRotation = 0;
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(fileName, bytes)) {
        ReportFailure(fileName, std::strerror(errno));
        return false;
    }
    if (bytes.empty()) {
        ReportFailure(fileName, "the file is empty");
        return false;
    }
    ParseWorld(std::string_view(bytes.data(), bytes.size()));
    RemoveVisibilityBlockers();
    g_BezierMgr.LoadPaths(PathFileName(fileName).c_str());
    if (g_Settings.m_iDebug > 0) LogObjects();
    return true;
}

void EWorldMgr::ParseWorld(std::string_view text) {
    Load load;
    TextLines lines(text, kLineLimit);
    for (std::string_view chunk; lines.Next(chunk);) {
        WorldLine line(chunk);
        ParseLine(*this, load, line);
    }
}

std::string EWorldMgr::PathFileName(const char* worldFile) {
    std::string name = worldFile ? worldFile : "";
    // Only a "." of the file's own name counts, not one of a folder.
    const size_t folder = name.find_last_of('\\');
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (folder != std::string::npos && dot < folder)) return name + ".bzr";
    return name.substr(0, dot + 1) + "bzr";
}

bool EWorldMgr::FailedToLoad(const char* worldFile) const {
    return m_szFailedWorld[0] && worldFile && StrICmp(m_szFailedWorld, worldFile) == 0;
}

// Said once, when the load fails: the console's line and the error lines the player is shown.
void EWorldMgr::ReportFailure(const char* fileName, const char* why) {
    std::snprintf(m_szFailedWorld, sizeof m_szFailedWorld, "%s", fileName);
    g_Console.PrintStr4("The world file ", fileName, " could not be loaded: ", why);
    char line[kErrorLineSize];
    std::snprintf(line, sizeof line, "The world file %s could not be loaded:", fileName);
    AddErrorLine(line);
    AddErrorLine(why);
}

void EWorldMgr::AddErrorLine(const char* text) {
    if (m_uErrorLines >= kErrorLines) return;
    std::snprintf(m_szErrorLines[m_uErrorLines++], kErrorLineSize, "%s", text ? text : "");
}

void EWorldMgr::RemoveVisibilityBlockers() {
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        const EMesh* mesh = o.m_bUsed ? o.Mesh() : nullptr;
        if (!mesh) continue;
        const char* file = std::strrchr(mesh->m_szFileName, '\\');
        if (StrICmp(file ? file + 1 : mesh->m_szFileName, kBlockerFile) != 0) continue;
        if (!g_VisibilityBlockers.AddFromObject(&o)) g_Console.Print("visibility blocker FAILED...");
        g_Engine.DeleteObject(&o);
    }
}

void EWorldMgr::LogObjects() const {
    for (const EObjectSlot& o : g_Engine.m_Objects)
        if (o.m_bUsed && o.m_bSpawned)
            g_Console.PrintStr5("World object ", KindName(o.Type), " \"", o.m_szName, "\"");
    for (uint32_t i = 0; i < m_uErrorLines; ++i) g_Console.PrintStr2("World error line: ", m_szErrorLines[i]);
}
