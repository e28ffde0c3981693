// A skinned instance: its nodes and masks, its palettes, the channels and their state machine,
// its texture variants, its placement and its state record.
#include "mesh/ESkinMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include "SkinMeshTest.h"
#include "core/CoreHooks.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "support/EffectText.h"
#include "support/MathSupport.h"
#include "support/TextureFiles.h"
#include "tools/CharacterModels.h"

namespace {

constexpr float kPi = 3.14159265f;

class ESkinMeshTest : public test::SkinMeshTest {
protected:
    // The arm with its bend clip as the model's own clip, and the model's description file.
    void WriteArm(const char* desc = "") {
        const skinned::Model arm = test::Arm();
        WriteModel("models\\arm\\arm.x", arm);
        WriteClip("models\\arm\\animations\\bend.bin", test::ArmBend(arm, "bend", 90));
        WriteClip("models\\arm\\animations\\back.bin", test::ArmBend(arm, "back", -90));
        if (*desc) WriteFile("models\\arm\\animations\\animations_desc.txt", desc);
    }
    void WriteDriver() {
        const skinned::Model driver = characters::Driver();
        WriteModel("models\\driver\\driver.x", driver);
        WriteClip("models\\driver\\animations\\idle_DEFAULT.bin", characters::DriverIdle(driver));
        for (const auto& c : characters::DriverCommonClips(driver))
            WriteClip("models\\common\\" + c.name + ".bin", c.clip);
        g_SkinMeshMgr.Init();
    }

    // Where the vertex at p of the bind pose goes with the instance's palettes: the weighted sum
    // over the bones of p x offset x combined.
    static DV Skinned(const ESkinMesh& skin, const DV& p, const std::vector<std::pair<int, float>>& weights) {
        const D3DXMESHCONTAINER_DERIVED* c = skin.m_pMeshes[0].pContainer;
        DV out;
        for (auto [bone, w] : weights) {
            const pmath::Matrix m = c->pBoneOffsetMatrices[bone] * skin.m_pNodes[c->tBonesIndexes[bone]].mCombined;
            out += pmath::TransformPoint(p, m) * w;
        }
        return out;
    }
};

TEST_F(ESkinMeshTest, TheDriverLoadsWithItsBipedSlotsAndStartsItsDefaultClip) {
    WriteDriver();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\driver\\driver.x"));
    EXPECT_EQ(skin.m_iNumNodes, 30);
    for (int slot : {ESkinMesh::BIP01, ESkinMesh::BIP01_PELVIS, ESkinMesh::BIP01_HEAD, ESkinMesh::BIP01_R_FINGER0,
                     ESkinMesh::BIP01_L_TOE0NUB})
        EXPECT_NE(skin.m_pBiped[slot], nullptr) << slot;
    EXPECT_TRUE(skin.ValidateRagDollNodes());
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_PLAYING);
    EXPECT_STREQ(skin.m_AnimPlayingParams[0].szName, "idle");
    EXPECT_EQ(skin.m_pMeshes.size(), 1u);
    EXPECT_TRUE(skin.m_bLegsMeasured);
}

