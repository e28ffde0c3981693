#pragma once
// The one place where render passes switch the device states they share; it remembers what it
// set so a state is only sent when it changes.
#include <cstdint>

class ERenderStateCache {
public:
    // Culling counter-clockwise, whatever the record says.
    void ForceCulling();

    uint8_t m_bCullingOn = 0;
};

extern ERenderStateCache g_RenderStateCache;
