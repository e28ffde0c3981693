#pragma once
// What the sound components need from the floors above them. app/ installs every slot at
// start-up; tests install their own. A slot left as it is answers frame 0 and time 0.
#include <cstdint>

struct AudioHooks {
    // The main game's frame count since the world started; music waits for the level start.
    uint32_t (*gameFrame)() = [] { return 0u; };
    // The engine's time since the world started; the sound cache drops its oldest entry first.
    float (*levelTime)() = [] { return 0.0f; };
};

inline AudioHooks g_AudioHooks;
