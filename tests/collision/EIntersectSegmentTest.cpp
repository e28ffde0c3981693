#include "collision/EIntersectSegment.h"

#include <gtest/gtest.h>

#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"

namespace {

// The records hold objects by pointer only: any address stands for one.
int g_objectStandIn;
EObjectSlot* const kObject = reinterpret_cast<EObjectSlot*>(&g_objectStandIn);

TEST(EIntersectSegment, MissingRecordsAnswerNoHit) {
    SegmentQuery query;
    SegmentHit hit;
    EXPECT_FALSE(g_IntersectSegment.Intersect(nullptr, &hit));
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, nullptr));
}

TEST(EIntersectSegment, AQueryClearsWhatAnEarlierOneLeftInTheHit) {
    DV start{0, 0, 0};
    DV end{0, 0, 100};
    SegmentQuery query;
    query.m_pStart = &start;
    query.m_pEnd = &end;
    SegmentHit hit;
    hit.m_bHit = 1;
    hit.m_pObject = kObject;
    hit.m_SkinMeshHit.m_bHit = 1;
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, &hit));
    EXPECT_EQ(hit.m_bHit, 0u);
    EXPECT_EQ(hit.m_pObject, nullptr);
    EXPECT_EQ(hit.m_SkinMeshHit.m_bHit, 0u);
}

}  // namespace
