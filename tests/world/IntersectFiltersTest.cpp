#include "world/IntersectFilters.h"

#include <gtest/gtest.h>

#include <string>

#include "collision/EIntersectSegment.h"
#include "core/SegmentQuery.h"
#include "support/TestSupport.h"
#include "world/EObjectSlot.h"

namespace {

constexpr IntersectFilterFn kFilters[] = {
    IntersectFilterNotClass128,     IntersectFilterOnlyTarget,           IntersectFilterSolidMeshes,
    IntersectFilterNotSkinMeshNotClass8, IntersectFilterNotIgnoredAlive, IntersectFilterNotIgnoredActive,
    IntersectFilterMeshOrSkinMeshAlive, IntersectFilterStaticMeshes,     IntersectFilterFlagged,
    IntersectFilterOnlyTargetAny,   IntersectFilterNotClass8192Or16384,  IntersectFilterConfigurable,
};

class IntersectFilters : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetGlobal(g_IntersectSegment);
        g_RayFilter = RayFilter{};
        g_IntersectSegment.m_pExcluded = &m_player;
    }
    void TearDown() override {
        test::ResetGlobal(g_IntersectSegment);
        g_RayFilter = RayFilter{};
    }

    // A static mesh of the level, as most candidates start.
    static EObjectSlot Mesh() {
        EObjectSlot o;
        o.Type = OT_MESH;
        o.m_uFlags = 0x4;
        return o;
    }

    EObjectSlot m_player = Mesh();
    EObjectSlot m_argument = Mesh();
};

TEST_F(IntersectFilters, EachFilterAcceptsItsCandidates) {
    strActionParams firing, onTouchOnly;
    firing.m_uEnabled = 1;
    onTouchOnly.m_uOnTouch = 1;
    int truck;
    auto with = [](auto change) {
        EObjectSlot o = Mesh();
        change(o);
        return o;
    };
    struct Row {
        const char* what;
        EObjectSlot* candidate;
        // One character per filter, in the order of kFilters: 1 accepted, 0 refused.
        const char* accepted;
    };
    EObjectSlot plain = Mesh(), skin = with([](EObjectSlot& o) { o.Type = OT_SKINMESH; }),
                light = with([](EObjectSlot& o) { o.Type = OT_LIGHT; });
    auto ofClass = [&](uint32_t k) { return with([k](EObjectSlot& o) { o.m_uFlags3 = k; }); };
    EObjectSlot class128 = ofClass(128), class8 = ofClass(8), class2 = ofClass(2), class32 = ofClass(32),
                class8192 = ofClass(8192), class16384 = ofClass(16384);
    EObjectSlot trigger = with([&](EObjectSlot& o) { o.m_pActionParams = &firing; });
    EObjectSlot touchTrigger = with([&](EObjectSlot& o) { o.m_pActionParams = &onTouchOnly; });
    EObjectSlot excluded = with([](EObjectSlot& o) { o.m_bExcluded = 1; });
    EObjectSlot physicsPart = with([](EObjectSlot& o) { o.m_uFlags |= 0x2000000; });
    EObjectSlot machine = with([&](EObjectSlot& o) { o.m_hTruck = reinterpret_cast<HTRUCK>(&truck); });
    EObjectSlot unflagged = with([](EObjectSlot& o) { o.m_uFlags = 0; });
    EObjectSlot dead = with([](EObjectSlot& o) { o.m_bDead = 1; });
    EObjectSlot vehicle = with([](EObjectSlot& o) { o.m_bVehicleMark = 1; });
    const Row rows[] = {
        {"plain mesh", &plain, "101111111011"},
        {"skinned mesh", &skin, "101011101011"},
        {"light", &light, "100111001011"},
        {"the player's machine", &m_player, "000011001011"},
        {"the query's argument", &m_argument, "110000000101"},
        {"class 128", &class128, "001111111011"},
        {"class 8", &class8, "100011101011"},
        {"class 2", &class2, "101111101011"},
        {"class 32", &class32, "101111101011"},
        {"class 8192 (bit 0x2000)", &class8192, "100111111001"},
        {"class 16384", &class16384, "101111111001"},
        {"firing action block", &trigger, "000000001010"},
        {"action block firing on touch only", &touchTrigger, "101110111011"},
        {"excluded from the visibility pass", &excluded, "100111111011"},
        {"physics part", &physicsPart, "100111111011"},
        {"machine with a truck", &machine, "101111110011"},
        {"not a level mesh", &unflagged, "101111110011"},
        {"dead", &dead, "101111111010"},
        {"vehicle mark", &vehicle, "101111111001"},
        {"null", nullptr, "000000000000"},
    };
    for (const Row& row : rows) {
        std::string answers;
        for (IntersectFilterFn filter : kFilters) answers += filter(row.candidate, &m_argument) ? '1' : '0';
        EXPECT_EQ(answers, row.accepted) << row.what;
    }
    // The only target cannot be the player's machine.
    EXPECT_FALSE(IntersectFilterOnlyTarget(&m_player, &m_player));
    EXPECT_TRUE(IntersectFilterOnlyTargetAny(&m_player, &m_player));
}

TEST_F(IntersectFilters, TheConfigurableFilterFollowsItsSwitches) {
    EObjectSlot first = Mesh(), second = Mesh(), other = Mesh();
    g_RayFilter.m_pExcluded1 = &first;
    g_RayFilter.m_pExcluded2 = &second;
    EXPECT_FALSE(IntersectFilterConfigurable(&first, nullptr));
    EXPECT_FALSE(IntersectFilterConfigurable(&second, nullptr));
    EXPECT_TRUE(IntersectFilterConfigurable(&other, nullptr));
    struct Case {
        uint8_t skip4, skip2And32, skip16;
        uint32_t classWord;
        bool accepted;
    } cases[] = {
        {1, 0, 0, 4, false}, {0, 1, 1, 4, true},   {0, 1, 0, 2, false}, {0, 1, 0, 32, false},
        {1, 0, 1, 2, true},  {0, 0, 1, 16, false}, {1, 1, 0, 16, true}, {1, 1, 1, 8, true},
    };
    for (const Case& c : cases) {
        g_RayFilter.m_bSkipClass4 = c.skip4;
        g_RayFilter.m_bSkipClasses2And32 = c.skip2And32;
        g_RayFilter.m_bSkipClass16 = c.skip16;
        other.m_uFlags3 = c.classWord;
        EXPECT_EQ(IntersectFilterConfigurable(&other, nullptr), c.accepted)
            << int(c.skip4) << int(c.skip2And32) << int(c.skip16) << " class " << c.classWord;
    }
}

}  // namespace
