#pragma once
// Collision tests: objects made of triangles in the test stand in for the engine's objects,
// answering the collision hooks, and a fresh collision manager, segment tables and sweep.
#include <deque>
#include <string>
#include <vector>

#include "collision/CollisionHooks.h"
#include "core/DV.h"
#include "platform/math/Matrix.h"
#include "support/ConsoleLogTest.h"

namespace test {

struct Triangle {
    DV a, b, c;
};

// An engine object as collision sees it: a mesh of triangles with its subsets, placed by a world
// matrix, or a skinned mesh with a bounding sphere. Its address is its handle.
class FakeObject {
public:
    EObjectSlot* Handle() { return reinterpret_cast<EObjectSlot*>(this); }
    // Moves the mesh (or the skinned mesh's centre, by the matrix's translation) and tells
    // collision, as the engine does when a mesh's transform changes.
    void Place(const pmath::Matrix& world);
    // The triangles in world space, in face order.
    std::vector<Triangle> WorldTriangles() const;

    CollisionObjectFacts facts;
    CollisionIndices indices;
    std::vector<Triangle> triangles;
    std::vector<CollisionSubset> subsets;
    bool hasSubsetTable = true;
    // For the geometry hook.
    std::vector<DV> vertices;
    std::vector<uint16_t> faces;
    DV localMin, localMax;
};

// Subsets of consecutive faces: each entry gives a face count, its texture id and whether its
// texture is marked no-intersect.
struct SubsetRun {
    uint32_t faces;
    uint32_t textureId;
    uint8_t noIntersect;
};

class CollisionTest : public ConsoleLogTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A mesh object made and registered as the engine makes one: placed, then added to the
    // collision records and the segment tables.
    FakeObject& AddMesh(const std::vector<Triangle>& triangles, const pmath::Matrix& world,
                        const std::vector<SubsetRun>& subsets = {}, uint32_t flags = 0x5, uint32_t flags2 = 0);
    // A skinned-mesh object of the radius at the position.
    FakeObject& AddSkinMesh(const DV& position, float radius, uint32_t flags = 0x5, uint32_t flags2 = 0);
    // Deleted as the engine deletes one.
    void Remove(FakeObject& object);
    bool Logged(const std::string& line) const;

    std::deque<FakeObject> m_objects;
};

// Row-vector matrices.
pmath::Matrix Translation(const DV& at);
pmath::Matrix Scaling(const DV& scale);
// A unit-less cube from -h to h on every axis: 12 faces, two per side.
std::vector<Triangle> Cube(float h);
// A grid of cells x cells squares of the size in x and z, each split in two, at the heights of a
// gentle hill.
std::vector<Triangle> Hill(int cells, float size);

}  // namespace test
