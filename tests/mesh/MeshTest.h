#pragma once
// Tests of static meshes: a null device, the mesh manager emptied, and owners of meshes that
// stand in for the engine's objects through the mesh hooks.
#include <string>

#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "support/DeviceTest.h"

namespace test {

// What a mesh reads of and tells its object.
struct FakeOwner {
    DrawVisibility visibility;
    MeshOwnerPlacement placement;
    float radius = 0.0f;
    DV scale{};
    pmath::Quaternion rotation{};
    int moves = 0;
    EMesh* mesh = nullptr;
    uint8_t subsetMap[256] = {};
    int lod = -1;

    EObjectSlot* Slot() { return reinterpret_cast<EObjectSlot*>(this); }
};

class MeshTest : public DeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // The log's lines that contain the text.
    int LoggedContaining(const std::string& text) const;
    // Makes a mesh owned by owner from the model file.
    void CreateMesh(EMesh& mesh, FakeOwner& owner, const char* fileName);
};

}  // namespace test
