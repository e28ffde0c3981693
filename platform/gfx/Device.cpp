#include "platform/gfx/Device.h"

#include "platform/gfx/Effect.h"
#include "platform/gfx/GlSystem.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Backends.h"

namespace gfx {
namespace {

constexpr size_t kMaxDeclarationElements = 64;

bool KnownDeclType(DeclType type) { return type <= DECLTYPE_UBYTE4; }

}  // namespace

Device::Device(const PresentParameters& parameters, uint32_t behaviourFlags, const Caps& caps)
    : m_parameters(parameters),
      m_ledger(std::make_shared<ResourceLedger>()),
      m_behaviourFlags(behaviourFlags),
      m_caps(caps) {
    // The states a fresh device starts with.
    m_renderStates[RS_ZENABLE] = parameters.enableAutoDepthStencil ? 1 : 0;
    m_renderStates[RS_FILLMODE] = FILL_SOLID;
    m_renderStates[RS_SHADEMODE] = SHADE_GOURAUD;
    m_renderStates[RS_ZWRITEENABLE] = 1;
    m_renderStates[RS_SRCBLEND] = BLEND_ONE;
    m_renderStates[RS_DESTBLEND] = BLEND_ZERO;
    m_renderStates[RS_CULLMODE] = CULL_CCW;
    m_renderStates[RS_ZFUNC] = CMP_LESSEQUAL;
    m_renderStates[RS_ALPHAFUNC] = CMP_ALWAYS;
    m_renderStates[RS_BLENDOP] = BLENDOP_ADD;
    m_renderStates[RS_MULTISAMPLEANTIALIAS] = 1;
    for (auto& sampler : m_samplerStates) {
        sampler[SAMP_ADDRESSU] = sampler[SAMP_ADDRESSV] = sampler[SAMP_ADDRESSW] = TADDRESS_WRAP;
        sampler[SAMP_MAGFILTER] = sampler[SAMP_MINFILTER] = TEXF_POINT;
        sampler[SAMP_MAXANISOTROPY] = 1;
    }
    // Stage 0 modulates the texture by the vertex colour; later stages are off.
    for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage) {
        uint32_t* states = m_stageStates[stage];
        states[TSS_COLOROP] = stage == 0 ? TOP_MODULATE : TOP_DISABLE;
        states[TSS_COLORARG1] = TA_TEXTURE;
        states[TSS_COLORARG2] = TA_CURRENT;
        states[TSS_ALPHAOP] = stage == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
        states[TSS_ALPHAARG1] = TA_TEXTURE;
        states[TSS_ALPHAARG2] = TA_CURRENT;
    }
    m_viewport.width = parameters.backBufferWidth;
    m_viewport.height = parameters.backBufferHeight;
    // The ramp a display starts with: linear.
    for (int i = 0; i < 256; ++i) {
        uint16_t v = static_cast<uint16_t>(i * 257);
        m_gammaRamp.red[i] = m_gammaRamp.green[i] = m_gammaRamp.blue[i] = v;
    }
}

Device::~Device() { m_ledger->deviceAlive = false; }

Result Device::Reset(const PresentParameters& parameters) {
    if (m_ledger->liveDefaultPool > 0 || m_inScene) return ERR_INVALIDCALL;
    Result result = ResetDevice(parameters);
    if (Failed(result)) return result;
    // A reset device draws into its back buffer again, over the whole of it.
    m_ledger->bound[ResourceLedger::SLOT_COLOUR] = nullptr;
    m_ledger->bound[ResourceLedger::SLOT_DEPTH] = nullptr;
    m_colourLevel = 0;
    m_viewport = Viewport{0, 0, m_parameters.backBufferWidth, m_parameters.backBufferHeight, 0.0f, 1.0f};
    ApplyTargets();
    return result;
}

Result Device::GetDeviceCaps(Caps& caps) const {
    caps = m_caps;
    return OK;
}

