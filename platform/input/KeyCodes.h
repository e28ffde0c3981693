#pragma once
// The key code spaces the game uses: Windows virtual-key codes in key messages and DirectInput
// scan codes in keyboard state. Keys are named by SDL scancode names ("Up", "Return", "F8", "A").
#include <cstdint>
#include <string_view>

namespace plat {

struct KeyCode {
    int sdlScancode = 0;     // SDL_Scancode value, 0 when unknown
    uint32_t virtualKey = 0; // Windows virtual-key code, 0 when the key has none
    uint32_t scanCode = 0;   // DirectInput scan code (0..255), 0 when the key has none
};

KeyCode KeyFromSdlScancode(int sdlScancode);
// Looks a key up by its SDL scancode name, ignoring case; sdlScancode 0 when unknown.
KeyCode KeyFromName(std::string_view name);
KeyCode KeyFromScanCode(uint32_t scanCode);

}  // namespace plat
