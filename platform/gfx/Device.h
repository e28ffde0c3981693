#pragma once
// The graphics device and the system object that creates it, with Direct3D 9 semantics: results
// instead of exceptions, render states kept by the device and readable back, scenes bracketed by
// begin and end, a device that can be lost and must then be reset, and a reset that is refused
// while default-pool resources are still alive.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/GfxTypes.h"
#include "platform/gfx/Resource.h"
#include "platform/gfx/VertexDeclaration.h"
#include "platform/os/Message.h"

namespace gfx {

class Device {
public:
    virtual ~Device();

    // OK while the device is usable; ERR_DEVICELOST while it is lost; ERR_DEVICENOTRESET once it
    // may be reset.
    virtual Result TestCooperativeLevel() = 0;
    // ERR_INVALIDCALL while any default-pool resource (the back-buffer surface included) is alive.
    Result Reset(const PresentParameters& parameters);
    virtual Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;
    virtual Result BeginScene() = 0;
    virtual Result EndScene() = 0;
    virtual Result Present() = 0;
    // Copies a rectangle of the back buffer as ARGB, rows from the top (screenshots and tests).
    virtual Result ReadBackBuffer(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* argb) = 0;

    Result GetDeviceCaps(Caps& caps) const;
    uint32_t BehaviourFlags() const { return m_behaviourFlags; }
    const PresentParameters& Parameters() const { return m_parameters; }

    // Render target 0 is the back buffer; every call hands out a new reference to it, which
    // counts as a default-pool resource until it is released.
    Result GetRenderTarget(uint32_t index, std::unique_ptr<Surface>& surface);
    Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                              std::unique_ptr<VertexBuffer>& buffer);
    // The element list ends with DECL_END.
    Result CreateVertexDeclaration(const VertexElement* elements, std::unique_ptr<VertexDeclaration>& declaration);
    int LiveDefaultPoolResources() const { return m_ledger->liveDefaultPool; }

    Result SetRenderState(RenderState state, uint32_t value);
    Result GetRenderState(RenderState state, uint32_t& value) const;

    void SetGammaRamp(uint32_t flags, const GammaRamp& ramp);
    void GetGammaRamp(GammaRamp& ramp) const { ramp = m_gammaRamp; }

protected:
    Device(const PresentParameters& parameters, uint32_t behaviourFlags, const Caps& caps);

    virtual Result ResetDevice(const PresentParameters& parameters) = 0;
    virtual std::unique_ptr<VertexBuffer> MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool);
    virtual void ApplyRenderState(RenderState state, uint32_t value) {}
    virtual void ApplyGammaRamp(const GammaRamp& ramp) {}

    PresentParameters m_parameters;
    std::shared_ptr<ResourceLedger> m_ledger;
    bool m_inScene = false;

private:
    uint32_t m_behaviourFlags;
    Caps m_caps;
    uint32_t m_renderStates[RS_COUNT] = {};
    GammaRamp m_gammaRamp;
};

class System {
public:
    virtual ~System() = default;

    virtual Result GetAdapterDisplayMode(DisplayMode& mode) = 0;
    virtual Result GetAdapterIdentifier(AdapterIdentifier& identifier) = 0;
    // The display modes of the adapter in one format.
    virtual uint32_t GetAdapterModeCount(Format format) = 0;
    virtual Result EnumAdapterModes(Format format, uint32_t index, DisplayMode& mode) = 0;
    virtual Result CheckDeviceFormat(Format adapterFormat, uint32_t usage, Format format) = 0;
    virtual Result CheckDepthStencilMatch(Format adapterFormat, Format renderTargetFormat, Format depthFormat) = 0;
    virtual Result CreateDevice(plat::WindowHandle window, uint32_t behaviourFlags, const PresentParameters& parameters,
                                std::unique_ptr<Device>& device) = 0;
};

// The system object of the selected video backend; null when graphics cannot be had at all.
std::unique_ptr<System> CreateSystem();

}  // namespace gfx
