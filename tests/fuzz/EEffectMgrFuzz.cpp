// Effect files made into the effect manager's records on the null device: a valid technique
// chosen and the parameters' handles looked up.
#include <memory>

#include "FuzzSupport.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool device = [] {
        fuzz::StartDirectory();
        g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
        return true;
    }();
    (void)device;
    fuzz::InputFile input("fx\\fuzz.fxc", data, size);
    g_EffectMgr.CreateEffect("fuzz", "fx\\fuzz.fxc");
    g_EffectMgr.Release();
    return 0;
}
