// The effect file format and the handle rules, on the recording device.
#include "platform/gfx/Effect.h"

#include <gtest/gtest.h>

#include <string>

#include "support/EffectText.h"

namespace {

// Two techniques; the first one's pass turns depth writes off.
const std::string kEffect = [] {
    std::string text = test::EffectText(
        "@param float4x4 g_mWorld\n@param float4 g_LightPos[8]\n@param bool g_bDrawTransparent\n"
        "@param texture2d g_Texture 3\n",
        {"First", "Second"});
    return text.replace(text.find("@vertex"), 0, "@state ZWRITEENABLE 0\n");
}();

TEST(EffectTest, ReadsParametersTechniquesAndPasses) {
    gfx::EffectDesc desc;
    std::string error;
    ASSERT_TRUE(gfx::ParseEffect(kEffect, desc, error)) << error;
    ASSERT_EQ(desc.parameters.size(), 4u);
    EXPECT_EQ(desc.parameters[1].elements, 8u);
    EXPECT_EQ(gfx::GlslType(desc.parameters[0]), "mat4");
    EXPECT_EQ(desc.parameters[3].samplerUnit, 3);
    ASSERT_EQ(desc.techniques.size(), 2u);
    EXPECT_EQ(desc.techniques[0].passes[0].states.size(), 1u);
    EXPECT_NE(desc.techniques[1].passes[0].vertex.find("void main"), std::string::npos);
}

TEST(EffectTest, MalformedFilesNameTheirFault) {
    struct Case {
        const char* text;
        const char* fault;
    } cases[] = {
        {"@param float5 x\n@technique T\n@pass\n", "unknown type"},
        {"@param texture2d t\n@technique T\n@pass\n", "sampler unit"},
        {"@param float a\n@param float a\n@technique T\n@pass\n", "twice"},
        {"@vertex\n", "outside a pass"},
        {"@param float a\n", "no technique"},
        {"@technique T\n", "no pass"},
        {"stray text\n@technique T\n@pass\n", "outside a section"},
    };
    for (const Case& c : cases) {
        gfx::EffectDesc desc;
        std::string error;
        EXPECT_FALSE(gfx::ParseEffect(c.text, desc, error)) << c.text;
        EXPECT_NE(error.find(c.fault), std::string::npos) << error;
    }
}

TEST(EffectTest, ValuesGoThroughHandlesOnlyOfTheirOwnKind) {
    gfx::EffectDesc desc;
    std::string error;
    ASSERT_TRUE(gfx::ParseEffect(kEffect, desc, error));
    gfx::Effect fx(desc, nullptr);
    gfx::FxHandle lights = fx.GetParameterByName(nullptr, "g_LightPos");
    const float values[32] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(fx.SetFloatArray(lights, values, 32), gfx::OK);
    float read[8] = {};
    ASSERT_EQ(fx.GetFloatArray(lights, read, 8), gfx::OK);
    EXPECT_EQ(read[7], 8.0f);
    // A technique handle is not a parameter, and an undeclared name has no handle.
    EXPECT_NE(fx.SetFloat(fx.GetTechniqueByName("First"), 1.0f), gfx::OK);
    EXPECT_EQ(fx.GetParameterByName(nullptr, "g_Missing"), nullptr);
    EXPECT_NE(fx.SetBool(nullptr, true), gfx::OK);
    EXPECT_NE(fx.SetTexture(lights, nullptr), gfx::OK);
    bool transparent = true;
    ASSERT_EQ(fx.GetBool(fx.GetParameterByName(nullptr, "g_bDrawTransparent"), transparent), gfx::OK);
    EXPECT_FALSE(transparent);
}

TEST(EffectTest, PassesRunInOrderAndOnlyOneAtATime) {
    gfx::EffectDesc desc;
    std::string error;
    ASSERT_TRUE(gfx::ParseEffect(kEffect, desc, error));
    gfx::Effect fx(desc, nullptr);
    gfx::FxHandle second = nullptr;
    ASSERT_EQ(fx.FindNextValidTechnique(fx.GetTechniqueByName("First"), &second), gfx::OK);
    EXPECT_EQ(second, fx.GetTechniqueByName("Second"));
    EXPECT_NE(fx.FindNextValidTechnique(second, &second), gfx::OK);
    EXPECT_NE(fx.BeginPass(0), gfx::OK);
    uint32_t passes = 0;
    ASSERT_EQ(fx.Begin(&passes, 0), gfx::OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_NE(fx.Begin(&passes, 0), gfx::OK);
    EXPECT_NE(fx.BeginPass(1), gfx::OK);
    ASSERT_EQ(fx.BeginPass(0), gfx::OK);
    EXPECT_NE(fx.End(), gfx::OK);
    EXPECT_EQ(fx.EndPass(), gfx::OK);
    EXPECT_EQ(fx.End(), gfx::OK);
}

}  // namespace
