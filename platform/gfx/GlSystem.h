#pragma once
// The OpenGL 3.3 core backend: the device renders into the window's GL context through SDL. The
// back buffer has the settings' size, 24 depth and 8 stencil bits, and presents without vsync.
#include "platform/gfx/Device.h"

typedef void* SDL_GLContext;

namespace gfx {

class GlDevice final : public Device {
public:
    GlDevice(plat::WindowHandle window, SDL_GLContext context, uint32_t behaviourFlags,
             const PresentParameters& parameters);
    ~GlDevice() override;
    Result TestCooperativeLevel() override;
    Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    Result BeginScene() override;
    Result EndScene() override;
    Result Present() override;
    Result ReadBackBuffer(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* argb) override;

protected:
    Result ResetDevice(const PresentParameters& parameters) override;
    std::unique_ptr<VertexBuffer> MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool) override;
    void ApplyGammaRamp(const GammaRamp& ramp) override;

private:
    void FitWindow();
    plat::WindowHandle m_window;
    SDL_GLContext m_context;
};

class GlSystem final : public System {
public:
    Result GetAdapterDisplayMode(DisplayMode& mode) override;
    Result GetAdapterIdentifier(AdapterIdentifier& identifier) override;
    uint32_t GetAdapterModeCount(Format format) override;
    Result EnumAdapterModes(Format format, uint32_t index, DisplayMode& mode) override;
    Result CheckDeviceFormat(Format adapterFormat, uint32_t usage, Format format) override;
    Result CheckDepthStencilMatch(Format adapterFormat, Format renderTargetFormat, Format depthFormat) override;
    Result CreateDevice(plat::WindowHandle window, uint32_t behaviourFlags, const PresentParameters& parameters,
                        std::unique_ptr<Device>& device) override;
};

}  // namespace gfx
