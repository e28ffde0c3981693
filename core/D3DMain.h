#pragma once
// Owns the graphics device: creation with its fallbacks, the frame sequence, the window
// messages that reach input, release, and the saved video settings "save\video.cfg".
#include <cstdint>
#include <memory>

#include "platform/gfx/Device.h"

class D3DMain {
public:
    D3DMain();
    virtual ~D3DMain();

    void Create(plat::WindowHandle window);
    gfx::Result RenderFrame();
    void Release();
    int64_t MessageHook(plat::WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);

    void SetDefaultRenderStates();
    void SaveVideoConfig();
    bool LoadVideoConfig();
    void SetVideoDefaults();

    uint32_t version;
    uint8_t m_bCreated;
};

extern D3DMain g_D3DMain;
// The graphics system ("interface") and device, shared with the renderer.
extern std::unique_ptr<gfx::System> g_pD3D;
extern std::unique_ptr<gfx::Device> g_pd3dDevice;
// The present parameters of the last creation, used again for every reset.
extern gfx::PresentParameters g_d3dpp;
