#pragma once
// The graphics device and the system object that creates it, with Direct3D 9 semantics: results
// instead of exceptions, render states kept by the device and readable back, scenes bracketed by
// begin and end, a device that can be lost and must then be reset.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/GfxTypes.h"
#include "platform/os/Message.h"

namespace gfx {

class Device {
public:
    virtual ~Device() = default;

    virtual Result TestCooperativeLevel() = 0;
    virtual Result Reset(const PresentParameters& parameters) = 0;
    virtual Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;
    virtual Result BeginScene() = 0;
    virtual Result EndScene() = 0;
    virtual Result Present() = 0;

    Result SetRenderState(RenderState state, uint32_t value);
    Result GetRenderState(RenderState state, uint32_t& value) const;

    const PresentParameters& Parameters() const { return m_parameters; }

protected:
    virtual void ApplyRenderState(RenderState state, uint32_t value) {}
    PresentParameters m_parameters;
    bool m_inScene = false;

private:
    uint32_t m_renderStates[RS_COUNT] = {};
};

class System {
public:
    virtual ~System() = default;

    virtual Result GetAdapterDisplayMode(DisplayMode& mode) = 0;
    virtual Result GetAdapterIdentifier(AdapterIdentifier& identifier) = 0;
    virtual Result CheckDeviceFormat(Format adapterFormat, Format format) = 0;
    virtual Result CheckDepthStencilMatch(Format adapterFormat, Format renderTargetFormat, Format depthFormat) = 0;
    virtual Result CreateDevice(plat::WindowHandle window, uint32_t behaviourFlags, const PresentParameters& parameters,
                                std::unique_ptr<Device>& device) = 0;
};

// The system object of the selected video backend; null when graphics cannot be had at all.
std::unique_ptr<System> CreateSystem();

}  // namespace gfx
