#include "render/D3DDevice.h"

std::unique_ptr<gfx::System> g_pD3D;
std::unique_ptr<gfx::Device> g_pd3dDevice;
std::unique_ptr<gfx::Surface> g_pBackBuffer;
gfx::PresentParameters g_d3dpp;
std::unique_ptr<gfx::VertexDeclaration> g_pVertexDeclaration;
std::unique_ptr<gfx::VertexDeclaration> g_pSkinVertexDeclaration;
float g_fScaleX = 1.0f;
float g_fScaleY = 1.0f;
