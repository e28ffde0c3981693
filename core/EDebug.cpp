#include "core/EDebug.h"

#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/QueryAppTimer.h"
#include "platform/os/Clock.h"

// Components register their heap blocks from their constructors and unregister them from their
// destructors: the registry is made before them and destroyed after them.
__attribute__((init_priority(102))) EDebug g_Debug;

namespace {

// Share of a subset class in percent; 0 when no subset was switched (an empty scene).
int Percent(int count, int total) { return total ? count * 100 / total : 0; }

void PrintPercentage(const char* label, double part, double whole) {
    char line[128];
    std::snprintf(line, sizeof line, "%s%f", label, part * 100.0 / whole);
    g_Console.Print(line);
}

}  // namespace

void OverlayLines::Add(const char* format, ...) {
    if (count >= kMaxLines) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(text[count], kLineLength, format, args);
    va_end(args);
    ++count;
}

EDebug::EDebug()
    : m_szTagNames{}, m_uTagCounts{}, m_bTagUsed{}, m_dTimerStarts{}, m_iVideoMemoryTotal(0), m_iVideoMemory{},
      m_iVideoMemoryCategory(0), m_iMeasuredAmount(0), m_iVisibleMeshPolygons(0), m_iRenderedMeshPolygons(0),
      m_iVisibleShadowPolygons(0), m_iSubsetStats{}, m_dUpdateTotalTime(0), m_dMainGameTime(0), m_dEngineTime(0),
      m_dEngineObjectsTime(0), m_dMovableTime(0), m_dRendererTime(0), m_dRenderTime(0) {}

EDebug::~EDebug() = default;

int EDebug::FindTag(const char* tag) const {
    for (int i = 0; i < kTagSlots; ++i)
        if (m_bTagUsed[i] && !strcasecmp(m_szTagNames[i], tag)) return i;
    return -1;
}

void EDebug::AddAlloc(const char* tag) {
    if (!g_Settings.m_iSystemDebug || !tag) return;
    int slot = FindTag(tag);
    if (slot >= 0) {
        ++m_uTagCounts[slot];
        return;
    }
    for (int i = 0; i < kTagSlots; ++i) {
        if (m_bTagUsed[i]) continue;
        std::snprintf(m_szTagNames[i], kTagLength, "%s", tag);
        m_bTagUsed[i] = 1;
        m_uTagCounts[i] = 1;
        return;
    }
}

void EDebug::RemoveAlloc(const char* tag) {
    if (!g_Settings.m_iSystemDebug || !tag) return;
    int slot = FindTag(tag);
    if (slot < 0) {
        char line[kTagLength + 64];
        std::snprintf(line, sizeof line, "Remove %s nie ma odpowiednika!", tag);
        // Globals freed at exit may come after the console.
        if (!EConsole::GoneAtExit()) g_Console.Print(line);
        return;
    }
    // The slot stays in use at 0, so a balanced tag still shows in the dump.
    if (m_uTagCounts[slot]) --m_uTagCounts[slot];
}

void EDebug::DumpAllocs() {
    if (!g_Settings.m_iSystemDebug) return;
    g_Console.Print("*** Current memory allocations:");
    char line[kTagLength + 16];
    for (int i = 0; i < kTagSlots; ++i) {
        if (!m_bTagUsed[i]) continue;
        std::snprintf(line, sizeof line, "%s: %i", m_szTagNames[i], static_cast<int>(m_uTagCounts[i]));
        g_Console.Print(line);
    }
}

void EDebug::StartTimer(int slot) {
    if (slot >= 0 && slot < kTimerSlots) m_dTimerStarts[slot] = QueryAppTimer(TIMER_GETABSOLUTETIME);
}

double EDebug::GetTimerElapsed(int slot) const {
    if (slot < 0 || slot >= kTimerSlots) return 0.0;
    return QueryAppTimer(TIMER_GETABSOLUTETIME) - m_dTimerStarts[slot];
}

void EDebug::ResetVideoMemoryTotal() { m_iVideoMemoryTotal = 0; }

