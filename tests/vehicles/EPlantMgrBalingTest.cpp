// The hay tasks on a 40 x 40 field: swath rows laid along the field, a baler driven down a row
// picking up what lies under its sockets, the baling percentage, an over-full baler, and the bales
// of a bale-collecting field counted inside the target box and put back when they fall through.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "vehicles/FieldWorkFixture.h"

namespace {

class EPlantMgrBaling : public test::FieldWorkTest {
protected:
    void SetUp() override {
        FieldWorkTest::SetUp();
        Field("pole01");
        // The hub works only in a world with plants: a small meadow beside the field.
        WriteFile("m\\meadow.x", test::QuadModel(-2, -2, 2, 2, 0, 0, "field.tga"));
        Field("laka", DV{100, 0, 100}, "m\\meadow.x");
        Script(Wheat("laka"));
        Grow();
    }

    static const PGroundMgr::Record& Hay() { return g_GroundMgr.m_Records[1]; }

    EObjectSlot* Baler(float halfWidth = 1.0f) {
        char sockets[128];
        std::snprintf(sockets, sizeof sockets, "socket belowanie0 %g 0 0\nsocket belowanie1 %g 0 0\n", -halfWidth, halfWidth);
        EObjectSlot* b = Machine("prasa", sockets);
        b->m_hTruck->m_bPrasa = 1;
        b->m_hTruck->m_bMowingOn = 1;
        Couple(b);
        return b;
    }
    static uint32_t Removed() {
        uint32_t n = 0;
        for (uint32_t i = 0; i < Hay().m_dwMarks; ++i) n += Hay().m_pMarks[i].m_bRemoved;
        return n;
    }
};

// A square field takes its rows along z: points 1.6 apart, rows 6.0 apart in x, each point
// jittered less than 0.3 (and each mark by less than 0.75 of its kind's own) and marked twice.
TEST_F(EPlantMgrBaling, ASquareFieldGetsSwathRowsSixApartAlongX) {
    Task(&RouteRecord::m_bBaling);
    g_PlantMgr.TworzDaneBelowania();
    ASSERT_GT(Hay().m_dwMarks, 300u);
    EXPECT_EQ(Hay().m_dwMarks % 2, 0u);
    EXPECT_TRUE(Logged("Dane belowania: dodano " + std::to_string(Hay().m_dwMarks)));
    std::set<int> rows;
    for (uint32_t i = 0; i < Hay().m_dwMarks; ++i) {
        const float x = Hay().m_pMarks[i].m_vCentre.x;
        const float row = std::round((x + 20) / 6.0f);
        EXPECT_LT(std::fabs(x + 20 - 6.0f * row), 0.3f + 0.75f) << i;
        rows.insert(static_cast<int>(row));
    }
    EXPECT_EQ(rows.size(), 7u);
}

// A field twice as long in x as in z takes its rows along x.
TEST_F(EPlantMgrBaling, ALongFieldGetsItsRowsAlongItsLength) {
    WriteFile("m\\long.x", test::QuadModel(-20, -5, 20, 5, 0, 0, "field.tga"));
    Field("dlugie", DV{}, "m\\long.x");
    Task(&RouteRecord::m_bBaling, "dlugie");
    g_PlantMgr.TworzDaneBelowania();
    std::set<int> rows;
    for (uint32_t i = 0; i < Hay().m_dwMarks; ++i) rows.insert(static_cast<int>(std::round((Hay().m_pMarks[i].m_vCentre.z + 5) / 6.0f)));
    EXPECT_EQ(rows.size(), 2u);
}

TEST_F(EPlantMgrBaling, DrivingDownTheRowsBalesThemAndTheProgressFollows) {
    Task(&RouteRecord::m_bBaling);
    g_PlantMgr.TworzDaneBelowania();
    EObjectSlot* baler = Baler();
    auto driveRow = [&](float x) {
        for (float z = -21; z <= 21; z += 0.5f) {
            MoveTo(baler, DV{x, 0, z});
            Frame();
            ASSERT_LE(Progress(EPlantMgr::kBaling), 100.0f);
        }
    };
    driveRow(-8);
    uint32_t inRow = 0;
    for (uint32_t i = 0; i < Hay().m_dwMarks; ++i) inRow += std::fabs(Hay().m_pMarks[i].m_vCentre.x + 8) < 2 ? 1 : 0;
    EXPECT_EQ(Removed(), inRow);
    EXPECT_NEAR(Progress(EPlantMgr::kBaling), 100.0f * static_cast<float>(inRow) / static_cast<float>(Hay().m_dwMarks), 2.0f);
    EXPECT_NEAR(baler->m_hTruck->m_dBaleFill, 0.012 * inRow, 1e-9);
    for (float x = -20; x <= 16; x += 6) {
        baler->m_hTruck->m_dBaleFill = 0;  // the bales are thrown out as they fill
        driveRow(x);
    }
    EXPECT_FLOAT_EQ(Progress(EPlantMgr::kBaling), 100.0f);
}

// Under a socket within 1.0, or within 2.0 of the middle, and never beyond 10 from the middle.
TEST_F(EPlantMgrBaling, WhatLiesUnderTheSocketsIsPickedUp) {
    Task(&RouteRecord::m_bBaling);
    g_GroundMgr.m_Records[1].m_fJitter = 0;
    const DV up{0, 1, 0};
    const struct {
        float halfWidth;
        DV mark;
        bool picked;
    } cases[] = {
        {3, {3, 0, 0.9f}, true},  {3, {0, 0, 1.9f}, true},   {3, {1.5f, 0, 1.5f}, false},
        {3, {-3, 0, 1.1f}, false}, {11, {11, 0, 0}, false},  {9.5f, {9.5f, 0, 0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mark.x + 100 * c.mark.z + 1000 * c.halfWidth);
        g_GroundMgr.ClearEffects();
        g_GroundMgr.AddGroundEffect(1, &c.mark, nullptr, &up);
        EObjectSlot* baler = Baler(c.halfWidth);
        Frame();
        EXPECT_EQ(Removed() == 1, c.picked);
        baler->m_hTruck = nullptr;
        g_Engine.DeleteObject(baler);
    }
}

TEST_F(EPlantMgrBaling, AFullBalerLosesTheRunAndPicksNothingUp) {
    Task(&RouteRecord::m_bBaling);
    g_PlantMgr.TworzDaneBelowania();
    EObjectSlot* baler = Baler();
    baler->m_hTruck->m_dBaleFill = 1.2;
    MoveTo(baler, DV{-8, 0, 0});
    Frame();
    EXPECT_TRUE(g_Player.m_bRunFinished);
    EXPECT_EQ(Removed(), 0u);
}

TEST_F(EPlantMgrBaling, NoSwathsShowZeroRatherThanNothingOverNothing) {
    Task(&RouteRecord::m_bBaling);
    Frame();
    EXPECT_EQ(Progress(EPlantMgr::kBaling), 0.0f);
}

class EPlantMgrBales : public EPlantMgrBaling {
protected:
    void SetUp() override {
        EPlantMgrBaling::SetUp();
        WriteFile("obiekty\\bala.x", test::BoxModel(DV{-0.6f, 0, -0.6f}, DV{0.6f, 1.2f, 0.6f}));
        WriteFile("m\\target.x", test::BoxModel(DV{0, -1, 0}, DV{10, 3, 10}));
        Task(&RouteRecord::m_bBaleCollecting);
    }
    static EObjectSlot* Bale(DV at) { return AddMesh("bala", at, "obiekty\\bala.x"); }
};

// A bale on the field's edge is not strictly inside it: it goes. One on the target box's edge does
// not count as inside.
TEST_F(EPlantMgrBales, BalesOffTheFieldGoAndThoseInTheBoxCount) {
    EObjectSlot* inField = Bale(DV{5, 0, 5});
    EObjectSlot* onEdge = Bale(DV{20, 0, 5});
    EObjectSlot* outside = Bale(DV{30, 0, 0});
    g_PlantMgr.TworzDaneZbieraniaBeli();
    EXPECT_TRUE(inField->m_bUsed);
    EXPECT_TRUE(inField->m_bCollectableBale);
    EXPECT_FALSE(onEdge->m_bUsed);
    EXPECT_FALSE(outside->m_bUsed);
    Frame();
    EXPECT_TRUE(Logged("Brak markera \"bele\""));
    AddMesh("bele", DV{-15, 0, -15}, "m\\target.x");
    Bale(DV{-10, 0, -10});
    Bale(DV{-15, 0, -12});  // on the box's face
    Frame();
    EXPECT_EQ(g_PlantMgr.m_dwBales, 3u);
    EXPECT_EQ(g_PlantMgr.m_dwBalesInside, 1u);
    EXPECT_NEAR(Progress(EPlantMgr::kBaleCollecting), 100.0f / 3, 1e-4f);
}

// A collectable bale 10 or more below the player comes back 8 units beside the player and 2
// above the ground there.
TEST_F(EPlantMgrBales, AFallenBaleComesBackBesideThePlayer) {
    EObjectSlot* bale = Bale(DV{1.5f, 0, 1});
    g_PlantMgr.TworzDaneZbieraniaBeli();
    g_Player.m_vPosition = DV{1, 5, 1};
    g_Engine.SetObjectPosition(bale, DV{1.5f, -4.9f, 1}, false);
    Frame();
    EXPECT_NEAR(bale->m_vPosition.y, -4.9f, 1e-4f);  // less than 10 below: not yet
    g_Engine.SetObjectPosition(bale, DV{1.5f, -5, 1}, false);
    Frame();
    EXPECT_TRUE(Logged("Teleportowalem bala"));
    EXPECT_NEAR(pmath::Length(DV{bale->m_vPosition.x - 1, 0, bale->m_vPosition.z - 1}), 8.0f, 1e-3f);
    EXPECT_NEAR(bale->m_vPosition.x, 9.0f, 1e-3f);
    EXPECT_NEAR(bale->m_vPosition.y, 2.0f, 1e-3f);
}

}  // namespace
