#pragma once
// The OpenGL 3.3 core backend: the device renders into the window's GL context through SDL.
#include "platform/gfx/Device.h"

typedef void* SDL_GLContext;

namespace gfx {

class GlDevice final : public Device {
public:
    GlDevice(plat::WindowHandle window, SDL_GLContext context, const PresentParameters& parameters);
    ~GlDevice() override;
    Result TestCooperativeLevel() override;
    Result Reset(const PresentParameters& parameters) override;
    Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    Result BeginScene() override;
    Result EndScene() override;
    Result Present() override;

private:
    void FitWindow();
    plat::WindowHandle m_window;
    SDL_GLContext m_context;
};

class GlSystem final : public System {
public:
    Result GetAdapterDisplayMode(DisplayMode& mode) override;
    Result GetAdapterIdentifier(AdapterIdentifier& identifier) override;
    Result CheckDeviceFormat(Format adapterFormat, Format format) override;
    Result CheckDepthStencilMatch(Format adapterFormat, Format renderTargetFormat, Format depthFormat) override;
    Result CreateDevice(plat::WindowHandle window, uint32_t behaviourFlags, const PresentParameters& parameters,
                        std::unique_ptr<Device>& device) override;
};

}  // namespace gfx
