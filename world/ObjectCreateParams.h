#pragma once
// The descriptor from which the engine creates an object: kind, flag words, model file, placement
// and, for lights, range and value.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

struct ObjectCreateParams {
    static constexpr int kFileNameSize = 128;

    ObjectCreateParams() { Reset(); }

    // Back to the defaults: a visible mesh at the origin, unscaled, facing ahead.
    void Reset();

    uint8_t m_bKind;
    uint32_t m_uFlags;
    uint32_t m_uFlags2;
    uint32_t m_uFlags3;
    char m_szFileName[kFileNameSize];
    DV m_vPosition;
    DV m_vScaling;
    EOrientation m_Orientation;
    float m_fLightRange;
    float m_fLightValue;
    // Further light values the world loader fills; object creation does not read them.
    float m_fLightValues[4];
    float m_fViewDistance;
};