TEST_F(ESkinMeshTest, MasksSplitTheUpperBodyFromTheRestAndMarkBoneNodes) {
    WriteDriver();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\driver\\driver.x"));
    auto masks = [&](const char* name) {
        const ESkinMesh::strNode* n = skin.FindNode(name);
        return std::vector<int>{n->bMask[0], n->bMask[1], n->bMask[2]};
    };
    EXPECT_EQ(masks("Bip01"), (std::vector<int>{0, 0, 0}));          // the root
    EXPECT_EQ(masks("Bip01_Spine"), (std::vector<int>{0, 1, 0}));    // the lower body
    EXPECT_EQ(masks("Bip01_L_Foot"), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(masks("Bip01_Spine1"), (std::vector<int>{1, 0, 0}));   // the upper body
    EXPECT_EQ(masks("Bip01_Neck"), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(masks("Bip01_R_Finger01"), (std::vector<int>{1, 0, 0}));  // below the neck
    EXPECT_EQ(masks("Bip01_Spine2"), (std::vector<int>{0, 1, 0}));
    // The link fields take the masks of the instance resolved last.
    EXPECT_EQ(FindLinkField("Bip01_Neck")->bMask[0], 1);

    const skinned::Model henModel = characters::Hen();
    WriteModel("hen.x", henModel);
    test::SkinOwner henOwner;
    ESkinMesh hen;
    ASSERT_TRUE(Create(hen, henOwner, "hen.x"));
    EXPECT_EQ(hen.FindNode("Bone_head")->bMask[2], 1);
    EXPECT_EQ(hen.FindNode("Bone_head")->bMask[1], 1);
}

TEST_F(ESkinMeshTest, AHeadNamedGlowaFillsTheHeadSlot) {
    skinned::Model m = characters::Driver();
    m.bones[static_cast<size_t>(m.Find("Bip01_Head"))].name = "Bip01_glowa";
    WriteModel("glowa.x", m);
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "glowa.x"));
    ASSERT_NE(skin.m_pBiped[ESkinMesh::BIP01_HEAD], nullptr);
    EXPECT_STREQ(skin.m_pBiped[ESkinMesh::BIP01_HEAD]->szName, "Bip01_glowa");
    // The ragdoll's check names the first slot it misses.
    m.bones[static_cast<size_t>(m.Find("Bip01_Pelvis"))].name = "pelvis";
    WriteModel("nopelvis.x", m);
    ESkinMesh other;
    ASSERT_TRUE(Create(other, owner, "nopelvis.x"));
    EXPECT_FALSE(other.ValidateRagDollNodes());
    EXPECT_EQ(LoggedContaining("ERROR in RagDoll: something wrong with node: Bip01_Pelvis"), 1);
}

TEST_F(ESkinMeshTest, TheFinishedTestFollowsTheStateOfChannelZero) {
    WriteArm();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    const struct {
        uint32_t state;
        uint8_t finished;
        bool expected;
    } cases[] = {
        {ESkinMesh::CHANNEL_NONE, 0, true},     {ESkinMesh::CHANNEL_IDLE, 0, true},
        {ESkinMesh::CHANNEL_PLAYING, 0, false}, {ESkinMesh::CHANNEL_PLAYING, 1, true},
        {ESkinMesh::CHANNEL_PLAYING_ALT, 1, true}, {ESkinMesh::CHANNEL_BLENDING, 1, false},
        {ESkinMesh::CHANNEL_HOLD, 1, false},
    };
    for (const auto& c : cases) {
        skin.m_uChannelState[0] = c.state;
        skin.m_AnimPlayingParams[0].bFinished = c.finished;
        EXPECT_EQ(skin.IsAnimationFinished(), c.expected) << c.state << " " << int{c.finished};
    }
}

TEST_F(ESkinMeshTest, AClipThatPlaysOnceFinishesAtItsEndAndSkinsThePalette) {
    WriteArm();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("bend", false);
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_PLAYING);
    Frame(skin, 0.5f);
    EXPECT_FALSE(skin.IsAnimationFinished());
    Frame(skin, 0.75f);
    EXPECT_TRUE(skin.IsAnimationFinished());
    // The end of the arm turned 90 degrees about y at the elbow: palette = offset x combined.
    const DV elbow{10, 0, 0};
    const DV tip = elbow + pmath::TransformPoint({10, 0, 0}, pmath::MatrixFromYawPitchRoll(kPi / 2, 0, 0));
    const xfile::SkinInfo& info = *skin.m_pMeshes[0].pContainer->pSkinInfo;
    const int lower = std::string(info.GetBoneName(0)) == "lower" ? 0 : 1;
    EXPECT_TRUE(test::Near(Skinned(skin, {20, 0, 0}, {{lower, 1.0f}}), tip, 1e-4f));
    EXPECT_TRUE(test::Near(Skinned(skin, {5, 0, 0}, {{1 - lower, 1.0f}}), {5, 0, 0}, 1e-4f));
    // The palette of the group holds exactly these matrices.
    const auto* c = skin.m_pMeshes[0].pContainer;
    for (size_t g = 0; g < c->pBoneCombinationBuf.size(); ++g)
        for (uint32_t k = 0; k < c->NumPaletteEntries; ++k) {
            const uint32_t b = c->pBoneCombinationBuf[g].BoneId[k];
            if (b == xfile::kUnusedBone) continue;
            EXPECT_TRUE(test::Near(skin.m_pMeshes[0].pBoneMatrices[g][k],
                                   c->pBoneOffsetMatrices[b] * skin.m_pNodes[c->tBonesIndexes[b]].mCombined));
        }
}