Result Device::GetRenderTarget(uint32_t index, std::unique_ptr<Surface>& surface) {
    if (index != 0) return ERR_NOTAVAILABLE;
    if (const Texture* texture = ColourTarget()) {
        surface = std::make_unique<Surface>(m_ledger, POOL_DEFAULT, Surface::Kind::TextureLevel,
                                            texture->LevelWidth(m_colourLevel), texture->LevelHeight(m_colourLevel),
                                            texture->GetFormat(), texture, m_colourLevel);
        return OK;
    }
    surface = std::make_unique<Surface>(m_ledger, POOL_DEFAULT, Surface::Kind::BackBuffer,
                                        m_parameters.backBufferWidth, m_parameters.backBufferHeight,
                                        m_parameters.backBufferFormat);
    return OK;
}

Result Device::SetRenderTarget(uint32_t index, const Surface* surface) {
    if (index != 0 || !surface) return ERR_INVALIDCALL;
    if (surface->GetKind() == Surface::Kind::BackBuffer) {
        m_ledger->bound[ResourceLedger::SLOT_COLOUR] = nullptr;
        m_colourLevel = 0;
    } else {
        auto* texture = dynamic_cast<const Texture*>(surface->Target());
        if (surface->GetKind() != Surface::Kind::TextureLevel || !texture || !texture->IsRenderTarget())
            return ERR_INVALIDCALL;
        m_ledger->bound[ResourceLedger::SLOT_COLOUR] = texture;
        m_colourLevel = surface->Level();
    }
    m_viewport = Viewport{0, 0, surface->Width(), surface->Height(), 0.0f, 1.0f};
    ApplyTargets();
    return OK;
}

const Texture* Device::ColourTarget() const {
    return static_cast<const Texture*>(m_ledger->bound[ResourceLedger::SLOT_COLOUR]);
}

const Surface* Device::DepthTarget() const {
    return static_cast<const Surface*>(m_ledger->bound[ResourceLedger::SLOT_DEPTH]);
}

Result Device::GetDepthStencilSurface(std::unique_ptr<Surface>& surface) {
    if (const Surface* depth = DepthTarget()) {
        surface = std::make_unique<Surface>(m_ledger, POOL_DEFAULT, Surface::Kind::DepthStencil, depth->Width(),
                                            depth->Height(), depth->GetFormat(), depth);
        return OK;
    }
    if (!m_parameters.enableAutoDepthStencil) return ERR_NOTAVAILABLE;
    surface = std::make_unique<Surface>(m_ledger, POOL_DEFAULT, Surface::Kind::AutoDepth,
                                        m_parameters.backBufferWidth, m_parameters.backBufferHeight,
                                        m_parameters.autoDepthStencilFormat);
    return OK;
}

Result Device::SetDepthStencilSurface(const Surface* surface) {
    if (surface && surface->GetKind() != Surface::Kind::AutoDepth && surface->GetKind() != Surface::Kind::DepthStencil)
        return ERR_INVALIDCALL;
    const Resource* depth = nullptr;
    if (surface && surface->GetKind() == Surface::Kind::DepthStencil)
        depth = surface->Target() ? surface->Target() : surface;
    m_ledger->bound[ResourceLedger::SLOT_DEPTH] = depth;
    ApplyTargets();
    return OK;
}

Result Device::SetViewport(const Viewport& viewport) {
    m_viewport = viewport;
    ApplyTargets();
    return OK;
}

Result Device::GetViewport(Viewport& viewport) const {
    viewport = m_viewport;
    return OK;
}

Result Device::GetRenderTargetData(const Surface& renderTarget, Surface& destination) {
    if (destination.GetKind() != Surface::Kind::SystemMemory || renderTarget.Width() != destination.Width() ||
        renderTarget.Height() != destination.Height() || renderTarget.GetFormat() != destination.GetFormat())
        return ERR_INVALIDCALL;
    if (renderTarget.GetKind() != Surface::Kind::BackBuffer && renderTarget.GetKind() != Surface::Kind::TextureLevel)
        return ERR_INVALIDCALL;
    return ReadTarget(renderTarget, destination);
}

Result Device::GetBackBuffer(std::unique_ptr<Surface>& surface) {
    surface = std::make_unique<Surface>(m_ledger, POOL_DEFAULT, Surface::Kind::BackBuffer,
                                        m_parameters.backBufferWidth, m_parameters.backBufferHeight,
                                        m_parameters.backBufferFormat);
    return OK;
}

