#pragma once
// What the renderer needs from the floors above it. app/ installs every slot at start-up; tests
// install their own. A slot left as it is answers as if nothing stood above.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "platform/math/Matrix.h"
#include "render/DrawRecord.h"

// The shader constants of the frame's camera and light sets, filled by the engine for the scene
// pass.
struct ShaderLights {
    pmath::Matrix m_View;
    pmath::Matrix m_Projection;
    pmath::Matrix m_ViewInverse;
    // The eye with w = 1.
    pmath::Vec4 m_vCameraPosition;
    // The sky's four light sets, each channel 0..1.
    pmath::Vec4 m_vLightSets[4];
};

class ERect;
struct SoundRecord;

// What the effects and the power lines read of an engine object (engine objects are handed to
// them as their DrawVisibility part, an identity they never dereference).
struct EffectObject {
    DV position;
    EOrientation orientation;
    float cameraDistance = 0;
    // An effect on an object farther than 512 from the camera spawns children only when it is set.
    bool alwaysRelevant = false;
};

// The filters of the effects' segment queries, each named by what it lets be hit.
enum class EffectRay : uint8_t {
    // Not skinned meshes and not objects of class 8 (falling blood).
    BloodDrop,
    // Neither the ignored object nor characters that are not active (tracers, mortar shells).
    NotIgnoredActive,
    // Not objects of class 128 (the ground under an effect).
    NotClass128,
    // Plain meshes other than the ignored object, not of classes 2 or 32 nor with bit 8.
    StaticMeshes,
    // Meshes and live skinned meshes (what hides a light sprite).
    MeshesAndLiveSkinMeshes,
    // Everything (bombs, rockets and shells, whose own objects are made non-colliding first).
    Everything,
    // Neither of the two ignored objects nor the classes the switches skip (blood stains, shells).
    Configurable,
};

struct EffectSegment {
    DV from;
    DV to;
    EffectRay ray = EffectRay::Everything;
    const DrawVisibility* ignore = nullptr;
    const DrawVisibility* ignore2 = nullptr;
    bool skipClass4 = false;
    bool skipClass2And32 = false;
    bool skipClass16 = false;
    // The query's own flag.
    bool flag = false;
    // A skinned mesh counts only when hit within this distance of the start.
    float range = 5000.0f;
};

struct EffectHit {
    DV point;
    DV normal;
    const DrawVisibility* object = nullptr;
    // The object's solid flag.
    bool solid = false;
    // The object names a texture that paint goes to (blood leaves no stain on it).
    bool paintTarget = false;
    // The texture of the face hit; 0 when unknown.
    uint32_t textureId = 0;
};

struct RenderHooks {
    // A texture that cannot be loaded ends the game after the frame; why says which and what is
    // wrong with it, for the player.
    void (*quitOnError)(const char* why) = [](const char*) {};
    bool (*menuActive)() = [] { return false; };
    bool (*cutscenePlaying)() = [] { return false; };
    // The engine's frame count since the world started.
    uint32_t (*engineFrame)() = [] { return 0u; };
    // Where the camera stands; the shadow maps are centred on it.
    DV (*cameraPosition)() = [] { return DV{}; };
    // The main game's frame count since the world started (post-processing waits for the level
    // start to pass) and whether its intro runs (the intro's time of day is fixed).
    uint32_t (*gameFrame)() = [] { return 0u; };
    bool (*introRunning)() = [] { return false; };
    // Seconds since the world started, and the engine's running clock.
    float (*levelTime)() = [] { return 0.0f; };
    float (*engineClock)() = [] { return 0.0f; };
    // The engine's object table, walked by the shadow-map pass.
    DrawObjectTable (*objectTable)() = [] { return DrawObjectTable{}; };
    // The camera: its far plane, its clear colour (the fog colour), and its projection rebuilt
    // (filling g_DrawCamera again).
    void (*setCameraFarZ)(float distance) = [](float) {};
    void (*setClearColour)(uint32_t colour) = [](uint32_t) {};
    void (*rebuildCameraProjection)() = [] {};
    // The sky dome: an engine object of the mesh kind made from a mesh file, and its deletion.
    const DrawVisibility* (*createSkyDome)(const char* meshFile) = [](const char*) -> const DrawVisibility* {
        return nullptr;
    };
    void (*deleteObject)(const DrawVisibility* object) = [](const DrawVisibility*) {};
    // Drawn by the floors above in the renderer's frame: the overview map's target (before the
    // scene) and the grass (after the alpha-tested pass); the light and effect counts overlay.
    void (*renderOverviewMap)() = [] {};
    void (*renderGrass)() = [] {};
    void (*drawLightCounts)() = [] {};
    // The engine fills the camera and light constants and each visible object's shader matrices.
    void (*setShaderLights)(ShaderLights& constants) = [](ShaderLights&) {};
    // The menu's full-screen picture drawing (cropped to the screen's aspect); the loading screen
    // shows its picture with it.
    void (*drawTextBox)(ERect& quad) = [](ERect&) {};

