#include "world/CVisibilityBlockers.h"

#include <cstdio>

#include "core/EConsole.h"
#include "core/IntersectionTests.h"
#include "mesh/EMesh.h"
#include "world/EEngine.h"

CVisibilityBlockers g_VisibilityBlockers;

void CVisibilityBlockers::Reset() {
    for (Blocker& b : m_Blockers) b.m_bUsed = 0;
    m_iMaxBlockers = 0;
}

bool CVisibilityBlockers::AddFromObject(EObjectSlot*) { return false; }

bool CVisibilityBlockers::SegmentBlocked(const DV& from, const DV& to) const {
    for (int i = 0; i < m_iMaxBlockers && i < kBlockers; ++i) {
        const Blocker& b = m_Blockers[i];
        if (!b.m_bUsed) continue;
        for (const DV(&t)[3] : b.m_vTriangles)
            if (SegmentTriangleIntersect(&from, &to, &t[0], &t[1], &t[2])) return true;
    }
    return false;
}

bool CVisibilityBlockers::ObjectHidden(const DV* eye, const EObjectSlot* object) const {
    const EMesh* mesh = object ? object->Mesh() : nullptr;
    if (!eye || !mesh) return false;
    if (!SegmentBlocked(*eye, object->m_vPosition)) return false;
    for (const DV& corner : mesh->m_vWorldCorners)
        if (!SegmentBlocked(*eye, corner)) return false;
    return true;
}

void CVisibilityBlockers::Dump() const {
    int used = 0, highest = -1;
    for (int i = 0; i < kBlockers; ++i) {
        if (!m_Blockers[i].m_bUsed) continue;
        ++used;
        highest = i;
    }
    char line[128];
    std::snprintf(line, sizeof line, "LevelTime=%f, m_iMaxBlockers=%d, iNumUsed=%d, iMaxUsedIDX=%d",
                  static_cast<double>(g_Engine.m_fLevelTime), m_iMaxBlockers, used, highest);
    g_Console.Print(line);
    if (highest >= m_iMaxBlockers) g_Console.Print("niepoprawna wartosc m_iMaxBlockers!");
}
