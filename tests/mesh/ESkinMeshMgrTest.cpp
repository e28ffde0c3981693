// Skinned-model resources: one per model file, counted by their instances, with the frames
// numbered, the bones bound to their frames, the folder's files read and the common clip cache.
#include "mesh/ESkinMeshMgr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "SkinMeshTest.h"
#include "mesh/ESkinMeshBase.h"
#include "support/MathSupport.h"

namespace {

class ESkinMeshMgrTest : public test::SkinMeshTest {
protected:
    void SetUp() override {
        SkinMeshTest::SetUp();
        m_arm = test::Arm();
        WriteModel("models\\arm\\arm.x", m_arm);
    }
    skinned::Model m_arm;
};

TEST_F(ESkinMeshMgrTest, OneModelInAnyLetterCaseIsOneResourceCountedByItsInstances) {
    ESkinMesh a, b;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &a));
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("MODELS\\Arm\\ARM.x", &b));
    ASSERT_EQ(a.m_pSkinMeshBase, b.m_pSkinMeshBase);
    ESkinMeshBase* base = a.m_pSkinMeshBase;
    EXPECT_EQ(base->m_iReferenceCount, 2u);
    EXPECT_STREQ(base->m_szFileName, "arm.x");
    EXPECT_STREQ(base->m_szFolder, "models\\arm");
    EXPECT_EQ(g_SkinMeshMgr.m_pCreating, nullptr);
    g_SkinMeshMgr.ReleaseSkinMesh(base);
    EXPECT_EQ(base->m_iReferenceCount, 1u);
    EXPECT_EQ(std::count(std::begin(g_SkinMeshMgr.m_pResources), std::end(g_SkinMeshMgr.m_pResources), base), 1);
    g_SkinMeshMgr.ReleaseSkinMesh(base);
    EXPECT_EQ(std::count(std::begin(g_SkinMeshMgr.m_pResources), std::end(g_SkinMeshMgr.m_pResources), base), 0);
    g_SkinMeshMgr.ReleaseSkinMesh(nullptr);
    EXPECT_EQ(LoggedContaining("pSkinMeshBase==NULL"), 1);
}

TEST_F(ESkinMeshMgrTest, AFrameChainIsNumberedBeforeTheChildrenOfItsFrames) {
    skinned::Model tree;
    const int root = tree.AddBone("root", -1, {});
    const int a = tree.AddBone("a", root, {});
    const int b = tree.AddBone("b", root, {});
    tree.AddBone("b1", b, {});
    tree.AddBone("a1", a, {});
    const int a2 = tree.AddBone("a2", a, {});
    tree.AddBone("a21", a2, {});
    tree.parts.push_back(m_arm.parts[0]);
    tree.parts[0].skinned = false;
    WriteModel("tree.x", tree);
    ESkinMesh skin;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("tree.x", &skin));
    std::vector<std::string> order;
    skin.m_pSkinMeshBase->ForEachFrame([&](D3DXFRAME_DERIVED& f, int32_t, int32_t) {
        EXPECT_EQ(f.iFrameIdx, order.size());
        order.push_back(f.Name);
    });
    EXPECT_EQ(order, (std::vector<std::string>{"root", "a", "b", "b1", "a1", "a2", "a21"}));
    EXPECT_EQ(skin.m_pSkinMeshBase->m_uFrameCounter, 7u);
    g_SkinMeshMgr.ReleaseSkinMesh(skin.m_pSkinMeshBase);
}

TEST_F(ESkinMeshMgrTest, ASkinNamingAMissingFrameFailsTheModel) {
    skinned::Model broken = m_arm;
    broken.bones[2].name = "elbow";  // the skin still names "lower"
    std::string text = broken.XText();
    const size_t at = text.find("\"elbow\"");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 7, "\"lower\"");
    WriteFile("broken.x", text);
    ESkinMesh skin;
    EXPECT_FALSE(g_SkinMeshMgr.LoadBaseSkinMesh("broken.x", &skin));
    EXPECT_EQ(LoggedContaining("ERROR in SkinMeshBase: Frame Not Found! Bad Bone Name:lower"), 1);
    EXPECT_EQ(LoggedContaining("SetupBoneMatrixPointers failed, File=broken.x"), 1);
    EXPECT_EQ(LoggedContaining("ERROR: Loading Base Skin Mesh: <broken.x> Failed..."), 1);
    EXPECT_EQ(std::count(std::begin(g_SkinMeshMgr.m_pResources), std::end(g_SkinMeshMgr.m_pResources), nullptr),
              ESkinMeshMgr::kMaxResources);
    EXPECT_FALSE(g_SkinMeshMgr.LoadBaseSkinMesh("missing.x", &skin));
    EXPECT_EQ(LoggedContaining("D3DXLoadMeshHierarchyFromX failed, File=missing.x"), 1);
}

