#include "SkinMeshTest.h"

#include "core/FrameFacts.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"

namespace test {

namespace {

SkinOwner* Owner(const EObjectSlot* slot) { return reinterpret_cast<SkinOwner*>(const_cast<EObjectSlot*>(slot)); }

}  // namespace

void SkinMeshTest::SetUp() {
    DeviceTest::SetUp();
    ASSERT_TRUE(CreateDevice());
    ResetGlobal(g_SkinMeshMgr);
    plat::SeedRandom(1);
    MeshHooks& h = g_MeshHooks;
    h.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o ? &Owner(o)->visibility : nullptr; };
    h.ownerClass = [](const EObjectSlot* o) { return o ? Owner(o)->objectClass : 0u; };
    h.ownerFlags = [](const EObjectSlot* o) { return o ? Owner(o)->flags : 0u; };
    h.ownerFlags2 = [](const EObjectSlot* o) { return o ? Owner(o)->flags2 : 0u; };
    h.ownerName = [](const EObjectSlot* o) { return o ? Owner(o)->name : ""; };
    h.objectSkinMesh = [](const EObjectSlot* o) { return o ? Owner(o)->skin : nullptr; };
    h.ownerTransformed = [](EObjectSlot* o, const DV&, const pmath::Quaternion&) {
        if (o) ++Owner(o)->moves;
    };
}

void SkinMeshTest::TearDown() {
    ResetGlobal(g_SkinMeshMgr);
    g_MeshHooks = MeshHooks{};
    g_FrameFacts = FrameFacts{};
    DeviceTest::TearDown();
}

int SkinMeshTest::LoggedContaining(const std::string& text) const {
    int count = 0;
    for (const std::string& line : ReadLines("!console.txt")) count += line.find(text) != std::string::npos;
    return count;
}

void SkinMeshTest::WriteClip(const std::string& gamePath, const strSkinMeshAnimation& clip) {
    std::filesystem::create_directories(Path(gamePath).parent_path());
    ASSERT_TRUE(Save_Animation_To_Bin_File(&clip, gamePath.c_str()));
}

bool SkinMeshTest::Create(ESkinMesh& skin, SkinOwner& owner, const char* path) {
    skin.m_hObject = owner.Slot();
    owner.skin = &skin;
    return skin.Create(path);
}

void SkinMeshTest::Frame(ESkinMesh& skin, float seconds) {
    g_FrameFacts.frameTime = seconds;
    skin.UpdateAnimation();
    skin.UpdateFrameMatrices();
}

skinned::Model Arm() {
    skinned::Model m;
    const int root = m.AddBone("root", -1, {});
    const int upper = m.AddBone("upper", root, {});
    const int lower = m.AddBone("lower", upper, {10, 0, 0});
    skinned::Part bar;
    bar.name = "bar";
    bar.textures = {"arm.tga"};
    bar.Limb({0, 0, 0}, {10, 0, 0}, 1, 1, 0, {{upper, 1.0f}}, {{upper, 0.5f}, {lower, 0.5f}});
    bar.Limb({10, 0, 0}, {20, 0, 0}, 1, 1, 0, {{upper, 0.5f}, {lower, 0.5f}}, {{lower, 1.0f}});
    m.parts.push_back(bar);
    return m;
}

strSkinMeshAnimation ArmBend(const skinned::Model& arm, const char* name, float degrees) {
    return skinned::MakeClip(arm, name, 1.0, 2, [degrees](float t, skinned::Pose& p) {
        p.angles["lower"] = {0, t * degrees * 3.14159265f / 180.0f, 0};
    });
}

}  // namespace test
