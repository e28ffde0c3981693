// Loaded textures, their mesh entries and the per-texture render lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "render/ERenderer.h"
#include "support/DeviceTest.h"
#include "support/TextureFiles.h"

namespace {

class ERendererTexturesTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_Renderer);
        ASSERT_TRUE(CreateDevice());
    }
    void TearDown() override {
        DeviceTest::TearDown();
        test::ResetGlobal(g_Renderer);
    }
    void Image(const std::string& path) { WriteFile(path, test::TgaFile(4, 4, 0xFF808080u)); }
    int LoadedCount() const {
        int n = 0;
        for (const strtexture* t = g_Renderer.m_pTextures; t; t = t->m_pNext) ++n;
        return n;
    }
};

TEST_F(ERendererTexturesTest, NamesThatDifferInExtensionOrCaseAreOneTexture) {
    Image("t\\stone.tga");
    g_Renderer.InitTextures();
    uint32_t id = g_Renderer.GetTextureByName("t\\stone.dds", false, false);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(g_Renderer.GetTextureByName("Stone.tga", false, false), id);
    EXPECT_EQ(g_Renderer.GetTextureByName("STONE.bmp", false, false), id);
    EXPECT_EQ(LoadedCount(), 1);
    strtexture* stone = g_Renderer.GetTexture(id);
    EXPECT_STREQ(stone->m_szPath, ".\\t\\stone.tga");
    EXPECT_EQ(stone->m_uWidth, 4u);
    EXPECT_NE(stone->m_pTexture, nullptr);
    EXPECT_EQ(g_Renderer.GetTexture(1024), nullptr);
    EXPECT_FALSE(test::g_FakeEngine.quitRequested);
}

TEST_F(ERendererTexturesTest, MissingOrMisnamedFilesAreLoggedAndStopTheProgram) {
    struct Case {
        const char* name;
        const char* error;
        const char* said;  // to the player
    } cases[] = {{"nothing.tga", "nothing.tga\nTexture does not exist!\n",
                  "The texture nothing.tga cannot be loaded: Texture does not exist!"},
                 {"abc", "abc\nTexture does not exist!\nabc\nBad Format!\n",
                  "The texture abc cannot be loaded: Texture does not exist! Bad Format!"}};
    for (const Case& c : cases) {
        SetUp();
        strtexture* r = g_Renderer.LoadTextureByName(c.name, false, false);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_pTexture, nullptr);
        EXPECT_TRUE(test::g_FakeEngine.quitRequested);
        EXPECT_EQ(test::g_FakeEngine.quitReason, c.said);
        EXPECT_EQ(ReadFile("!error.txt"), c.error);
        TearDown();
    }
}

TEST_F(ERendererTexturesTest, AnImageTooShortForItsHeaderIsLoggedAndDrawsAsNoTexture) {
    // Only the 18-byte header of a 4096 x 4096 x 32-bit TGA.
    std::string header = test::TgaFile(1, 1, 0).substr(0, 18);
    header[12] = header[14] = 0;
    header[13] = header[15] = 0x10;
    WriteFile("t\\cut.tga", header);
    g_Renderer.InitTextures();
    strtexture* r = g_Renderer.LoadTextureByName("cut.tga", false, false);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->m_pTexture, nullptr);
    EXPECT_EQ(ReadFile("!error.txt"), ".\\t\\cut.tga\nTexture could not be created!\n");
    EXPECT_FALSE(test::g_FakeEngine.quitRequested);  // a damaged texture does not end the game
}

TEST_F(ERendererTexturesTest, TheTableHolds1023TexturesAndThenRefuses) {
    for (int i = 1; i < 1024; ++i)
        ASSERT_EQ(g_Renderer.GetTextureByName(("t" + std::to_string(i) + ".tga").c_str(), false, false),
                  static_cast<uint32_t>(i));
    EXPECT_EQ(g_Renderer.GetTextureByName("one_more.tga", false, false), 0u);
    EXPECT_TRUE(Logged("MAX_TEXTURES hit!"));
    EXPECT_EQ(g_Renderer.GetTextureByName("t7.tga", false, false), 7u);
    g_Renderer.RemoveTexture(g_Renderer.GetTexture(7));
    EXPECT_EQ(g_Renderer.GetTextureByName("one_more.tga", false, false), 7u);
}