TEST_F(ESkinMeshMgrTest, TheModelFolderGivesDescriptionsSocketsAndTheClipNames) {
    WriteClip("models\\arm\\animations\\bend.bin", test::ArmBend(m_arm, "bend", 90));
    WriteClip("models\\arm\\animations\\more\\wave_DEFAULT.bin", test::ArmBend(m_arm, "wave", 10));
    WriteFile("models\\arm\\animations\\animations_desc.txt", "  bend 10 90 0 2.5\n\nother 1 2 3 4\n");
    WriteFile("models\\arm\\sockets.txt", "tip lower 10 0 0 0 90 0\n\n  \nmid upper 5 0 0\n");
    ESkinMesh skin;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &skin));
    ESkinMeshBase& base = *skin.m_pSkinMeshBase;
    EXPECT_EQ(base.m_szAnimationNames, (std::vector<std::string>{"bend", "wave"}));
    EXPECT_STREQ(base.m_szDefaultAnimation, "wave");
    // Every line makes a description, an empty one too.
    ASSERT_EQ(base.m_tDescriptions.size(), 3u);
    const int slot = base.LoadOwnAnimation("bend");
    ASSERT_GE(slot, 0);
    const strSkinMeshAnimation& bend = *base.m_tAnimations[slot];
    EXPECT_DOUBLE_EQ(bend.dDescValue, 2.5);
    EXPECT_FLOAT_EQ(bend.fDescAngles[0], 10.0f);
    // Yaw the second angle, pitch the first.
    EXPECT_TRUE(test::Near(bend.mDescRotation, pmath::MatrixFromYawPitchRoll(1.5707964f, 0.17453294f, 0.0f)));
    // Sockets, newest first, a line without words skipped.
    ASSERT_NE(base.m_pSockets, nullptr);
    EXPECT_STREQ(base.m_pSockets->szName, "mid");
    EXPECT_FLOAT_EQ(base.m_pSockets->vOffset[0], 5.0f);
    EXPECT_STREQ(base.m_pSockets->pNext->szNodeName, "lower");
    EXPECT_FLOAT_EQ(base.m_pSockets->pNext->fAngles[1], 90.0f);
    EXPECT_EQ(base.m_pSockets->pNext->pNext, nullptr);
    g_SkinMeshMgr.ReleaseSkinMesh(&base);
}

TEST_F(ESkinMeshMgrTest, AModelFolderWithoutItsFilesStillLoads) {
    ESkinMesh skin;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &skin));
    EXPECT_TRUE(skin.m_pSkinMeshBase->m_tDescriptions.empty());
    EXPECT_EQ(skin.m_pSkinMeshBase->m_pSockets, nullptr);
    EXPECT_EQ(skin.m_pSkinMeshBase->m_Collisions.Count(), 0u);
    EXPECT_EQ(LoggedContaining("ERROR"), 0);
    g_SkinMeshMgr.ReleaseSkinMesh(skin.m_pSkinMeshBase);
}

TEST_F(ESkinMeshMgrTest, TheDescriptionTableStopsAtItsLimit) {
    std::string lines;
    for (int i = 0; i < 1005; ++i) lines += "clip" + std::to_string(i) + " 0 0 0 1\n";
    WriteFile("models\\arm\\animations\\animations_desc.txt", lines);
    ESkinMesh skin;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &skin));
    EXPECT_EQ(skin.m_pSkinMeshBase->m_tDescriptions.size(), 1000u);
    EXPECT_EQ(LoggedContaining("MAX_ANIMATION_DESCRIPTIONS exceeded!"), 1);
    g_SkinMeshMgr.ReleaseSkinMesh(skin.m_pSkinMeshBase);
}

