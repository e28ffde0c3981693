#pragma once
// The system keyboard: a 256-byte state by DirectInput scan code, 0x80 while a key is held.
#include <cstdint>

#include "platform/input/InputDevice.h"

namespace plat {

class Keyboard : public InputDevice {
public:
    Keyboard() : InputDevice(DeviceKind::Keyboard) {}
    InputResult GetState(uint8_t (&keys)[256]);
};

}  // namespace plat
