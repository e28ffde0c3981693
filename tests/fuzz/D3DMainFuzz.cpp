// The video settings file "save\video.cfg".
#include "FuzzSupport.h"
#include "app/D3DMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("save\\video.cfg", data, size);
    g_D3DMain.LoadVideoConfig();
    return 0;
}