Result Device::UpdateSurface(const Surface& source, const Rect* sourceRect, const Surface& destination,
                             const Point* destPoint) {
    if (source.GetKind() != Surface::Kind::SystemMemory || destination.GetKind() != Surface::Kind::BackBuffer ||
        BytesPerTexel(source.GetFormat()) != 4)
        return ERR_INVALIDCALL;
    Rect r = sourceRect ? *sourceRect
                        : Rect{0, 0, static_cast<int32_t>(source.Width()), static_cast<int32_t>(source.Height())};
    Point at = destPoint ? *destPoint : Point{};
    auto inside = [](int32_t v, uint32_t limit) { return v >= 0 && v <= static_cast<int32_t>(limit); };
    if (r.left >= r.right || r.top >= r.bottom || !inside(r.left, source.Width()) ||
        !inside(r.right, source.Width()) || !inside(r.top, source.Height()) || !inside(r.bottom, source.Height()))
        return ERR_INVALIDCALL;
    uint32_t width = static_cast<uint32_t>(r.right - r.left), height = static_cast<uint32_t>(r.bottom - r.top);
    if (at.x < 0 || at.y < 0 || at.x + width > destination.Width() || at.y + height > destination.Height())
        return ERR_INVALIDCALL;
    auto* pixels = reinterpret_cast<const uint32_t*>(source.Pixels());
    WriteBackBuffer(at.x, at.y, width, height, pixels + size_t(r.top) * source.Width() + r.left, source.Width());
    return OK;
}

Result Device::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                  std::unique_ptr<VertexBuffer>& buffer) {
    if (length == 0) return ERR_INVALIDCALL;
    std::unique_ptr<VertexBuffer> made = MakeVertexBuffer(length, usage, fvf, pool);
    if (!made) return ERR_OUTOFVIDEOMEMORY;
    buffer = std::move(made);
    return OK;
}

std::unique_ptr<VertexBuffer> Device::MakeVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool) {
    return std::make_unique<VertexBuffer>(m_ledger, pool, length, usage, fvf);
}

Result Device::CreateIndexBuffer(uint32_t length, uint32_t usage, IndexFormat format, Pool pool,
                                 std::unique_ptr<IndexBuffer>& buffer) {
    if (length == 0 || (format != FMT_INDEX16 && format != FMT_INDEX32)) return ERR_INVALIDCALL;
    std::unique_ptr<IndexBuffer> made = MakeIndexBuffer(length, usage, format, pool);
    if (!made) return ERR_OUTOFVIDEOMEMORY;
    buffer = std::move(made);
    return OK;
}

std::unique_ptr<IndexBuffer> Device::MakeIndexBuffer(uint32_t length, uint32_t usage, IndexFormat format, Pool pool) {
    return std::make_unique<IndexBuffer>(m_ledger, pool, length, usage, format);
}

namespace {

bool TextureFormat(Format format) {
    return format == FMT_A8R8G8B8 || format == FMT_X8R8G8B8 || format == FMT_R32F;
}

bool ValidTexture(const Caps& caps, uint32_t width, uint32_t height, uint32_t usage, Format format, Pool pool) {
    if (width == 0 || height == 0) return false;
    // Compressed textures are sampled, never drawn into.
    bool compressed = IsCompressed(format) && caps.compressedTextures && !(usage & USAGE_RENDERTARGET);
    if (!TextureFormat(format) && !compressed) return false;
    // Render targets are video memory only.
    return !(usage & USAGE_RENDERTARGET) || pool == POOL_DEFAULT;
}

}  // namespace

Result Device::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                             Pool pool, std::unique_ptr<Texture>& texture) {
    if (!ValidTexture(m_caps, width, height, usage, format, pool) || width > m_caps.maxTextureWidth ||
        height > m_caps.maxTextureHeight)
        return ERR_INVALIDCALL;
    std::unique_ptr<Texture> made = MakeTexture(width, height, levels, usage, format, pool);
    if (!made) return ERR_OUTOFVIDEOMEMORY;
    texture = std::move(made);
    return OK;
}

std::unique_ptr<Texture> Device::MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                             Format format, Pool pool) {
    return std::make_unique<Texture>(m_ledger, pool, width, height, levels, usage, format);
}

