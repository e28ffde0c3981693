#include "collision/ECollisionMgr.h"

#include <cstddef>

#include "core/EConsole.h"

ECollisionMgr g_CollisionMgr;

namespace {

// A full table refuses the request after its message: handing out a slot still in use would
// give two owners one slot and tangle the touch lists.
template <class Slot, size_t N>
int32_t TakeSlot(Slot (&table)[N], int& count, const char* fullMessage) {
    for (int i = 0; i < count; ++i)
        if (!table[i].m_bUsed) {
            table[i].m_bUsed = 1;
            return i;
        }
    if (count >= static_cast<int>(N)) {
        g_Console.Print(fullMessage);
        return -1;
    }
    table[count].m_bUsed = 1;
    return count++;
}

template <class Slot, size_t N>
void FreeSlot(Slot (&table)[N], int& count, int32_t slot) {
    table[slot] = Slot{};
    if (slot + 1 == count)
        while (count > 0 && !table[count - 1].m_bUsed) --count;
}

DV Grown(const DV& v, float by) { return {v.x + by, v.y + by, v.z + by}; }

bool Contains(const DV& outerMin, const DV& outerMax, const DV& min, const DV& max) {
    return outerMin.x <= min.x && outerMin.y <= min.y && outerMin.z <= min.z && outerMax.x >= max.x &&
           outerMax.y >= max.y && outerMax.z >= max.z;
}

}  // namespace

// Records.

void ECollisionMgr::AddObject(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind != CollisionObjectFacts::MESH || !facts.indices) return;
    static CollisionGeometry geometry;
    geometry = CollisionGeometry{};
    if (!g_CollisionHooks.objectGeometry(object, &geometry) || !geometry.faceCount || !geometry.vertexCount) return;
    // A second registration replaces the first record rather than leaving it behind.
    if (ECollisionObject* old = RecordOf(object, facts)) old->Release();
    uint32_t index = 1;
    while (index < MAX_OBJECTS_IN_COLLISION_MGR && m_Objects[index].m_bUsed) ++index;
    if (index == MAX_OBJECTS_IN_COLLISION_MGR) {
        g_Console.Print(" ");
        g_Console.Print("ERROR in CollisionMgr: MAX_OBJECTS_IN_COLLISION_MGR exceeded!");
        g_Console.Print(" ");
        return;
    }
    if (!m_Objects[index].Build(object, geometry)) return;
    facts.indices->m_uCollisionIndex = index;
    UpdateObject(object);
}

void ECollisionMgr::RemoveObject(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (!facts.indices) return;
    while (facts.indices->m_iFirstTouch >= 0) FreeTouch(facts.indices->m_iFirstTouch);
    if (ECollisionObject* record = RecordOf(object, facts)) record->Release();
}

void ECollisionMgr::UpdateObject(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind == CollisionObjectFacts::NONE || !facts.indices) return;
    for (ECollisionFinder* f = m_pFirstFinder; f; f = f->m_pNext) {
        if (BoxesMeet(facts.worldMin, facts.worldMax, f->m_vTouchMin, f->m_vTouchMax)) AddTouch(f, object, facts.indices);
        else RemoveTouch(f, facts.indices);
    }
    if (facts.kind != CollisionObjectFacts::MESH) return;
    if (ECollisionObject* record = RecordOf(object, facts)) record->SetTransform(facts.world);
}

const ECollisionObject* ECollisionMgr::GetRecord(uint32_t index) const {
    return index > 0 && index < MAX_OBJECTS_IN_COLLISION_MGR && m_Objects[index].m_bUsed ? &m_Objects[index]
                                                                                          : nullptr;
}

ECollisionObject* ECollisionMgr::RecordOf(EObjectSlot* object, const CollisionObjectFacts& facts) {
    if (!facts.indices) return nullptr;
    const uint32_t index = facts.indices->m_uCollisionIndex;
    if (!GetRecord(index) || m_Objects[index].m_hOwner != object) return nullptr;
    return &m_Objects[index];
}

