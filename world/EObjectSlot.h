#pragma once
// One engine object: what it is, where it is, and the mesh it owns.
#include <cstdint>

#include "core/DV.h"
#include "render/DrawRecord.h"

class EMesh;

// Object kinds.
constexpr int32_t OBJECT_MESH = 0;
constexpr int32_t OBJECT_SKINMESH = 6;

// Flag bits (FLAG_VISIBLE, the bit the render lists test, comes with DrawVisibility).
constexpr uint32_t FLAG_NOT_IMPORTANT = 0x40;

// The visibility byte and the flags word are the DrawVisibility part, which the render lists of
// the object's meshes read.
class EObjectSlot : public DrawVisibility {
public:
    uint8_t m_bUsed = 0;
    int32_t m_iKind = OBJECT_MESH;
    char m_szName[64] = {};
    DV m_vPosition;
    float m_fRadius = 0;
    // The collision class word; the segment filters skip objects by it.
    uint32_t m_uClass = 0;
    // Set to have the engine delete the object.
    uint8_t m_bToDelete = 0;
    int32_t m_iSector = 0;
    uint8_t m_bSectorDisabled = 0;
    uint8_t m_bHidden = 0;
    EMesh* m_pMesh = nullptr;
};