TEST_F(ESkinMeshTest, ABlendMovesEveryNodeFromWhereItStoodToTheClipsFirstPose) {
    WriteArm("back 0 0 0 1\n");
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("bend", false);
    Frame(skin, 1.0f);  // bent by 90 degrees
    skin.BlendToAnimation("back", false, 1.0f);
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_BLENDING);
    EXPECT_FALSE(skin.IsAnimationFinished());
    Frame(skin, 0.5f);
    const ESkinMesh::strNode& lower = *skin.FindNode("lower");
    EXPECT_TRUE(test::SameRotation(lower.qR, pmath::QuaternionFromYawPitchRoll(kPi / 4, 0, 0), 1e-4f));
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_BLENDING);
    // The blend runs out: the clip plays from its start, advanced by the frame.
    Frame(skin, 0.6f);
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_PLAYING);
    EXPECT_NEAR(skin.m_AnimPlayingParams[0].dTime, 0.6, 1e-6);
    EXPECT_TRUE(test::SameRotation(lower.qR, pmath::QuaternionFromYawPitchRoll(-0.6f * kPi / 2, 0, 0), 1e-4f));
}

TEST_F(ESkinMeshTest, ABlendOfNoTimePlaysTheClipFromItsStartOnTheNextUpdate) {
    WriteArm();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.BlendToAnimation("bend", true, 0.0f);
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_BLENDING);
    Frame(skin, 0.25f);
    EXPECT_EQ(skin.m_uChannelState[0], ESkinMesh::CHANNEL_PLAYING);
    EXPECT_NEAR(skin.m_AnimPlayingParams[0].dTime, 0.25, 1e-6);
    EXPECT_TRUE(test::SameRotation(skin.FindNode("lower")->qR, pmath::QuaternionFromYawPitchRoll(0.25f * kPi / 2, 0, 0), 1e-4f));
}

TEST_F(ESkinMeshTest, OnlyChannelZeroAdvancesAndItsStartIdlesTheOthers) {
    WriteArm();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.BlendToAnimation2("bend", true, 1.0f);
    EXPECT_EQ(skin.m_uChannelState[2], ESkinMesh::CHANNEL_BLENDING);
    EXPECT_EQ(skin.m_AnimPlayingParams[2].uMaskMode, 2u);
    for (int i = 0; i < 3; ++i) Frame(skin, 0.5f);
    EXPECT_DOUBLE_EQ(skin.m_AnimPlayingParams[2].dBlendLeft, 1.0);
    EXPECT_EQ(skin.m_uChannelState[2], ESkinMesh::CHANNEL_BLENDING);
    skin.SetAnimation("back", true);
    EXPECT_EQ(skin.m_uChannelState[2], ESkinMesh::CHANNEL_IDLE);
    // A clip nobody has leaves the channels as they are.
    skin.SetAnimation("swim", true);
    EXPECT_STREQ(skin.m_AnimPlayingParams[0].szName, "back");
}

TEST_F(ESkinMeshTest, AHeldChannelTakesTheTimeItIsGivenAndTheSpeedValueScalesTheStep) {
    WriteArm("bend 0 0 0 2.0\n");
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("bend", true);
    Frame(skin, 0.1f);
    EXPECT_NEAR(skin.m_AnimPlayingParams[0].dTime, 0.2, 1e-6);
    skin.m_bAdvanceTime = 0;
    skin.m_dExternalTime = 0.75;
    Frame(skin, 0.1f);
    EXPECT_DOUBLE_EQ(skin.m_AnimPlayingParams[0].dTime, 0.75);
    EXPECT_TRUE(test::SameRotation(skin.FindNode("lower")->qR, pmath::QuaternionFromYawPitchRoll(0.75f * kPi / 2, 0, 0), 1e-4f));
}