ECollisionObject* ECollisionMgr::GetObjectRecord(EObjectSlot* object) {
    return object ? RecordOf(object, g_CollisionHooks.objectFacts(object)) : nullptr;
}

// Finders.

ECollisionFinder* ECollisionMgr::TakeFinder(uint32_t type) {
    const int32_t slot = TakeSlot(m_Finders, m_iFinderCount, "CRITICAL ERROR in ECollisionMgr:: Finder Table Size Exceeded!");
    if (slot < 0) return nullptr;
    ECollisionFinder* finder = &m_Finders[slot];
    finder->m_uType = type;
    finder->m_pNext = m_pFirstFinder;
    m_pFirstFinder = finder;
    return finder;
}

ECollisionFinder* ECollisionMgr::AddSphereFinder(const DV* position, float radius) {
    if (!position) return nullptr;
    ECollisionFinder* finder = TakeFinder(ECollisionFinder::SPHERE);
    if (!finder) return nullptr;
    finder->SetSphere(*position, radius);
    ComputeTouches(finder);
    return finder;
}

void ECollisionMgr::UpdateSphereFinder(ECollisionFinder* finder, const DV* position, float radius) {
    if (!finder || !position || finder->m_uType != ECollisionFinder::SPHERE) return;
    finder->SetSphere(*position, radius);
    ComputeTouches(finder);
}

ECollisionFinder* ECollisionMgr::AddProjectorFinder(const DV* position, const EOrientation* orientation,
                                                    float farDistance, float angle) {
    if (!position || !orientation) return nullptr;
    ECollisionFinder* finder = TakeFinder(ECollisionFinder::PROJECTOR);
    if (!finder) return nullptr;
    finder->SetProjector(*position, *orientation, farDistance, angle);
    ComputeTouches(finder);
    return finder;
}

void ECollisionMgr::UpdateProjectorFinder(ECollisionFinder* finder, const DV* position,
                                          const EOrientation* orientation, float farDistance, float angle) {
    if (!finder || !position || !orientation || finder->m_uType != ECollisionFinder::PROJECTOR) return;
    finder->SetProjector(*position, *orientation, farDistance, angle);
    ComputeTouches(finder);
}

ECollisionFinder* ECollisionMgr::AddBoxFinder(const DV* min, const DV* max) {
    if (!min || !max) return nullptr;
    ECollisionFinder* finder = TakeFinder(ECollisionFinder::BOX);
    if (!finder) return nullptr;
    finder->SetBox(*min, *max);
    ComputeTouches(finder);
    return finder;
}

void ECollisionMgr::UpdateBoxFinder(ECollisionFinder* finder, const DV* min, const DV* max) {
    if (!finder || !min || !max || finder->m_uType != ECollisionFinder::BOX) return;
    finder->SetBox(*min, *max);
    ComputeTouches(finder);
}

void ECollisionMgr::RemoveFinder(ECollisionFinder* finder) {
    if (!finder || !finder->m_bUsed) return;
    for (ECollisionFinder** link = &m_pFirstFinder; *link; link = &(*link)->m_pNext)
        if (*link == finder) {
            *link = finder->m_pNext;
            break;
        }
    ReleaseTouches(finder);
    FreeSlot(m_Finders, m_iFinderCount, static_cast<int32_t>(finder - m_Finders));
}

// Touch lists.

void ECollisionMgr::ComputeTouches(ECollisionFinder* finder) {
    if (Contains(finder->m_vTouchMin, finder->m_vTouchMax, finder->m_vWorldMin, finder->m_vWorldMax)) return;
    ReleaseTouches(finder);
    finder->m_vTouchMin = Grown(finder->m_vWorldMin, -kTouchMargin);
    finder->m_vTouchMax = Grown(finder->m_vWorldMax, kTouchMargin);
    struct Walk {
        ECollisionMgr* mgr;
        ECollisionFinder* finder;
    } walk{this, finder};
    g_CollisionHooks.forEachObject(
        [](EObjectSlot* object, void* context) {
            const Walk& w = *static_cast<Walk*>(context);
            const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
            if (facts.kind == CollisionObjectFacts::NONE || !facts.indices) return;
            if (BoxesMeet(facts.worldMin, facts.worldMax, w.finder->m_vTouchMin, w.finder->m_vTouchMax))
                w.mgr->AddTouch(w.finder, object, facts.indices);
        },
        &walk);
}

