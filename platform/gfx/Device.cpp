#include "platform/gfx/Device.h"

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
    // The ramp a display starts with: linear.
    for (int i = 0; i < 256; ++i) {
        uint16_t v = static_cast<uint16_t>(i * 257);
        m_gammaRamp.red[i] = m_gammaRamp.green[i] = m_gammaRamp.blue[i] = v;
    }
}

Device::~Device() { m_ledger->deviceAlive = false; }

Result Device::Reset(const PresentParameters& parameters) {
    if (m_ledger->liveDefaultPool > 0 || m_inScene) return ERR_INVALIDCALL;
    return ResetDevice(parameters);
}

Result Device::GetDeviceCaps(Caps& caps) const {
    caps = m_caps;
    return OK;
}

Result Device::GetRenderTarget(uint32_t index, std::unique_ptr<Surface>& surface) {
    if (index != 0) return ERR_NOTAVAILABLE;
    surface = std::make_unique<Surface>(m_ledger, POOL_DEFAULT, m_parameters.backBufferWidth,
                                        m_parameters.backBufferHeight, m_parameters.backBufferFormat);
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

void Device::SetGammaRamp(uint32_t, const GammaRamp& ramp) {
    m_gammaRamp = ramp;
    ApplyGammaRamp(ramp);
}

std::unique_ptr<System> CreateSystem() {
    if (plat::Backends().video == plat::VideoBackend::Null) return CreateNullSystem();
    return std::make_unique<GlSystem>();
}

}  // namespace gfx
