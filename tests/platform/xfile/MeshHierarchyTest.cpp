// Loading .x files as frame hierarchies: frames with their transforms in file order, meshes kept
// per frame and unplaced, skin weights following their vertices into the copies the normals make,
// animation sets, and bad files refused with nothing left allocated.
#include "platform/xfile/MeshHierarchy.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/XFiles.h"

namespace {

// Makes plain records and counts what is alive.
class CountingAllocator final : public xfile::AllocateHierarchy {
public:
    gfx::Result CreateFrame(const char* name, xfile::Frame** out) override {
        *out = new xfile::Frame;
        (*out)->Name = name;
        ++frames;
        return gfx::OK;
    }
    gfx::Result CreateMeshContainer(const char* name, const xfile::MeshData& data, const xfile::ExtendedMaterial* materials,
                                    uint32_t numMaterials, const uint32_t* adjacency,
                                    const std::shared_ptr<xfile::SkinInfo>& skin, xfile::MeshContainer** out) override {
        if (failContainers) return gfx::ERR_INVALIDCALL;
        auto* c = new xfile::MeshContainer;
        c->Name = name;
        c->MeshData = data;
        c->Materials.assign(materials, materials + numMaterials);
        if (adjacency) c->Adjacency.assign(adjacency, adjacency + data.pMesh->GetNumFaces() * 3);
        c->pSkinInfo = skin;
        *out = c;
        ++containers;
        return gfx::OK;
    }
    gfx::Result DestroyFrame(xfile::Frame* frame) override {
        delete frame;
        --frames;
        return gfx::OK;
    }
    gfx::Result DestroyMeshContainer(xfile::MeshContainer* container) override {
        delete container;
        --containers;
        return gfx::OK;
    }
    int frames = 0;
    int containers = 0;
    bool failContainers = false;
};

class MeshHierarchyTest : public ::testing::Test {
protected:
    void TearDown() override {
        xfile::FrameDestroy(m_root, &m_allocator);
        EXPECT_EQ(m_allocator.frames, 0);
        EXPECT_EQ(m_allocator.containers, 0);
    }
    gfx::Result Load(const std::string& body, std::string* error = nullptr) {
        const std::string file = test::kXHeader + body;
        return xfile::LoadMeshHierarchyFromXInMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                                     xfile::MESH_SYSTEMMEM, nullptr, &m_allocator, &m_root,
                                                     &m_controller, error);
    }
    static std::string Matrix(float x, float y, float z) {
        return "FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, " + std::to_string(x) + "," + std::to_string(y) + "," +
               std::to_string(z) + ",1;; }\n";
    }

    CountingAllocator m_allocator;
    xfile::Frame* m_root = nullptr;
    std::unique_ptr<xfile::AnimationController> m_controller;
};

TEST_F(MeshHierarchyTest, FramesKeepTheirTransformsChildrenAndSiblingsInFileOrder) {
    ASSERT_EQ(Load("Frame root {\n" + Matrix(1, 2, 3) + " Frame a { " + Matrix(0, 5, 0) + " Frame a1 { } }\n" +
                   " Frame b { }\n}\nFrame second { }\n"),
              gfx::OK);
    ASSERT_NE(m_root, nullptr);
    EXPECT_EQ(m_root->Name, "root");
    EXPECT_FLOAT_EQ(m_root->TransformationMatrix.m[3][2], 3.0f);
    ASSERT_NE(m_root->pFrameSibling, nullptr);
    EXPECT_EQ(m_root->pFrameSibling->Name, "second");
    const xfile::Frame* a = m_root->pFrameFirstChild;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Name, "a");
    EXPECT_FLOAT_EQ(a->TransformationMatrix.m[3][1], 5.0f);
    EXPECT_EQ(a->pFrameFirstChild->Name, "a1");
    EXPECT_EQ(a->pFrameSibling->Name, "b");
    // Frames without a transform stay at the identity.
    EXPECT_FLOAT_EQ(a->pFrameSibling->TransformationMatrix.m[0][0], 1.0f);
    EXPECT_EQ(xfile::FrameFind(m_root, "a1"), a->pFrameFirstChild);
    EXPECT_EQ(xfile::FrameFind(m_root, "A1"), nullptr);  // names are kept as written
    EXPECT_EQ(m_allocator.frames, 5);
    EXPECT_EQ(m_controller, nullptr);
}

