#pragma once
// Tests of skinned meshes: a null device, the skinned-mesh manager and the link fields emptied,
// and owners that stand in for the engine's objects through the mesh hooks. Models are written
// into the start directory from skeletons made in code.
#include <string>

#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "support/DeviceTest.h"
#include "tools/SkinnedModel.h"

namespace test {

// What a skinned mesh reads of and tells its object.
struct SkinOwner {
    DrawVisibility visibility;
    uint32_t objectClass = 0;
    uint32_t flags = 0;
    uint32_t flags2 = 0;
    const char* name = "owner";
    ESkinMesh* skin = nullptr;
    int moves = 0;

    EObjectSlot* Slot() { return reinterpret_cast<EObjectSlot*>(this); }
};

class SkinMeshTest : public DeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;
    int LoggedContaining(const std::string& text) const;
    void WriteModel(const std::string& gamePath, const skinned::Model& model) { WriteFile(gamePath, model.XText()); }
    void WriteClip(const std::string& gamePath, const strSkinMeshAnimation& clip);
    // Makes the skinned mesh of owner from the model file; whether it was made.
    bool Create(ESkinMesh& skin, SkinOwner& owner, const char* path);
    // One frame of the engine: the frame time, the animation, the matrices.
    static void Frame(ESkinMesh& skin, float seconds);
};

// A root with an arm of two bones along +x ("upper" at 0, "lower" at 10), and a bar of faces
// from x = 0 to 20 whose vertices follow the bone under them (blended across the elbow).
skinned::Model Arm();
// A clip turning "lower" about y from 0 to `degrees` over one second (keys at ticks 0 and 30).
strSkinMeshAnimation ArmBend(const skinned::Model& arm, const char* name, float degrees);

}  // namespace test