void EDebug::BeginVideoMemoryCount(int category) {
    m_iVideoMemoryCategory = category;
    m_iMeasuredAmount = 0;
}

void EDebug::EndVideoMemoryCount() {
    if (m_iVideoMemoryCategory >= 0 && m_iVideoMemoryCategory < kVideoMemoryCategories)
        m_iVideoMemory[m_iVideoMemoryCategory] += m_iMeasuredAmount;
}

void EDebug::FormatVideoMemory(OverlayLines& lines) const {
    int targets = m_iVideoMemory[kCategoryRenderTargets];
    int postProcessing = m_iVideoMemory[kCategoryPostProcessing];
    lines.Add("Render targets (sky+projectors): %i", targets);
    lines.Add("Post processing surfaces: %i", postProcessing);
    lines.Add("Other resources (screen+meshes+textures): %i", m_iVideoMemoryTotal - postProcessing - targets);
    lines.Add("Total video memory taken: %i", m_iVideoMemoryTotal);
}

void EDebug::FormatRenderStats(OverlayLines& lines) const {
    int switched = m_iSubsetStats[SWITCHED_SUBSETS];
    int under100 = m_iSubsetStats[SUBSETS_UNDER_100];
    int from100 = m_iSubsetStats[SUBSETS_100_499];
    int from500 = m_iSubsetStats[SUBSETS_500_999];
    int from1000 = switched - under100 - from100 - from500;
    lines.Add("Visible mesh polygons: %i", m_iVisibleMeshPolygons);
    lines.Add("Rendered mesh polygons: %i", m_iRenderedMeshPolygons);
    lines.Add("Visible mesh shadow polygons: %i", m_iVisibleShadowPolygons);
    lines.Add("Switched subsets: %i", switched);
    lines.Add("Average faces per subset: %i", switched ? m_iRenderedMeshPolygons / switched : 0);
    lines.Add("Subsets with less than 100 faces: %i (%i%%)", under100, Percent(under100, switched));
    lines.Add("Subsets 100-499 faces: %i (%i%%)", from100, Percent(from100, switched));
    lines.Add("Subsets 500-999 faces: %i (%i%%)", from500, Percent(from500, switched));
    lines.Add("Subsets 1000 faces and above: %i (%i%%)", from1000, Percent(from1000, switched));
    lines.Add("Technique switches: %i", m_iSubsetStats[TECHNIQUE_SWITCHES]);
}

void EDebug::ReportPerformance() {
    double total = m_dUpdateTotalTime + m_dRenderTime;
    if (total == 0) {
        g_Console.Print("fTotal==0");
        return;
    }
    if (m_dUpdateTotalTime == 0 || m_dRenderTime == 0 || m_dEngineTime == 0) {
        g_Console.Print("Szczatkowe == 0");
        return;
    }
    g_Console.Print("Debug performance");
    PrintPercentage("Update: ", m_dUpdateTotalTime, total);
    PrintPercentage("  MainGame: ", m_dMainGameTime, m_dUpdateTotalTime);
    PrintPercentage("  Engine: ", m_dEngineTime, m_dUpdateTotalTime);
    PrintPercentage("    EngineObject: ", m_dEngineObjectsTime, m_dEngineTime);
    PrintPercentage("    Renderer: ", m_dRendererTime, m_dEngineTime);
    PrintPercentage("    Movable: ", m_dMovableTime, m_dEngineTime);
    PrintPercentage("    ----: ", m_dEngineTime - m_dRendererTime - m_dEngineObjectsTime - m_dMovableTime,
                    m_dEngineTime);
    PrintPercentage("Render: ", m_dRenderTime, total);
    int64_t frequency = plat::PerformanceFrequency();
    if (frequency > 0) {
        char line[64];
        std::snprintf(line, sizeof line, "Using QPF with timer %lld", static_cast<long long>(frequency));
        g_Console.Print(line);
    } else {
        g_Console.Print("NOT Using QPF");
    }
}

void EDebug::OnBeginWorld() {}
void EDebug::OnEndWorld() {}

int EDebug::QueryZero() { return 0; }
