#include "world/CRoutesMgr.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "world/TextLines.h"
#include "world/WorldLine.h"

CRoutesMgr g_RoutesMgr;

namespace {

constexpr size_t kLineLimit = 256;
constexpr const char* kRouteFile = "scripts\\trasy.txt";
constexpr const char* kErrorFile = "!trasy_err.txt";

// The rest of the line; a text longer than the field is cut to it, and the console says so.
template <size_t N>
void CopyRest(char (&out)[N], const char* line, const char* keyword) {
    const char* value = GetKeywordValue(line);
    if (std::strlen(value) >= N) g_Console.PrintStr3("trasy.txt: ", keyword, " cut to its field");
    std::snprintf(out, N, "%s", value);
}

void ReadTimes(float* times, const char* line) {
    for (int i = 0; i < 3; ++i) times[i] = ParseFloat(GetWord(line, i + 1));
}

struct Flag {
    const char* keyword;
    uint8_t RouteRecord::*field;
};

const Flag kFlags[] = {
    {"okrazenia", &RouteRecord::m_bLaps},        {"z_przeciwnikami", &RouteRecord::m_bWithOpponents},
    {"specjalny", &RouteRecord::m_bSpecial},     {"koszenie", &RouteRecord::m_bMowing},
    {"koszenie_trawy", &RouteRecord::m_bGrassMowing}, {"sianie", &RouteRecord::m_bSowing},
    {"slalom", &RouteRecord::m_bSlalom},         {"belowanie", &RouteRecord::m_bBaling},
    {"oranie", &RouteRecord::m_bPloughing},      {"sadzenie", &RouteRecord::m_bPlanting},
    {"zbieranie_beli", &RouteRecord::m_bBaleCollecting}, {"zboze", &RouteRecord::m_bGrain},
    {"intro", &RouteRecord::m_bIntro},           {"hide_in_menu", &RouteRecord::m_bHideInMenu},
};

struct Text {
    const char* keyword;
    char (RouteRecord::*field)[RouteRecord::kTextSize];
};

const Text kTexts[] = {
    {"opis", &RouteRecord::m_szDescription},
    {"Nazwa", &RouteRecord::m_szName},
    {"bezier_startowy", &RouteRecord::m_szStartPath},
    {"wezel_startowy", &RouteRecord::m_szStartNode},
    {"marker_finish", &RouteRecord::m_szFinishMarker},
    {"bezier_przeciwny", &RouteRecord::m_szOpponentPath},
};

const char* const kCountries[] = {"DE", "FR", "UK", "US"};

void ApplyRouteLine(RouteRecord& r, const char* line) {
    for (const Flag& f : kFlags)
        if (IsKeyword(line, f.keyword)) r.*f.field = 1;
    for (const Text& t : kTexts)
        if (IsKeyword(line, t.keyword)) CopyRest(r.*t.field, line, t.keyword);
    for (uint32_t c = 0; c < 4; ++c)
        if (IsKeyword(line, kCountries[c])) r.m_uCountry = c;
    if (IsKeyword(line, "pole")) CopyRest(r.m_szField, line, "pole");
    if (IsKeyword(line, "wpisowe")) r.m_iEntryFee = ParseInt(GetKeywordValue(line));
    if (IsKeyword(line, "nagroda")) {
        const int32_t prize = ParseInt(GetKeywordValue(line));
        r.m_iPrizes[0] = prize;
        r.m_iPrizes[1] = prize / 2;
        r.m_iPrizes[2] = prize / 2 / 2;
    }
    if (IsKeyword(line, "czas_na_miejsce_easy")) ReadTimes(&r.m_fPlaceTimes[0], line);
    if (IsKeyword(line, "czas_na_miejsce")) ReadTimes(&r.m_fPlaceTimes[3], line);
    if (IsKeyword(line, "czas_na_miejsce_hard")) ReadTimes(&r.m_fPlaceTimes[6], line);
}

// The number the route's readers take for its task; the flags themselves say more.
uint32_t TaskKind(const RouteRecord& r) {
    if (r.m_bSlalom) return 2;
    if (r.m_bMowing) return 1;
    if (r.m_bPloughing) return 5;
    if (r.m_bPlanting) return 4;
    if (r.m_bBaling) return 3;
    return 0;
}

}  // namespace

