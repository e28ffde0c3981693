#pragma once
// Owns the graphics device: creation with its fallbacks, the adapter and capability reports, the
// default render states, the frame sequence, the window messages that reach input, release, and
// the saved video settings "save\video.cfg".
#include <cstdint>

#include "platform/gfx/Device.h"
#include "render/D3DDevice.h"

class D3DMain {
public:
    // "save\video.cfg": version word, then the fields in this order.
    static constexpr uint32_t kVideoConfigSize = 23;

    D3DMain();
    virtual ~D3DMain();

    // Success is m_bCreated.
    void Create(plat::WindowHandle window);
    gfx::Result RenderFrame();
    void Release();
    int64_t MessageHook(plat::WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);

    void SetDefaultRenderStates();
    void SaveVideoConfig();
    // True when the file was read; otherwise the video defaults are applied (and saved).
    bool LoadVideoConfig();
    void SetVideoDefaults();

    void CheckPixelShaders();
    // The first depth-stencil format, in a fixed order, that meets the minimum bit counts and
    // that the adapter supports with this display format.
    bool FindStencilFormat(gfx::Format adapterFormat, gfx::Format& format);
    void ReportCaps();
    void ReportAdapter();

    uint32_t version;
    int32_t m_iMinDepthBits;
    int32_t m_iMinStencilBits;
    uint8_t m_bCreated;
};

extern D3DMain g_D3DMain;
