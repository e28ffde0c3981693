// Power-line scripts read onto poles that every name finds (each at its own place, with every
// socket it is asked for), and their cables built on the null device.
#include <cstring>
#include <memory>

#include "FuzzSupport.h"
#include "platform/gfx/NullSystem.h"
#include "render/CPowerLines.h"
#include "render/D3DDevice.h"
#include "render/RenderHooks.h"

namespace {

DrawVisibility s_pole;

// A place of a name's own, near enough to the camera for most spans to be built.
DV PlaceOf(const char* name) {
    uint32_t h = 2166136261u;
    for (; *name; ++name) h = (h ^ static_cast<unsigned char>(*name)) * 16777619u;
    return DV{static_cast<float>(h % 2000) - 1000.0f, static_cast<float>(h >> 24), static_cast<float>((h >> 8) % 2000)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fuzz::StartDirectory();
        g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
        g_RenderHooks.findObject = [](const char* name) -> const DrawVisibility* { return *name ? &s_pole : nullptr; };
        g_RenderHooks.effectObject = [](const DrawVisibility*, EffectObject&) { return true; };
        g_RenderHooks.objectSocket = [](const DrawVisibility*, const char* socket, DV& at, EOrientation*) {
            at = PlaceOf(socket);
            return std::strlen(socket) % 4 != 0;
        };
        return true;
    }();
    (void)ready;
    fuzz::InputFile input("scripts\\slupy\\fuzz.txt", data, size);
    g_PowerLines.LoadFile("scripts\\slupy\\fuzz.txt");
    g_PowerLines.RebuildVB();
    g_PowerLines.Release();
    return 0;
}
