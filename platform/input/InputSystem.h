#pragma once
// The input service: makes the keyboard, the mouse and the attached game controllers. Which
// controllers are attached depends on the backend: SDL's joysticks, or with an input script
// one scripted controller fed by the script's axis and button events; tests can attach fake
// controllers instead (InputState::fakeControllers).
#include <memory>

#include "platform/input/Controller.h"
#include "platform/input/Keyboard.h"
#include "platform/input/Mouse.h"

namespace plat {

class InputSystem {
public:
    // Null when the service cannot start.
    static std::unique_ptr<InputSystem> Create();
    ~InputSystem();

    InputResult CreateKeyboard(std::unique_ptr<Keyboard>& keyboard);
    InputResult CreateMouse(std::unique_ptr<Mouse>& mouse);
    // Controllers attached now, in a fixed order.
    int ControllerCount() const;
    InputResult CreateController(int index, std::unique_ptr<Controller>& controller);

private:
    InputSystem() = default;
    bool m_sdlStarted = false;
};

}  // namespace plat
