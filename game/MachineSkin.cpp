#include "game/MachineSkin.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "core/EConsole.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

constexpr int kSkinnedModels = 23;

// Case-insensitive: is needle somewhere in text?
bool Contains(const char* text, const char* needle) {
    const size_t n = std::strlen(needle);
    for (; *text; ++text)
        if (strncasecmp(text, needle, n) == 0) return true;
    return false;
}

// 1..23, 0 when the model is none of them.
int ModelNumber(const char* modelName) {
    char name[32];
    for (int n = 1; n <= kSkinnedModels; ++n) {
        std::snprintf(name, sizeof name, "tractor%03d_nocenter", n);
        if (Contains(modelName, name)) return n;
    }
    return 0;
}

}  // namespace

bool SkinTextureNames(const char* modelName, int skin, char* baseName, char* skinName, size_t size) {
    const int n = ModelNumber(modelName);
    if (n == 0) return false;
    char base[32];
    std::snprintf(base, sizeof base, n < 10 ? "tractor00%i" : "tractor0%i", n);
    std::snprintf(baseName, size, "%s.tga", base);
    if (skin > 0) std::snprintf(skinName, size, "%s%c.tga", base, 'a' + skin - 1);
    else std::snprintf(skinName, size, "%s.tga", base);
    return true;
}

int SetSkin(CMenu*, EObjectSlot* object, int skin, int) {
    if (!object) return 0;
    if (skin < 0 || skin >= kSkinCount) skin = 0;
    char base[64], skinned[64];
    if (!SkinTextureNames(object->m_szFileName, skin, base, skinned, sizeof base)) {
        g_Console.PrintStr2("SetSkin() nie zidentyfikowala samochodu ", object->m_szFileName);
        return 0;
    }
    char line[192];
    std::snprintf(line, sizeof line, "Ustawiam skin %s dla tekstury bazowej %s", skinned, base);
    g_Console.Print(line);
    g_Engine.SetObjectTextureSwap(object, 0, base, skinned);
    return skin;
}
