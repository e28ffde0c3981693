// The ragdoll's solver core: the flat constraint tables, the lengths measured at start, the
// Verlet step and one relaxation pass over each table, and the marking of node chains.
#include <cmath>
#include <vector>

#include "core/EDebug.h"
#include "mesh/ECharacterRagDoll.h"

namespace {

constexpr const char* kSDCTag = "m_SDCTable";
constexpr const char* kSSCDCTag = "m_SSCDCTable";
// Pairs closer than this on every axis are separated by fixed moves rather than relaxed.
constexpr float kCoincident = 0.01f;
constexpr float kSeparation = 0.1f;

// A table entry per record of the list, in list order, with the addresses of both positions.
template <class Record>
strConstraintTableEntry* BuildTable(Record* head, uint32_t* count, const char* tag) {
    *count = 0;
    for (Record* c = head; c; c = c->m_pNext) ++*count;
    if (*count == 0) return nullptr;
    auto* table = new strConstraintTableEntry[*count];
    g_Debug.AddAlloc(tag);
    uint32_t i = 0;
    for (Record* c = head; c; c = c->m_pNext, ++i) {
        table[i].pA = &c->m_pA->m_vPosition;
        table[i].pB = &c->m_pB->m_vPosition;
    }
    return table;
}

void FreeTable(strConstraintTableEntry** table, uint32_t* count, const char* tag) {
    if (*table) {
        delete[] *table;
        g_Debug.RemoveAlloc(tag);
    }
    *table = nullptr;
    *count = 0;
}

// The square-root-free rod: moves both ends along their difference towards the squared limit.
void RelaxPair(DV& a, DV& b, const DV& d, float dd, float r2) {
    const float k = r2 / (dd + r2) - 0.5f;
    a -= d * k;
    b += d * k;
}

}  // namespace

void ECharacterRagDoll::BuildSDCTable() { m_SDCTable = BuildTable(m_pDistanceConstraints, &m_uSDCTableCount, kSDCTag); }

void ECharacterRagDoll::BuildSSCDCTable() {
    m_SSCDCTable = BuildTable(m_pSelfCollisionConstraints, &m_uSSCDCTableCount, kSSCDCTag);
}

void ECharacterRagDoll::FreeSDCTable() { FreeTable(&m_SDCTable, &m_uSDCTableCount, kSDCTag); }

void ECharacterRagDoll::FreeSSCDCTable() { FreeTable(&m_SSCDCTable, &m_uSSCDCTableCount, kSSCDCTag); }

void ECharacterRagDoll::MeasureDistanceConstraints() {
    for (strDistanceConstraint* c = m_pDistanceConstraints; c; c = c->m_pNext) {
        c->m_fRestLength = pmath::Length(c->m_pB->m_vPosition - c->m_pA->m_vPosition);
        c->m_fRestLength2 = c->m_fRestLength * c->m_fRestLength;
    }
}

void ECharacterRagDoll::MeasureSelfCollisionConstraints() {
    for (strSelfCollisionConstraint* c = m_pSelfCollisionConstraints; c; c = c->m_pNext) {
        c->m_fLimit = pmath::Length(c->m_pRef2->m_vPosition - c->m_pRef1->m_vPosition) + c->m_fMargin;
        c->m_fLimit2 = c->m_fLimit * c->m_fLimit;
    }
}

void ECharacterRagDoll::CopyDistanceLimits() {
    uint32_t i = 0;
    for (strDistanceConstraint* c = m_pDistanceConstraints; c && i < m_uSDCTableCount; c = c->m_pNext, ++i)
        m_SDCTable[i].fLimit2 = c->m_fRestLength2;
}

void ECharacterRagDoll::CopySelfCollisionLimits() {
    uint32_t i = 0;
    for (strSelfCollisionConstraint* c = m_pSelfCollisionConstraints; c && i < m_uSSCDCTableCount; c = c->m_pNext, ++i)
        m_SSCDCTable[i].fLimit2 = c->m_fLimit2;
}

// Gravity is a fixed drop per step; there is no drag.
void ECharacterRagDoll::Integrate() {
    for (uint32_t i = 0; i < m_iNumParticles; ++i) {
        ZParticle& p = m_Particles[i];
        if (p.m_uRestart) {
            p.m_vOldPosition = p.m_vPosition;
            p.m_vPosition.y -= kGravityPerStep;
            p.m_uRestart = 0;
            continue;
        }
        DV next = p.m_vPosition * 2.0f - p.m_vOldPosition;
        next.y -= kGravityPerStep;
        p.m_vOldPosition = p.m_vPosition;
        p.m_vPosition = next;
    }
}

// Nearly coinciding pairs (within the guard on every axis, whichever side B lies) would give the
// rod no direction: they are pushed apart by fixed moves instead.
void ECharacterRagDoll::RelaxDistanceTable() {
    for (uint32_t i = 0; i < m_uSDCTableCount; ++i) {
        strConstraintTableEntry& e = m_SDCTable[i];
        DV& a = *e.pA;
        DV& b = *e.pB;
        const DV d = b - a;
        if (std::fabs(d.x) <= kCoincident && std::fabs(d.y) <= kCoincident && std::fabs(d.z) <= kCoincident) {
            a -= DV{kSeparation, kSeparation, kSeparation};
            b += DV{kSeparation, kSeparation, kSeparation};
            continue;
        }
        RelaxPair(a, b, d, pmath::Dot(d, d), e.fLimit2);
    }
}

// One-sided: only a pair farther apart than its limit is drawn together.
void ECharacterRagDoll::RelaxSelfCollisionTable() {
    for (uint32_t i = 0; i < m_uSSCDCTableCount; ++i) {
        strConstraintTableEntry& e = m_SSCDCTable[i];
        const DV d = *e.pB - *e.pA;
        const float dd = pmath::Dot(d, d);
        if (e.fLimit2 < dd) RelaxPair(*e.pA, *e.pB, d, dd, e.fLimit2);
    }
}

void ECharacterRagDoll::MarkNodeChain(uint32_t node) {
    if (!m_pOwner) return;
    std::vector<ESkinMesh::strNode>& nodes = m_pOwner->m_pNodes;
    int32_t i = static_cast<int32_t>(node);
    while (i >= 0 && i < m_pOwner->m_iNumNodes) {
        ESkinMesh::strNode& n = nodes[static_cast<size_t>(i)];
        n.bRagDollMark = 1;
        if (n.iFirstChild >= 0) MarkNodeChain(static_cast<uint32_t>(n.iFirstChild));
        i = n.iSibling;
    }
}
