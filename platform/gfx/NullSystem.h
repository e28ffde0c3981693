#pragma once
// The recording video backend: keeps real bookkeeping and records what the game asks of the
// device, draws nothing. Tests script its answers and read its records.
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/gfx/Device.h"

namespace gfx {

// What the null backend was asked to do, and what it should answer; shared by its system and
// devices so tests can set it up before the game creates them.
struct NullScript {
    bool systemUnavailable = false;        // CreateSystem answers null
    bool displayModeFails = false;         // GetAdapterDisplayMode fails
    int createFailures = 0;                // the next k device creations fail
    int vertexBufferFailures = 0;          // the next k vertex buffer creations fail
    std::set<Format> unsupportedFormats;   // CheckDeviceFormat refuses these
    std::set<Format> unmatchedDepthFormats;  // CheckDepthStencilMatch refuses these
    std::vector<DisplayMode> displayModes = {{640, 480, 60, FMT_X8R8G8B8},   {800, 600, 60, FMT_X8R8G8B8},
                                             {1024, 768, 60, FMT_X8R8G8B8},  {1280, 720, 60, FMT_X8R8G8B8},
                                             {1920, 1080, 60, FMT_X8R8G8B8}};
    Caps caps;                             // what every new device reports
    // Answers of the next TestCooperativeLevel calls; the device stays in the last state answered.
    std::deque<Result> cooperativeLevels;
    // Answers of the next resets that get past the resource check (OK or an error).
    std::deque<Result> resetResults;
    std::vector<uint32_t> createFlags;     // behaviour flags of every CreateDevice call
    std::vector<std::string> calls;        // "CreateDevice", "Reset", "Clear", "BeginScene", ...
    int textureFailures = 0;               // the next k texture creations fail
    int depthSurfaceFailures = 0;          // the next k depth-stencil surface creations fail
    // Every render state sent, in order.
    std::vector<std::pair<RenderState, uint32_t>> renderStates;
    // The instance count of every indexed draw, in order.
    std::vector<uint32_t> drawnInstances;
};

NullScript& NullBackend();
void ResetNullBackend();

std::unique_ptr<System> CreateNullSystem();

class NullDevice final : public Device {
public:
    NullDevice(const PresentParameters& parameters, uint32_t behaviourFlags);
    Result TestCooperativeLevel() override;
    Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    Result BeginScene() override;
    Result EndScene() override;
    Result Present() override;
    Result ReadBackBuffer(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* argb) override;

protected:
    Result ResetDevice(const PresentParameters& parameters) override;
    std::unique_ptr<VertexBuffer> MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool) override;
    std::unique_ptr<Texture> MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                         Format format, Pool pool) override;
    std::unique_ptr<Surface> MakeDepthStencilSurface(uint32_t width, uint32_t height, Format format) override;
    void ApplyRenderState(RenderState state, uint32_t value) override;
    Result ReadTarget(const Surface& renderTarget, Surface& destination) override;
    void WriteBackBuffer(int32_t x, int32_t y, uint32_t width, uint32_t height, const uint32_t* argb,
                         uint32_t pitchPixels) override;
    void Draw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
    void DrawIndexed(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount,
                     uint32_t instances) override;

private:
    Result m_state = OK;          // what TestCooperativeLevel answers when nothing is scripted
    uint32_t m_clearColour = 0;   // every target holds the last clear colour: nothing is drawn
};

class NullSystem final : public System {
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
