// A mesh object: its usable subsets and their textures, its world transform and its probes.
#include "mesh/EMesh.h"

#include <gtest/gtest.h>

#include <cmath>

#include "MeshTest.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "render/ERenderer.h"
#include "support/MathSupport.h"
#include "support/TextureFiles.h"
#include "support/XFiles.h"

namespace {

uint32_t TagCount(const char* tag) {
    for (int i = 0; i < EDebug::kTagSlots; ++i)
        if (g_Debug.m_bTagUsed[i] && std::string(g_Debug.m_szTagNames[i]) == tag) return g_Debug.m_uTagCounts[i];
    return 0;
}

class EMeshTest : public test::MeshTest {
protected:
    void SetUp() override {
        MeshTest::SetUp();
        WriteFile("textures\\red.tga", test::TgaFile(2, 2, 0xFFFF0000u));
        WriteFile("textures\\blue.tga", test::TgaFile(2, 2, 0xFF0000FFu));
        WriteFile("scripts\\textures.txt", "texture blue.tga\ntransparent\nno_intersect\n");
        g_Renderer.InitTextures();
    }

    // The render-list entries of the mesh's subsets, over every loaded texture.
    static int Entries(const EMesh& mesh) {
        int n = 0;
        for (const strtexture* t = g_Renderer.m_pTextures; t; t = t->m_pNext)
            for (const strlistameshy* e = t->m_pMeshes; e; e = e->m_pNext) n += e->m_pMesh == &mesh;
        return n;
    }
};

TEST_F(EMeshTest, CreateRegistersEveryUsableSubsetWithItsTextureAndFlags) {
    WriteFile("box.x", test::kXHeader + test::CubeMesh());
    test::FakeOwner owner;
    EMesh mesh;
    CreateMesh(mesh, owner, "box.x");
    ASSERT_TRUE(mesh.m_bCreated);
    EXPECT_EQ(mesh.m_uSubsetCount, 2u);
    EXPECT_EQ(mesh.m_bUsableSubset[0], 1);
    EXPECT_EQ(mesh.m_bUsableSubset[1], 1);
    EXPECT_EQ(Entries(mesh), 2);
    EXPECT_NE(mesh.m_uTextureIds[0], 0u);
    EXPECT_EQ(mesh.m_bTransparentSubset[1], 1);
    EXPECT_EQ(mesh.m_bNoIntersectSubset[1], 1);
    EXPECT_EQ(mesh.m_bTransparentSubset[0], 0);
    // Ambient follows diffuse in the mesh's own copies.
    EXPECT_FLOAT_EQ(mesh.m_pMeshMaterials[1].Ambient.b, 1.0f);
    EXPECT_FLOAT_EQ(mesh.m_pMeshMaterials[1].Ambient.a, 0.5f);
    // The box is centred on nothing (not a prefab): the cube's far corner is sqrt(3) away.
    EXPECT_NEAR(owner.radius, std::sqrt(3.0f), 1e-5f);
    EXPECT_NEAR(mesh.m_fProbeRadius, std::sqrt(3.0f), 1e-5f);
    EXPECT_FLOAT_EQ(mesh.m_fExtentSum, 3.0f);
    // The subsets' records point at the owner's visibility.
    for (const strtexture* t = g_Renderer.m_pTextures; t; t = t->m_pNext)
        for (const strlistameshy* e = t->m_pMeshes; e; e = e->m_pNext) EXPECT_EQ(e->m_hObject, &owner.visibility);
    mesh.Destroy();
    EXPECT_EQ(Entries(mesh), 0);
}

TEST_F(EMeshTest, CreatingTwiceLeavesOneRegistrationAndOneMaterialCopy) {
    WriteFile("box.x", test::kXHeader + test::CubeMesh());
    test::FakeOwner owner;
    EMesh mesh;
    CreateMesh(mesh, owner, "box.x");
    const uint32_t copies = TagCount("m_pMeshMaterials");
    mesh.Create("box.x");
    EXPECT_TRUE(Logged("*** Mesh already created! *** box.x"));
    EXPECT_TRUE(mesh.m_bCreated);
    EXPECT_EQ(Entries(mesh), 2);
    EXPECT_EQ(TagCount("m_pMeshMaterials"), copies);
}

TEST_F(EMeshTest, SubsetsWithoutTextureOrFacesAreNotUsableAndDoNotCountForTheProbe) {
    // Material 0: a far triangle without a texture; material 1: no faces; material 2: textured.
    WriteFile("m.x", test::kXHeader +
                         "Mesh { 6; 50;0;0;, 51;0;0;, 50;0;1;, 1;0;0;, 2;0;0;, 1;0;1;; 2; 3;0,1,2;, 3;3,4,5;; "
                         "MeshMaterialList { 3; 2; 0,2;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } "
                         "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"red.tga\"; } } "
                         "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"red.tga\"; } } } }");
    g_Settings.m_bRaportSubsets = 1;
    test::FakeOwner owner;
    EMesh mesh;
    CreateMesh(mesh, owner, "m.x");
    EXPECT_EQ(mesh.m_bUsableSubset[0], 0);
    EXPECT_EQ(mesh.m_bUsableSubset[1], 0);
    EXPECT_EQ(mesh.m_bUsableSubset[2], 1);
    EXPECT_EQ(ReadLines("!error.txt"), (std::vector<std::string>{"Mesh m.x - empty subset 0!"}));
    EXPECT_NEAR(mesh.m_fProbeRadius, 2.0f, 1e-5f);
    EXPECT_EQ(ReadLines("!subsets.txt"),
              (std::vector<std::string>{"", "mesh name: m.x", "ilosc subsetow: 3", "subset #2, name: red.tga",
                                        "faces: 1, vertices: 3", "Usable materials: "}));
}

TEST_F(EMeshTest, TheWorldTransformScalesRotatesAndMovesAndItsInverseIsAlwaysCurrent) {
    WriteFile("box.x", test::kXHeader + test::CubeMesh());
    test::FakeOwner owner;
    owner.placement.position = {100, 0, 0};
    EMesh mesh;
    CreateMesh(mesh, owner, "box.x");
    EOrientation turn = EOrientation::EOrientationFromYawPitchRoll(1.5707963f, 0, 0);
    mesh.SetOrientation(turn);
    mesh.SetScale({2, 1, 1});
    EXPECT_NEAR(mesh.m_fRadius, 2.0f * std::sqrt(3.0f), 1e-5f);
    EXPECT_FLOAT_EQ(owner.radius, mesh.m_fRadius);
    EXPECT_NEAR(mesh.m_fScaledProbeRadiusSq, 4.0f * 3.0f, 1e-4f);
    EXPECT_EQ(owner.scale, (DV{2, 1, 1}));
    // x scaled to 0..2, turned a quarter about y (x goes to -z), then moved to x = 100.
    EXPECT_NEAR(mesh.m_vWorldMin.z, -2.0f, 1e-5f);
    EXPECT_NEAR(mesh.m_vWorldMax.x, 101.0f, 1e-5f);
    DV inside{100.5f, 0.5f, -1.5f}, outside{100.5f, 0.5f, 0.5f};
    EXPECT_TRUE(mesh.ContainsPoint(&inside));
    EXPECT_FALSE(mesh.ContainsPoint(&outside));
    const pmath::Matrix product = mesh.m_WorldMatrix * mesh.m_InverseWorldMatrix;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);
    // Extra angles go through the front, side and up turns; all zero keeps the base rotation.
    owner.placement.extraAngles[0] = 90.0f;
    mesh.SetWorldTransform();
    EXPECT_GT(std::fabs(mesh.m_FinalRotation.x - turn.m_Quaternion.x) + std::fabs(mesh.m_FinalRotation.z - turn.m_Quaternion.z), 0.1f);
    owner.placement.extraAngles[0] = 0.0f;
    mesh.SetWorldTransform();
    EXPECT_EQ(mesh.m_FinalRotation.y, turn.m_Quaternion.y);
    EXPECT_EQ(owner.rotation.w, turn.m_Quaternion.w);
}

}  // namespace

namespace {

// Each extra angle turns the mesh about one of its own axes: the first about the front (z), the
// second about the side (x), the third about the up axis (y); that axis stays where it was and
// the other two turn a quarter round.
TEST_F(EMeshTest, EachExtraAngleTurnsTheMeshAboutItsOwnAxis) {
    WriteFile("box.x", test::kXHeader + test::CubeMesh());
    test::FakeOwner owner;
    EMesh mesh;
    CreateMesh(mesh, owner, "box.x");
    const DV axes[3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    for (int k = 0; k < 3; ++k) {
        owner.placement.extraAngles[0] = owner.placement.extraAngles[1] = owner.placement.extraAngles[2] = 0.0f;
        owner.placement.extraAngles[k] = 90.0f;
        mesh.SetWorldTransform();
        for (int j = 0; j < 3; ++j) {
            const DV turned = pmath::TransformDirection(axes[j], mesh.m_WorldMatrix);
            if (j == k) EXPECT_TRUE(test::Near(turned, axes[j], 1e-5f)) << "angle " << k;
            else EXPECT_NEAR(pmath::Dot(turned, axes[j]), 0.0f, 1e-5f) << "angle " << k << ", axis " << j;
        }
    }
}

}  // namespace
