#pragma once
// The graphics system and device every drawing component shares. app/'s D3DMain makes and
// releases them; the focus manager resets the device.
#include <memory>

#include "platform/gfx/Device.h"

// The graphics system ("interface") and device.
extern std::unique_ptr<gfx::System> g_pD3D;
extern std::unique_ptr<gfx::Device> g_pd3dDevice;
// Render target 0 as taken after creation and after every reset; released before a reset.
extern std::unique_ptr<gfx::Surface> g_pBackBuffer;
// The present parameters of the last successful creation, used again for every reset.
extern gfx::PresentParameters g_d3dpp;
// The engine's mesh vertex layout (36 bytes) and the skinned-mesh layout (52 bytes).
extern std::unique_ptr<gfx::VertexDeclaration> g_pVertexDeclaration;
extern std::unique_ptr<gfx::VertexDeclaration> g_pSkinVertexDeclaration;
// The 2-D scale factors as they were when the device was made.
extern float g_fScaleX;
extern float g_fScaleY;
