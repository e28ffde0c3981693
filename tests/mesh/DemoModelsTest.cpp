// The demo models load with the null device, and a second world reads them from "!opt\".
#include <gtest/gtest.h>

#include "DemoModels.h"
#include "MeshTest.h"
#include "render/ERenderer.h"

namespace {

class DemoModelsTest : public test::MeshTest {};

TEST_F(DemoModelsTest, EveryModelLoadsWithItsTexturesAndTheSecondRoundComesFromTheCache) {
    const std::vector<std::string> models = test::CopyDemoModels(m_dir.path());
    ASSERT_GE(models.size(), 9u);
    g_Renderer.InitTextures();
    test::LoadDemoModelsTwice(models);
    for (const std::string& model : models) EXPECT_TRUE(Exists(EMeshMgr::OptPath(model.c_str()))) << model;
    // Each mesh object draws every subset with a texture the build made.
    for (const std::string& model : models) {
        test::FakeOwner owner;
        EMesh mesh;
        CreateMesh(mesh, owner, model.c_str());
        ASSERT_TRUE(mesh.m_bCreated) << model;
        for (uint32_t s = 0; s < mesh.m_uSubsetCount; ++s) {
            EXPECT_TRUE(mesh.m_bUsableSubset[s]) << model << " subset " << s;
            EXPECT_NE(g_Renderer.GetTexture(mesh.m_uTextureIds[s]), nullptr) << model << " subset " << s;
        }
    }
    EXPECT_EQ(LoggedContaining("failed"), 0);
    EXPECT_FALSE(Exists("!error.txt"));
}

}  // namespace
