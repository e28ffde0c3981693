#pragma once
// The route table: the events the player can enter, read at start-up.

class CRoutesMgr {
public:
    CRoutesMgr();
    virtual ~CRoutesMgr();

    void Load();

    int m_iCurrentRoute;
    int m_iRouteCount;
};

extern CRoutesMgr g_RoutesMgr;
