#pragma once
// Effect definitions made in code for the effects' tests, in the manager's first free slots.
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "render/EFXMgr.h"

namespace test {

// A definition of a kind, living for `life` seconds.
inline EFXDefinition& DefineEffect(const char* name, float life = 1.0f, uint32_t type = FX_NONE) {
    for (EFXDefinition& d : g_FXMgr.m_Definitions) {
        if (d.m_szName[0]) continue;
        std::snprintf(d.m_szName, sizeof d.m_szName, "%s", name);
        d.m_uType = type;
        d.m_fLifeTime = life;
        return d;
    }
    throw std::runtime_error("no free effect definition");
}

// A sprite of one texture.
inline EFXDefinition& DefineSprite(const char* name, const char* texture, float life = 10.0f) {
    EFXDefinition& d = DefineEffect(name, life, FX_SPRITE);
    std::snprintf(d.m_szFileNames[0], sizeof d.m_szFileNames[0], "%s", texture);
    d.m_uFileNameCount = 1;
    return d;
}

}  // namespace test