    // ---- The effects and the power lines -------------------------------------------------------
    // The running world's name, as it was requested ("" when none runs).
    const char* (*worldName)() = [] { return ""; };
    // The object of that name, or null.
    const DrawVisibility* (*findObject)(const char* name) = [](const char*) -> const DrawVisibility* {
        return nullptr;
    };
    // False when the object is not in use.
    bool (*effectObject)(const DrawVisibility* object, EffectObject& out) = [](const DrawVisibility*, EffectObject&) {
        return false;
    };
    // The world position (and the orientation when asked) of a socket of the object; false when the
    // object has no socket of that name.
    bool (*objectSocket)(const DrawVisibility* object, const char* socket, DV& position, EOrientation* orientation) =
        [](const DrawVisibility*, const char*, DV&, EOrientation*) { return false; };
    // A mesh object made for an effect (turned only when an orientation is given), scaled and marked as
    // the effect's own; null when it cannot be made.
    const DrawVisibility* (*createEffectMesh)(const char* file, uint32_t flags, uint32_t flags2, const DV& position,
                                              const EOrientation* orientation, const DV& scale) =
        [](const char*, uint32_t, uint32_t, const DV&, const EOrientation*, const DV&) -> const DrawVisibility* {
        return nullptr;
    };
    void (*moveObject)(const DrawVisibility* object, const DV& position) = [](const DrawVisibility*, const DV&) {};
    void (*turnObject)(const DrawVisibility* object, const EOrientation& orientation) =
        [](const DrawVisibility*, const EOrientation&) {};
    void (*scaleObject)(const DrawVisibility* object, const DV& scale) = [](const DrawVisibility*, const DV&) {};
    // flags = (flags & ~mask) | (value & mask).
    void (*setObjectFlags)(const DrawVisibility* object, uint32_t value, uint32_t mask) =
        [](const DrawVisibility*, uint32_t, uint32_t) {};
    // Pushes and damages what stands around the point.
    void (*applyExplosion)(const DV& position, float strength) = [](const DV&, float) {};
    // The effects' sounds: one played to its end, and a looping one the effect keeps and releases.
    void (*playSound3D)(const char* file, const DV& position, float range) = [](const char*, const DV&, float) {};
    SoundRecord* (*startLoopingSound3D)(const char* file, const DV& position, float range) =
        [](const char*, const DV&, float) -> SoundRecord* { return nullptr; };
    void (*releaseSound)(SoundRecord* sound) = [](SoundRecord*) {};
    // The first thing the segment meets that its filter lets be hit; false when nothing is hit.
    bool (*effectSegment)(const EffectSegment& segment, EffectHit& hit) = [](const EffectSegment&, EffectHit&) {
        return false;
    };
};

inline RenderHooks g_RenderHooks;
