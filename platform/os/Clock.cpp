#include "platform/os/Clock.h"

#include <chrono>

#include "platform/os/Backends.h"

namespace plat {
namespace {

constexpr int64_t kFixedTicksPerFrame = 1000000;

uint64_t g_frame = 0;
std::chrono::steady_clock::time_point g_origin = std::chrono::steady_clock::now();

bool Fixed() { return Backends().clock == ClockBackend::Fixed; }

}  // namespace

int64_t PerformanceFrequency() {
    if (Fixed()) return kFixedTicksPerFrame * Backends().fixedFramesPerSecond;
    return 1000000000;
}

int64_t PerformanceCounter() {
    if (Fixed()) return static_cast<int64_t>(g_frame) * kFixedTicksPerFrame;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - g_origin)
        .count();
}

uint32_t MillisecondTime() {
    return static_cast<uint32_t>(PerformanceCounter() * 1000 / PerformanceFrequency());
}

uint64_t FrameNumber() { return g_frame; }
void AdvanceFrame() { ++g_frame; }

void ResetClock() {
    g_frame = 0;
    g_origin = std::chrono::steady_clock::now();
}

}  // namespace plat
