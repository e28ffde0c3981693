#pragma once
// Facts fixed for the whole frame, written once per frame by app/ right after the engine's timer
// step (its only writer) and read by the floors below that must not see the engine.
struct FrameFacts {
    // Seconds this frame advances the game, already scaled by GlobalTimeSpeed.
    float frameTime = 0;
};

inline FrameFacts g_FrameFacts;
