#include "world/CRoutesMgr.h"

CRoutesMgr g_RoutesMgr;

CRoutesMgr::CRoutesMgr() : m_iCurrentRoute(0), m_iRouteCount(0) {}

CRoutesMgr::~CRoutesMgr() = default;

void CRoutesMgr::Load() { m_iRouteCount = 0; }
