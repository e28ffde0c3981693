#include "collision/ECollisionSweep.h"

#include <algorithm>
#include <cmath>

#include "collision/ECollisionMgr.h"
#include "core/IntersectionTests.h"

ECollisionSweep g_CollisionSweep;

namespace {

// The contact is placed within this distance along the motion.
constexpr float kContactPrecision = 0.01f;
constexpr int kMaxHalvings = 32;
constexpr float kHalving = 0.5f;
// The gathering box reaches this far beyond the swept box.
constexpr float kGatherMargin = 1.0f;
// Slide move: surfaces whose normal rises less than this are walls; the velocity leaves a plane
// a little faster than it met it; smaller components are dropped.
constexpr float kWallNormalY = 0.7f;
constexpr float kOverbounce = 1.01f;
constexpr float kDeadZone = 0.1f;
// How far beyond a triangle's plane the push-out leaves the box.
constexpr float kClearance = 0.01f;

// A world point in the box's own frame (side, up, front about its position).
DV ToBoxFrame(const DV& point, const EOrientation& orientation, const DV& position) {
    const DV d = point - position;
    return {pmath::Dot(d, orientation.m_Side), pmath::Dot(d, orientation.m_Up), pmath::Dot(d, orientation.m_Front)};
}

// The world box around the turned box at the position.
void WorldBounds(const DV& boxMin, const DV& boxMax, const EOrientation& orientation, const DV& position, DV* min,
                 DV* max) {
    DV corners[8];
    GetBoxCorners(&boxMin, &boxMax, corners);
    for (int i = 0; i < 8; ++i) {
        const DV& c = corners[i];
        const DV world = position + orientation.m_Side * c.x + orientation.m_Up * c.y + orientation.m_Front * c.z;
        *min = i == 0 ? world : LowerCorner(*min, world);
        *max = i == 0 ? world : UpperCorner(*max, world);
    }
}

DV ClipVelocity(const DV& velocity, const DV& normal) {
    DV out = velocity - normal * (pmath::Dot(velocity, normal) * kOverbounce);
    for (float* c : {&out.x, &out.y, &out.z})
        if (*c > -kDeadZone && *c < kDeadZone) *c = 0;
    return out;
}

}  // namespace

ECollisionSweep::ECollisionSweep() { m_pCandidates = new CollisionTriangle[kCandidates]; }

ECollisionSweep::~ECollisionSweep() {
    delete[] m_pCandidates;
    m_pCandidates = nullptr;
    m_uCandidates = 0;
}

void ECollisionSweep::Gather(const DV& min, const DV& max) {
    const DV grownMin = min - DV{kGatherMargin, kGatherMargin, kGatherMargin};
    const DV grownMax = max + DV{kGatherMargin, kGatherMargin, kGatherMargin};
    if (m_pFinder && m_pFinder->m_bUsed && m_pFinder->m_uType == ECollisionFinder::BOX)
        g_CollisionMgr.UpdateBoxFinder(m_pFinder, &grownMin, &grownMax);
    else
        m_pFinder = g_CollisionMgr.AddBoxFinder(&grownMin, &grownMax);
    m_uCandidates = 0;
    if (m_pFinder) g_CollisionMgr.GetBoxFinderObjects(m_pFinder, m_pCandidates, &m_uCandidates, kCandidates);
}

const CollisionTriangle* ECollisionSweep::Touching(const DV& boxMin, const DV& boxMax, const EOrientation& orientation,
                                                   const DV& position) const {
    DV worldMin, worldMax;
    WorldBounds(boxMin, boxMax, orientation, position, &worldMin, &worldMax);
    DV corners[8];
    GetBoxCorners(&boxMin, &boxMax, corners);
    for (uint32_t i = 0; i < m_uCandidates; ++i) {
        const CollisionTriangle& t = m_pCandidates[i];
        if (t.m_vNormal == DV{} || !BoxesMeet(t.m_vMin, t.m_vMax, worldMin, worldMax)) continue;
        // The triangle in the box's own frame meets the box there as an axis-aligned one.
        const DV a = ToBoxFrame(t.m_vCorners[0], orientation, position);
        const DV b = ToBoxFrame(t.m_vCorners[1], orientation, position);
        const DV c = ToBoxFrame(t.m_vCorners[2], orientation, position);
        if (TriangleBoxOverlapCorners(&a, &b, &c, &boxMin, &boxMax, corners)) return &t;
    }
    return nullptr;
}