TEST_F(ESkinMeshTest, TheOwnersClassDecidesWhetherItAnimatesAndIsDrawn) {
    WriteArm();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("bend", true);
    uint32_t frame = 0;
    g_CoreHooks.gameFrame = [] { return 400u; };
    const struct {
        uint32_t objectClass;
        uint32_t flags;
        bool animates;
    } cases[] = {{0, 0, true}, {1024, 0, false}, {256, 0, false}, {64, 0, false}, {64, 1, true}, {128, 0, true}};
    for (const auto& c : cases) {
        owner.objectClass = c.objectClass;
        owner.flags = c.flags;
        const double before = skin.m_AnimPlayingParams[0].dTime;
        Frame(skin, 0.1f);
        EXPECT_EQ(skin.m_AnimPlayingParams[0].dTime > before, c.animates) << c.objectClass << " " << c.flags << frame++;
    }
    g_CoreHooks = CoreHooks{};
    g_Settings.m_bGamePause = 1;
    const double before = skin.m_AnimPlayingParams[0].dTime;
    owner.objectClass = 0;
    Frame(skin, 0.1f);
    EXPECT_EQ(skin.m_AnimPlayingParams[0].dTime, before);
}

TEST_F(ESkinMeshTest, TheDrawSetsThePaletteOfEachGroupAndDrawsTheGroupsOfTheTexture) {
    WriteArm();
    WriteFile("arm.tga", test::TgaFile(2, 2, 0xFF808080u));
    test::ResetGlobal(g_Renderer);
    g_Renderer.InitTextures();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("bend", true);
    Frame(skin, 0.5f);
    gfx::EffectDesc desc;
    std::string error;
    ASSERT_TRUE(gfx::ParseEffect(test::EffectText("@param float4x4 mWorldMatrixArray[64] block\n@param int CurNumBones\n",
                                                  {"RenderSkinMesh"}),
                                 desc, error))
        << error;
    gfx::Effect effect(desc, g_pd3dDevice.get());
    const SkinEffectContext context{&effect, effect.GetParameterByName(nullptr, "mWorldMatrixArray"),
                                    effect.GetParameterByName(nullptr, "CurNumBones")};
    const uint32_t texture = skin.FindNode("root")->pTextureIDs[0];
    ASSERT_NE(texture, 0u);
    gfx::NullBackend().calls.clear();
    skin.Render(context, texture, 0);
    EXPECT_EQ(std::count(gfx::NullBackend().calls.begin(), gfx::NullBackend().calls.end(), "DrawIndexedPrimitive"), 1);
    float palette[16 * 64];
    ASSERT_EQ(effect.GetFloatArray(context.boneMatrices, palette, 16 * 64), gfx::OK);
    EXPECT_EQ(std::memcmp(palette, skin.m_pMeshes[0].pBoneMatrices[0].data(), 16 * sizeof(float) * 2), 0);
    // Another texture or material draws nothing; an owner never drawn draws nothing.
    gfx::NullBackend().calls.clear();
    skin.Render(context, texture + 1, 0);
    skin.Render(context, texture, 1);
    owner.objectClass = 1024;
    skin.Render(context, texture, 0);
    EXPECT_EQ(std::count(gfx::NullBackend().calls.begin(), gfx::NullBackend().calls.end(), "DrawIndexedPrimitive"), 0);
    owner.objectClass = 0;
    skin.Render(SkinEffectContext{}, texture, 0);
    EXPECT_EQ(LoggedContaining("Nie ma wlasciwego efektu!"), 1);
}

TEST_F(ESkinMeshTest, InstancesOfOneModelGetDifferentVariantsOfATexture) {
    WriteArm();
    for (const char* name : {"arm.tga", "arm_a.tga", "arm_b.tga", "arm_c.tga"}) WriteFile(name, test::TgaFile(2, 2, 0xFF808080u));
    WriteFile("scripts\\texture_substitutes.txt", "texture arm.tga\nsubstitute arm_a.tga\nsubstitute arm_b.tga\n"
                                                  "substitute arm_c.tga\n");
    test::ResetGlobal(g_Renderer);
    g_Renderer.InitTextures();
    test::SkinOwner owners[3];
    ESkinMesh skins[3];
    std::set<uint32_t> textures;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Create(skins[i], owners[i], "models\\arm\\arm.x"));
        ASSERT_EQ(skins[i].m_uNumTextureSubstitutions, 1u);
        EXPECT_STREQ(skins[i].m_szTextureSubstitutions[0][0], "arm.tga");
        textures.insert(skins[i].FindNode("root")->pTextureIDs[0]);
    }
    EXPECT_EQ(textures.size(), 3u);
    EXPECT_EQ(textures.count(g_Renderer.GetTextureByName("arm.tga", false, true)), 0u);
}

