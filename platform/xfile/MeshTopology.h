#pragma once
// Which vertices share a position and which faces share an edge: the ground of adjacency,
// welding and cleaning.
#include <cstdint>
#include <vector>

namespace xfile {

class Mesh;

// For each vertex, the lowest-numbered vertex whose position equals its own within epsilon on
// every axis (chains of such neighbours join one class).
std::vector<uint32_t> PositionClasses(const Mesh& mesh, float epsilon);
// Three entries per face: the face across edge k (corners k and k + 1) whose edge runs the other
// way between the same position classes, or kNoNeighbour. The lower-numbered face is matched first.
void BuildAdjacency(const uint16_t* indices, uint32_t faces, const std::vector<uint32_t>& classes,
                    uint32_t* adjacency);
// The corner of face g that meets corner k of face f across f's edge k, walking g's edge the other
// way (so corner k of f meets g's corner j + 1 and corner k + 1 meets j); 3 when g does not point back.
int BackEdge(const uint16_t* indices, const std::vector<uint32_t>& classes, const uint32_t* adjacency, uint32_t f,
             int k, uint32_t g);
// For each vertex, the lowest-numbered vertex joined to it through corners that meet across the
// adjacency's edges.
std::vector<uint32_t> PointRepresentatives(const uint16_t* indices, uint32_t faces, uint32_t vertices,
                                           const std::vector<uint32_t>& classes, const uint32_t* adjacency);

// Reorders the listed faces so that consecutive faces reuse recently drawn vertices.
void OrderForVertexCache(const uint16_t* indices, uint32_t* faces, uint32_t count, uint32_t vertexCount);

}  // namespace xfile
