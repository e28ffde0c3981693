#include "platform/input/Keyboard.h"

#include <cstring>

namespace plat {

InputResult Keyboard::GetState(uint8_t (&keys)[256]) {
    InputResult r = CheckRead();
    if (r != InputResult::Ok) return r;
    std::memcpy(keys, CurrentInput().keys, sizeof keys);
    return InputResult::Ok;
}

}  // namespace plat
