#pragma once
// Developer diagnostics: the allocation-name registry (leaks show as tags whose count does not
// return to zero), stopwatches, video-memory and render counters, the performance report and the
// texts of the counters' overlays. The overlays on screen are app/'s EDebugOverlays.
#include <cstdint>

// The lines of one overlay report, drawn 20 units apart.
struct OverlayLines {
    static constexpr int kMaxLines = 10;
    static constexpr int kLineLength = 128;
    char text[kMaxLines][kLineLength];
    int count = 0;

    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

class EDebug {
public:
    static constexpr int kTagSlots = 1024;
    static constexpr int kTagLength = 64;
    static constexpr int kTimerSlots = 512;
    static constexpr int kVideoMemoryCategories = 10;
    static constexpr int kCategoryPostProcessing = 1;
    static constexpr int kCategoryRenderTargets = 2;

    // Indices of m_iSubsetStats.
    enum SubsetStat { SWITCHED_SUBSETS, SUBSETS_UNDER_100, SUBSETS_100_499, SUBSETS_500_999, TECHNIQUE_SWITCHES };

    EDebug();
    virtual ~EDebug();

    void AddAlloc(const char* tag);
    void RemoveAlloc(const char* tag);
    void DumpAllocs();

    void StartTimer(int slot);
    double GetTimerElapsed(int slot) const;

    void ResetVideoMemoryTotal();
    void BeginVideoMemoryCount(int category);
    void EndVideoMemoryCount();

    void ReportPerformance();
    void OnBeginWorld();
    void OnEndWorld();
    int QueryZero();

    // The texts of the video-memory and render-statistics overlays (drawn by app/'s
    // EDebugOverlays).
    void FormatVideoMemory(OverlayLines& lines) const;
    void FormatRenderStats(OverlayLines& lines) const;

    char m_szTagNames[kTagSlots][kTagLength];
    uint32_t m_uTagCounts[kTagSlots];
    uint8_t m_bTagUsed[kTagSlots];
    double m_dTimerStarts[kTimerSlots];
    int32_t m_iVideoMemoryTotal;
    int32_t m_iVideoMemory[kVideoMemoryCategories];
    int32_t m_iVideoMemoryCategory;
    int32_t m_iMeasuredAmount;
    int32_t m_iVisibleMeshPolygons;
    int32_t m_iRenderedMeshPolygons;
    int32_t m_iVisibleShadowPolygons;
    int32_t m_iSubsetStats[5];
    // Seconds, measured by the frame code while DebugPerformance is set.
    double m_dUpdateTotalTime;
    double m_dMainGameTime;
    double m_dEngineTime;
    double m_dEngineObjectsTime;
    double m_dMovableTime;
    double m_dRendererTime;
    double m_dRenderTime;

private:
    int FindTag(const char* tag) const;
};

extern EDebug g_Debug;
