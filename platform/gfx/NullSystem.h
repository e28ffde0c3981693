#pragma once
// The recording video backend: keeps real bookkeeping and records what the game asks of the
// device, draws nothing. Tests script its failures and read its records.
#include <string>
#include <vector>

#include "platform/gfx/Device.h"

namespace gfx {

// What the null backend was asked to do, and what it should answer; shared by its system and
// devices so tests can set it up before the game creates them.
struct NullScript {
    bool systemUnavailable = false;     // CreateSystem answers null
    int createFailures = 0;             // the next k device creations fail
    std::vector<std::string> calls;     // "CreateDevice", "Clear", "BeginScene", "EndScene", "Present", ...
};

NullScript& NullBackend();
void ResetNullBackend();

std::unique_ptr<System> CreateNullSystem();

class NullDevice final : public Device {
public:
    explicit NullDevice(const PresentParameters& parameters);
    Result TestCooperativeLevel() override;
    Result Reset(const PresentParameters& parameters) override;
    Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    Result BeginScene() override;
    Result EndScene() override;
    Result Present() override;
};

class NullSystem final : public System {
public:
    Result GetAdapterDisplayMode(DisplayMode& mode) override;
    Result GetAdapterIdentifier(AdapterIdentifier& identifier) override;
    Result CheckDeviceFormat(Format adapterFormat, Format format) override;
    Result CheckDepthStencilMatch(Format adapterFormat, Format renderTargetFormat, Format depthFormat) override;
    Result CreateDevice(plat::WindowHandle window, uint32_t behaviourFlags, const PresentParameters& parameters,
                        std::unique_ptr<Device>& device) override;
};

}  // namespace gfx
