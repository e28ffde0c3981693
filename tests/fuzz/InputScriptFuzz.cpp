// An input script loaded by the input pump and played into window messages and input state.
#include <cstdint>
#include <deque>

#include "FuzzSupport.h"
#include "platform/input/InputPump.h"
#include "platform/input/InputState.h"
#include "platform/os/Backends.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool scripted = [] {
        fuzz::StartDirectory();
        plat::BackendChoice choice = plat::Backends();
        choice.input = plat::InputBackend::Script;
        choice.inputScript = "input.txt";
        plat::SetBackends(choice);
        return true;
    }();
    (void)scripted;
    fuzz::InputFile input("input.txt", data, size);
    plat::ResetInputPump();
    plat::ResetInput();
    std::deque<plat::Message> messages;
    // The first frame's events, then all the rest at once.
    for (uint64_t frame : {uint64_t{1}, UINT64_MAX}) plat::PumpInput(frame, messages);
    return 0;
}
