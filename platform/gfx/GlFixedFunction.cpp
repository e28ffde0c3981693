// Draws without an effect on the GL backend: the fixed-function vertex and pixel work that the 2-D
// quads, text and lines rely on, written as one built-in effect. Positions with a reciprocal w are
// pixels of the render target; others go through world x view x projection. Stage 0's colour and
// alpha operations combine the texture with the vertex colour, and the alpha test applies.
#include "platform/gfx/GlFixedFunction.h"

#include <SDL2/SDL.h>

#include <string>

#include "platform/gfx/Effect.h"
#include "platform/gfx/GlSystem.h"

namespace gfx {
namespace {

const char* const kFixedFunction = R"(@param float4x4 ff_Transform
@param float4 ff_Viewport
@param bool ff_Pretransformed
@param bool ff_HasColour
@param bool ff_HasTexture
@param int ff_ColourOp
@param int ff_ColourArg1
@param int ff_ColourArg2
@param int ff_AlphaOp
@param int ff_AlphaArg1
@param int ff_AlphaArg2
@param texture2d ff_Texture 0
@technique FixedFunction
@pass
@vertex
in vec4 in_Position;
in vec4 in_Color;
in vec2 in_TexCoord0;
out vec4 v_Colour;
out vec2 v_TexCoord;
void main() {
    vec4 clip;
    if (ff_Pretransformed) {
        vec2 p = (in_Position.xy - ff_Viewport.xy) / ff_Viewport.zw;
        clip = vec4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, in_Position.z, 1.0);
    } else {
        clip = ff_Transform * vec4(in_Position.xyz, 1.0);
    }
    gl_Position = fx_Position(clip);
    v_Colour = ff_HasColour ? in_Color : vec4(1.0);
    v_TexCoord = in_TexCoord0;
}
@pixel
in vec4 v_Colour;
in vec2 v_TexCoord;
// Stage 0: its current colour is the vertex colour; a stage without a texture reads white.
vec4 Argument(int arg, vec4 texel) { return arg == 2 ? texel : v_Colour; }
vec4 Combine(int op, int arg1, int arg2, vec4 texel) {
    if (op == 2) return Argument(arg1, texel);
    if (op == 3) return Argument(arg2, texel);
    if (op == 4) return Argument(arg1, texel) * Argument(arg2, texel);
    return v_Colour;
}
void main() {
    vec4 texel = ff_HasTexture ? texture(ff_Texture, v_TexCoord) : vec4(1.0);
    vec3 colour = Combine(ff_ColourOp, ff_ColourArg1, ff_ColourArg2, texel).rgb;
    float alpha = Combine(ff_AlphaOp, ff_AlphaArg1, ff_AlphaArg2, texel).a;
    fx_AlphaTest(alpha);
    fx_Colour = vec4(colour, alpha);
}
)";

bool HasUsage(const std::vector<VertexElement>& elements, DeclUsage usage) {
    for (const VertexElement& e : elements)
        if (e.usage == usage && e.usageIndex == 0) return true;
    return false;
}

bool Pretransformed(const std::vector<VertexElement>& elements) {
    for (const VertexElement& e : elements)
        if (e.usage == DECLUSAGE_POSITION) return e.type == DECLTYPE_FLOAT4;
    return false;
}

}  // namespace

GlFixedFunction::GlFixedFunction(GlDevice& device) {
    EffectDesc desc;
    std::string error;
    if (!ParseEffect(kFixedFunction, desc, error)) {
        SDL_Log("furrow: fixed-function effect: %s", error.c_str());
        return;
    }
    m_effect = device.MakeEffect(desc);
    auto handle = [this](const char* name) { return m_effect->GetParameterByName(nullptr, name); };
    m_transform = handle("ff_Transform");
    m_viewport = handle("ff_Viewport");
    m_pretransformed = handle("ff_Pretransformed");
    m_hasColour = handle("ff_HasColour");
    m_hasTexture = handle("ff_HasTexture");
    m_texture = handle("ff_Texture");
    const char* const stageNames[] = {"ff_ColourOp", "ff_ColourArg1", "ff_ColourArg2",
                                      "ff_AlphaOp",  "ff_AlphaArg1",  "ff_AlphaArg2"};
    for (int i = 0; i < 6; ++i) m_stage[i] = handle(stageNames[i]);
}

GlFixedFunction::~GlFixedFunction() = default;

bool GlFixedFunction::Begin(const FixedFunctionInputs& in) {
    if (!m_effect) return false;
    const std::vector<VertexElement>& elements = *in.elements;
    m_effect->SetMatrix(m_transform, &in.transform.m[0][0]);
    const float viewport[4] = {static_cast<float>(in.viewport.x), static_cast<float>(in.viewport.y),
                               static_cast<float>(in.viewport.width), static_cast<float>(in.viewport.height)};
    m_effect->SetVector(m_viewport, viewport);
    m_effect->SetBool(m_pretransformed, Pretransformed(elements));
    m_effect->SetBool(m_hasColour, HasUsage(elements, DECLUSAGE_COLOR));
    // The pass binds its texture on stage 0: it is the texture already there.
    const BaseTexture* texture = in.texture && in.texture->GetType() == RTYPE_TEXTURE ? in.texture : nullptr;
    m_effect->SetTexture(m_texture, texture);
    m_effect->SetBool(m_hasTexture, texture && HasUsage(elements, DECLUSAGE_TEXCOORD));
    for (int i = 0; i < 6; ++i) m_effect->SetInt(m_stage[i], static_cast<int32_t>(in.stage[i]));
    return !Failed(m_effect->Begin(nullptr, 0)) && !Failed(m_effect->BeginPass(0));
}

void GlFixedFunction::End() {
    m_effect->EndPass();
    m_effect->End();
}

}  // namespace gfx
