// Effects, textures and render targets on a real GL context.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/Image.h"
#include "platform/os/Files.h"
#include "support/GlDeviceTest.h"
#include "support/TestSupport.h"
#include "support/TextureFiles.h"

namespace {

using test::ExpectColourNear;

const char* const kTexturedQuad = R"(@param float4x4 g_mWorldViewProjection
@param texture2d g_Texture 0
@param float4 g_Tint
@technique Broken
@pass
@vertex
void main() { gl_Position = undefined_thing; }
@pixel
void main() { fx_Colour = vec4(1.0); }
@technique RenderScene
@pass
@vertex
in vec3 in_Position;
in vec2 in_TexCoord0;
out vec2 uv;
void main() {
    uv = in_TexCoord0;
    gl_Position = fx_Position(g_mWorldViewProjection * vec4(in_Position, 1.0));
}
@pixel
in vec2 uv;
void main() {
    vec4 colour = texture(g_Texture, uv) * g_Tint;
    fx_AlphaTest(colour.a);
    fx_Colour = colour;
}
)";

struct QuadVertex {
    float x, y, z, u, v;
};

class GlEffectTest : public test::GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        gfx::EffectDesc desc;
        std::string error;
        ASSERT_TRUE(gfx::ParseEffect(kTexturedQuad, desc, error)) << error;
        m_effect = m_device->MakeEffect(desc);
        ASSERT_NE(m_effect, nullptr);
        const gfx::VertexElement elements[] = {
            {0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
            {0, 12, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
            gfx::DECL_END};
        ASSERT_EQ(m_device->CreateVertexDeclaration(elements, m_declaration), gfx::OK);
        // A screen-filling strip, drawn clockwise as the game's front faces are.
        const QuadVertex quad[] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
        ASSERT_EQ(m_device->CreateVertexBuffer(sizeof quad, gfx::USAGE_WRITEONLY, 0, gfx::POOL_MANAGED, m_quad),
                  gfx::OK);
        void* data = nullptr;
        ASSERT_EQ(m_quad->Lock(0, 0, &data, 0), gfx::OK);
        std::memcpy(data, quad, sizeof quad);
        ASSERT_EQ(m_quad->Unlock(), gfx::OK);
    }

    void TearDown() override {
        m_effect.reset();
        m_quad.reset();
        m_texture.reset();
        GlDeviceTest::TearDown();
    }

    // A 2 x 2 texture: top-left, top-right, bottom-left, bottom-right.
    void MakeTexture(const uint32_t (&texels)[4]) {
        ASSERT_EQ(m_device->CreateTexture(2, 2, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, m_texture), gfx::OK);
        gfx::LockedRect rect;
        ASSERT_EQ(m_texture->LockRect(0, rect, 0), gfx::OK);
        std::memcpy(rect.bits, texels, sizeof texels);
        ASSERT_EQ(m_texture->UnlockRect(0), gfx::OK);
    }

    void DrawQuad(const float (&tint)[4]) {
        static const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        gfx::Effect& fx = *m_effect;
        ASSERT_EQ(fx.SetTechnique(fx.GetTechniqueByName("RenderScene")), gfx::OK);
        ASSERT_EQ(fx.SetMatrix(fx.GetParameterByName(nullptr, "g_mWorldViewProjection"), identity), gfx::OK);
        ASSERT_EQ(fx.SetVector(fx.GetParameterByName(nullptr, "g_Tint"), tint), gfx::OK);
        ASSERT_EQ(fx.SetTexture(fx.GetParameterByName(nullptr, "g_Texture"), m_texture.get()), gfx::OK);
        uint32_t passes = 0;
        ASSERT_EQ(fx.Begin(&passes, 0), gfx::OK);
        ASSERT_EQ(fx.BeginPass(0), gfx::OK);
        m_device->SetVertexDeclaration(m_declaration.get());
        m_device->SetStreamSource(0, m_quad.get(), 0, sizeof(QuadVertex));
        EXPECT_EQ(m_device->DrawPrimitive(gfx::PT_TRIANGLESTRIP, 0, 2), gfx::OK);
        fx.EndPass();
        fx.End();
    }

    std::unique_ptr<gfx::Effect> m_effect;
    std::unique_ptr<gfx::VertexDeclaration> m_declaration;
    std::unique_ptr<gfx::VertexBuffer> m_quad;
    std::unique_ptr<gfx::Texture> m_texture;
};

