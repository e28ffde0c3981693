#include "platform/input/InputSystem.h"

#include <SDL2/SDL.h>

#include "platform/input/SdlControllerSource.h"
#include "platform/input/StateControllerSource.h"
#include "platform/os/Backends.h"

namespace plat {
namespace {

constexpr Uint32 kSdlInputSystems = SDL_INIT_JOYSTICK | SDL_INIT_HAPTIC;

// Controllers whose values come from the input state: the tests' fakes, or the script's one.
const std::vector<FakeController>* StateControllers() {
    static const std::vector<FakeController> kScripted = {{"Scripted controller", true, true, false}};
    const InputState& input = CurrentInput();
    if (input.fakeControllers) return &*input.fakeControllers;
    if (Backends().input == InputBackend::Script) return &kScripted;
    return nullptr;
}

}  // namespace

std::unique_ptr<InputSystem> InputSystem::Create() {
    if (InputFault(DeviceKind::System, InputStep::Create) != InputResult::Ok) return nullptr;
    std::unique_ptr<InputSystem> system(new InputSystem);
    // Without joystick support the keyboard and the mouse still work: no controller is listed.
    if (!StateControllers()) system->m_sdlStarted = SDL_InitSubSystem(kSdlInputSystems) == 0;
    return system;
}

InputSystem::~InputSystem() {
    if (m_sdlStarted) SDL_QuitSubSystem(kSdlInputSystems);
}

InputResult InputSystem::CreateKeyboard(std::unique_ptr<Keyboard>& keyboard) {
    InputResult fault = InputFault(DeviceKind::Keyboard, InputStep::Create);
    if (fault != InputResult::Ok) return fault;
    keyboard = std::make_unique<Keyboard>();
    return InputResult::Ok;
}

InputResult InputSystem::CreateMouse(std::unique_ptr<Mouse>& mouse) {
    InputResult fault = InputFault(DeviceKind::Mouse, InputStep::Create);
    if (fault != InputResult::Ok) return fault;
    mouse = std::make_unique<Mouse>();
    return InputResult::Ok;
}

int InputSystem::ControllerCount() const {
    if (const std::vector<FakeController>* fakes = StateControllers()) return int(fakes->size());
    return m_sdlStarted ? std::max(SDL_NumJoysticks(), 0) : 0;
}

InputResult InputSystem::CreateController(int index, std::unique_ptr<Controller>& controller) {
    InputResult fault = InputFault(DeviceKind::Controller, InputStep::Create);
    if (fault != InputResult::Ok) return fault;
    if (index < 0 || index >= ControllerCount()) return InputResult::NotFound;
    if (const std::vector<FakeController>* fakes = StateControllers()) {
        const FakeController& fake = (*fakes)[size_t(index)];
        if (fake.createFails) return InputResult::Failed;
        controller = std::make_unique<Controller>(std::make_unique<StateControllerSource>(fake));
        return InputResult::Ok;
    }
    auto source = std::make_unique<SdlControllerSource>(index);
    if (!source->Valid()) return InputResult::Failed;
    controller = std::make_unique<Controller>(std::move(source));
    return InputResult::Ok;
}

}  // namespace plat
