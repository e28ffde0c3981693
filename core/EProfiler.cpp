#include "core/EProfiler.h"

#include <cstdio>

#include "platform/os/Clock.h"

EProfiler g_Profiler;

namespace {

struct SectionEntry {
    int id;
    int depth;
    const char* name;
};

constexpr SectionEntry kSectionTable[] = {
    {0, 0, "Engine Update"},
    {10, 1, "EU: MainGame Pre"},
    {20, 1, "EU: Env Update"},
    {30, 1, "EU: EngineObjects Update"},
    {32, 2, "EO: Camera Collision Finder"},
    {34, 2, "EO: AmbientSound"},
    {36, 2, "EO: UpdateObjects"},
    {37, 3, "EO: U ObjectsOnBezier"},
    {38, 3, "EO: U ObjectLoop"},
    {41, 5, "EO: UO Startup"},
    {42, 5, "EO: UO Physics control"},
    {43, 5, "EO: UO misc"},
    {44, 5, "EO: UO updateable & shadow"},
    {46, 5, "EO: UO FX i drobnica"},
    {60, 5, "EO: UO UpdateSkinmesh"},
    {64, 5, "EO: UO UpdateAction"},
    {141, 4, "EO: U WaitingToDie"},
    {144, 3, "EO: U LinkedUpdate"},
    {145, 3, "EO: U SkinmeshUpdate"},
    {147, 2, "EO: CameraPosParams"},
    {148, 2, "EO: ObjectsVisibility"},
    {149, 2, "EO: RotateToCamera"},
    {200, 0, "MainGame Update"},
    {202, 1, "MU Player Update"},
    {204, 2, "MU Player Update Input"},
    {210, 2, "MU Player Update parametry jazdy 1"},
    {220, 2, "MU Player Update parametry jazdy 2"},
    {230, 2, "MU Player Update Physics"},
    {240, 2, "MU Player Update Pozycja i Vel"},
    {250, 2, "MU Player Update Ruch synch"},
    {260, 2, "MU Player Update levelowe"},
    {270, 2, "MU Player Update markery i teksty"},
    {272, 2, "MU Player Update camera"},
    {274, 2, "MU Player Update RuchMgr"},
    {300, 0, "D3DMain Prerender"},
    {400, 0, "D3DMain Render"},
    {430, 1, "Engine Render"},
    {460, 1, "MainGame Render"},
};

bool ValidId(int id) { return id >= 0 && id < EProfiler::kSections; }

}  // namespace

EProfiler::EProfiler() : m_iFrameStart(0), m_iFrequency(0), m_dFrameTime(0), m_iTimerStarts{}, m_bEnabled(0) {
    for (Section& section : m_Sections) section = Section{0, 0.0, {}, kUnregisteredDepth};
}

EProfiler::~EProfiler() = default;

void EProfiler::SetSection(const char* name, int id, int depth) {
    if (!ValidId(id)) return;
    Section& section = m_Sections[id];
    section.m_bUsed = 1;
    section.m_iDepth = depth;
    std::snprintf(section.m_szName, kNameLength, "%s", name ? name : "");
}

void EProfiler::RegisterSections() {
    for (const SectionEntry& entry : kSectionTable) SetSection(entry.name, entry.id, entry.depth);
}

void EProfiler::BeginFrame() {
    if (!m_bEnabled) return;
    m_iFrameStart = plat::PerformanceCounter();
    for (Section& section : m_Sections) section.m_dTime = 0.0;
}

void EProfiler::EndFrame() {
    if (!m_bEnabled) return;
    QueryFrequency();
    m_dFrameTime = static_cast<double>(plat::PerformanceCounter() - m_iFrameStart) / static_cast<double>(m_iFrequency);
}

void EProfiler::Begin(int) {}

double EProfiler::End(int) { return 0.0; }

void EProfiler::QueryFrequency() { m_iFrequency = plat::PerformanceFrequency(); }

void EProfiler::StartTimer(int id) {
    if (ValidId(id)) m_iTimerStarts[id] = plat::PerformanceCounter();
}

double EProfiler::GetElapsed(int id) {
    if (!ValidId(id)) return 0.0;
    if (!m_iFrequency) QueryFrequency();
    return static_cast<double>(plat::PerformanceCounter() - m_iTimerStarts[id]) / static_cast<double>(m_iFrequency);
}

void EProfiler::ResetSection(int id) {
    if (ValidId(id)) m_Sections[id].m_dTime = 0.0;
}

void EProfiler::Disable() { m_bEnabled = 0; }

void EProfiler::Update() {}
void EProfiler::Release() {}
void EProfiler::Draw() {}