TEST_F(ESkinMeshTest, TheSubstitutionTableKeeps31TexturesAndChoosesTheRestEachTime) {
    skinned::Model many = test::Arm();
    skinned::Part& bar = many.parts[0];
    std::string substitutes;
    bar.textures.clear();
    for (int t = 0; t < 33; ++t) {
        const std::string name = "t" + std::to_string(t);
        bar.textures.push_back(name + ".tga");
        substitutes += "texture " + name + ".tga\nsubstitute " + name + "_x.tga\n";
        WriteFile(name + "_x.tga", test::TgaFile(2, 2, 0xFF808080u));
    }
    for (size_t f = 0; f < bar.materials.size(); ++f) bar.materials[f] = static_cast<uint32_t>(f % 33);
    WriteFile("scripts\\texture_substitutes.txt", substitutes);
    WriteModel("many.x", many);
    test::ResetGlobal(g_Renderer);
    g_Renderer.InitTextures();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "many.x"));
    EXPECT_EQ(skin.m_uNumTextureSubstitutions, 31u);
    EXPECT_STREQ(skin.m_szTextureSubstitutions[30][1], "t30_x.tga");
    // Materials past the table still get their variant.
    const std::vector<uint32_t>& ids = skin.FindNode("root")->pTextureIDs;
    EXPECT_EQ(ids[32], g_Renderer.GetTextureByName("t32_x.tga", false, true));
}

TEST_F(ESkinMeshTest, SocketsFollowTheirNodesAndTurnAttachedObjectsByTheirAngles) {
    WriteArm();
    WriteFile("models\\arm\\sockets.txt", "tip lower 10 0 0 0 0 0\nturned upper 0 0 0 0 90 0\nlost elbow 1 2 3 0 0 0\n");
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetPosition({0, 0, 100});
    skin.SetAnimation("bend", false);
    Frame(skin, 1.0f);
    DV at;
    EOrientation turned;
    ASSERT_TRUE(skin.GetSocket("TIP", &at, nullptr));
    EXPECT_TRUE(test::Near(at, DV{10, 0, 100} + pmath::TransformPoint({10, 0, 0}, pmath::MatrixFromYawPitchRoll(kPi / 2, 0, 0)), 1e-4f));
    // Angles (0, 90, 0) on an upright node: a quarter turn about the vertical.
    ASSERT_TRUE(skin.GetSocket("turned", &at, &turned));
    EXPECT_TRUE(test::Near(at, {0, 0, 100}));
    EXPECT_TRUE(test::Near(turned.m_Front, {1, 0, 0}, 1e-5f));
    EXPECT_TRUE(test::Near(turned.m_Up, {0, 1, 0}, 1e-5f));
    // A socket on a node the model lacks answers false and stays unresolved for the next try.
    EXPECT_FALSE(skin.GetSocket("lost", &at, nullptr));
    EXPECT_FALSE(skin.GetSocket("lost", &at, nullptr));
    EXPECT_FALSE(skin.GetSocket("none", &at, nullptr));
    skin.RemoveSocket("tip");
    EXPECT_FALSE(skin.GetSocket("tip", &at, nullptr));
    ASSERT_TRUE(skin.WriteSockets());
    const std::vector<std::string> lines = ReadLines("models\\arm\\sockets.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "lost elbow        1.000000 2.000000 3.000000      0.000000 0.000000 0.000000"),
              lines.end());
}

