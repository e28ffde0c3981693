#include "support/RenderPassTest.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "support/TextureFiles.h"

namespace test {

void RenderPassTest::SetUp() {
    DeviceTest::SetUp();
    ResetGlobal(g_Renderer);
    ASSERT_TRUE(CreateDevice());
    g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration);
    g_pd3dDevice->CreateVertexDeclaration(kSkinVertexElements, g_pSkinVertexDeclaration);
    std::filesystem::copy(std::filesystem::path(FURROW_SOURCE_DIR) / "data" / "fx", Path("fx"));
    Texture("bialy.tga");
    Texture("czarne.tga");
    Texture("sys_ambient.tga", "do_not_render");
    m_drawsSeen = 0;
}

void RenderPassTest::TearDown() {
    DeviceTest::TearDown();
    ResetGlobal(g_Renderer);
}

void RenderPassTest::Texture(const std::string& name, const std::string& definition) {
    WriteFile("textures\\" + name, TgaFile(4, 4, 0xFF808080u));
    m_definitions += "texture " + name + "\n" + definition + (definition.empty() ? "" : "\n");
}

void RenderPassTest::Start() {
    WriteFile("scripts\\textures.txt", m_definitions);
    g_Renderer.InitTextures();
    g_EffectMgr.Init();
    g_Renderer.OnStartWorld();
}

SceneGeometry& RenderPassTest::Upload(SceneGeometry& geometry) {
    EXPECT_TRUE(geometry.Upload(*g_pd3dDevice));
    return geometry;
}

int RenderPassTest::TakeDraws() {
    const auto& calls = gfx::NullBackend().calls;
    size_t draws = static_cast<size_t>(std::count(calls.begin(), calls.end(), "DrawIndexedPrimitive"));
    int taken = static_cast<int>(draws - m_drawsSeen);
    m_drawsSeen = draws;
    return taken;
}

float RenderPassTest::ParameterAt(HEFFECT effect, const char* name, uint32_t index) {
    std::vector<float> values(index + 1);
    effect->m_pEffect->GetFloatArray(Param(effect, name), values.data(), index + 1);
    return values[index];
}

}  // namespace test
