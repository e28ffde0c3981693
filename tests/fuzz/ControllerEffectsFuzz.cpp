// A force-feedback effect file loaded for a wheel: its effects fitted to the wheel's axes, made
// on it and started.
#include <vector>

#include "FuzzSupport.h"
#include "core/EInput.h"
#include "platform/input/InputState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool attached = [] {
        fuzz::StartDirectory();
        plat::CurrentInput().fakeControllers = std::vector<plat::FakeController>{{"wheel", true}};
        g_Input.Init();
        g_Input.SetDevice(0);
        return true;
    }();
    (void)attached;
    fuzz::InputFile input("effects\\ff\\hitbig.ffe", data, size);
    g_Input.LoadForceFeedback();
    g_Input.PlayEffect(true);
    // As the game does before it ends: the effects go while the controller backend still lives.
    g_Input.ReleaseEffects();
    plat::CurrentInput().effectCalls.clear();  // the record would grow with every input
    return 0;
}
