#pragma once
// The graphics device and the system object that creates it, with Direct3D 9 semantics: results
// instead of exceptions, render states kept by the device and readable back, scenes bracketed by
// begin and end, a device that can be lost and must then be reset, and a reset that is refused
// while default-pool resources are still alive.
#include <cstdint>
#include <memory>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/gfx/GfxTypes.h"
#include "platform/gfx/Resource.h"
#include "platform/gfx/VertexDeclaration.h"
#include "platform/math/Matrix.h"
#include "platform/os/Message.h"

namespace gfx {

class Effect;
struct EffectDesc;

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

    // Render target 0 starts as the back buffer; every call hands out a new reference to the
    // current one, which counts as a default-pool resource until it is released.
    Result GetRenderTarget(uint32_t index, std::unique_ptr<Surface>& surface);
    // Null, the back buffer or a level of a render-target texture; the viewport becomes the
    // whole target.
    Result SetRenderTarget(uint32_t index, const Surface* surface);
    // A reference to the depth-stencil surface in use (the automatic one at first).
    Result GetDepthStencilSurface(std::unique_ptr<Surface>& surface);
    Result SetDepthStencilSurface(const Surface* surface);
    Result SetViewport(const Viewport& viewport);
    Result GetViewport(Viewport& viewport) const;
    // Copies a render-target surface into a system-memory surface of the same size and format.
    Result GetRenderTargetData(const Surface& renderTarget, Surface& destination);
    // A new reference to the back buffer (chain 0, buffer 0), whatever render target is set.
    Result GetBackBuffer(std::unique_ptr<Surface>& surface);
    // Copies a rectangle of a system-memory surface (the whole one when null), unscaled and
    // unblended, to a point of the back buffer (the top left when null); the formats must match.
    Result UpdateSurface(const Surface& source, const Rect* sourceRect, const Surface& destination,
                         const Point* destPoint);

    Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                              std::unique_ptr<VertexBuffer>& buffer);
    Result CreateIndexBuffer(uint32_t length, uint32_t usage, IndexFormat format, Pool pool,
                             std::unique_ptr<IndexBuffer>& buffer);
    // levels 0 makes the whole mip chain. Render targets live in the default pool.
    Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool,
                         std::unique_ptr<Texture>& texture);
    Result CreateCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format, Pool pool,
                             std::unique_ptr<CubeTexture>& texture);
    Result CreateDepthStencilSurface(uint32_t width, uint32_t height, Format format, bool discard,
                                     std::unique_ptr<Surface>& surface);
    Result CreateOffscreenPlainSurface(uint32_t width, uint32_t height, Format format, Pool pool,
                                       std::unique_ptr<Surface>& surface);
    // The element list ends with DECL_END.
    Result CreateVertexDeclaration(const VertexElement* elements, std::unique_ptr<VertexDeclaration>& declaration);
    int LiveDefaultPoolResources() const { return m_ledger->liveDefaultPool; }

    Result SetRenderState(RenderState state, uint32_t value);
    Result GetRenderState(RenderState state, uint32_t& value) const;
    Result SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value);
    Result GetSamplerState(uint32_t sampler, SamplerState type, uint32_t& value) const;
    Result SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value);
    Result GetTextureStageState(uint32_t stage, uint32_t type, uint32_t& value) const;
    Result SetTransform(TransformState state, const pmath::Matrix& matrix);
    Result GetTransform(TransformState state, pmath::Matrix& matrix) const;
    // Stages 0 to 15; null unbinds.
    Result SetTexture(uint32_t stage, const BaseTexture* texture);
    const BaseTexture* GetTexture(uint32_t stage) const;

    Result SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t offset, uint32_t stride);
    // Stream 0 only. 1 (the default) draws plainly; STREAMSOURCE_INDEXEDDATA | n makes every
    // indexed draw draw its geometry n times. The effects tell the instances apart (their
    // per-instance values are effect parameters indexed by the instance number).
    Result SetStreamSourceFreq(uint32_t stream, uint32_t setting);
    Result GetStreamSource(uint32_t stream, const VertexBuffer*& buffer, uint32_t& offset, uint32_t& stride) const;
    Result SetIndices(const IndexBuffer* buffer);
    Result SetVertexDeclaration(const VertexDeclaration* declaration);
    const VertexDeclaration* GetVertexDeclaration() const { return m_declaration; }
    Result SetFVF(uint32_t fvf);
    uint32_t GetFVF() const { return m_fvf; }
    // The layer has no shader objects of its own (effects own their programs): only null, which
    // ends whatever program the last effect pass left in use.
    Result SetVertexShader(std::nullptr_t);
    Result SetPixelShader(std::nullptr_t);
    // Draws from stream 0 through the running effect pass, with the vertex declaration or the
    // flexible vertex format set.
    Result DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount);
    Result DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                uint32_t startIndex, uint32_t primitiveCount);

    // An effect of this device from a parsed effect file; false when a backend cannot make it.
    virtual std::unique_ptr<Effect> MakeEffect(const EffectDesc& desc);

    virtual DeviceStats Stats() const { return m_stats; }

    void SetGammaRamp(uint32_t flags, const GammaRamp& ramp);
    void GetGammaRamp(GammaRamp& ramp) const { ramp = m_gammaRamp; }

