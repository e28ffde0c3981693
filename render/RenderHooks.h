#pragma once
// What the renderer needs from the floors above it. app/ installs every slot at start-up; tests
// install their own. A slot left as it is answers as if nothing stood above.
#include <cstdint>

#include "core/DV.h"
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

struct RenderHooks {
    // A texture that cannot be loaded ends the game.
    void (*requestQuit)() = [] {};
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
};

inline RenderHooks g_RenderHooks;
