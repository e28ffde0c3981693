#include "core/EProfiler.h"

#include "core/QueryAppTimer.h"

EProfiler g_Profiler;

EProfiler::EProfiler() : m_dFrameStart(0), m_dLastFrameTime(0) {}

EProfiler::~EProfiler() = default;

void EProfiler::BeginFrame() { m_dFrameStart = QueryAppTimer(TIMER_GETABSOLUTETIME); }

void EProfiler::EndFrame() { m_dLastFrameTime = QueryAppTimer(TIMER_GETABSOLUTETIME) - m_dFrameStart; }

// Sections are registered for the report but not timed.
void EProfiler::BeginSection(int) {}
void EProfiler::EndSection(int) {}
