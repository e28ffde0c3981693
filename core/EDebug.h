#pragma once
// Developer diagnostics: stopwatches and the performance report.
#include <cstdint>

class EDebug {
public:
    static constexpr int kTimerSlots = 512;

    EDebug();
    virtual ~EDebug();

    void StartTimer(int slot);
    double GetTimerElapsed(int slot) const;

    double m_dTimerStarts[kTimerSlots];
    double m_dUpdateTotalTime;
};

extern EDebug g_Debug;