TEST_F(MeshHierarchyTest, MeshesStayInTheirFramesUnplacedAndALoneMeshGetsAFrameOfItsOwn) {
    ASSERT_EQ(Load("Frame f {\n" + Matrix(100, 0, 0) + test::CubeMesh() + test::TriangleMesh(7) + "}\n" +
                   test::TriangleMesh(9)),
              gfx::OK);
    const xfile::MeshContainer* cube = m_root->pMeshContainer;
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->Name, "cube");
    EXPECT_EQ(cube->MeshData.pMesh->GetNumVertices(), 24u);  // a vertex per normal of each corner
    EXPECT_EQ(cube->Materials.size(), 2u);
    EXPECT_EQ(cube->Adjacency.size(), 36u);
    // Not moved by the frame's translation of 100.
    float highest = 0;
    for (uint32_t v = 0; v < 24; ++v) highest = std::max(highest, test::PositionOf(*cube->MeshData.pMesh, v)[0]);
    EXPECT_FLOAT_EQ(highest, 1.0f);
    ASSERT_NE(cube->pNextMeshContainer, nullptr);  // the frame's second mesh follows in the chain
    EXPECT_FLOAT_EQ(test::PositionOf(*cube->pNextMeshContainer->MeshData.pMesh, 0)[1], 7.0f);
    // The top-level mesh: an unnamed frame in the root's sibling chain.
    ASSERT_NE(m_root->pFrameSibling, nullptr);
    EXPECT_EQ(m_root->pFrameSibling->Name, "");
    EXPECT_FLOAT_EQ(test::PositionOf(*m_root->pFrameSibling->pMeshContainer->MeshData.pMesh, 0)[1], 9.0f);
}

TEST_F(MeshHierarchyTest, SkinWeightsFollowTheirVertexIntoEveryCopy) {
    // The cube's corner 0 is used by three quads with three normals: three vertices come of it.
    std::string cube = test::CubeMesh();
    const std::string weights =
        " XSkinMeshHeader { 2; 4; 2; }\n"
        " SkinWeights { \"bone_a\"; 2; 0, 6; 0.25, 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, -5,0,0,1;; }\n"
        " SkinWeights { \"bone_b\"; 1; 0; 0.75; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
    cube.insert(cube.rfind('}'), weights);
    ASSERT_EQ(Load("Frame f { " + cube + " }\nFrame bone_a { }\nFrame bone_b { }\n"), gfx::OK);
    const xfile::MeshContainer* c = m_root->pMeshContainer;
    ASSERT_NE(c->pSkinInfo, nullptr);
    const xfile::SkinInfo& skin = *c->pSkinInfo;
    ASSERT_EQ(skin.GetNumBones(), 2u);
    EXPECT_STREQ(skin.GetBoneName(0), "bone_a");
    EXPECT_FLOAT_EQ(skin.GetBoneOffsetMatrix(0)->m[3][0], -5.0f);
    EXPECT_EQ(skin.GetNumVertices(), c->MeshData.pMesh->GetNumVertices());
    // bone_b weighs every vertex standing at corner 0 and nothing else.
    const xfile::SkinBone& b = *skin.GetBone(1);
    ASSERT_EQ(b.vertices.size(), 3u);
    for (size_t i = 0; i < b.vertices.size(); ++i) {
        EXPECT_EQ(test::PositionOf(*c->MeshData.pMesh, b.vertices[i]), (std::vector<float>{0, 0, 0}));
        EXPECT_FLOAT_EQ(b.weights[i], 0.75f);
    }
    // bone_a: corner 0 (three copies) and corner 6 (three copies).
    EXPECT_EQ(skin.GetBone(0)->vertices.size(), 6u);
}

TEST_F(MeshHierarchyTest, AStandardBinaryFileKeepsItsBoneNamesAndTexture) {
    const std::string file = test::StandardBinaryFile("skinned_arm_bin.x");
    std::string error;
    ASSERT_EQ(xfile::LoadMeshHierarchyFromXInMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                                    xfile::MESH_SYSTEMMEM, nullptr, &m_allocator, &m_root,
                                                    &m_controller, &error),
              gfx::OK)
        << error;
    ASSERT_NE(xfile::FrameFind(m_root, "Bone_Arm"), nullptr);
    const xfile::MeshContainer* arm = m_root->pMeshContainer;
    ASSERT_NE(arm, nullptr);
    EXPECT_EQ(arm->Name, "arm");
    ASSERT_EQ(arm->Materials.size(), 1u);
    EXPECT_EQ(arm->Materials[0].TextureFilename, "skin.tga");
    ASSERT_NE(arm->pSkinInfo, nullptr);
    const xfile::SkinInfo& skin = *arm->pSkinInfo;
    ASSERT_EQ(skin.GetNumBones(), 2u);
    EXPECT_STREQ(skin.GetBoneName(0), "Bone_Arm");
    EXPECT_STREQ(skin.GetBoneName(1), "Root");
    EXPECT_EQ(skin.GetBone(0)->vertices, (std::vector<uint32_t>{1, 2}));
    EXPECT_FLOAT_EQ(skin.GetBone(0)->weights[1], 0.5f);
    EXPECT_FLOAT_EQ(skin.GetBoneOffsetMatrix(0)->m[3][1], -1.0f);
}