SweepResult ECollisionSweep::Sweep(const DV& boxMin, const DV& boxMax, const EOrientation& orientation,
                                   const DV& start, const DV& end) {
    SweepResult result;
    result.m_vPosition = start;
    const DV move = end - start;
    DV startMin, startMax, endMin, endMax;
    WorldBounds(boxMin, boxMax, orientation, start, &startMin, &startMax);
    WorldBounds(boxMin, boxMax, orientation, end, &endMin, &endMax);
    Gather(LowerCorner(startMin, endMin), UpperCorner(startMax, endMax));
    auto touching = [&](float fraction) { return Touching(boxMin, boxMax, orientation, start + move * fraction); };
    if (const CollisionTriangle* t = touching(0)) {
        result.m_bHit = result.m_bStartSolid = 1;
        result.m_fFraction = 0;
        result.m_vNormal = t->m_vNormal;
        m_fFraction = 0;
        return result;
    }
    // The box is tried at the end first. A surface thinner than the move would be stepped over
    // there, so a free end is checked on the way in steps of half the box's smallest size.
    const float length = pmath::Length(move);
    const DV size = boxMax - boxMin;
    const int steps = std::max(1, static_cast<int>(std::ceil(length / std::max(kContactPrecision,
                                                                               0.5f * std::min({size.x, size.y, size.z})))));
    const CollisionTriangle* contact = touching(1.0f);
    float free = 0, blocked = 1;
    for (int i = 1; i < steps && !contact; ++i) {
        const float fraction = static_cast<float>(i) / static_cast<float>(steps);
        if ((contact = touching(fraction))) blocked = fraction;
        else free = fraction;
    }
    if (!contact) {
        result.m_vPosition = end;
        m_fFraction = 1.0f;
        return result;
    }
    // On contact the step halves until the contact is placed.
    for (int i = 0; i < kMaxHalvings && (blocked - free) * length > kContactPrecision; ++i) {
        const float middle = (free + blocked) * kHalving;
        if (const CollisionTriangle* t = touching(middle)) {
            blocked = middle;
            contact = t;
        } else {
            free = middle;
        }
    }
    result.m_bHit = 1;
    result.m_fFraction = free;
    result.m_vPosition = start + move * free;
    result.m_vNormal = pmath::Dot(contact->m_vNormal, move) > 0 ? -contact->m_vNormal : contact->m_vNormal;
    m_fFraction = free;
    return result;
}

void ECollisionSweep::SlideMove(const DV& boxMin, const DV& boxMax, const EOrientation& orientation, DV* position,
                                DV* velocity) {
    if (!position || !velocity) return;
    const DV original = *velocity;
    DV planes[kSlidePasses];
    int planeCount = 0;
    float timeLeft = 1.0f;
    for (int pass = 0; pass < kSlidePasses; ++pass) {
        const SweepResult sweep = Sweep(boxMin, boxMax, orientation, *position, *position + *velocity * timeLeft);
        if (sweep.m_bStartSolid) {
            *velocity = {};
            return;
        }
        if (sweep.m_fFraction > 0) {
            *position = sweep.m_vPosition;
            planeCount = 0;
        }
        if (!sweep.m_bHit) return;
        timeLeft *= 1.0f - sweep.m_fFraction;
        DV normal = sweep.m_vNormal;
        if (normal.y < kWallNormalY) normal.y = 0;
        planes[planeCount++] = normal;

        bool clipped = false;
        for (int i = 0; i < planeCount && !clipped; ++i) {
            const DV candidate = ClipVelocity(*velocity, planes[i]);
            bool entersAnother = false;
            for (int j = 0; j < planeCount; ++j)
                if (j != i && pmath::Dot(candidate, planes[j]) < 0) entersAnother = true;
            if (entersAnother) continue;
            *velocity = candidate;
            clipped = true;
        }
        if (!clipped && planeCount == 2) {
            const DV crease = pmath::Normalize(pmath::Cross(planes[0], planes[1]));
            *velocity = crease * pmath::Dot(crease, *velocity);
        } else if (!clipped) {
            *velocity = {};
            return;
        }
        if (pmath::Dot(*velocity, original) <= 0) {
            *velocity = {};
            return;
        }
    }
}

bool ECollisionSweep::PushOut(const DV& boxMin, const DV& boxMax, const EOrientation& orientation, DV* position) {
    if (!position) return false;
    const DV half = (boxMax - boxMin) * 0.5f;
    const DV centreInBox = (boxMin + boxMax) * 0.5f;
    for (int pass = 0;; ++pass) {
        DV min, max;
        WorldBounds(boxMin, boxMax, orientation, *position, &min, &max);
        Gather(min, max);
        const CollisionTriangle* t = Touching(boxMin, boxMax, orientation, *position);
        if (!t) return true;
        if (pass == kPushOutPasses) return false;
        // Out along the triangle's normal, on the side of the box's centre, until the whole box
        // lies beyond its plane.
        const DV centre = *position + orientation.m_Side * centreInBox.x + orientation.m_Up * centreInBox.y +
                          orientation.m_Front * centreInBox.z;
        DV n = t->m_vNormal;
        float distance = pmath::Dot(n, centre - t->m_vCorners[0]);
        if (distance < 0) {
            n = -n;
            distance = -distance;
        }
        const float extent = std::fabs(pmath::Dot(n, orientation.m_Side)) * half.x +
                             std::fabs(pmath::Dot(n, orientation.m_Up)) * half.y +
                             std::fabs(pmath::Dot(n, orientation.m_Front)) * half.z;
        *position += n * (extent - distance + kClearance);
    }
}
