#pragma once
// Measures where the time of a frame goes: the frame length and stopwatches by section id.
#include <cstdint>

class EProfiler {
public:
    EProfiler();
    virtual ~EProfiler();

    void BeginFrame();
    void EndFrame();
    void BeginSection(int id);
    void EndSection(int id);

    double m_dFrameStart;
    double m_dLastFrameTime;
};

extern EProfiler g_Profiler;
