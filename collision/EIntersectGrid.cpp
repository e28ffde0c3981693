#include "collision/EIntersectGrid.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Farther out than this a box is on the wide list, so that its cells fit in 32 bits.
constexpr float kReach = 1.0e6f;

}  // namespace

EIntersectGrid::EIntersectGrid() {
    std::fill(std::begin(m_iHead), std::end(m_iHead), -1);
    std::fill(std::begin(m_iLinks), std::end(m_iLinks), int8_t{kAbsent});
    std::fill(std::begin(m_uStampOf), std::end(m_uStampOf), 0u);
}

bool EIntersectGrid::RangeOf(const DV& min, const DV& max, CellRange* range) {
    // Written so that a NaN fails it.
    const auto inReach = [](float v) { return v > -kReach && v < kReach; };
    if (!inReach(min.x) || !inReach(min.z) || !inReach(max.x) || !inReach(max.z) || min.x > max.x || min.z > max.z)
        return false;
    range->x0 = static_cast<int32_t>(std::floor(min.x / kCellSize));
    range->z0 = static_cast<int32_t>(std::floor(min.z / kCellSize));
    range->x1 = static_cast<int32_t>(std::floor(max.x / kCellSize));
    range->z1 = static_cast<int32_t>(std::floor(max.z / kCellSize));
    return true;
}

int EIntersectGrid::Bucket(int32_t x, int32_t z) {
    // Neighbouring and mirrored cells fall into different buckets.
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u + static_cast<uint32_t>(z);
    h ^= h >> 15;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    return static_cast<int>(h & (kBuckets - 1));
}

void EIntersectGrid::Link(int link, int bucket) {
    m_iBucketOf[link] = static_cast<int16_t>(bucket);
    m_iPrev[link] = -1;
    m_iNext[link] = m_iHead[bucket];
    if (m_iHead[bucket] >= 0) m_iPrev[m_iHead[bucket]] = link;
    m_iHead[bucket] = link;
}

void EIntersectGrid::Unlink(int link) {
    if (m_iPrev[link] >= 0) m_iNext[m_iPrev[link]] = m_iNext[link];
    else m_iHead[m_iBucketOf[link]] = m_iNext[link];
    if (m_iNext[link] >= 0) m_iPrev[m_iNext[link]] = m_iPrev[link];
}

void EIntersectGrid::Take(int entry) {
    if (m_iLinks[entry] == kWide) {
        if (m_iWidePrev[entry] >= 0) m_iWideNext[m_iWidePrev[entry]] = m_iWideNext[entry];
        else m_iWideHead = m_iWideNext[entry];
        if (m_iWideNext[entry] >= 0) m_iWidePrev[m_iWideNext[entry]] = m_iWidePrev[entry];
    }
    for (int k = 0; k < m_iLinks[entry]; ++k) Unlink(entry * kCellsPerEntry + k);
    m_iLinks[entry] = kAbsent;
}

void EIntersectGrid::Place(int entry, const DV& min, const DV& max) {
    if (entry < 0 || entry >= kEntries) return;
    Take(entry);
    CellRange range;
    if (!RangeOf(min, max, &range) || range.Cells() > kCellsPerEntry) {
        m_iLinks[entry] = kWide;
        m_iWidePrev[entry] = -1;
        m_iWideNext[entry] = m_iWideHead;
        if (m_iWideHead >= 0) m_iWidePrev[m_iWideHead] = entry;
        m_iWideHead = entry;
        return;
    }
    int k = 0;
    for (int32_t z = range.z0; z <= range.z1; ++z)
        for (int32_t x = range.x0; x <= range.x1; ++x) Link(entry * kCellsPerEntry + k++, Bucket(x, z));
    m_iLinks[entry] = static_cast<int8_t>(k);
}

void EIntersectGrid::Remove(int entry) {
    if (entry >= 0 && entry < kEntries) Take(entry);
}

bool EIntersectGrid::Gather(const DV& min, const DV& max, const int32_t** entries, int* count) {
    *entries = m_iGathered;
    *count = 0;
    CellRange range;
    if (!RangeOf(min, max, &range) || range.Cells() > kQueryCells) return false;
    if (++m_uStamp == 0) {
        std::fill(std::begin(m_uStampOf), std::end(m_uStampOf), 0u);
        m_uStamp = 1;
    }
    int n = 0;
    for (int32_t z = range.z0; z <= range.z1; ++z)
        for (int32_t x = range.x0; x <= range.x1; ++x)
            for (int32_t link = m_iHead[Bucket(x, z)]; link >= 0; link = m_iNext[link]) {
                const int entry = link / kCellsPerEntry;
                if (m_uStampOf[entry] == m_uStamp) continue;
                m_uStampOf[entry] = m_uStamp;
                m_iGathered[n++] = entry;
            }
    for (int32_t entry = m_iWideHead; entry >= 0; entry = m_iWideNext[entry]) m_iGathered[n++] = entry;
    std::sort(m_iGathered, m_iGathered + n);
    *count = n;
    return true;
}
