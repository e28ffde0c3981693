#include "core/QueryAppTimer.h"

#include <cstdint>

#include "platform/os/Clock.h"

namespace {

// Counter values throughout; the platform clock always has a high-resolution counter.
struct AppTimerState {
    bool initialised = false;
    int64_t frequency = 0;
    int64_t baseTime = 0;
    int64_t lastElapsedTime = 0;
    int64_t stopTime = 0;
    bool stopped = false;
};

AppTimerState g_timer;

double Seconds(int64_t ticks) { return static_cast<double>(ticks) / static_cast<double>(g_timer.frequency); }

}  // namespace

double QueryAppTimer(int command) {
    if (!g_timer.initialised) {
        g_timer.initialised = true;
        g_timer.frequency = plat::PerformanceFrequency();
    }
    int64_t now = plat::PerformanceCounter();
    if (g_timer.stopped && command != TIMER_START && command != TIMER_GETABSOLUTETIME) now = g_timer.stopTime;

    switch (command) {
        case TIMER_RESET:
            g_timer.baseTime = now;
            g_timer.lastElapsedTime = now;
            g_timer.stopTime = 0;
            g_timer.stopped = false;
            return 0.0;
        case TIMER_START:
            if (g_timer.stopped) g_timer.baseTime += now - g_timer.stopTime;
            g_timer.lastElapsedTime = now;
            g_timer.stopTime = 0;
            g_timer.stopped = false;
            return 0.0;
        case TIMER_STOP:
            if (!g_timer.stopped) {
                g_timer.stopped = true;
                g_timer.stopTime = now;
                g_timer.lastElapsedTime = now;
            }
            return 0.0;
        case TIMER_ADVANCE:
            g_timer.stopTime += g_timer.frequency / 10;
            return 0.0;
        case TIMER_GETABSOLUTETIME:
            return Seconds(now);
        case TIMER_GETAPPTIME:
            return Seconds(now - g_timer.baseTime);
        case TIMER_GETELAPSEDTIME: {
            double elapsed = Seconds(now - g_timer.lastElapsedTime);
            g_timer.lastElapsedTime = now;
            return elapsed;
        }
        default:
            return -1.0;
    }
}

void ResetAppTimer() { g_timer = AppTimerState{}; }
