// The blood-drop lists: the input's two parts are "scripts\BloodDrops.txt" and
// "scripts\BloodDropsOF.txt"; neither list grows past its table.
#include <cstdlib>

#include "FuzzSupport.h"
#include "render/EFXMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFiles input({"scripts\\BloodDrops.txt", "scripts\\BloodDropsOF.txt"}, data, size);
    g_FXMgr.LoadBloodDrops();
    if (g_FXMgr.m_uBloodDropCount > EFXMgr::kBloodDropNames || g_FXMgr.m_uBloodGroundCount > EFXMgr::kBloodDropNames)
        std::abort();
    return 0;
}
