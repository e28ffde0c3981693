#pragma once
// The route table: the events the player can enter, read at start-up.
#include <cstddef>
#include <cstdint>
#include <vector>

// What a route asks of the player; the loading screen chooses its picture, task text and tips by
// these. A flag is a byte holding 0 or 1.
struct RouteTasks {
    uint8_t baling = 0;
    uint8_t grainDelivery = 0;
    uint8_t baleCollecting = 0;
    uint8_t grassMowing = 0;
    uint8_t sowing = 0;
    uint8_t raceWithOpponents = 0;
    uint8_t secondRace = 0;
    uint8_t mowing = 0;
    uint8_t ploughing = 0;
    uint8_t slalom = 0;
    uint8_t planting = 0;
};

class CRoutesMgr {
public:
    CRoutesMgr();
    virtual ~CRoutesMgr();

    void Load();

    // The task flags of the current route, or null when there is no such route.
    const RouteTasks* CurrentRouteTasks() const;

    int m_iCurrentRoute;
    int m_iRouteCount;
    // One record per route, index as m_iCurrentRoute.
    std::vector<RouteTasks> m_RouteTasks;
};

extern CRoutesMgr g_RoutesMgr;
