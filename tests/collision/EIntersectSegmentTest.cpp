#include "collision/EIntersectSegment.h"

#include <gtest/gtest.h>

#include "collision/IntersectFilters.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "support/TestSupport.h"
#include "world/EObjectSlot.h"

namespace {

TEST(EIntersectSegment, MissingRecordsAnswerNoHit) {
    SegmentQuery query;
    SegmentHit hit;
    EXPECT_FALSE(g_IntersectSegment.Intersect(nullptr, &hit));
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, nullptr));
}

TEST(EIntersectSegment, AQueryClearsWhatAnEarlierOneLeftInTheHit) {
    EObjectSlot object;
    DV start{0, 0, 0};
    DV end{0, 0, 100};
    SegmentQuery query;
    query.m_pStart = &start;
    query.m_pEnd = &end;
    SegmentHit hit;
    hit.m_bHit = 1;
    hit.m_pObject = &object;
    hit.m_SkinMeshHit.m_bHit = 1;
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, &hit));
    EXPECT_EQ(hit.m_bHit, 0u);
    EXPECT_EQ(hit.m_pObject, nullptr);
    EXPECT_EQ(hit.m_SkinMeshHit.m_bHit, 0u);
}

TEST(IntersectFilters, TheDefaultFilterAcceptsNothingWhenCalled) {
    EObjectSlot object;
    EXPECT_FALSE(IntersectFilterAll(&object, nullptr));
}

TEST(IntersectFilters, NotClass128RefusesNullTheExcludedObjectAndClass128) {
    test::ResetGlobal(g_IntersectSegment);
    EObjectSlot plain, excluded, class128, class129;
    class128.m_uClass = 128;
    class129.m_uClass = 129;
    g_IntersectSegment.m_pExcluded = &excluded;
    EXPECT_TRUE(IntersectFilterNotClass128(&plain, nullptr));
    EXPECT_TRUE(IntersectFilterNotClass128(&class129, &plain));
    EXPECT_FALSE(IntersectFilterNotClass128(nullptr, nullptr));
    EXPECT_FALSE(IntersectFilterNotClass128(&excluded, nullptr));
    EXPECT_FALSE(IntersectFilterNotClass128(&class128, nullptr));
    test::ResetGlobal(g_IntersectSegment);
}

}  // namespace
