#pragma once
// What the renderer needs from the floors above it. app/ installs every slot at start-up; tests
// install their own. A slot left as it is answers as if nothing stood above.
#include <cstdint>

#include "core/DV.h"
#include "platform/math/Matrix.h"

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
struct DrawVisibility;

struct RenderHooks {
    // A texture that cannot be loaded ends the game.
    void (*requestQuit)() = [] {};
    bool (*menuActive)() = [] { return false; };
    bool (*cutscenePlaying)() = [] { return false; };
    // The engine's frame count since the world started.
    uint32_t (*engineFrame)() = [] { return 0u; };
    // Where the camera stands; the shadow maps are centred on it.
    DV (*cameraPosition)() = [] { return DV{}; };
    // The engine fills the camera and light constants and each visible object's shader matrices.
    void (*setShaderLights)(ShaderLights& constants) = [](ShaderLights&) {};
    // The sky dome: an engine object of the mesh kind made from a mesh file, and its deletion.
    const DrawVisibility* (*createSkyDome)(const char* meshFile) = [](const char*) -> const DrawVisibility* {
        return nullptr;
    };
    void (*deleteObject)(const DrawVisibility* object) = [](const DrawVisibility*) {};
    // The menu's full-screen picture drawing (cropped to the screen's aspect); the loading screen
    // shows its picture with it.
    void (*drawTextBox)(ERect& quad) = [](ERect&) {};
};

inline RenderHooks g_RenderHooks;
