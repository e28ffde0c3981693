#pragma once
// The vertex of the ground marks and the plants, in the engine's 36-byte mesh layout (the mesh
// vertex declaration reads it): position, ARGB colour, normal, texture coordinates. The colour's
// alpha is what the effects fade marks by and sway plants by.
#include <cstdint>

#include "core/DV.h"

struct FieldVertex {
    DV position;
    uint32_t colour;
    DV normal;
    float u;
    float v;
};
static_assert(sizeof(FieldVertex) == 36, "the mesh vertex layout is 36 bytes");