void RouteRecord::Reset() {
    *this = RouteRecord{};
    for (int place = 0; place < 3; ++place) m_fPlaceTimes[3 + place] = 90.0f;
    m_iPrizes[0] = 100;
    m_iPrizes[1] = 50;
    m_iPrizes[2] = 20;
}

CRoutesMgr::CRoutesMgr() : m_iCurrentRoute(0), m_iRouteCount(0), m_pCurrentRoute(m_Routes) {
    for (RouteRecord& r : m_Routes) r.Reset();
}

CRoutesMgr::~CRoutesMgr() = default;

void CRoutesMgr::Load() {
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(kRouteFile, bytes)) {
        ReadRoutes({});
        g_Console.Print("FATAL - failed to open trasy.txt!");
        return;
    }
    ReadRoutes(std::string_view(bytes.data(), bytes.size()));
    if (m_iRouteCount == 0) g_Console.Print("FATAL - m_dwTrasy == 0!");
    plat::DeleteFile(kErrorFile);
    for (int i = 0; i < m_iRouteCount; ++i)
        if (!FileExists(m_Routes[i].m_szWorld)) LogError(m_Routes[i].m_szWorld, kErrorFile);
}

void CRoutesMgr::ReadRoutes(std::string_view text) {
    // Every record starts from the construction defaults, the first 60 included.
    for (RouteRecord& r : m_Routes) r.Reset();
    m_iRouteCount = 0;
    m_pCurrentRoute = m_Routes;
    // Lines before the first route and routes beyond the last record have no record to go to.
    RouteRecord* route = nullptr;
    bool full = false, early = false;
    TextLines lines(text, kLineLimit);
    char line[kLineLimit + 1];
    while (lines.NextScriptLine(line, sizeof line)) {
        if (IsKeyword(line, "trasa")) {
            route = m_iRouteCount < kRoutes ? &m_Routes[m_iRouteCount++] : nullptr;
            if (route) std::snprintf(route->m_szWorld, sizeof route->m_szWorld, "%s", GetWord(line, 1));
            else if (!full) g_Console.Print("trasy.txt: routes beyond the 128th are ignored");
            full = !route;
        } else if (route) {
            ApplyRouteLine(*route, line);
        } else if (!full && !early && GetWord(line, 0)[0]) {
            g_Console.Print("trasy.txt: lines before the first route are ignored");
            early = true;
        }
    }
    for (int i = 0; i < m_iRouteCount; ++i) {
        RouteRecord& r = m_Routes[i];
        for (int place = 0; place < 3; ++place) {
            if (r.m_fPlaceTimes[place] == 0) r.m_fPlaceTimes[place] = r.m_fPlaceTimes[3 + place];
            if (r.m_fPlaceTimes[6 + place] == 0) r.m_fPlaceTimes[6 + place] = r.m_fPlaceTimes[3 + place];
        }
        r.m_uTaskKind = TaskKind(r);
    }
}

void CRoutesMgr::SelectCurrentRoute() {
    if (m_iCurrentRoute < 0 || m_iCurrentRoute >= kRoutes) {
        m_pCurrentRoute = nullptr;
        return;
    }
    m_pCurrentRoute = &m_Routes[m_iCurrentRoute];
    if (m_pCurrentRoute->m_bGrain) std::snprintf(m_pCurrentRoute->m_szStartPath, RouteRecord::kTextSize, "kombajn");
}

const RouteTasks* CRoutesMgr::CurrentRouteTasks() const {
    if (m_iCurrentRoute < 0 || m_iCurrentRoute >= m_iRouteCount) return nullptr;
    const RouteRecord& r = m_Routes[m_iCurrentRoute];
    m_CurrentTasks.baling = r.m_bBaling;
    m_CurrentTasks.grainDelivery = r.m_bGrain;
    m_CurrentTasks.baleCollecting = r.m_bBaleCollecting;
    m_CurrentTasks.grassMowing = r.m_bGrassMowing;
    m_CurrentTasks.sowing = r.m_bSowing;
    m_CurrentTasks.raceWithOpponents = r.m_bWithOpponents;
    m_CurrentTasks.secondRace = r.m_bSpecial;
    m_CurrentTasks.mowing = r.m_bMowing;
    m_CurrentTasks.ploughing = r.m_bPloughing;
    m_CurrentTasks.slalom = r.m_bSlalom;
    m_CurrentTasks.planting = r.m_bPlanting;
    return &m_CurrentTasks;
}
