#pragma once
// The lighting environment of the world: fog and light sets, the sky light and the time of day.
#include <cstdint>

#include "core/DV.h"

class ESky {
public:
    static constexpr int kSets = 4;

    ESky();
    virtual ~ESky();

    // A set index of 4 or more means set 0.
    void GetFogColour(uint32_t& colour, int set) const;
    void SetFogColour(uint32_t colour, int set);
    float GetFogFar(int set) const;
    void SetFogFar(float distance, int set);
    float GetFogNear(int set) const;
    // Returns the set index actually used.
    int SetFogNear(float distance, int set);
    // After a device reset; the sky keeps nothing in video memory.
    void OnResetDevice();

    // The sun-like directional light: its direction, and whether the scene uses it.
    DV m_vSkyLightDir{-1.0f, -0.5f, 0.5f};
    uint8_t m_bSkyLightUsed = 1;
    uint32_t m_uFogColour[kSets];
    float m_fFogFar[kSets];
    float m_fFogNear[kSets];
};

extern ESky g_Sky;