TEST_F(ERendererTexturesTest, TheFirstMeshOfATextureLoadsItsMapsAndLaterOnesDoNot) {
    for (const char* f : {"t\\wall.tga", "t\\wall_normal.tga", "t\\bricks.tga", "t\\moss.tga", "t\\sky.dds"})
        Image(f);
    WriteFile("scripts\\textures.txt", "texture wall.tga\ndetail bricks.tga\nenvironmental sky.dds\n");
    g_Renderer.InitTextures();
    DrawVisibility object;
    int first = 0, second = 0;  // two meshes of the object
    uint32_t id = g_Renderer.AddMeshToTextureLists("meshes\\wall.tga", DrawRecord{&first, "wall.x", 0, &object});
    strtexture* wall = g_Renderer.GetTexture(id);
    ASSERT_NE(wall, nullptr);
    ASSERT_NE(wall->m_pNormal, nullptr);
    EXPECT_STREQ(wall->m_pNormal->m_szName, "wall_normal.tga");
    EXPECT_EQ(wall->m_pNormal->m_bDoNotRender, 1);
    ASSERT_NE(wall->m_pDetail, nullptr);
    ASSERT_NE(wall->m_pEnvironmental, nullptr);
    EXPECT_NE(wall->m_pEnvironmental->m_pCubeTexture, nullptr);
    EXPECT_EQ(LoadedCount(), 4);
    std::strcpy(g_Renderer.FindTextureDescription("wall.tga")->m_szLava, "moss.tga");
    EXPECT_EQ(g_Renderer.AddMeshToTextureLists("wall.tga", DrawRecord{&second, "wall.x", 3, &object}), id);
    EXPECT_EQ(LoadedCount(), 4);
    EXPECT_EQ(wall->m_pMeshes->m_pMesh, &second);
    EXPECT_EQ(wall->m_pMeshes->m_uSubset, 3u);
    g_Renderer.RemoveMeshFromLists(&second);
    EXPECT_EQ(wall->m_pMeshes->m_pMesh, &first);
    EXPECT_EQ(wall->m_pMeshes->m_pNext, nullptr);
    // Every texture goes, the cube of the environment map too.
    g_Renderer.ClearTextures();
    EXPECT_EQ(g_Renderer.m_pTextures, nullptr);
    EXPECT_EQ(g_Renderer.GetTexture(id), nullptr);
}

TEST_F(ERendererTexturesTest, ASkinnedMeshContainerIsEnteredOnce) {
    Image("t\\coat.tga");
    g_Renderer.InitTextures();
    int skin = 0;  // a skinned mesh without an object
    uint32_t id = g_Renderer.AddSkinMeshToTextureLists("coat.tga", DrawRecord{&skin, "", 2, nullptr});
    EXPECT_EQ(g_Renderer.AddSkinMeshToTextureLists("coat.tga", DrawRecord{&skin, "", 2, nullptr}), id);
    EXPECT_TRUE(Logged("No skinmesh m_hObject!"));
    strtexture* coat = g_Renderer.GetTexture(id);
    ASSERT_NE(coat->m_pSkinMeshes, nullptr);
    EXPECT_EQ(coat->m_pSkinMeshes->m_pNext, nullptr);
    g_Renderer.AddSkinMeshToTextureLists("coat.tga", DrawRecord{&skin, "", 3, nullptr});
    g_Renderer.RemoveSkinMeshFromLists(&skin);
    EXPECT_EQ(coat->m_pSkinMeshes, nullptr);
}

// Render lists over hand-made records: only the flags and entries matter to them.
class RenderListTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetGlobal(g_Settings);
        test::ResetGlobal(g_Renderer);
    }
    void TearDown() override { test::ResetGlobal(g_Renderer); }
    strtexture* Texture(bool translucent = false) {
        m_textures.push_back(std::make_unique<strtexture>());
        m_textures.back()->m_bTranslucent = translucent;
        return m_textures.back().get();
    }
    std::vector<std::unique_ptr<strtexture>> m_textures;
};

