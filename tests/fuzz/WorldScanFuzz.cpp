// The loading screen's scan of a world file for its mesh lines.
#include "FuzzSupport.h"
#include "core/EConsole.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("worlds\\fuzz.w", data, size);
    g_Console.ShowLoadingScreen("worlds\\fuzz.w");
    g_Console.EndLoadingScreen();
    return 0;
}