bool ECollisionMgr::IsTouching(const ECollisionFinder* finder, const CollisionIndices* indices) const {
    for (int32_t e = indices->m_iFirstTouch; e >= 0; e = m_tTouchTable[e].m_iNextOfObject)
        if (m_tTouchTable[e].m_pFinder == finder) return true;
    return false;
}

void ECollisionMgr::AddTouch(ECollisionFinder* finder, EObjectSlot* object, CollisionIndices* indices) {
    if (IsTouching(finder, indices)) return;
    const int32_t e = TakeSlot(m_tTouchTable, m_iMaxTouch, "CRITICAL ERROR in ECollisionMgr:: Touch Table Size Exceeded!");
    if (e < 0) return;
    ECollisionTouch& touch = m_tTouchTable[e];
    touch.m_hObject = object;
    touch.m_pIndices = indices;
    touch.m_pFinder = finder;
    touch.m_iNext = finder->m_iFirstTouch;
    if (touch.m_iNext >= 0) m_tTouchTable[touch.m_iNext].m_iPrev = e;
    finder->m_iFirstTouch = e;
    touch.m_iNextOfObject = indices->m_iFirstTouch;
    if (touch.m_iNextOfObject >= 0) m_tTouchTable[touch.m_iNextOfObject].m_iPrevOfObject = e;
    indices->m_iFirstTouch = e;
}

void ECollisionMgr::RemoveTouch(const ECollisionFinder* finder, CollisionIndices* indices) {
    for (int32_t e = indices->m_iFirstTouch; e >= 0; e = m_tTouchTable[e].m_iNextOfObject)
        if (m_tTouchTable[e].m_pFinder == finder) return FreeTouch(e);
}

void ECollisionMgr::FreeTouch(int32_t e) {
    ECollisionTouch& touch = m_tTouchTable[e];
    if (touch.m_iPrev >= 0) m_tTouchTable[touch.m_iPrev].m_iNext = touch.m_iNext;
    else touch.m_pFinder->m_iFirstTouch = touch.m_iNext;
    if (touch.m_iNext >= 0) m_tTouchTable[touch.m_iNext].m_iPrev = touch.m_iPrev;
    if (touch.m_iPrevOfObject >= 0) m_tTouchTable[touch.m_iPrevOfObject].m_iNextOfObject = touch.m_iNextOfObject;
    else touch.m_pIndices->m_iFirstTouch = touch.m_iNextOfObject;
    if (touch.m_iNextOfObject >= 0) m_tTouchTable[touch.m_iNextOfObject].m_iPrevOfObject = touch.m_iPrevOfObject;
    FreeSlot(m_tTouchTable, m_iMaxTouch, e);
}

void ECollisionMgr::ReleaseTouches(ECollisionFinder* finder) {
    while (finder->m_iFirstTouch >= 0) FreeTouch(finder->m_iFirstTouch);
}

// Questions.

bool ECollisionMgr::IsObjectInFinder(const ECollisionFinder* finder, EObjectSlot* object, int level) {
    if (!finder || !object) return false;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind == CollisionObjectFacts::NONE || !facts.indices || !IsTouching(finder, facts.indices)) return false;
    if (finder->m_uType == ECollisionFinder::BOX) return false;
    if (!BoxesMeet(facts.worldMin, facts.worldMax, finder->m_vWorldMin, finder->m_vWorldMax)) return false;
    if (finder->m_uType == ECollisionFinder::PROJECTOR && !finder->PolyhedronMeetsBox(facts.worldMin, facts.worldMax))
        return false;
    if (level == 0 || facts.kind != CollisionObjectFacts::MESH) return true;
    ECollisionObject* record = RecordOf(object, facts);
    return record && PreciseTest(finder, record, level);
}