TEST_F(MeshHierarchyTest, AnimationSetsAreReadWithTheirKeys) {
    const std::string animation =
        "AnimTicksPerSecond { 30; }\n"
        "AnimationSet walk {\n"
        " Animation { { f }\n"
        "  AnimationKey { 0; 2; 0; 4; 1.0,0.0,0.0,0.0;;, 30; 4; 0.0,1.0,0.0,0.0;;; }\n"
        "  AnimationKey { 2; 1; 15; 3; 1.0,2.0,3.0;;; }\n"
        " }\n"
        " Animation { { g }\n"
        "  AnimationKey { 4; 1; 10; 16; 2,0,0,0, 0,2,0,0, 0,0,2,0, 7,8,9,1;;; }\n"
        " }\n"
        "}\n";
    ASSERT_EQ(Load("Frame f { }\nFrame g { }\n" + animation), gfx::OK);
    ASSERT_NE(m_controller, nullptr);
    ASSERT_EQ(m_controller->GetNumAnimationSets(), 1u);
    const xfile::KeyframedAnimationSet& set = *m_controller->GetAnimationSet(0);
    EXPECT_STREQ(set.GetName(), "walk");
    EXPECT_DOUBLE_EQ(set.GetSourceTicksPerSecond(), 30.0);
    EXPECT_DOUBLE_EQ(set.GetPeriod(), 1.0);
    ASSERT_EQ(set.GetNumAnimations(), 2u);
    EXPECT_STREQ(set.GetAnimationNameByIndex(0), "f");
    const xfile::AnimationTrack& f = *set.GetAnimation(0);
    ASSERT_EQ(f.Rotation.size(), 2u);
    // Written w, x, y, z.
    EXPECT_FLOAT_EQ(f.Rotation[1].Value.x, 1.0f);
    EXPECT_FLOAT_EQ(f.Rotation[1].Value.w, 0.0f);
    EXPECT_FLOAT_EQ(f.Rotation[1].Time, 30.0f);
    ASSERT_EQ(f.Translation.size(), 1u);
    EXPECT_FLOAT_EQ(f.Translation[0].Value.z, 3.0f);
    // A matrix key becomes scale, rotation and translation.
    const xfile::AnimationTrack& g = *set.GetAnimation(1);
    ASSERT_EQ(g.Scale.size(), 1u);
    EXPECT_FLOAT_EQ(g.Scale[0].Value.y, 2.0f);
    EXPECT_FLOAT_EQ(g.Rotation[0].Value.w, 1.0f);
    EXPECT_FLOAT_EQ(g.Translation[0].Value.x, 7.0f);
}

TEST_F(MeshHierarchyTest, BadContentIsRefusedWithAReasonAndNothingLeftAllocated) {
    std::string badWeights = test::CubeMesh();
    badWeights.insert(badWeights.rfind('}'), " SkinWeights { \"a\"; 1; 8; 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n");
    std::string shortWeights = test::CubeMesh();
    shortWeights.insert(shortWeights.rfind('}'), " SkinWeights { \"a\"; 3; 0, 1, 2; 1.0; }\n");
    const struct {
        std::string body;
        std::string reason;
    } cases[] = {
        {"Frame a { Frame b { " + badWeights + " } }", "vertex index 8 is out of range"},
        {"Frame a { " + shortWeights + " }", "weight count 3 is more than the object holds"},
        {"Frame a { }\nAnimationSet s { Animation { {a} AnimationKey { 3; 1; 0; 3; 1,2,3;;; } } }", "unknown key type 3"},
        {"Header { 1; 0; 1; }", "no frame and no mesh"},
        {"Frame a { Frame b {", "ends inside"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(Load(c.body, &error), gfx::ERR_INVALIDDATA) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(m_root, nullptr);
        EXPECT_EQ(m_allocator.frames, 0) << c.reason;
        EXPECT_EQ(m_controller, nullptr);
    }
    // The allocator's own refusal stops the load the same way.
    m_allocator.failContainers = true;
    EXPECT_EQ(Load("Frame a { Frame b { } " + test::CubeMesh() + " }"), gfx::ERR_INVALIDCALL);
    EXPECT_EQ(m_allocator.frames, 0);
}

}  // namespace
