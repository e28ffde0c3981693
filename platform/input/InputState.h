#pragma once
// The raw state of the input devices as the backends last reported it: keys by DirectInput scan
// code, the mouse's movement and buttons, game controller 0. The device layer reads it when the
// game polls; the backends (SDL events or an input script) write it.
#include <cstdint>
#include <vector>

namespace plat {

struct MouseEvent {
    enum class Kind { Move, Button };
    Kind kind = Kind::Move;
    int dx = 0, dy = 0;   // Move
    int button = 0;       // Button: 0 left, 1 right, 2 middle
    bool down = false;
};

struct InputState {
    uint8_t keys[256] = {};           // 0x80 while held
    int mouseDx = 0, mouseDy = 0;     // movement not yet read
    bool mouseButtons[3] = {};
    std::vector<MouseEvent> mouseEvents;  // in arrival order, not yet read
    float axes[8] = {};               // controller 0, -1..1
    bool buttons[128] = {};           // controller 0
};

InputState& CurrentInput();
void ResetInput();

}  // namespace plat