TEST_F(RenderListTest, TexturesWithNothingVisibleLeaveTheMeshList) {
    DrawVisibility seen, hidden;
    seen.m_bVisibleThisFrame = 1;
    seen.m_uFlags = FLAG_VISIBLE;
    hidden.m_uFlags = FLAG_VISIBLE;
    strlistameshy seenEntry{&seen}, hiddenEntry{&hidden};
    strtexture* visible = Texture();
    visible->m_pMeshes = &seenEntry;
    strtexture* invisible = Texture();
    invisible->m_pMeshes = &hiddenEntry;
    strtexture* stain = Texture();
    stain->m_bStain = 1;
    strtexture* ray = Texture();
    ray->m_bRayOfLight = 1;
    g_Renderer.m_pMeshTextures[0] = invisible;
    g_Renderer.m_pMeshTextures[1] = visible;
    g_Renderer.m_pMeshTextures[2] = Texture();  // no entries at all
    g_Renderer.m_pMeshTextures[3] = stain;
    g_Renderer.m_pMeshTextures[4] = ray;
    g_Renderer.BuildRenderLists();
    EXPECT_EQ(g_Renderer.m_pMeshTextures[0], visible);
    EXPECT_EQ(g_Renderer.m_pMeshTextures[1], stain);
    EXPECT_EQ(g_Renderer.m_pMeshTextures[2], ray);
    EXPECT_EQ(g_Renderer.m_pMeshTextures[3], nullptr);
    EXPECT_EQ(g_Renderer.m_bAnyLightRay, 1);
    EXPECT_EQ(g_Renderer.m_pMergedTextures[3], nullptr);
    // Seen objects that are not drawn count only while physics is drawn.
    seen.m_uFlags = 0;
    g_Renderer.m_pMeshTextures[0] = visible;
    g_Renderer.BuildRenderLists();
    EXPECT_EQ(g_Renderer.m_pMeshTextures[0], stain);
}

TEST_F(RenderListTest, SortMovesTranslucentTexturesBehindTheOthers) {
    struct Case {
        std::vector<bool> translucent;
        size_t opaqueCount;
    } cases[] = {{{true, false, true, false, false}, 3}, {{true, true, true}, 0}, {{false, false}, 2}, {{}, 0}};
    for (const Case& c : cases) {
        std::vector<strtexture*> list;
        for (bool t : c.translucent) list.push_back(Texture(t));
        std::vector<strtexture*> before = list;
        list.push_back(nullptr);
        ERenderer::SortRenderList(list.data());
        for (size_t i = 0; i < c.translucent.size(); ++i)
            EXPECT_EQ(list[i]->m_bTranslucent, i >= c.opaqueCount) << i;
        if (c.opaqueCount == 0) {
            EXPECT_TRUE(std::equal(before.begin(), before.end(), list.begin()));
        }
        EXPECT_EQ(list.back(), nullptr);
    }
}

// A texture of both meshes and skinned meshes stands in both lists: the merged list holds them
// whole.
TEST_F(RenderListTest, TheMergedListHoldsBothFullLists) {
    DrawVisibility seen;
    seen.m_bVisibleThisFrame = 1;
    seen.m_uFlags = FLAG_VISIBLE;
    strlistameshy entry{&seen};
    strlistaskinmeshy skinEntry{&seen};
    for (uint32_t i = 0; i < ERenderer::kListSize - 1; ++i) {
        g_Renderer.m_pMeshTextures[i] = Texture();
        g_Renderer.m_pMeshTextures[i]->m_pMeshes = &entry;
        g_Renderer.m_pSkinTextures[i] = Texture();
        g_Renderer.m_pSkinTextures[i]->m_pSkinMeshes = &skinEntry;
        g_Renderer.m_pSkinTextures[i]->m_bWater = 1;
    }
    g_Renderer.BuildRenderLists();
    uint32_t n = 0;
    while (g_Renderer.m_pMergedTextures[n]) ++n;
    EXPECT_EQ(n, 2 * (ERenderer::kListSize - 1));
    EXPECT_EQ(g_Renderer.m_bAnyWater, 1);
}

TEST_F(RenderListTest, ASixthLightRayTakesTheSlotWithTheLeastLife) {
    g_FrameFacts = FrameFacts{};
    for (int i = 0; i < ERenderer::kLightRays; ++i) {
        g_Renderer.AddLightRay(DV{static_cast<float>(i), 0, 0});
        g_FrameFacts.frameTime = 0.01f;
        g_Renderer.UpdateLightRays();
    }
    // Slot 0 is the oldest, so the least alive.
    g_Renderer.AddLightRay(DV{9, 0, 0});
    EXPECT_EQ(g_Renderer.m_vLightRayPos[0].x, 9.0f);
    EXPECT_FLOAT_EQ(g_Renderer.m_fLightRayLife[0], 0.08f);
    g_FrameFacts.frameTime = 0.5f;
    g_Renderer.UpdateLightRays();
    EXPECT_EQ(g_Renderer.m_bAnyRayAlive, 0);
    EXPECT_EQ(g_Renderer.m_vLightRayPos[0].y, -1e9f);
}

}  // namespace
