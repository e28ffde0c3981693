// The launcher's rewrite of "qv.cfg": the input is the file; its screen-size and steering lines
// are rewritten (and run) through "qv.bak", with and without a screen size on offer.
#include "FuzzSupport.h"
#include "app/Launcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fuzz::StartDirectory();
        g_DisplayModes.m_Entries[0] = {"800x600", 600, 800};
        return true;
    }();
    (void)ready;
    fuzz::InputFile input("qv.cfg", data, size);
    g_DisplayModes.m_iCount = size % 2;
    SaveLauncherConfig();
    return 0;
}
