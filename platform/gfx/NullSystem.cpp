#include "platform/gfx/NullSystem.h"

#include <algorithm>

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

// Takes the next scripted answer, if any.
// Counts down a scripted number of failures; true when this call fails.
bool ScriptedFailure(int& failures) {
    if (failures <= 0) return false;
    --failures;
    return true;
}

bool NextScripted(std::deque<Result>& answers, Result& answer) {
    if (answers.empty()) return false;
    answer = answers.front();
    answers.pop_front();
    return true;
}

}  // namespace

NullDevice::NullDevice(const PresentParameters& parameters, uint32_t behaviourFlags)
    : Device(parameters, behaviourFlags, NullBackend().caps) {}

Result NullDevice::TestCooperativeLevel() {
    NextScripted(NullBackend().cooperativeLevels, m_state);
    return m_state;
}

Result NullDevice::ResetDevice(const PresentParameters& parameters) {
    Record("Reset");
    // A device that is still lost cannot be reset yet.
    if (m_state == ERR_DEVICELOST) return ERR_DEVICELOST;
    Result result = OK;
    NextScripted(NullBackend().resetResults, result);
    if (result == ERR_DEVICELOST) m_state = ERR_DEVICELOST;
    if (Failed(result)) return result;
    m_parameters = parameters;
    m_state = OK;
    return OK;
}

std::unique_ptr<VertexBuffer> NullDevice::MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                                           Pool pool) {
    if (ScriptedFailure(NullBackend().vertexBufferFailures)) return nullptr;
    return Device::MakeVertexBuffer(length, usage, fvf, pool);
}

std::unique_ptr<Texture> NullDevice::MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                                 Format format, Pool pool) {
    if (ScriptedFailure(NullBackend().textureFailures)) return nullptr;
    return Device::MakeTexture(width, height, levels, usage, format, pool);
}

std::unique_ptr<Surface> NullDevice::MakeDepthStencilSurface(uint32_t width, uint32_t height, Format format) {
    if (ScriptedFailure(NullBackend().depthSurfaceFailures)) return nullptr;
    return Device::MakeDepthStencilSurface(width, height, format);
}

void NullDevice::ApplyRenderState(RenderState state, uint32_t value) {
    NullBackend().renderStates.emplace_back(state, value);
}

Result NullDevice::ReadTarget(const Surface& renderTarget, Surface& destination) {
    Record("GetRenderTargetData");
    auto* pixels = reinterpret_cast<uint32_t*>(destination.Pixels());
    std::fill_n(pixels, size_t{destination.Width()} * destination.Height(), m_clearColour);
    return OK;
}

void NullDevice::WriteBackBuffer(int32_t, int32_t, uint32_t, uint32_t, const uint32_t*, uint32_t) {
    Record("UpdateSurface");
}

void NullDevice::Draw(PrimitiveType, uint32_t, uint32_t) { Record("DrawPrimitive"); }

void NullDevice::DrawIndexed(PrimitiveType, int32_t, uint32_t, uint32_t, uint32_t instances) {
    Record("DrawIndexedPrimitive");
    NullBackend().drawnInstances.push_back(instances);
}

Result NullDevice::Clear(uint32_t flags, uint32_t colour, float, uint32_t) {
    Record("Clear");
    if (flags & CLEAR_TARGET) m_clearColour = colour;
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
    if (m_inScene) return ERR_INVALIDCALL;
    return m_state == OK ? OK : ERR_DEVICELOST;
}

Result NullDevice::ReadBackBuffer(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* argb) {
    if (!argb || x + width > m_parameters.backBufferWidth || y + height > m_parameters.backBufferHeight)
        return ERR_INVALIDCALL;
    for (uint32_t i = 0; i < width * height; ++i) argb[i] = m_clearColour;
    return OK;
}

Result NullSystem::GetAdapterDisplayMode(DisplayMode& mode) {
    if (NullBackend().displayModeFails) return ERR_NOTAVAILABLE;
    mode = DisplayMode{1024, 768, 60, FMT_X8R8G8B8};
    return OK;
}

Result NullSystem::GetAdapterIdentifier(AdapterIdentifier& identifier) {
    identifier = {"null", "Recording device"};
    return OK;
}

uint32_t NullSystem::GetAdapterModeCount(Format format) {
    uint32_t count = 0;
    for (const DisplayMode& m : NullBackend().displayModes) count += m.format == format;
    return count;
}

Result NullSystem::EnumAdapterModes(Format format, uint32_t index, DisplayMode& mode) {
    for (const DisplayMode& m : NullBackend().displayModes) {
        if (m.format != format) continue;
        if (index-- == 0) {
            mode = m;
            return OK;
        }
    }
    return ERR_INVALIDCALL;
}

Result NullSystem::CheckDeviceFormat(Format, uint32_t, Format format) {
    return NullBackend().unsupportedFormats.count(format) ? ERR_NOTAVAILABLE : OK;
}

Result NullSystem::CheckDepthStencilMatch(Format, Format, Format depthFormat) {
    return NullBackend().unmatchedDepthFormats.count(depthFormat) ? ERR_NOTAVAILABLE : OK;
}

Result NullSystem::CreateDevice(plat::WindowHandle, uint32_t behaviourFlags, const PresentParameters& parameters,
                                std::unique_ptr<Device>& device) {
    Record("CreateDevice");
    NullBackend().createFlags.push_back(behaviourFlags);
    if (NullBackend().createFailures > 0) {
        --NullBackend().createFailures;
        return ERR_NOTAVAILABLE;
    }
    device = std::make_unique<NullDevice>(parameters, behaviourFlags);
    return OK;
}

}  // namespace gfx
