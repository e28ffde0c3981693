// The segment tables' grid: which entries a box gathers, in what order, and when it gives up.
#include "collision/EIntersectGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

std::vector<int> Gathered(EIntersectGrid& grid, const DV& min, const DV& max) {
    const int32_t* entries = nullptr;
    int count = -1;
    if (!grid.Gather(min, max, &entries, &count)) return {-1};
    return std::vector<int>(entries, entries + count);
}

TEST(EIntersectGridTest, ABoxGathersTheEntriesOfItsCellsAndTheWideOnesOnceInTableOrder) {
    auto grid = std::make_unique<EIntersectGrid>();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    grid->Place(7, {1, 0, 1}, {2, 1, 2});            // cell (0, 0)
    grid->Place(3, {15, 0, 15}, {17, 1, 17});        // four cells round (16, 16)
    grid->Place(5, {-500, 0, -500}, {500, 1, 500});  // wide
    grid->Place(9, {nan, 0, 0}, {1, 1, 1});          // out of range: wide
    grid->Place(1, {40, 0, 40}, {41, 1, 41});        // cell (2, 2)
    grid->Place(6, {-9e5f, 0, -9e5f}, {9e5f, 1, 9e5f});  // wide, its cells past 32 bits
    struct Case {
        DV min, max;
        std::vector<int> expected;
    } cases[] = {
        {{1.5f, -5, 1.5f}, {1.5f, 5, 1.5f}, {3, 5, 6, 7, 9}},  // cell (0, 0): 3 reaches into it
        {{16, -5, 16}, {16, 5, 16}, {3, 5, 6, 9}},
        {{-1, -5, -1}, {-0.5f, 5, -0.5f}, {5, 6, 9}},
        {{0, -5, 0}, {47, 5, 47}, {1, 3, 5, 6, 7, 9}},  // nine cells
        {{-100, 0, -100}, {100, 0, 100}, {-1}},         // too many cells: walk the table
        {{-9e5f, 0, -9e5f}, {9e5f, 0, 9e5f}, {-1}},
        {{nan, 0, 0}, {0, 0, 0}, {-1}},
    };
    for (const Case& c : cases) EXPECT_EQ(Gathered(*grid, c.min, c.max), c.expected);
}

TEST(EIntersectGridTest, MovedAndRemovedEntriesLeaveTheirOldCells) {
    auto grid = std::make_unique<EIntersectGrid>();
    grid->Place(2, {1, 0, 1}, {2, 1, 2});
    grid->Place(4, {1, 0, 1}, {2, 1, 2});
    grid->Place(2, {100, 0, 100}, {101, 1, 101});
    grid->Place(4, {-500, 0, -500}, {500, 1, 500});
    grid->Place(4, {200, 0, 200}, {201, 1, 201});
    EXPECT_EQ(Gathered(*grid, {1, 0, 1}, {2, 1, 2}), std::vector<int>{});
    EXPECT_EQ(Gathered(*grid, {100, 0, 100}, {100, 1, 100}), std::vector<int>{2});
    grid->Remove(2);
    grid->Remove(2);
    EXPECT_EQ(Gathered(*grid, {100, 0, 100}, {100, 1, 100}), std::vector<int>{});
    EXPECT_EQ(Gathered(*grid, {200, 0, 200}, {200, 1, 200}), std::vector<int>{4});
}

}  // namespace
