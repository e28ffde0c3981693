// A player profile "save\0.prf": only a whole file of the version is taken, and its values are
// brought into range.
#include "FuzzSupport.h"
#include "game/CProfileMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("save\\0.prf", data, size);
    g_ProfileMgr.LoadProfile(0);
    g_ProfileMgr.SelectProfile(0);
    return 0;
}