bool ECollisionMgr::PreciseTest(const ECollisionFinder* finder, ECollisionObject* record, int level) {
    record->UpdateWorldFaces();
    const bool sphere = finder->m_uType == ECollisionFinder::SPHERE;
    for (const ECollisionBox& box : record->pBoxes) {
        if (!BoxesMeet(box.m_vWorldMin, box.m_vWorldMax, finder->m_vWorldMin, finder->m_vWorldMax)) continue;
        if (!sphere && !finder->PolyhedronMeetsBox(box.m_vWorldMin, box.m_vWorldMax)) continue;
        if (level == 1) return true;
        for (uint32_t f = box.m_uFirstFace; f < box.m_uFirstFace + box.m_uFaces; ++f) {
            if (!BoxesMeet(record->CM_vFacesAABB_Min[f], record->CM_vFacesAABB_Max[f], finder->m_vWorldMin,
                           finder->m_vWorldMax))
                continue;
            if (level == 2) return true;
            const uint16_t* face = &record->CM_dwFaces[f * 3];
            const DV& a = record->CM_vVerticesWorld[face[0]];
            const DV& b = record->CM_vVerticesWorld[face[1]];
            const DV& c = record->CM_vVerticesWorld[face[2]];
            if (sphere ? finder->SphereMeetsTriangle(a, b, c) : finder->PolyhedronMeetsTriangle(a, b, c)) return true;
        }
    }
    return false;
}

bool ECollisionMgr::GetBoxFinderObjects(const ECollisionFinder* finder, CollisionTriangle* out, uint32_t* count,
                                        uint32_t capacity) {
    if (!finder || !out || !count) return false;
    *count = 0;
    for (int32_t e = finder->m_iFirstTouch; e >= 0 && *count < capacity; e = m_tTouchTable[e].m_iNext) {
        EObjectSlot* object = m_tTouchTable[e].m_hObject;
        const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
        if (!(facts.flags & kGatheredFlag)) continue;
        ECollisionObject* record = RecordOf(object, facts);
        if (!record || !BoxesMeet(record->m_vWorldMin, record->m_vWorldMax, finder->m_vWorldMin, finder->m_vWorldMax))
            continue;
        record->UpdateWorldFaces();
        for (const ECollisionBox& box : record->pBoxes) {
            if (!BoxesMeet(box.m_vWorldMin, box.m_vWorldMax, finder->m_vWorldMin, finder->m_vWorldMax)) continue;
            for (uint32_t f = box.m_uFirstFace; f < box.m_uFirstFace + box.m_uFaces && *count < capacity; ++f) {
                const DV& min = record->CM_vFacesAABB_Min[f];
                const DV& max = record->CM_vFacesAABB_Max[f];
                if (!BoxesMeet(min, max, finder->m_vWorldMin, finder->m_vWorldMax)) continue;
                CollisionTriangle& t = out[(*count)++];
                for (int k = 0; k < 3; ++k) t.m_vCorners[k] = record->CM_vVerticesWorld[record->CM_dwFaces[f * 3 + k]];
                t.m_vMin = min;
                t.m_vMax = max;
                t.m_vNormal = record->CM_vFaceNormal[f];
                t.m_hObject = object;
            }
        }
    }
    return *count > 0;
}

bool ECollisionMgr::QueryBoxObjects(const DV* min, const DV* max, CollisionTriangle* out, uint32_t* count,
                                    uint32_t capacity) {
    ECollisionFinder* finder = AddBoxFinder(min, max);
    if (!finder) return false;
    const bool found = GetBoxFinderObjects(finder, out, count, capacity);
    RemoveFinder(finder);
    return found;
}
