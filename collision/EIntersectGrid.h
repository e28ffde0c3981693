#pragma once
// A grid over the ground plane (x and z) that keeps, for every entry of a segment table, the
// cells its world box covers, so that a short query (a wheel's ground probe, a shot) visits the
// entries near its segment instead of the whole table. Entries wider than a few cells (the
// ground, large buildings) and entries with boxes out of range are kept on a list that every
// query visits. The grid only narrows the walk: the entries it gathers are tested exactly as in
// a walk over the table, in the table's order.
#include <cstdint>

#include "core/DV.h"

class EIntersectGrid {
public:
    static constexpr int kEntries = 4096;
    static constexpr float kCellSize = 16.0f;
    // An entry covering more cells than this (3 x 3) goes on the wide list.
    static constexpr int kCellsPerEntry = 9;
    // A query covering more cells than this walks the whole table.
    static constexpr int kQueryCells = 64;
    static constexpr int kBuckets = 4096;

    EIntersectGrid();

    // The entry's box is now this one (it joins, or moves).
    void Place(int entry, const DV& min, const DV& max);
    void Remove(int entry);
    // Every entry whose cells meet the cells of the box (and any other that shares their buckets),
    // and every wide entry, each once, in ascending order; false (nothing gathered) when the box
    // covers too many cells.
    bool Gather(const DV& min, const DV& max, const int32_t** entries, int* count);

private:
    struct CellRange {
        int32_t x0, z0, x1, z1;
        int64_t Cells() const { return int64_t{x1 - x0 + 1} * (z1 - z0 + 1); }
    };
    enum : int8_t { kAbsent = 0, kWide = -1 };

    static bool RangeOf(const DV& min, const DV& max, CellRange* range);
    static int Bucket(int32_t x, int32_t z);
    void Link(int link, int bucket);
    void Unlink(int link);
    void Take(int entry);

    // The bucket lists of (entry, cell) links; link e * kCellsPerEntry + k is entry e's k-th.
    int32_t m_iHead[kBuckets];
    int32_t m_iNext[kEntries * kCellsPerEntry];
    int32_t m_iPrev[kEntries * kCellsPerEntry];
    int16_t m_iBucketOf[kEntries * kCellsPerEntry];
    // Per entry: how many links it has, or kWide, or kAbsent.
    int8_t m_iLinks[kEntries];
    // The wide list.
    int32_t m_iWideHead = -1;
    int32_t m_iWideNext[kEntries];
    int32_t m_iWidePrev[kEntries];
    // A query's gathered entries, marked with the query's stamp so that each is taken once.
    uint32_t m_uStamp = 0;
    uint32_t m_uStampOf[kEntries];
    int32_t m_iGathered[kEntries];
};
