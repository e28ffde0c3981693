#pragma once
// Measures where the time of a frame goes: a registered tree of named sections, the length of
// each frame and stopwatches by id. Section begin and end calls are empty, so only the frame time
// and the stopwatches are measured. Switched on by the console variable "Profiler".
#include <cstdint>

class EProfiler {
public:
    static constexpr int kSections = 512;
    static constexpr int kNameLength = 256;
    // Depth of a section that was never registered.
    static constexpr int32_t kUnregisteredDepth = 5;

    struct Section {
        uint8_t m_bUsed;
        double m_dTime;
        char m_szName[kNameLength];
        int32_t m_iDepth;
    };

    EProfiler();
    virtual ~EProfiler();

    void SetSection(const char* name, int id, int depth);
    void RegisterSections();

    void BeginFrame();
    void EndFrame();
    void Begin(int id);
    double End(int id);

    void QueryFrequency();
    void StartTimer(int id);
    double GetElapsed(int id);
    void ResetSection(int id);

    void Disable();
    void Update();
    void Release();
    void Draw();

    Section m_Sections[kSections];
    int64_t m_iFrameStart;
    int64_t m_iFrequency;
    double m_dFrameTime;
    int64_t m_iTimerStarts[kSections];
    // Set by the console variable "Profiler"; cleared whenever a world starts.
    int32_t m_bEnabled;
};

extern EProfiler g_Profiler;
