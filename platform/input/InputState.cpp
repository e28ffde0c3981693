#include "platform/input/InputState.h"

namespace plat {

InputState& CurrentInput() {
    static InputState state;
    return state;
}

void ResetInput() { CurrentInput() = InputState{}; }

}  // namespace plat
