#include "platform/input/InputState.h"

namespace plat {

InputState& CurrentInput() {
    static InputState state;
    return state;
}

void ResetInput() { CurrentInput() = InputState{}; }

void PushMouseItem(MouseOffset offset, int32_t value) {
    InputState& input = CurrentInput();
    if (input.mouseItemCount == kMouseBufferCapacity) {
        input.mouseOverflow = true;
        return;
    }
    input.mouseItems[input.mouseItemCount++] = {offset, value};
}

void SetInputFault(DeviceKind kind, InputStep step, InputResult result) {
    CurrentInput().faults[int(kind)][int(step)] = result;
}

InputResult InputFault(DeviceKind kind, InputStep step) { return CurrentInput().faults[int(kind)][int(step)]; }

}  // namespace plat
