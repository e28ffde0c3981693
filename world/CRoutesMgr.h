#pragma once
// The route table: every event the player can enter (a race, a slalom, a timed field task, the
// intro), read once at start-up from "scripts\trasy.txt", with the current route.
#include <cstdint>
#include <string_view>

#include "core/RouteTasks.h"

// One route: its world, texts, paths, task, country, money and time limits.
struct RouteRecord {
    static constexpr int kTextSize = 256;
    static constexpr int kFieldSize = 64;

    // The construction defaults: all empty and 0 but the normal times (90 s for every place) and
    // the prizes 100, 50 and 20.
    void Reset();

    char m_szWorld[kTextSize];
    char m_szDescription[kTextSize];
    char m_szName[kTextSize];
    uint8_t m_bLaps;
    uint8_t m_bWithOpponents;
    uint8_t m_bSpecial;
    // The task flags.
    uint8_t m_bMowing;
    uint8_t m_bGrassMowing;
    uint8_t m_bSowing;
    uint8_t m_bSlalom;
    uint8_t m_bBaling;
    uint8_t m_bPloughing;
    uint8_t m_bPlanting;
    uint8_t m_bBaleCollecting;
    uint8_t m_bGrain;
    // The field object the task works.
    char m_szField[kFieldSize];
    // 0 DE, 1 FR, 2 UK, 3 US.
    uint32_t m_uCountry;
    uint8_t m_bIntro;
    // The first node of the route's path, the node the player starts at, the finish marker
    // object and the first node of the opponents' path.
    char m_szStartPath[kTextSize];
    char m_szStartNode[kTextSize];
    char m_szFinishMarker[kTextSize];
    char m_szOpponentPath[kTextSize];
    int32_t m_iEntryFee;
    int32_t m_iPrizes[3];
    // Seconds for places 1, 2 and 3 at the easy, the normal and the hard level, in that order.
    float m_fPlaceTimes[9];
    // 2 slalom, 1 mowing, 5 ploughing, 4 planting, 3 baling, else 0.
    uint32_t m_uTaskKind;
    uint8_t m_bHideInMenu;
};

class CRoutesMgr {
public:
    static constexpr int kRoutes = 128;

    CRoutesMgr();
    virtual ~CRoutesMgr();

    // Reads "scripts\trasy.txt"; the routes whose world file is missing are listed in
    // "!trasy_err.txt".
    void Load();
    // A fresh table from a route table held in memory.
    void ReadRoutes(std::string_view text);
    // The record at the current index becomes the current route; a grain route starts on the
    // combine's path.
    void SelectCurrentRoute();

    // The task flags of the current route, or null when there is no such route.
    const RouteTasks* CurrentRouteTasks() const;

    int m_iCurrentRoute;
    int m_iRouteCount;
    RouteRecord* m_pCurrentRoute;
    RouteRecord m_Routes[kRoutes];

private:
    mutable RouteTasks m_CurrentTasks;
};

extern CRoutesMgr g_RoutesMgr;
