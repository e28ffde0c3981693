#include "platform/input/InputDevice.h"

namespace plat {

InputResult InputDevice::SetDataFormat() {
    if (m_acquired) return InputResult::Failed;  // not while acquired
    InputResult fault = Fault(InputStep::DataFormat);
    if (fault != InputResult::Ok) return fault;
    m_formatSet = true;
    return InputResult::Ok;
}

InputResult InputDevice::SetCooperativeLevel(WindowHandle window, uint32_t flags) {
    InputResult fault = Fault(InputStep::CooperativeLevel);
    if (fault != InputResult::Ok) return fault;
    bool oneAccess = !(flags & coop::Exclusive) != !(flags & coop::NonExclusive);
    bool oneScope = !(flags & coop::Foreground) != !(flags & coop::Background);
    if (!oneAccess || !oneScope) return InputResult::InvalidParam;
    m_window = window;
    m_flags = flags;
    return InputResult::Ok;
}

InputResult InputDevice::Acquire() {
    InputResult fault = Fault(InputStep::Acquire);
    if (fault != InputResult::Ok) return fault;
    if (!m_formatSet) return InputResult::InvalidParam;
    if (NeedsForeground() && !CurrentInput().foreground) return InputResult::OtherAppHasPriority;
    if (!m_acquired) {
        m_acquired = true;
        OnAcquire();
    }
    return InputResult::Ok;
}

InputResult InputDevice::Unacquire() {
    m_acquired = false;
    return InputResult::Ok;
}

InputResult InputDevice::CheckRead() {
    InputResult fault = Fault(InputStep::Read);
    if (fault == InputResult::InputLost) m_acquired = false;
    if (fault != InputResult::Ok) return fault;
    if (!m_acquired) return InputResult::NotAcquired;
    if (NeedsForeground() && !CurrentInput().foreground) {
        m_acquired = false;
        return InputResult::InputLost;
    }
    return InputResult::Ok;
}

}  // namespace plat
