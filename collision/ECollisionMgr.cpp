#include "collision/ECollisionMgr.h"

#include "core/EConsole.h"

ECollisionMgr g_CollisionMgr;

// Objects get no collision record yet: nothing is kept for them.
void ECollisionMgr::AddObject(EObjectSlot*) {}
void ECollisionMgr::RemoveObject(EObjectSlot*) {}

ECollisionFinder* ECollisionMgr::AddProjectorFinder(const DV* position, const EOrientation* orientation,
                                                    float farDistance, float angle) {
    if (!position || !orientation) return nullptr;
    int slot = 0;
    while (slot < m_iFinderCount && m_Finders[slot].m_bUsed) ++slot;
    if (slot == kFinders) {
        // A full table refuses the finder rather than hand out a slot still in use.
        g_Console.Print("CRITICAL ERROR in ECollisionMgr:: Finder Table Size Exceeded!");
        return nullptr;
    }
    if (slot == m_iFinderCount) ++m_iFinderCount;
    ECollisionFinder* finder = &m_Finders[slot];
    finder->m_bUsed = 1;
    finder->m_uType = ECollisionFinder::PROJECTOR;
    UpdateProjectorFinder(finder, position, orientation, farDistance, angle);
    return finder;
}

void ECollisionMgr::UpdateProjectorFinder(ECollisionFinder* finder, const DV* position,
                                          const EOrientation* orientation, float farDistance, float angle) {
    if (!finder || !position || !orientation || finder->m_uType != ECollisionFinder::PROJECTOR) return;
    finder->m_vPosition = *position;
    finder->m_Orientation = *orientation;
    finder->m_fRadius = farDistance;
    finder->m_fAngle = angle;
}

void ECollisionMgr::RemoveFinder(ECollisionFinder* finder) {
    if (!finder) return;
    *finder = ECollisionFinder{};
    while (m_iFinderCount > 0 && !m_Finders[m_iFinderCount - 1].m_bUsed) --m_iFinderCount;
}

// Objects join no finder's touch list yet, and an object outside the list is never in the region.
bool ECollisionMgr::IsObjectInFinder(const ECollisionFinder*, const EObjectSlot*, int) const { return false; }