constexpr float kWhite[4] = {1, 1, 1, 1};

TEST_F(GlEffectTest, ATechniqueThatDoesNotCompileIsSkippedForTheNextValidOne) {
    gfx::FxHandle first = nullptr;
    ASSERT_EQ(m_effect->FindNextValidTechnique(nullptr, &first), gfx::OK);
    EXPECT_EQ(first, m_effect->GetTechniqueByName("RenderScene"));
    EXPECT_NE(m_effect->SetTechnique(m_effect->GetTechniqueByName("Broken")), gfx::OK);
}

TEST_F(GlEffectTest, TexturedQuadShowsTheTextureTopRowAtTheTop) {
    MakeTexture({0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
    m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DrawQuad(kWhite);
    ExpectColourNear(PixelAt(4, 4), 0xFFFF0000u);
    ExpectColourNear(PixelAt(kWidth - 4, 4), 0xFF00FF00u);
    ExpectColourNear(PixelAt(4, kHeight - 4), 0xFF0000FFu);
    ExpectColourNear(PixelAt(kWidth - 4, kHeight - 4), 0xFFFFFFFFu);
}

TEST_F(GlEffectTest, AParameterSetThroughANullHandleChangesNothing) {
    MakeTexture({0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu});
    const float red[4] = {1, 0, 0, 1};
    gfx::FxHandle missing = m_effect->GetParameterByName(nullptr, "g_NotDeclared");
    EXPECT_EQ(missing, nullptr);
    EXPECT_NE(m_effect->SetVector(missing, red), gfx::OK);
    m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    const float half[4] = {0.5f, 0.5f, 0.5f, 1};
    DrawQuad(half);
    ExpectColourNear(PixelAt(kWidth / 2, kHeight / 2), 0xFF808080u);
}

TEST_F(GlEffectTest, AlphaTestKeepsOnlyTexelsAboveTheReference) {
    // Left column alpha 0x40, right column opaque.
    MakeTexture({0x40FF0000u, 0xFFFF0000u, 0x40FF0000u, 0xFFFF0000u});
    struct Case {
        uint32_t enable, reference, function, leftExpected;
    } cases[] = {
        {1, 128, gfx::CMP_GREATER, 0xFF000000u},  // alpha-tested: the weak texels are dropped
        {0, 128, gfx::CMP_GREATER, 0xFFFF0000u},  // test off: everything is drawn
        {1, 0x30, gfx::CMP_GREATER, 0xFFFF0000u},
    };
    for (const Case& c : cases) {
        m_device->SetRenderState(gfx::RS_ALPHATESTENABLE, c.enable);
        m_device->SetRenderState(gfx::RS_ALPHAREF, c.reference);
        m_device->SetRenderState(gfx::RS_ALPHAFUNC, c.function);
        m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        DrawQuad(kWhite);
        ExpectColourNear(PixelAt(4, kHeight / 2), c.leftExpected);
        ExpectColourNear(PixelAt(kWidth - 4, kHeight / 2), 0xFFFF0000u);
    }
}

TEST_F(GlEffectTest, RenderTargetsAreClearedDrawnAndReadBack) {
    std::unique_ptr<gfx::Texture> target;
    ASSERT_EQ(m_device->CreateTexture(16, 8, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_A8R8G8B8, gfx::POOL_DEFAULT, target),
              gfx::OK);
    std::unique_ptr<gfx::Surface> level, saved, copy;
    ASSERT_EQ(target->GetSurfaceLevel(0, level), gfx::OK);
    ASSERT_EQ(m_device->GetRenderTarget(0, saved), gfx::OK);
    ASSERT_EQ(m_device->SetRenderTarget(0, level.get()), gfx::OK);
    m_device->Clear(gfx::CLEAR_TARGET, 0xFF204060u, 1.0f, 0);
    // The top half of the texture is red: the top rows of the target are too.
    MakeTexture({0xFFFF0000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF00FF00u});
    m_device->SetRenderState(gfx::RS_ZENABLE, 0);
    DrawQuad(kWhite);
    ASSERT_EQ(m_device->CreateOffscreenPlainSurface(16, 8, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, copy), gfx::OK);
    ASSERT_EQ(m_device->GetRenderTargetData(*level, *copy), gfx::OK);
    auto* pixels = reinterpret_cast<const uint32_t*>(copy->Pixels());
    ExpectColourNear(pixels[0], 0xFFFF0000u);
    ExpectColourNear(pixels[7 * 16 + 15], 0xFF00FF00u);
    // Back on the back buffer, the target's drawing did not land there.
    ASSERT_EQ(m_device->SetRenderTarget(0, saved.get()), gfx::OK);
    m_device->Clear(gfx::CLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    ExpectColourNear(PixelAt(0, 0), 0xFF000000u);
}

TEST_F(GlEffectTest, FloatTargetKeepsTheClearedValueInItsRedChannel) {
    std::unique_ptr<gfx::Texture> target;
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_R32F, gfx::POOL_DEFAULT, target),
              gfx::OK);
    std::unique_ptr<gfx::Surface> level, depth, copy;
    ASSERT_EQ(target->GetSurfaceLevel(0, level), gfx::OK);
    ASSERT_EQ(m_device->CreateDepthStencilSurface(8, 8, gfx::FMT_D24S8, true, depth), gfx::OK);
    ASSERT_EQ(m_device->SetRenderTarget(0, level.get()), gfx::OK);
    ASSERT_EQ(m_device->SetDepthStencilSurface(depth.get()), gfx::OK);
    m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0);
    ASSERT_EQ(m_device->CreateOffscreenPlainSurface(8, 8, gfx::FMT_R32F, gfx::POOL_SYSTEMMEM, copy), gfx::OK);
    ASSERT_EQ(m_device->GetRenderTargetData(*level, *copy), gfx::OK);
    float value = 0;
    std::memcpy(&value, copy->Pixels() + 4 * 27, sizeof value);
    EXPECT_FLOAT_EQ(value, 1.0f);
}

