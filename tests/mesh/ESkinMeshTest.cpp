// A skinned instance: its nodes and masks, its palettes, the channels and their state machine,
// its texture variants, its placement and its state record.
#include "mesh/ESkinMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "SkinMeshTest.h"
#include "core/CoreHooks.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "render/ERenderer.h"
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

}  // namespace
