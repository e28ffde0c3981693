#include "core/EDebug.h"

#include "core/QueryAppTimer.h"

EDebug g_Debug;

EDebug::EDebug() : m_dTimerStarts{}, m_dUpdateTotalTime(0) {}

EDebug::~EDebug() = default;

void EDebug::StartTimer(int slot) {
    if (slot >= 0 && slot < kTimerSlots) m_dTimerStarts[slot] = QueryAppTimer(TIMER_GETABSOLUTETIME);
}

double EDebug::GetTimerElapsed(int slot) const {
    if (slot < 0 || slot >= kTimerSlots) return 0.0;
    return QueryAppTimer(TIMER_GETABSOLUTETIME) - m_dTimerStarts[slot];
}
