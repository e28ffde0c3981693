#include "MeshTest.h"

#include "core/ESettings.h"
#include "render/D3DDevice.h"

namespace test {

namespace {

FakeOwner* Owner(const EObjectSlot* slot) { return reinterpret_cast<FakeOwner*>(const_cast<EObjectSlot*>(slot)); }

}  // namespace

void MeshTest::SetUp() {
    DeviceTest::SetUp();
    ASSERT_TRUE(CreateDevice());
    g_MeshMgr.ReleaseAll();
    MeshHooks& h = g_MeshHooks;
    h.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o ? &Owner(o)->visibility : nullptr; };
    h.ownerPlacement = [](const EObjectSlot* o) { return o ? Owner(o)->placement : MeshOwnerPlacement{}; };
    h.ownerTransformed = [](EObjectSlot* o, const DV& scale, const pmath::Quaternion& rotation) {
        if (!o) return;
        Owner(o)->scale = scale;
        Owner(o)->rotation = rotation;
        ++Owner(o)->moves;
    };
    h.setOwnerRadius = [](EObjectSlot* o, float radius) {
        if (o) Owner(o)->radius = radius;
    };
    h.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o ? Owner(o)->mesh : nullptr; };
    h.setObjectSubsetMap = [](EObjectSlot* o, const uint8_t* map) { std::copy(map, map + 256, Owner(o)->subsetMap); };
    h.setObjectLod = [](EObjectSlot* o, uint8_t lod) { Owner(o)->lod = lod; };
}

void MeshTest::TearDown() {
    g_MeshMgr.ReleaseAll();
    g_MeshHooks = MeshHooks{};
    DeviceTest::TearDown();
}

int MeshTest::LoggedContaining(const std::string& text) const {
    int count = 0;
    for (const std::string& line : ReadLines("!console.txt")) count += line.find(text) != std::string::npos;
    return count;
}

void MeshTest::CreateMesh(EMesh& mesh, FakeOwner& owner, const char* fileName) {
    mesh.m_hObject = owner.Slot();
    owner.mesh = &mesh;
    mesh.Create(fileName);
}

}  // namespace test
