#include "world/IntersectFilters.h"

#include <gtest/gtest.h>

#include "collision/EIntersectSegment.h"
#include "support/TestSupport.h"
#include "world/EObjectSlot.h"

namespace {

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
