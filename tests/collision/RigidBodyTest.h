#pragma once
// Rigid-body tests: a collision test whose fake objects also answer the rigid bodies' hooks. Boxes
// are mesh objects of a box body whose helper objects are unit cubes scaled to the box.
#include <map>
#include <string>

#include "CollisionTest.h"
#include "collision/ERigidBodyPhysics.h"
#include "collision/ERigidBodySimulation.h"
#include "collision/RigidBodyHooks.h"
#include "mesh/MeshParams.h"

namespace test {

// What the hooks know of an engine object beyond its triangles.
struct BodyObject {
    std::string name;
    std::string meshFile;
    DV position;
    double q[4] = {0, 0, 0, 1};
    DV scale{1, 1, 1};
    DV localMin;
    DV localMax;
    RigidBodyPhysicsParams params;
    std::map<std::string, DV> sockets;
    FakeObject* fake = nullptr;
};

// The row-vector world matrix of a placement.
pmath::Matrix PlacementMatrix(const DV& position, const double* q, const DV& scale);

class RigidBodyTest : public CollisionTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A flat static square of the half size at the height.
    FakeObject& AddGround(float halfSize, float height = 0.0f);
    // A box body of the size (in world units), its centre at the position, awake.
    ERigidBodyPhysics* AddBox(const DV& centre, float size, float mass = 8.0f, const std::string& name = "box");
    BodyObject& Object(EObjectSlot* object) { return m_bodyObjects.at(object); }
    // Runs the simulation for the seconds in frames of 1/60 s.
    void Run(double seconds);

    std::map<EObjectSlot*, BodyObject> m_bodyObjects;
    static inline RigidBodyTest* s_test = nullptr;
};

}  // namespace test
