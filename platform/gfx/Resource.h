#pragma once
// Device resources. A resource tells its device's ledger when it comes and goes, so the device
// knows whether default-pool resources are still alive (a reset is refused while they are) and
// never keeps a binding to a resource that is gone.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/GfxTypes.h"

namespace gfx {

class Resource;

// Shared by a device and its resources, so either may be destroyed first.
struct ResourceLedger {
    // Binding slots of the device: texture stages, then the stream, the indices, the render
    // target's texture and the depth-stencil surface. A resource that goes empties its slots.
    enum Slot : uint32_t { SLOT_STREAM = kMaxSamplers, SLOT_INDICES, SLOT_COLOUR, SLOT_DEPTH, SLOT_COUNT };
    int liveDefaultPool = 0;
    bool deviceAlive = true;
    const Resource* bound[SLOT_COUNT] = {};
};

class Resource {
public:
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;
    virtual ~Resource();

    Pool GetPool() const { return m_pool; }
    // The backend's name for the object (a GL texture, buffer or renderbuffer); 0 when none.
    uint32_t Native() const { return m_native; }
    // Unique for the life of the program: unlike an address or a backend name, never reused.
    uint64_t Serial() const { return m_serial; }

protected:
    Resource(std::shared_ptr<ResourceLedger> ledger, Pool pool);
    bool DeviceAlive() const { return m_ledger->deviceAlive; }
    const std::shared_ptr<ResourceLedger>& Ledger() const { return m_ledger; }

    uint32_t m_native = 0;

private:
    std::shared_ptr<ResourceLedger> m_ledger;
    Pool m_pool;
    uint64_t m_serial;
};

// Vertex or index data. Every buffer keeps a CPU copy: a lock hands it out, and the unlock sends
// the locked range to the backend.
class Buffer : public Resource {
public:
    uint32_t Length() const { return static_cast<uint32_t>(m_data.size()); }
    uint32_t Usage() const { return m_usage; }
    // size 0 locks from offset to the end. One lock at a time.
    Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags);
    Result Unlock();
    bool Locked() const { return m_locked; }
    const uint8_t* Data() const { return m_data.data(); }

protected:
    Buffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage);
    // Sends bytes [offset, offset + size) of the copy to the backend, with the lock's flags.
    virtual void Upload(uint32_t offset, uint32_t size, uint32_t flags) {}

private:
    std::vector<uint8_t> m_data;
    uint32_t m_usage;
    bool m_locked = false;
    bool m_dirty = false;
    uint32_t m_lockFlags = 0;
    uint32_t m_lockOffset = 0;
    uint32_t m_lockSize = 0;
};

class VertexBuffer : public Buffer {
public:
    VertexBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage, uint32_t fvf);
    uint32_t Fvf() const { return m_fvf; }

private:
    uint32_t m_fvf;
};

class IndexBuffer : public Buffer {
public:
    IndexBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage,
                IndexFormat format);
    IndexFormat GetFormat() const { return m_format; }

private:
    IndexFormat m_format;
};

// A two-dimensional or cube texture with its mip levels. Lockable textures (all but render
// targets) keep a CPU copy of every level; an unlock sends the level to the backend.
class BaseTexture : public Resource {
public:
    ResourceType GetType() const { return m_type; }
    uint32_t GetLevelCount() const { return m_levels; }
    Format GetFormat() const { return m_format; }
    uint32_t Usage() const { return m_usage; }
    uint32_t LevelWidth(uint32_t level) const;
    uint32_t LevelHeight(uint32_t level) const;
    bool IsRenderTarget() const { return (m_usage & USAGE_RENDERTARGET) != 0; }
    // One level of one face (face 0 of a two-dimensional texture).
    Result LockFace(uint32_t face, uint32_t level, LockedRect& rect);
    Result UnlockFace(uint32_t face, uint32_t level);
    // Makes the levels from firstMissing down from the level above it, on the device (the
    // levels' CPU copies are not filled).
    Result GenerateMipSubLevels(uint32_t firstMissing);

protected:
    BaseTexture(std::shared_ptr<ResourceLedger> ledger, Pool pool, ResourceType type, uint32_t width,
                uint32_t height, uint32_t levels, uint32_t usage, Format format);
    virtual void UploadLevel(uint32_t face, uint32_t level, const uint8_t* bits) {}
    virtual void GenerateLevels(uint32_t firstMissing) {}
    uint32_t Faces() const { return m_type == RTYPE_CUBETEXTURE ? uint32_t{CUBE_FACES} : 1u; }

private:
    ResourceType m_type;
    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_levels;
    uint32_t m_usage;
    Format m_format;
    std::vector<std::vector<uint8_t>> m_copies;  // face-major, empty for render targets
    std::vector<bool> m_lockedLevels;
};

class Surface;

class Texture : public BaseTexture {
public:
    Texture(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t width, uint32_t height, uint32_t levels,
            uint32_t usage, Format format);
    Result LockRect(uint32_t level, LockedRect& rect, uint32_t flags) { return LockFace(0, level, rect); }
    Result UnlockRect(uint32_t level) { return UnlockFace(0, level); }
    // A surface standing for one level; the texture must outlive it.
    Result GetSurfaceLevel(uint32_t level, std::unique_ptr<Surface>& surface);
};

class CubeTexture : public BaseTexture {
public:
    CubeTexture(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t edge, uint32_t levels, uint32_t usage,
                Format format);
    Result LockRect(CubeFace face, uint32_t level, LockedRect& rect, uint32_t flags) {
        return LockFace(face, level, rect);
    }
    Result UnlockRect(CubeFace face, uint32_t level) { return UnlockFace(face, level); }
};

// A surface: the back buffer, the automatic depth buffer, a level of a texture, a depth-stencil
// surface of its own, or a system-memory surface that read-backs land in. Surfaces handed out by
// the device (render target, depth surface) are references: releasing them frees nothing else.
class Surface : public Resource {
public:
    enum class Kind { BackBuffer, AutoDepth, TextureLevel, DepthStencil, SystemMemory };

    Surface(std::shared_ptr<ResourceLedger> ledger, Pool pool, Kind kind, uint32_t width, uint32_t height,
            Format format, const Resource* target = nullptr, uint32_t level = 0);
    Kind GetKind() const { return m_kind; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    Format GetFormat() const { return m_format; }
    // The texture of a level surface, the depth surface a reference stands for, or null.
    const Resource* Target() const { return m_target; }
    uint32_t Level() const { return m_level; }
    // System-memory surfaces only.
    Result LockRect(LockedRect& rect, uint32_t flags);
    Result UnlockRect() { return OK; }
    uint8_t* Pixels() { return m_pixels.data(); }
    const uint8_t* Pixels() const { return m_pixels.data(); }

private:
    Kind m_kind;
    uint32_t m_width;
    uint32_t m_height;
    Format m_format;
    const Resource* m_target;
    uint32_t m_level;
    std::vector<uint8_t> m_pixels;
};

// The number of levels of a full mip chain down to 1 x 1.
uint32_t FullMipChain(uint32_t width, uint32_t height);

}  // namespace gfx