TEST_F(ESkinMeshTest, TheLegInverseKinematicsPutsTheFootOnItsTarget) {
    WriteDriver();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\driver\\driver.x"));
    DV left, right;
    ASSERT_TRUE(skin.GetNodeWorldPosition("Bip01_L_Foot", &left));
    ASSERT_TRUE(skin.GetNodeWorldPosition("Bip01_R_Foot", &right));
    // The left foot up a step and forward; the right one stays.
    const DV step = left + DV{0, 0.25f, 0.2f};
    ASSERT_TRUE(skin.InverseKinematics(step, right));
    DV foot;
    skin.GetNodeWorldPosition("Bip01_L_Foot", &foot);
    EXPECT_TRUE(test::Near(foot, step, 5e-4f));
    skin.GetNodeWorldPosition("Bip01_R_Foot", &foot);
    EXPECT_TRUE(test::Near(foot, right, 5e-4f));
    // The thigh and calf keep their lengths.
    DV thigh, calf;
    skin.GetNodeWorldPosition("Bip01_L_Thigh", &thigh);
    skin.GetNodeWorldPosition("Bip01_L_Calf", &calf);
    EXPECT_NEAR(pmath::Length(calf - thigh), 0.42f, 1e-5f);
    EXPECT_NEAR(skin.m_fLegLengths[0], 0.42f, 1e-6f);
}

TEST_F(ESkinMeshTest, AHeadNodTurnsTheHeadAboutItsOwnJoint) {
    WriteDriver();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\driver\\driver.x"));
    skin.m_uChannelState[0] = ESkinMesh::CHANNEL_NONE;
    Frame(skin, 0.0f);
    DV head, nub;
    skin.GetNodeWorldPosition("Bip01_Head", &head);
    skin.m_dHeadNod = kPi / 2;
    skin.ApplyHeadNod();
    Frame(skin, 0.0f);
    DV nodded;
    skin.GetNodeWorldPosition("Bip01_Head", &nodded);
    skin.GetNodeWorldPosition("Bip01_HeadNub", &nub);
    EXPECT_TRUE(test::Near(nodded, head, 1e-4f));
    // The top of the head turned a quarter round about x: from straight up to straight ahead or back.
    EXPECT_NEAR(std::fabs(nub.z - head.z), 0.2f, 1e-5f);
    EXPECT_NEAR(nub.y, head.y, 1e-5f);
}

TEST_F(ESkinMeshTest, ALookControllerTurnsTowardsItsTargetAtItsRate) {
    WriteDriver();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\driver\\driver.x"));
    // Target yaw 1.0 at 2.0 a second; target pitch -0.2 at 1.0 a second.
    double look[6] = {-0.2, 0, 1.0, 1.0, 0, 2.0};
    std::copy(std::begin(look), std::end(look), skin.m_dHeadLook);
    skin.m_dFrameDelta = 0.25;
    const pmath::Matrix before = skin.FindNode("Bip01_Head")->mLocal;
    skin.UpdateHeadLook();
    EXPECT_DOUBLE_EQ(skin.m_dHeadLook[4], 0.5);
    EXPECT_DOUBLE_EQ(skin.m_dHeadLook[1], -0.2);
    EXPECT_TRUE(test::Near(skin.FindNode("Bip01_Head")->mLocal,
                           pmath::MatrixFromYawPitchRoll(0, -0.2f, 0) * pmath::MatrixFromYawPitchRoll(0.5f, 0, 0) * before));
    skin.UpdateHeadLook();
    skin.UpdateHeadLook();
    EXPECT_DOUBLE_EQ(skin.m_dHeadLook[4], 1.0);  // stops at its target
}

TEST_F(ESkinMeshTest, TheAnimationSetsOfAFolderAreExportedAsClips) {
    const std::string set =
        "AnimTicksPerSecond { 30; }\n"
        "AnimationSet bend { Animation { { lower }\n"
        "  AnimationKey { 0; 2; 0; 4; 1,0,0,0;;, 30; 4; 0.7071068,0,0.7071068,0;;; } } }\n";
    WriteFile("models\\set\\arm.x", test::Arm().XText() + set);
    WriteFile("models\\set\\broken.x", "xof 0303txt 0032\nFrame {");
    ESkinMesh::ExportFolderAnimations("models\\set");
    EXPECT_EQ(LoggedContaining("EXPORT!: dTicksPerSecond=30.000000"), 1);
    EXPECT_EQ(LoggedContaining("ERROR#2 in EXPORT Animation! problem with models\\set\\broken.x"), 1);
    EXPECT_EQ(g_Settings.m_bReducedMode, 0);
    strSkinMeshAnimation clip;
    ASSERT_TRUE(ESkinMeshAnimation::Load_Animation_From_Bin_File("models\\set\\arm.bin", &clip));
    EXPECT_DOUBLE_EQ(clip.dPeriod, 1.0);
    ASSERT_EQ(clip.iNumTracks, 1u);
    strAnimPlayingParams channel;
    channel.dTime = 0.5;
    ResetLinkFields();
    SampleAnimation(clip, channel);
    EXPECT_TRUE(test::SameRotation(FindLinkField("lower")->qRotation,
                                   pmath::QuaternionFromAxisAngle({0, 1, 0}, kPi / 4), 1e-4f));
    // Without its animation sets the model has nothing to export.
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\set\\arm.x"));
    EXPECT_FALSE(skin.ExportAnimation("x.bin"));
    EXPECT_EQ(LoggedContaining("ERROR: there's no animations!"), 1);
}

