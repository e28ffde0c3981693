#pragma once
// The system mouse as a buffered device: movement and button changes arrive as items in order.
// Items that come while the device is not acquired are not kept; an acquisition starts with an
// empty buffer.
#include <cstdint>

#include "platform/input/InputDevice.h"

namespace plat {

class Mouse : public InputDevice {
public:
    Mouse() : InputDevice(DeviceKind::Mouse) {}
    // Items kept between reads, 1..kMouseBufferCapacity.
    InputResult SetBufferSize(uint32_t items);
    // Takes up to count items, oldest first; count becomes the number taken. BufferOverflow
    // (a success) when items were lost since the last read.
    InputResult GetData(MouseItem* items, uint32_t& count);

private:
    void OnAcquire() override;

    uint32_t m_bufferSize = 0;
};

}  // namespace plat