Result Device::CreateCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format, Pool pool,
                                 std::unique_ptr<CubeTexture>& texture) {
    if (!ValidTexture(m_caps, edge, edge, usage, format, pool) || edge > m_caps.maxTextureWidth)
        return ERR_INVALIDCALL;
    std::unique_ptr<CubeTexture> made = MakeCubeTexture(edge, levels, usage, format, pool);
    if (!made) return ERR_OUTOFVIDEOMEMORY;
    texture = std::move(made);
    return OK;
}

std::unique_ptr<CubeTexture> Device::MakeCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format,
                                                     Pool pool) {
    return std::make_unique<CubeTexture>(m_ledger, pool, edge, levels, usage, format);
}

Result Device::CreateDepthStencilSurface(uint32_t width, uint32_t height, Format format, bool,
                                         std::unique_ptr<Surface>& surface) {
    if (width == 0 || height == 0) return ERR_INVALIDCALL;
    if (format != FMT_D16 && format != FMT_D24S8 && format != FMT_D24X8 && format != FMT_D32) return ERR_INVALIDCALL;
    std::unique_ptr<Surface> made = MakeDepthStencilSurface(width, height, format);
    if (!made) return ERR_OUTOFVIDEOMEMORY;
    surface = std::move(made);
    return OK;
}

std::unique_ptr<Surface> Device::MakeDepthStencilSurface(uint32_t width, uint32_t height, Format format) {
    return std::make_unique<Surface>(m_ledger, POOL_DEFAULT, Surface::Kind::DepthStencil, width, height, format);
}

Result Device::CreateOffscreenPlainSurface(uint32_t width, uint32_t height, Format format, Pool pool,
                                           std::unique_ptr<Surface>& surface) {
    if (width == 0 || height == 0 || pool != POOL_SYSTEMMEM || !TextureFormat(format)) return ERR_INVALIDCALL;
    surface = std::make_unique<Surface>(m_ledger, pool, Surface::Kind::SystemMemory, width, height, format);
    return OK;
}

Result Device::CreateVertexDeclaration(const VertexElement* elements,
                                       std::unique_ptr<VertexDeclaration>& declaration) {
    if (!elements) return ERR_INVALIDCALL;
    std::vector<VertexElement> list;
    for (const VertexElement* e = elements; e->stream != DECL_END.stream; ++e) {
        if (list.size() == kMaxDeclarationElements || !KnownDeclType(e->type)) return ERR_INVALIDCALL;
        list.push_back(*e);
    }
    declaration = std::make_unique<VertexDeclaration>(std::move(list));
    return OK;
}

Result Device::SetRenderState(RenderState state, uint32_t value) {
    if (state >= RS_COUNT) return ERR_INVALIDCALL;
    m_renderStates[state] = value;
    ApplyRenderState(state, value);
    return OK;
}

Result Device::GetRenderState(RenderState state, uint32_t& value) const {
    if (state >= RS_COUNT) return ERR_INVALIDCALL;
    value = m_renderStates[state];
    return OK;
}

Result Device::SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) {
    if (sampler >= kMaxSamplers || type >= SAMP_COUNT) return ERR_INVALIDCALL;
    m_samplerStates[sampler][type] = value;
    return OK;
}

Result Device::GetSamplerState(uint32_t sampler, SamplerState type, uint32_t& value) const {
    if (sampler >= kMaxSamplers || type >= SAMP_COUNT) return ERR_INVALIDCALL;
    value = m_samplerStates[sampler][type];
    return OK;
}

Result Device::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) {
    if (stage >= kMaxTextureStages || type >= kTextureStageStates) return ERR_INVALIDCALL;
    m_stageStates[stage][type] = value;
    return OK;
}

Result Device::GetTextureStageState(uint32_t stage, uint32_t type, uint32_t& value) const {
    if (stage >= kMaxTextureStages || type >= kTextureStageStates) return ERR_INVALIDCALL;
    value = m_stageStates[stage][type];
    return OK;
}

Result Device::SetTransform(TransformState state, const pmath::Matrix& matrix) {
    switch (state) {
        case TS_WORLD: m_world = matrix; return OK;
        case TS_VIEW: m_view = matrix; return OK;
        case TS_PROJECTION: m_projection = matrix; return OK;
    }
    return ERR_INVALIDCALL;
}

