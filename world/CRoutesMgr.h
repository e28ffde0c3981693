#pragma once
// The route table: the events the player can enter, read at start-up.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/RouteTasks.h"

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
