#include "core/SegmentQuery.h"

#include <gtest/gtest.h>

#include "core/SegmentHit.h"

namespace {

// The records hold objects by pointer only: any address stands for one.
int g_objectStandIn;
EObjectSlot* const kObject = reinterpret_cast<EObjectSlot*>(&g_objectStandIn);

TEST(SegmentQuery, StartsWithTheAcceptAllFilterAndTheLongCoarseDistance) {
    SegmentQuery query;
    EXPECT_EQ(query.m_pStart, nullptr);
    EXPECT_EQ(query.m_pEnd, nullptr);
    EXPECT_EQ(query.m_pFilter, &IntersectFilterAll);
    EXPECT_EQ(query.m_pFilterArgument, nullptr);
    EXPECT_EQ(query.m_bCanSeeThru, 0);
    EXPECT_EQ(query.m_bCoarse, 0);
    EXPECT_EQ(query.m_fCoarseDistance, 5000.0f);
    EXPECT_EQ(query.m_bReserved, 0);
    EXPECT_EQ(query.m_bMarkers, 0);
}

TEST(SegmentQuery, TheDefaultFilterAcceptsNothingWhenCalled) { EXPECT_FALSE(IntersectFilterAll(kObject, nullptr)); }

TEST(SegmentHit, ClearLeavesAReusedRecordReportingNothing) {
    SegmentHit hit;
    EXPECT_EQ(hit.m_bHit, 0);
    EXPECT_EQ(hit.m_pObject, nullptr);
    EXPECT_EQ(hit.m_SkinMeshHit.m_bHit, 0);

    hit.m_bHit = 1;
    hit.m_pObject = kObject;
    hit.m_vPoint = {1, 2, 3};
    hit.m_fDistance = 7;
    hit.m_vNormal = {0, 1, 0};
    hit.m_uFace = 9;
    hit.m_uTextureId = 3;
    hit.m_bSkinMesh = 1;
    hit.m_uHitKind = 4;
    hit.m_szNodeName[0] = 'B';
    hit.Clear();
    EXPECT_EQ(hit.m_bHit, 0);
    EXPECT_EQ(hit.m_pObject, nullptr);
    EXPECT_EQ(hit.m_vPoint.x + hit.m_vPoint.y + hit.m_vPoint.z, 0.0f);
    EXPECT_EQ(hit.m_fDistance, 0.0f);
    EXPECT_EQ(hit.m_vNormal.y, 0.0f);
    EXPECT_EQ(hit.m_uFace, 0u);
    EXPECT_EQ(hit.m_uTextureId, 0u);
    EXPECT_EQ(hit.m_bSkinMesh, 0);
    EXPECT_EQ(hit.m_uHitKind, 0u);
    EXPECT_STREQ(hit.m_szNodeName, "");
}

}  // namespace
