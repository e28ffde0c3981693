#include "platform/gfx/Device.h"

#include "platform/gfx/GlSystem.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Backends.h"

namespace gfx {

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

std::unique_ptr<System> CreateSystem() {
    if (plat::Backends().video == plat::VideoBackend::Null) return CreateNullSystem();
    return std::make_unique<GlSystem>();
}

}  // namespace gfx