// What GL already holds is not sent again: a repeated draw costs the draw alone, and each change
// costs what it changes.
TEST_F(GlEffectTest, ADrawSendsOnlyWhatChangedSinceTheLastOne) {
    MakeTexture({0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu});
    m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DrawQuad(kWhite);
    auto callsOf = [&](auto draw) {
        uint64_t before = m_device->Stats().backendCalls;
        draw();
        return m_device->Stats().backendCalls - before;
    };
    EXPECT_EQ(callsOf([&] { DrawQuad(kWhite); }), 1u);
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
    EXPECT_EQ(callsOf([&] { DrawQuad(grey); }), 2u);
    m_device->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
    EXPECT_EQ(callsOf([&] { DrawQuad(grey); }), 2u);
    ExpectColourNear(PixelAt(kWidth / 2, kHeight / 2), 0xFF808080u);
    EXPECT_EQ(m_device->Stats().draws, 4u);
}

TEST_F(GlEffectTest, DxtTexturesStayCompressedAndTheDeviceMakesTheirMissingLevels) {
    gfx::Caps caps;
    m_device->GetDeviceCaps(caps);
    ASSERT_TRUE(caps.compressedTextures);
    test::TempDir dir;
    plat::SetStartDirectory(dir.path());
    // 8 x 8 texels of red in four DXT1 blocks, only the top level stored.
    std::vector<uint8_t> blocks;
    for (int i = 0; i < 4; ++i) blocks.insert(blocks.end(), {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0});
    std::vector<uint8_t> file = test::DdsFile(8, 8, gfx::FMT_DXT1, 1, false, blocks);
    test::WriteWholeFile(dir.path() / "red.dds", std::string(file.begin(), file.end()));
    ASSERT_EQ(gfx::CreateTextureFromFile(*m_device, "red.dds", m_texture), gfx::OK);
    plat::SetStartDirectory(std::filesystem::current_path());
    EXPECT_EQ(m_texture->GetFormat(), gfx::FMT_DXT1);
    EXPECT_EQ(m_texture->GetLevelCount(), 4u);
    // Sampled from its smallest level, which only the device made.
    float bias = 8.0f;
    uint32_t bits = 0;
    std::memcpy(&bits, &bias, sizeof bits);
    m_device->SetSamplerState(0, gfx::SAMP_MIPMAPLODBIAS, bits);
    m_device->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
    m_device->SetSamplerState(0, gfx::SAMP_MIPFILTER, gfx::TEXF_POINT);
    m_device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DrawQuad(kWhite);
    ExpectColourNear(PixelAt(kWidth / 2, kHeight / 2), 0xFFFF0000u);
}

}  // namespace