Result Device::GetTransform(TransformState state, pmath::Matrix& matrix) const {
    switch (state) {
        case TS_WORLD: matrix = m_world; return OK;
        case TS_VIEW: matrix = m_view; return OK;
        case TS_PROJECTION: matrix = m_projection; return OK;
    }
    return ERR_INVALIDCALL;
}

pmath::Matrix Device::FixedTransform() const { return m_world * m_view * m_projection; }

Result Device::SetTexture(uint32_t stage, const BaseTexture* texture) {
    if (stage >= kMaxSamplers) return ERR_INVALIDCALL;
    m_ledger->bound[stage] = texture;
    ApplyTexture(stage);
    return OK;
}

const BaseTexture* Device::GetTexture(uint32_t stage) const { return stage < kMaxSamplers ? BoundTexture(stage) : nullptr; }

const BaseTexture* Device::BoundTexture(uint32_t stage) const {
    return static_cast<const BaseTexture*>(m_ledger->bound[stage]);
}

Result Device::SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t offset, uint32_t stride) {
    if (stream != 0) return ERR_INVALIDCALL;
    m_ledger->bound[ResourceLedger::SLOT_STREAM] = buffer;
    m_streamOffset = offset;
    m_streamStride = stride;
    return OK;
}

Result Device::SetStreamSourceFreq(uint32_t stream, uint32_t setting) {
    uint32_t count = setting & ~STREAMSOURCE_INDEXEDDATA;
    if (stream != 0 || count == 0) return ERR_INVALIDCALL;
    m_instances = (setting & STREAMSOURCE_INDEXEDDATA) ? count : 1;
    return OK;
}

Result Device::GetStreamSource(uint32_t stream, const VertexBuffer*& buffer, uint32_t& offset,
                               uint32_t& stride) const {
    if (stream != 0) return ERR_INVALIDCALL;
    buffer = static_cast<const VertexBuffer*>(Bound(ResourceLedger::SLOT_STREAM));
    offset = m_streamOffset;
    stride = m_streamStride;
    return OK;
}

Result Device::SetIndices(const IndexBuffer* buffer) {
    m_ledger->bound[ResourceLedger::SLOT_INDICES] = buffer;
    return OK;
}

Result Device::SetVertexDeclaration(const VertexDeclaration* declaration) {
    m_declaration = declaration;
    if (declaration) m_fvf = 0;
    if (declaration) m_fvfElements.clear();
    return OK;
}

Result Device::SetFVF(uint32_t fvf) {
    if (fvf != 0) m_declaration = nullptr;
    if (fvf != m_fvf) m_fvfElements = FvfElements(fvf);
    m_fvf = fvf;
    return OK;
}

const std::vector<VertexElement>& Device::VertexElements() const {
    return m_declaration ? m_declaration->Elements() : m_fvfElements;
}

uint64_t Device::LayoutKey() const { return m_declaration ? m_declaration->Serial() : (uint64_t{1} << 63 | m_fvf); }

Result Device::SetVertexShader(std::nullptr_t) { return OK; }
Result Device::SetPixelShader(std::nullptr_t) { return OK; }

Result Device::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
    if (!Bound(ResourceLedger::SLOT_STREAM) || primitiveCount == 0) return ERR_INVALIDCALL;
    ++m_stats.draws;
    Draw(type, startVertex, primitiveCount);
    return OK;
}

Result Device::DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertex, uint32_t, uint32_t, uint32_t startIndex,
                                    uint32_t primitiveCount) {
    if (!Bound(ResourceLedger::SLOT_STREAM) || !Bound(ResourceLedger::SLOT_INDICES) || primitiveCount == 0)
        return ERR_INVALIDCALL;
    ++m_stats.draws;
    DrawIndexed(type, baseVertex, startIndex, primitiveCount, m_instances);
    return OK;
}

std::unique_ptr<Effect> Device::MakeEffect(const EffectDesc& desc) { return std::make_unique<Effect>(desc, this); }

void Device::SetGammaRamp(uint32_t, const GammaRamp& ramp) {
    m_gammaRamp = ramp;
    ApplyGammaRamp(ramp);
}

std::unique_ptr<System> CreateSystem() {
    if (plat::Backends().video == plat::VideoBackend::Null) return CreateNullSystem();
    return std::make_unique<GlSystem>();
}

}  // namespace gfx