TEST_F(ESkinMeshMgrTest, ASkinOfSeventyBonesIsDrawnWithPalettesOf64) {
    // A bar of 69 cells, each between two of 70 bones that all hang from the first.
    skinned::Model strip;
    int previous = strip.AddBone("b0", -1, {});
    skinned::Part bar;
    bar.name = "bar";
    bar.textures = {"bar.tga"};
    for (int i = 1; i < 70; ++i) {
        const int bone = strip.AddBone("b" + std::to_string(i), 0, {static_cast<float>(i), 0, 0});
        bar.Limb({static_cast<float>(i - 1), 0, 0}, {static_cast<float>(i), 0, 0}, 0.2f, 0.2f, 0, {{previous, 1.0f}},
                 {{bone, 1.0f}});
        previous = bone;
    }
    strip.parts.push_back(bar);
    WriteModel("strip.x", strip);
    ESkinMesh skin;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("strip.x", &skin));
    EXPECT_EQ(LoggedContaining("ATTENTION in GenerateSkinnedMesh()"), 1);
    EXPECT_EQ(LoggedContaining("skinmesh: strip.x"), 1);
    EXPECT_EQ(LoggedContaining("NumBones=70 > MaxMatrices=64"), 1);
    const auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(skin.m_pSkinMeshBase->m_pFrameRoot->pMeshContainer);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->NumPaletteEntries, 64u);
    EXPECT_GE(c->pBoneCombinationBuf.size(), 2u);
    EXPECT_EQ(c->MeshData.pMesh->GetNumBytesPerVertex(), kSkinMeshVertexBytes);
    g_SkinMeshMgr.ReleaseSkinMesh(skin.m_pSkinMeshBase);
}

TEST_F(ESkinMeshMgrTest, AMeshWithoutSkinBecomesAOneBoneSkinOfItsFrame) {
    skinned::Model rigid = m_arm;
    rigid.parts[0].skinned = false;
    rigid.parts[0].frame = 2;  // in "lower"
    WriteModel("rigid.x", rigid);
    ESkinMesh skin;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("rigid.x", &skin));
    const auto* lower = static_cast<D3DXFRAME_DERIVED*>(xfile::FrameFind(skin.m_pSkinMeshBase->m_pFrameRoot, "lower"));
    const auto* c = static_cast<D3DXMESHCONTAINER_DERIVED*>(lower->pMeshContainer);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->bOneBone, 1);
    ASSERT_EQ(c->NumBones, 1u);
    EXPECT_STREQ(c->pSkinInfo->GetBoneName(0), "bar");
    EXPECT_EQ(c->tBonesIndexes[0], lower->iFrameIdx);
    EXPECT_EQ(c->NumInfl, 1u);
    EXPECT_TRUE(test::Near(c->pBoneOffsetMatrices[0], pmath::Identity()));
    g_SkinMeshMgr.ReleaseSkinMesh(skin.m_pSkinMeshBase);
}

TEST_F(ESkinMeshMgrTest, CommonClipsJoinEveryModelWithTheirStandardParams) {
    WriteClip("models\\common\\wave.bin", test::ArmBend(m_arm, "wave", 30));
    WriteClip("models\\common\\sub\\nod.bin", test::ArmBend(m_arm, "nod", 10));
    WriteFile("models\\common\\wave.txt", "standard_params       0.0     180.0     0.0        1.5 \n");
    WriteClip("models\\arm\\animations\\nod.bin", test::ArmBend(m_arm, "nod", 5));
    WriteModel("models\\arm2\\arm2.x", m_arm);
    g_SkinMeshMgr.Init();
    EXPECT_EQ(g_SkinMeshMgr.m_szCommonNames, (std::vector<std::string>{"nod", "wave"}));
    ESkinMesh a, b;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &a));
    EXPECT_EQ(LoggedContaining("ERROR: Animation's name conflict with common animation!!!"), 1);
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm2\\arm2.x", &b));
    g_SkinMeshMgr.LoadAnimationToCommonCache("WAVE");
    strSkinMeshAnimation* wave = g_SkinMeshMgr.FindCommonAnimation("wave");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->bCommon, 1);
    EXPECT_DOUBLE_EQ(wave->dDescValue, 1.5);
    EXPECT_TRUE(test::Near(wave->mDescRotation, pmath::MatrixFromYawPitchRoll(3.1415927f, 0, 0)));
    EXPECT_EQ(a.m_pSkinMeshBase->m_tAnimations[a.m_pSkinMeshBase->FindAnimation("wave")], wave);
    EXPECT_EQ(b.m_pSkinMeshBase->m_tAnimations[b.m_pSkinMeshBase->FindAnimation("wave")], wave);
    // A second request changes nothing; the cache holds each clip once.
    g_SkinMeshMgr.LoadAnimationToCommonCache("wave");
    EXPECT_EQ(g_SkinMeshMgr.m_iNumAnimations, 1);
    EXPECT_TRUE(g_SkinMeshMgr.TestIntegrity());
    // A model loaded later gets the common clips at once.
    ESkinMesh c;
    WriteModel("models\\arm3\\arm3.x", m_arm);
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm3\\arm3.x", &c));
    EXPECT_EQ(c.m_pSkinMeshBase->m_tAnimations[0], wave);
    // Releasing the models frees their own clips, not the common ones.
    for (ESkinMesh* s : {&a, &b, &c}) g_SkinMeshMgr.ReleaseSkinMesh(s->m_pSkinMeshBase);
    EXPECT_EQ(g_SkinMeshMgr.m_iTotalNumberOfLoadedAnimations, 1);
    EXPECT_TRUE(g_SkinMeshMgr.TestIntegrity());
}

