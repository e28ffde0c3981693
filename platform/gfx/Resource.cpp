#include "platform/gfx/Resource.h"

#include <algorithm>
#include <utility>

namespace gfx {

namespace {
uint64_t g_nextSerial = 1;
}  // namespace

Resource::Resource(std::shared_ptr<ResourceLedger> ledger, Pool pool)
    : m_ledger(std::move(ledger)), m_pool(pool), m_serial(g_nextSerial++) {
    if (m_pool == POOL_DEFAULT) ++m_ledger->liveDefaultPool;
}

Resource::~Resource() {
    if (m_pool == POOL_DEFAULT) --m_ledger->liveDefaultPool;
    for (const Resource*& slot : m_ledger->bound)
        if (slot == this) slot = nullptr;
}

Buffer::Buffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage)
    : Resource(std::move(ledger), pool), m_data(length), m_usage(usage) {}

Result Buffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) {
    if (!data || m_locked || offset > m_data.size()) return ERR_INVALIDCALL;
    if (size == 0) size = static_cast<uint32_t>(m_data.size()) - offset;
    if (size > m_data.size() - offset) return ERR_INVALIDCALL;
    m_locked = true;
    m_dirty = (flags & LOCK_READONLY) == 0;
    m_lockFlags = flags;
    m_lockOffset = offset;
    m_lockSize = size;
    *data = m_data.data() + offset;
    return OK;
}

Result Buffer::Unlock() {
    if (!m_locked) return ERR_INVALIDCALL;
    m_locked = false;
    if (m_dirty && m_lockSize > 0) Upload(m_lockOffset, m_lockSize, m_lockFlags);
    return OK;
}

VertexBuffer::VertexBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage,
                           uint32_t fvf)
    : Buffer(std::move(ledger), pool, length, usage), m_fvf(fvf) {}

IndexBuffer::IndexBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage,
                         IndexFormat format)
    : Buffer(std::move(ledger), pool, length, usage), m_format(format) {}

uint32_t FullMipChain(uint32_t width, uint32_t height) {
    uint32_t levels = 1;
    for (uint32_t size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

BaseTexture::BaseTexture(std::shared_ptr<ResourceLedger> ledger, Pool pool, ResourceType type, uint32_t width,
                         uint32_t height, uint32_t levels, uint32_t usage, Format format)
    : Resource(std::move(ledger), pool),
      m_type(type),
      m_width(width),
      m_height(height),
      m_levels(levels == 0 ? FullMipChain(width, height) : std::min(levels, FullMipChain(width, height))),
      m_usage(usage),
      m_format(format) {
    if (IsRenderTarget() || (usage & USAGE_DEPTHSTENCIL)) return;
    for (uint32_t face = 0; face < Faces(); ++face)
        for (uint32_t level = 0; level < m_levels; ++level)
            m_copies.emplace_back(LevelBytes(format, LevelWidth(level), LevelHeight(level)));
    m_lockedLevels.assign(m_copies.size(), false);
}

uint32_t BaseTexture::LevelWidth(uint32_t level) const { return std::max(1u, m_width >> level); }
uint32_t BaseTexture::LevelHeight(uint32_t level) const { return std::max(1u, m_height >> level); }

Result BaseTexture::LockFace(uint32_t face, uint32_t level, LockedRect& rect) {
    size_t index = size_t{face} * m_levels + level;
    if (m_copies.empty() || face >= Faces() || level >= m_levels || m_lockedLevels[index]) return ERR_INVALIDCALL;
    m_lockedLevels[index] = true;
    rect.bits = m_copies[index].data();
    rect.pitch = static_cast<int32_t>(LevelPitch(m_format, LevelWidth(level)));
    return OK;
}

Result BaseTexture::UnlockFace(uint32_t face, uint32_t level) {
    size_t index = size_t{face} * m_levels + level;
    if (m_copies.empty() || face >= Faces() || level >= m_levels || !m_lockedLevels[index]) return ERR_INVALIDCALL;
    m_lockedLevels[index] = false;
    UploadLevel(face, level, m_copies[index].data());
    return OK;
}

Result BaseTexture::GenerateMipSubLevels(uint32_t firstMissing) {
    if (firstMissing == 0 || firstMissing > m_levels || IsRenderTarget()) return ERR_INVALIDCALL;
    if (firstMissing < m_levels) GenerateLevels(firstMissing);
    return OK;
}

Texture::Texture(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t width, uint32_t height,
                 uint32_t levels, uint32_t usage, Format format)
    : BaseTexture(std::move(ledger), pool, RTYPE_TEXTURE, width, height, levels, usage, format) {}

Result Texture::GetSurfaceLevel(uint32_t level, std::unique_ptr<Surface>& surface) {
    if (level >= GetLevelCount()) return ERR_INVALIDCALL;
    surface = std::make_unique<Surface>(Ledger(), GetPool(), Surface::Kind::TextureLevel, LevelWidth(level),
                                        LevelHeight(level), GetFormat(), this, level);
    return OK;
}

CubeTexture::CubeTexture(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t edge, uint32_t levels,
                         uint32_t usage, Format format)
    : BaseTexture(std::move(ledger), pool, RTYPE_CUBETEXTURE, edge, edge, levels, usage, format) {}

Surface::Surface(std::shared_ptr<ResourceLedger> ledger, Pool pool, Kind kind, uint32_t width, uint32_t height,
                 Format format, const Resource* target, uint32_t level)
    : Resource(std::move(ledger), pool),
      m_kind(kind),
      m_width(width),
      m_height(height),
      m_format(format),
      m_target(target),
      m_level(level) {
    if (kind == Kind::SystemMemory) m_pixels.resize(size_t{width} * height * BytesPerTexel(format));
}

Result Surface::LockRect(LockedRect& rect, uint32_t flags) {
    if (m_kind != Kind::SystemMemory) return ERR_INVALIDCALL;
    rect.bits = m_pixels.data();
    rect.pitch = static_cast<int32_t>(m_width * BytesPerTexel(m_format));
    return OK;
}

}  // namespace gfx