protected:
    Device(const PresentParameters& parameters, uint32_t behaviourFlags, const Caps& caps);

    virtual Result ResetDevice(const PresentParameters& parameters) = 0;
    virtual std::unique_ptr<VertexBuffer> MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool);
    virtual std::unique_ptr<IndexBuffer> MakeIndexBuffer(uint32_t length, uint32_t usage, IndexFormat format,
                                                         Pool pool);
    virtual std::unique_ptr<Texture> MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                                 Format format, Pool pool);
    virtual std::unique_ptr<CubeTexture> MakeCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage,
                                                         Format format, Pool pool);
    virtual std::unique_ptr<Surface> MakeDepthStencilSurface(uint32_t width, uint32_t height, Format format);
    virtual void ApplyRenderState(RenderState state, uint32_t value) {}
    virtual void ApplyGammaRamp(const GammaRamp& ramp) {}
    virtual void ApplyTexture(uint32_t stage) {}
    virtual void ApplyTargets() {}
    virtual Result ReadTarget(const Surface& renderTarget, Surface& destination) = 0;
    // Writes width x height ARGB pixels, rows from the top, at (x, y) of the back buffer.
    virtual void WriteBackBuffer(int32_t x, int32_t y, uint32_t width, uint32_t height, const uint32_t* argb,
                                 uint32_t pitchPixels) {}
    virtual void Draw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    // instances is 1 for a plain draw.
    virtual void DrawIndexed(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount,
                             uint32_t instances) = 0;

    const Resource* Bound(uint32_t slot) const { return m_ledger->bound[slot]; }
    const BaseTexture* BoundTexture(uint32_t stage) const;
    // The texture whose level is render target 0, and that level; null for the back buffer.
    const Texture* ColourTarget() const;
    uint32_t ColourTargetLevel() const { return m_colourLevel; }
    // The depth-stencil surface in use; null for the automatic one.
    const Surface* DepthTarget() const;
    uint32_t StreamOffset() const { return m_streamOffset; }
    uint32_t StreamStride() const { return m_streamStride; }
    // The layout of stream 0: the declaration's, or the flexible vertex format's.
    const std::vector<VertexElement>& VertexElements() const;
    // What the layout is built from: the declaration's serial, or the format code with the top
    // bit set; the same key means the same layout.
    uint64_t LayoutKey() const;
    uint32_t RenderStateValue(RenderState state) const { return m_renderStates[state]; }
    uint32_t SamplerStateValue(uint32_t sampler, SamplerState type) const { return m_samplerStates[sampler][type]; }
    uint32_t StageStateValue(uint32_t stage, TextureStageState type) const { return m_stageStates[stage][type]; }
    // World x view x projection of the draws without an effect.
    pmath::Matrix FixedTransform() const;

    PresentParameters m_parameters;
    std::shared_ptr<ResourceLedger> m_ledger;
    Viewport m_viewport;
    bool m_inScene = false;
    DeviceStats m_stats;

private:
    uint32_t m_behaviourFlags;
    Caps m_caps;
    uint32_t m_renderStates[RS_COUNT] = {};
    uint32_t m_samplerStates[kMaxSamplers][SAMP_COUNT] = {};
    uint32_t m_stageStates[kMaxTextureStages][kTextureStageStates] = {};
    pmath::Matrix m_world = pmath::Identity();
    pmath::Matrix m_view = pmath::Identity();
    pmath::Matrix m_projection = pmath::Identity();
    GammaRamp m_gammaRamp;
    uint32_t m_colourLevel = 0;
    uint32_t m_streamOffset = 0;
    uint32_t m_streamStride = 0;
    uint32_t m_instances = 1;
    uint32_t m_fvf = 0;
    // Not a resource: the caller keeps a declaration alive while it is set.
    const VertexDeclaration* m_declaration = nullptr;
    std::vector<VertexElement> m_fvfElements;
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
