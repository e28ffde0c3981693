#include "platform/gfx/NullSystem.h"

namespace gfx {

NullScript& NullBackend() {
    static NullScript script;
    return script;
}

void ResetNullBackend() { NullBackend() = NullScript{}; }

std::unique_ptr<System> CreateNullSystem() {
    if (NullBackend().systemUnavailable) return nullptr;
    return std::make_unique<NullSystem>();
}

namespace {
void Record(const char* call) { NullBackend().calls.emplace_back(call); }
}  // namespace

NullDevice::NullDevice(const PresentParameters& parameters) { m_parameters = parameters; }

Result NullDevice::TestCooperativeLevel() { return OK; }

Result NullDevice::Reset(const PresentParameters& parameters) {
    Record("Reset");
    m_parameters = parameters;
    return OK;
}

Result NullDevice::Clear(uint32_t, uint32_t, float, uint32_t) {
    Record("Clear");
    return OK;
}

Result NullDevice::BeginScene() {
    Record("BeginScene");
    if (m_inScene) return ERR_INVALIDCALL;
    m_inScene = true;
    return OK;
}

Result NullDevice::EndScene() {
    Record("EndScene");
    if (!m_inScene) return ERR_INVALIDCALL;
    m_inScene = false;
    return OK;
}

Result NullDevice::Present() {
    Record("Present");
    return m_inScene ? ERR_INVALIDCALL : OK;
}

Result NullSystem::GetAdapterDisplayMode(DisplayMode& mode) {
    mode = DisplayMode{1024, 768, 60, FMT_X8R8G8B8};
    return OK;
}

Result NullSystem::GetAdapterIdentifier(AdapterIdentifier& identifier) {
    identifier = {"null", "Recording device"};
    return OK;
}

Result NullSystem::CheckDeviceFormat(Format, Format) { return OK; }
Result NullSystem::CheckDepthStencilMatch(Format, Format, Format) { return OK; }

Result NullSystem::CreateDevice(plat::WindowHandle, uint32_t, const PresentParameters& parameters,
                                std::unique_ptr<Device>& device) {
    Record("CreateDevice");
    if (NullBackend().createFailures > 0) {
        --NullBackend().createFailures;
        return ERR_NOTAVAILABLE;
    }
    device = std::make_unique<NullDevice>(parameters);
    return OK;
}

}  // namespace gfx
