// The configuration file "qv.cfg" executed by a fresh console with the game's command table on
// the null backends.
#include "FuzzSupport.h"
#include "app/FloorHooks.h"
#include "core/EConsole.h"
#include "core/ESettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("qv.cfg", data, size);
    test::ResetGlobal(g_Settings);
    g_Console.FreeVariables();
    test::ResetGlobal(g_Console);
    InstallFloorHooks();
    g_Console.ExecFile("qv.cfg");
    return 0;
}
