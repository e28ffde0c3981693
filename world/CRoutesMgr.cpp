#include "world/CRoutesMgr.h"

CRoutesMgr g_RoutesMgr;

CRoutesMgr::CRoutesMgr() : m_iCurrentRoute(0), m_iRouteCount(0) {}

CRoutesMgr::~CRoutesMgr() = default;

void CRoutesMgr::Load() {
    m_iRouteCount = 0;
    m_RouteTasks.clear();
}

const RouteTasks* CRoutesMgr::CurrentRouteTasks() const {
    if (m_iCurrentRoute < 0 || m_iCurrentRoute >= static_cast<int>(m_RouteTasks.size())) return nullptr;
    return &m_RouteTasks[static_cast<size_t>(m_iCurrentRoute)];
}
