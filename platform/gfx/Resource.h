#pragma once
// Device resources. A resource tells its device's ledger when it comes and goes, so the device
// knows whether default-pool resources are still alive (a reset is refused while they are).
#include <cstdint>
#include <memory>

#include "platform/gfx/GfxTypes.h"

namespace gfx {

// Shared by a device and its resources, so either may be destroyed first.
struct ResourceLedger {
    int liveDefaultPool = 0;
    bool deviceAlive = true;
};

class Resource {
public:
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;
    virtual ~Resource();

    Pool GetPool() const { return m_pool; }

protected:
    Resource(std::shared_ptr<ResourceLedger> ledger, Pool pool);
    bool DeviceAlive() const { return m_ledger->deviceAlive; }

private:
    std::shared_ptr<ResourceLedger> m_ledger;
    Pool m_pool;
};

// A reference to a surface of the device; the back buffer is handed out as one of these.
class Surface final : public Resource {
public:
    Surface(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t width, uint32_t height, Format format);
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    Format GetFormat() const { return m_format; }

private:
    uint32_t m_width;
    uint32_t m_height;
    Format m_format;
};

class VertexBuffer : public Resource {
public:
    VertexBuffer(std::shared_ptr<ResourceLedger> ledger, Pool pool, uint32_t length, uint32_t usage, uint32_t fvf);
    uint32_t Length() const { return m_length; }
    uint32_t Usage() const { return m_usage; }
    uint32_t Fvf() const { return m_fvf; }

private:
    uint32_t m_length;
    uint32_t m_usage;
    uint32_t m_fvf;
};

}  // namespace gfx
