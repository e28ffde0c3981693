#pragma once
// The OpenGL 3.3 core backend: the device renders into the window's GL context through SDL. The
// back buffer has the settings' size, 24 depth and 8 stencil bits, and presents without vsync.
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "platform/gfx/Device.h"

typedef void* SDL_GLContext;

namespace gfx {

class GlFixedFunction;

// The program of a running effect pass, where its device-driven uniforms live (-1: unused) and
// the values last sent to them, so that only changes are sent.
struct GlProgram {
    uint32_t name = 0;
    int32_t flipY = -1;
    int32_t alphaTestOn = -1;
    int32_t alphaRef = -1;
    int32_t alphaFunc = -1;
    mutable float sentFlipY = 0.0f;
    mutable int32_t sentAlphaTestOn = -1;
    mutable float sentAlphaRef = -1.0f;
    mutable int32_t sentAlphaFunc = -1;
};

// The sampler parameters of one texture unit, as they were last sent.
struct GlSamplerParameters {
    int32_t minFilter = -1, magFilter = -1, wrapS = -1, wrapT = -1, wrapR = -1;
    float lodBias = 0.0f, anisotropy = 1.0f;
};

// One vertex array per vertex layout and stream: the buffers with their offset and stride.
struct GlVertexArrayKey {
    uint64_t layout, vertices, indices;
    uint32_t offset, stride;
    bool operator==(const GlVertexArrayKey&) const = default;
};
struct GlVertexArrayKeyHash {
    size_t operator()(const GlVertexArrayKey& k) const {
        uint64_t h = k.layout * 0x9E3779B97F4A7C15ull ^ k.vertices * 0xC2B2AE3D27D4EB4Full ^ k.indices * 0x165667B19E3779F9ull ^
                     (uint64_t{k.offset} << 32 | k.stride);
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

// What the GL context holds as the backend last set it, shared by the device and its resources:
// resources bind their objects to fill them, and must leave the drawing bindings as the device
// knows them.
struct GlContextState {
    static constexpr uint32_t kUploadUnit = kMaxSamplers;  // a unit the draws never use
    uint32_t activeUnit = 0;
    uint32_t textures[kMaxSamplers][2] = {};  // per unit: the 2-D and the cube texture
    std::unordered_map<GlVertexArrayKey, uint32_t, GlVertexArrayKeyHash> vertexArrays;
    uint32_t vertexArray = 0;  // bound
    GlVertexArrayKey boundKey{};
    // What the drawing framebuffer has attached (the depth ~0 when unknown).
    uint32_t attachedColour = 0, attachedLevel = 0, attachedDepth = ~0u;
    // Binds a texture on the upload unit.
    void BindForUpload(uint32_t target, uint32_t name);
    // A buffer is going: the vertex arrays that use it go too.
    void ForgetBuffer(uint64_t serial);
    // A texture or renderbuffer is going: GL may give its name to the next one made, which must
    // not be taken for bound or attached.
    void ForgetTexture(uint32_t name);
    void ForgetRenderbuffer(uint32_t name);
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
    DeviceStats Stats() const override;
    // The program draws go through; null when no effect pass runs (draws then do nothing).
    void UseProgram(const GlProgram* program);
    // A program is being deleted: GL must not be thought to hold it.
    void ProgramGone(uint32_t name);
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
    void DrawIndexed(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount,
                     uint32_t instances) override;

private:
    // The fixed-function states as last sent to GL.
    struct DrawStates {
        bool depthTest = false, depthMask = true, blend = false, cull = false, multisample = true;
        uint32_t depthFunc = 0, blendSource = 0, blendDestination = 0, blendEquation = 0, polygonMode = 0,
                 frontFace = 0, cullFace = 0;
    };
    void FitWindow();
    void MakeAutoDepth();
    void KeepPresentedFrame();
    // Sends what changed of the render states, samplers, textures and vertex layout a draw needs;
    // false when nothing can be drawn.
    bool PrepareDraw(bool indexed);
    void ApplyDrawStates();
    void ApplyProgramStates();
    void ApplySamplers();
    void ApplySampler(uint32_t unit, const BaseTexture& texture);
    void BindVertexArray(bool indexed);
    void SetDepthMask(bool on);
    // While no effect pass runs, a draw goes through the built-in fixed-function pass; true when
    // that pass was started for it (and must be ended after the draw).
    bool BeginFixedFunction();
    // True while drawing into a texture: its rows are stored top first, so clip space is flipped.
    bool FlippedTarget() const { return ColourTarget() != nullptr; }
    plat::WindowHandle m_window;
    SDL_GLContext m_context;
    std::shared_ptr<GlContextState> m_gl;
    uint32_t m_framebuffer = 0;
    uint32_t m_readFramebuffer = 0;
    // The depth buffer of drawing into a texture with the automatic depth surface.
    uint32_t m_autoDepth = 0;
    uint32_t m_samplers[kMaxSamplers] = {};
    GlSamplerParameters m_samplerParameters[kMaxSamplers];
    DrawStates m_sent;
    uint32_t m_boundFramebuffer = 0;
    uint32_t m_maxAnisotropy = 1;
    const GlProgram* m_program = nullptr;
    uint32_t m_boundProgram = 0;
    uint64_t m_callsAtStart = 0;
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