TEST_F(ESkinMeshTest, AHeldClipIsSavedAsAClipOfItsOwn) {
    WriteArm();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("bend", true);
    EXPECT_FALSE(skin.SaveHeldClip("held.bin"));  // only a held channel
    skin.m_uChannelState[0] = ESkinMesh::CHANNEL_HOLD;
    ASSERT_TRUE(skin.SaveHeldClip("held.bin"));
    EXPECT_EQ(ReadFile("held.bin"), ReadFile("models\\arm\\animations\\bend.bin"));
}

TEST_F(ESkinMeshTest, TheStateRecordReadsBackWhatWasWrittenWithTheFrameDeltaWhole) {
    WriteArm();
    test::SkinOwner owner;
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
    skin.SetAnimation("bend", true);
    Frame(skin, 0.3f);
    skin.m_dFrameDelta = 0.123456789012345;
    skin.m_dHeadNod = 0.5;
    skin.SetPosition({1, 2, 3});
    FILE* f = std::fopen(Path("state.bin").string().c_str(), "wb");
    ASSERT_TRUE(skin.SaveState(f));
    std::fclose(f);
    const ESkinMesh::strNode saved = *skin.FindNode("lower");
    test::SkinOwner otherOwner;
    ESkinMesh other;
    ASSERT_TRUE(Create(other, otherOwner, "models\\arm\\arm.x"));
    f = std::fopen(Path("state.bin").string().c_str(), "rb");
    ASSERT_TRUE(other.ReadState(f));
    std::fclose(f);
    EXPECT_DOUBLE_EQ(other.m_dFrameDelta, 0.123456789012345);
    EXPECT_DOUBLE_EQ(other.m_dHeadNod, 0.5);
    EXPECT_TRUE(test::Near(other.m_vPosition, {1, 2, 3}));
    EXPECT_STREQ(other.m_AnimPlayingParams[0].szName, "bend");
    EXPECT_NEAR(other.m_AnimPlayingParams[0].dTime, 0.3, 1e-6);
    EXPECT_EQ(other.m_AnimPlayingParams[0].iAktAnim, skin.m_AnimPlayingParams[0].iAktAnim);
    EXPECT_TRUE(test::Near(other.FindNode("lower")->mCombined, saved.mCombined));
    EXPECT_EQ(std::filesystem::file_size(Path("state.bin")),
              8 + 22 * 8 + 1 + 4 * 200 + 12 + 116 + 12 + 1 + 4 + 8 + 12 * 3 + 1 + 8 + 64 + 16 + 2 +
                  3 * (4 * 12 + 4 + 1 + 3 * 64 + 2 * 40 + 2 * 64 + 40) + 4);
}

TEST_F(ESkinMeshTest, AStateRecordNeverDecidesWhetherTheInstanceHoldsItsModel) {
    // A record of zeros, or one cut short, says "not created": the instance still holds its
    // model and would otherwise never give it back.
    WriteArm();
    for (const std::string& record : {std::string(4000, '\0'), std::string()}) {
        test::SkinOwner owner;
        ESkinMesh skin;
        ASSERT_TRUE(Create(skin, owner, "models\\arm\\arm.x"));
        WriteFile("state.bin", record);
        FILE* f = std::fopen(Path("state.bin").string().c_str(), "rb");
        ASSERT_TRUE(skin.ReadState(f));
        std::fclose(f);
        EXPECT_EQ(skin.m_bCreated, 1) << record.size();
        skin.Destroy();
        EXPECT_EQ(skin.m_pSkinMeshBase, nullptr) << record.size();
    }
}

}  // namespace