TEST_F(ESkinMeshMgrTest, TheCommonParamsWriterKeepsLoadedValuesAndGivesTheOthersTheDefault) {
    for (const char* name : {"wave", "nod", "kept"})
        WriteClip(std::string("models\\common\\") + name + ".bin", test::ArmBend(m_arm, name, 30));
    WriteFile("models\\common\\wave.txt", "standard_params 1 2 3 0.5\n");
    WriteFile("models\\common\\kept.txt", "anything\n");
    g_SkinMeshMgr.Init();
    g_SkinMeshMgr.LoadAnimationToCommonCache("wave");
    g_SkinMeshMgr.WriteCommonParams();
    EXPECT_EQ(ReadLines("models\\common\\wave.txt"),
              (std::vector<std::string>{"standard_params       1.000000     2.000000     3.000000     0.500000 "}));
    EXPECT_EQ(ReadLines("models\\common\\nod.txt"),
              (std::vector<std::string>{"standard_params       0.0     180.0     0.0        1.0 "}));
    EXPECT_EQ(ReadLines("models\\common\\kept.txt"), (std::vector<std::string>{"anything"}));
}

TEST_F(ESkinMeshMgrTest, RemovingACommonClipIdlesTheChannelsThatPlayIt) {
    WriteClip("models\\common\\wave.bin", test::ArmBend(m_arm, "wave", 30));
    g_SkinMeshMgr.Init();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("wave", true);
    ASSERT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_PLAYING);
    g_SkinMeshMgr.RemoveCommonAnimation("WAVE");
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_IDLE);
    EXPECT_EQ(skin.m_AnimPlayingParams[0].iAktAnim, -1);
    EXPECT_EQ(skin.m_pSkinMeshBase->FindAnimation("wave"), -1);
    EXPECT_EQ(g_SkinMeshMgr.FindCommonAnimation("wave"), nullptr);
    // Asked for again, it comes back from the folder.
    skin.SetAnimation("wave", true);
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_PLAYING);
}

TEST_F(ESkinMeshMgrTest, TheIntegrityTestFindsACountThatIsWrong) {
    ESkinMesh skin;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &skin));
    EXPECT_TRUE(g_SkinMeshMgr.TestIntegrity());
    skin.m_pSkinMeshBase->m_iNumAnimations = 3;
    EXPECT_FALSE(g_SkinMeshMgr.TestIntegrity());
    EXPECT_EQ(LoggedContaining("pSMB->m_iNumAnimations is not good!"), 1);
    EXPECT_EQ(LoggedContaining("xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"), 2);
    skin.m_pSkinMeshBase->m_iNumAnimations = 0;
    g_SkinMeshMgr.ReleaseSkinMesh(skin.m_pSkinMeshBase);
}

TEST_F(ESkinMeshMgrTest, WithEveryResourceSlotTakenANewModelIsRefused) {
    std::vector<std::unique_ptr<ESkinMeshBase>> taken;
    for (int i = 0; i < ESkinMeshMgr::kMaxResources; ++i) {
        taken.push_back(std::make_unique<ESkinMeshBase>());
        std::snprintf(taken.back()->m_szKeyPath, sizeof taken.back()->m_szKeyPath, "m%d.x", i);
        g_SkinMeshMgr.m_pResources[i] = taken.back().get();
    }
    ESkinMesh skin;
    EXPECT_FALSE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &skin));
    EXPECT_EQ(LoggedContaining("ERROR: Loading Base Skin Mesh: <models\\arm\\arm.x> Failed..."), 1);
    EXPECT_EQ(LoggedContaining("MAX_SKINMESHBASE exceeded!"), 1);
    for (int i = 0; i < ESkinMeshMgr::kMaxResources; ++i) EXPECT_EQ(g_SkinMeshMgr.m_pResources[i], taken[i].get());
    std::fill(std::begin(g_SkinMeshMgr.m_pResources), std::end(g_SkinMeshMgr.m_pResources), nullptr);
}

TEST_F(ESkinMeshMgrTest, AResourceHeldTwiceRefusesToBeDestroyed) {
    ESkinMesh a, b;
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &a));
    ASSERT_TRUE(g_SkinMeshMgr.LoadBaseSkinMesh("models\\arm\\arm.x", &b));
    a.m_pSkinMeshBase->Destroy();
    EXPECT_EQ(LoggedContaining("with m_iReferenceCount>1"), 1);
    EXPECT_NE(a.m_pSkinMeshBase->m_pFrameRoot, nullptr);
}

}  // namespace
