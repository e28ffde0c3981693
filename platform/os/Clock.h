#pragma once
// The performance counter and the millisecond clock. With FURROW_CLOCK=fixed:N both advance
// exactly 1/N s at every frame (a pass of the main loop that finds the message queue empty),
// so a run's timing depends only on its frame count.
#include <cstdint>

namespace plat {

int64_t PerformanceCounter();
int64_t PerformanceFrequency();
// Milliseconds since the clock's start, wrapping at 2^32 like the multimedia clock.
uint32_t MillisecondTime();

// Frames are counted by the message queue; the fixed clock reads this count.
uint64_t FrameNumber();
void AdvanceFrame();
// Back to frame 0 and a fresh real-clock origin (tests).
void ResetClock();

}  // namespace plat
