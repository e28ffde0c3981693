#pragma once
// What every input device shares: the cooperative level with its window and acquisition. A device
// acquired for the foreground loses its input when the window leaves the foreground: the next
// read answers InputLost and the device must be acquired again, which succeeds only while the
// window is in the foreground.
#include "platform/input/InputResult.h"
#include "platform/input/InputState.h"
#include "platform/os/Message.h"

namespace plat {

class InputDevice {
public:
    explicit InputDevice(DeviceKind kind) : m_kind(kind) {}
    virtual ~InputDevice() = default;
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    InputResult SetDataFormat();
    InputResult SetCooperativeLevel(WindowHandle window, uint32_t flags);
    InputResult Acquire();
    InputResult Unacquire();
    bool Acquired() const { return m_acquired; }

protected:
    // Ok when the device may be read now; otherwise why not (a lost acquisition is dropped).
    InputResult CheckRead();
    // The scripted fault of a step, Ok when none.
    InputResult Fault(InputStep step) const { return InputFault(m_kind, step); }
    // Called when an acquisition starts.
    virtual void OnAcquire() {}

private:
    bool NeedsForeground() const { return (m_flags & coop::Foreground) != 0; }

    DeviceKind m_kind;
    WindowHandle m_window = nullptr;
    uint32_t m_flags = coop::NonExclusive | coop::Background;
    bool m_formatSet = false;
    bool m_acquired = false;
};

}  // namespace plat
