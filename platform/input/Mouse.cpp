#include "platform/input/Mouse.h"

#include <algorithm>
#include <cstring>

namespace plat {

InputResult Mouse::SetBufferSize(uint32_t items) {
    InputResult fault = Fault(InputStep::BufferSize);
    if (fault != InputResult::Ok) return fault;
    if (Acquired()) return InputResult::Failed;
    if (items > kMouseBufferCapacity) return InputResult::InvalidParam;
    m_bufferSize = items;
    return InputResult::Ok;
}

InputResult Mouse::GetData(MouseItem* items, uint32_t& count) {
    uint32_t wanted = count;
    count = 0;
    InputResult r = CheckRead();
    if (r != InputResult::Ok) return r;
    InputState& input = CurrentInput();
    bool overflow = input.mouseOverflow || input.mouseItemCount > m_bufferSize;
    // Like the buffer of the backend, the device keeps the oldest items and drops the rest.
    uint32_t kept = std::min(input.mouseItemCount, m_bufferSize);
    count = std::min(wanted, kept);
    std::memcpy(items, input.mouseItems, count * sizeof(MouseItem));
    uint32_t rest = kept - count;
    std::memmove(input.mouseItems, input.mouseItems + count, rest * sizeof(MouseItem));
    input.mouseItemCount = rest;
    input.mouseOverflow = false;
    return overflow ? InputResult::BufferOverflow : InputResult::Ok;
}

void Mouse::OnAcquire() {
    CurrentInput().mouseItemCount = 0;
    CurrentInput().mouseOverflow = false;
}

}  // namespace plat
