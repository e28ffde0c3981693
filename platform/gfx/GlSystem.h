#pragma once
// The OpenGL 3.3 core backend: the device renders into the window's GL context through SDL. The
// back buffer has the settings' size, 24 depth and 8 stencil bits, and presents without vsync.
#include <memory>

#include "platform/gfx/Device.h"

typedef void* SDL_GLContext;

namespace gfx {

class GlFixedFunction;

// The program of a running effect pass and where its device-driven uniforms live (-1: unused).
struct GlProgram {
    uint32_t name = 0;
    int32_t flipY = -1;
    int32_t alphaTestOn = -1;
    int32_t alphaRef = -1;
    int32_t alphaFunc = -1;
};

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
    std::unique_ptr<Effect> MakeEffect(const EffectDesc& desc) override;
    // The program draws go through; null when no effect pass runs (draws then do nothing).
    void UseProgram(const GlProgram* program);
    const GlProgram* CurrentProgram() const { return m_program; }
    const std::shared_ptr<ResourceLedger>& SharedLedger() const { return m_ledger; }

protected:
    Result ResetDevice(const PresentParameters& parameters) override;
    std::unique_ptr<VertexBuffer> MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool) override;
    std::unique_ptr<IndexBuffer> MakeIndexBuffer(uint32_t length, uint32_t usage, IndexFormat format,
                                                 Pool pool) override;
    std::unique_ptr<Texture> MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                         Format format, Pool pool) override;
    std::unique_ptr<CubeTexture> MakeCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format,
                                                 Pool pool) override;
    std::unique_ptr<Surface> MakeDepthStencilSurface(uint32_t width, uint32_t height, Format format) override;
    void ApplyGammaRamp(const GammaRamp& ramp) override;
    void ApplyTargets() override;
    Result ReadTarget(const Surface& renderTarget, Surface& destination) override;
    void WriteBackBuffer(int32_t x, int32_t y, uint32_t width, uint32_t height, const uint32_t* argb,
                         uint32_t pitchPixels) override;
    void Draw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
    void DrawIndexed(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount) override;

private:
    void FitWindow();
    void KeepPresentedFrame();
    // Sends the render states, samplers, textures and vertex layout a draw needs; false when
    // nothing can be drawn.
    bool PrepareDraw();
    void ApplyDrawStates();
    void ApplySamplers();
    void ApplyVertexLayout(uint32_t extraOffset);
    // While no effect pass runs, a draw goes through the built-in fixed-function pass; true when
    // that pass was started for it (and must be ended after the draw).
    bool BeginFixedFunction();
    // True while drawing into a texture: its rows are stored top first, so clip space is flipped.
    bool FlippedTarget() const { return ColourTarget() != nullptr; }
    plat::WindowHandle m_window;
    SDL_GLContext m_context;
    uint32_t m_vertexArray = 0;
    uint32_t m_framebuffer = 0;
    uint32_t m_readFramebuffer = 0;
    uint32_t m_samplers[kMaxSamplers] = {};
    const GlProgram* m_program = nullptr;
    // The frame last presented, kept for reading until the next frame starts to be drawn.
    bool m_doubleBuffered = false;
    uint32_t m_presentedFramebuffer = 0;
    uint32_t m_presentedColour = 0;
    int m_presentedWidth = 0;
    int m_presentedHeight = 0;
    bool m_presented = false;
    std::unique_ptr<GlFixedFunction> m_fixedFunction;
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
