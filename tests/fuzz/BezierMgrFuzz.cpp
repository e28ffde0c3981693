// Path files: the nodes read, linked and sampled, every query asked of the first path, and a light
// moved along it for frames of several lengths.
#include <cstdio>
#include <string_view>

#include "FuzzSupport.h"
#include "render/EFXMgr.h"
#include "world/BezierMgr.h"
#include "world/EEngine.h"
#include "world/GameAI.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::StartDirectory();
    // What a node sets and spawns belongs to this input alone: a level's variables and effects
    // left over would slow every later input.
    test::ResetGlobal(g_GameAI);
    g_FXMgr.Release();
    g_BezierMgr.Release();
    g_BezierMgr.ReadPaths(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!g_BezierMgr.m_pHead) return 0;
    const char* name = g_BezierMgr.m_pHead->m_szName;
    DV point, direction;
    double along = 0;
    const double length = g_BezierMgr.GetPathLength(name);
    for (double d : {-1.0, 0.0, length / 2, length, length * 3 + 1, 1e30}) g_BezierMgr.EvaluatePoint(name, d, &point, &direction);
    g_BezierMgr.FindNearestPointOnPath(name, DV{1, 2, 3}, &point, &along);

    ObjectCreateParams params;
    params.m_bKind = OT_LIGHT;
    if (EObjectSlot* light = g_Engine.AddObject(&params)) {
        light->m_pBezierParams->m_bEnabled = 1;
        std::snprintf(light->m_pBezierParams->m_szStartNode, sizeof light->m_pBezierParams->m_szStartNode, "%s", name);
        g_Engine.StartBezierMoving(light);
        for (float dt : {0.0f, 0.016f, 0.5f, 30.0f}) g_BezierMgr.UpdateAll(dt);
        g_Engine.DeleteObject(light);
    }
    g_BezierMgr.Release();
    return 0;
}
