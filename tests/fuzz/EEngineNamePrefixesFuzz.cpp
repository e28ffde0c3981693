// The name prefixes "save\NamePrefixes.cfg": the input read as the file (as at the engine's
// construction, onto empty cells), then a light named from its prefix; the name always ends
// inside its field.
#include <cstdlib>
#include <cstring>

#include "FuzzSupport.h"
#include "world/EEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("save\\NamePrefixes.cfg", data, size);
    std::memset(g_Engine.m_szPrefixes, 0, sizeof g_Engine.m_szPrefixes);
    g_Engine.LoadNamePrefixes();
    ObjectCreateParams params;
    params.m_bKind = OT_LIGHT;
    if (EObjectSlot* light = g_Engine.AddObject(&params)) {
        g_Engine.AssignDefaultName(light, 7);
        if (strnlen(light->m_szName, sizeof light->m_szName) == sizeof light->m_szName) std::abort();
        g_Engine.DeleteObject(light);
    }
    return 0;
}
