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
constexpr gfx::VertexElement kMeshVertexElements[] = {
    {0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
    {0, 12, gfx::DECLTYPE_D3DCOLOR, 0, gfx::DECLUSAGE_COLOR, 0},
    {0, 16, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_NORMAL, 0},
    {0, 28, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
    gfx::DECL_END,
};
constexpr gfx::VertexElement kSkinVertexElements[] = {
    {0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
    {0, 12, gfx::DECLTYPE_FLOAT4, 0, gfx::DECLUSAGE_BLENDWEIGHT, 0},
    {0, 28, gfx::DECLTYPE_UBYTE4, 0, gfx::DECLUSAGE_BLENDINDICES, 0},
    {0, 32, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_NORMAL, 0},
    {0, 44, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
    gfx::DECL_END,
};
extern std::unique_ptr<gfx::VertexDeclaration> g_pVertexDeclaration;
extern std::unique_ptr<gfx::VertexDeclaration> g_pSkinVertexDeclaration;
// The 2-D scale factors as they were when the device was made.
extern float g_fScaleX;
extern float g_fScaleY;
