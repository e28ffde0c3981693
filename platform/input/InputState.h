#pragma once
// The raw state of the input devices as the backends last reported it: keys by DirectInput scan
// code, the mouse's buffered movement and buttons, game controller 0. The device layer reads it
// when the game polls; the backends (SDL events or an input script) write it. Tests also set the
// device faults, the fake controllers and read the recorded force-feedback calls here.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/input/EffectFile.h"
#include "platform/input/InputResult.h"

namespace plat {

// What a buffered mouse item reports: movement on an axis, or a button's new state.
enum class MouseOffset : uint8_t { X, Y, Wheel, Button0, Button1, Button2, Button3 };

struct MouseItem {
    MouseOffset offset = MouseOffset::X;
    int32_t value = 0;  // counts of movement; a button: 0x80 pressed, 0 released
};

// The mouse keeps this many items; further items are dropped and the next read says so.
constexpr uint32_t kMouseBufferCapacity = 1024;

// Controller values: axes 0..5 are x, y, z, rx, ry, rz; 6 and 7 are the two sliders.
constexpr int kControllerAxes = 8;
constexpr int kControllerButtons = 128;

enum class DeviceKind { System, Keyboard, Mouse, Controller, Count };
enum class InputStep { Create, DataFormat, CooperativeLevel, BufferSize, Acquire, Read, Count };

// A controller the tests attach instead of the backend's own; it reads controller 0's values.
struct FakeController {
    std::string name;
    bool hasSlider = false;
    bool forceFeedback = true;
    bool createFails = false;
};

// One call on a recorded force-feedback effect.
struct EffectCall {
    enum class Op { Create, Start, Stop, Release };
    Op op = Op::Create;
    std::string controller;
    std::string effect;
    EffectType type = EffectType::Constant;
    uint32_t iterations = 0;  // Start
};

struct InputState {
    uint8_t keys[256] = {};           // 0x80 while held
    int mouseDx = 0, mouseDy = 0;     // movement not yet read
    bool mouseButtons[3] = {};
    MouseItem mouseItems[kMouseBufferCapacity] = {};  // in arrival order, not yet read
    uint32_t mouseItemCount = 0;
    bool mouseOverflow = false;       // items were dropped since the last read
    float axes[kControllerAxes] = {}; // controller 0, -1..1
    bool buttons[kControllerButtons] = {};  // controller 0
    // The window is in the foreground; devices acquired for the foreground only lose their input
    // while it is not.
    bool foreground = true;

    // Test hooks.
    InputResult faults[int(DeviceKind::Count)][int(InputStep::Count)] = {};
    std::optional<std::vector<FakeController>> fakeControllers;
    std::vector<EffectCall> effectCalls;
};

InputState& CurrentInput();
void ResetInput();

// Appends a mouse item, or marks the buffer overflowed when it is full.
void PushMouseItem(MouseOffset offset, int32_t value);
// Makes a device step answer this result from now on (tests); Ok undoes it.
void SetInputFault(DeviceKind kind, InputStep step, InputResult result);
InputResult InputFault(DeviceKind kind, InputStep step);

}  // namespace plat
