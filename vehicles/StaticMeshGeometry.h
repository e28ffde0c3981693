#pragma once
// The triangles of a static level mesh in the model's own space, as the machines' physics reads
// them to build a triangle-mesh body.
#include <cstdint>

class EObjectSlot;

struct StaticMeshGeometry {
    uint32_t vertexCount = 0;
    uint32_t triangleCount = 0;
    // x, y, z floats at the start of each vertex, stride bytes apart.
    const uint8_t* positions = nullptr;
    uint32_t stride = 0;
    // Three 16-bit corners per triangle.
    const uint16_t* indices = nullptr;
};

// The geometry of the object's model (its mesh's vertex and index buffers); empty for an object
// without a static mesh.
StaticMeshGeometry ReadStaticMeshGeometry(const EObjectSlot* object);
