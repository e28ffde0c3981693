#include "platform/gfx/Resource.h"

#include <utility>

namespace gfx {

Resource::Resource(std::shared_ptr<ResourceLedger> ledger, Pool pool) : m_ledger(std::move(ledger)), m_pool(pool) {
    if (m_pool == POOL_DEFAULT) ++m_ledger->liveDefaultPool;
}

Resource::~Resource() {
    if (m_pool == POOL_DEFAULT) --m_ledger->liveDefaultPool;
}

Surface::Surface(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t width, uint32_t height, Format format)
    : Resource(std::move(ledger), pool), m_width(width), m_height(height), m_format(format) {}

VertexBuffer::VertexBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage,
                           uint32_t fvf)
    : Resource(std::move(ledger), pool), m_length(length), m_usage(usage), m_fvf(fvf) {}

}  // namespace gfx
