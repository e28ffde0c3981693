#pragma once
// One world triangle around a ragdoll, as the collision side delivers it into the ragdoll's fixed
// buffer: 80 bytes, 20 floats.
#include <cstdint>

#include "core/DV.h"

struct CharacterCollisionTriangle {
    DV vCorners[3];
    // Unit length; zero for a degenerate triangle.
    DV vNormal;
    DV vMin;
    DV vMax;
    // -1 when gathered; afterwards the stamp of the last constraint pushed out of the triangle.
    int32_t iMarker = -1;
    float fExtra = 0.0f;
};

static_assert(sizeof(CharacterCollisionTriangle) == 80, "the triangle buffer holds 80-byte records");
