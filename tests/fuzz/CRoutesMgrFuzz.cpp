// The route table: the input read as "scripts\trasy.txt", then a route made current.
#include <string_view>

#include "FuzzSupport.h"
#include "world/CRoutesMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::StartDirectory();
    g_RoutesMgr.ReadRoutes(std::string_view(reinterpret_cast<const char*>(data), size));
    g_RoutesMgr.m_iCurrentRoute = size ? data[0] : 0;
    g_RoutesMgr.SelectCurrentRoute();
    g_RoutesMgr.CurrentRouteTasks();
    return 0;
}
