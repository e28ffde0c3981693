#pragma once
// Effects: the game's shading programs, read from text effect files. A file declares parameters
// (with types and arrays; textures on fixed sampler units), techniques with their passes, each
// pass a GLSL 330 vertex and pixel shader, and optional render states per pass:
//
//   @param float4x4 g_mWorldViewProjection
//   @param float4 g_LightPos[8]
//   @param texture2d g_Texture 0          (texture2d or texturecube, then the sampler unit)
//   @param float4x4 g_Palette[64] block   an array of float4 or float4x4 kept in a uniform block of
//                                         its own (larger than plain uniforms allow)
//   @common                               GLSL shared by every shader of the file (FX_VERTEX_SHADER
//                                         or FX_PIXEL_SHADER is defined in each)
//   @technique RenderScene
//   @pass
//   @state ZWRITEENABLE 0                 a render-state number or name and its value
//   @vertex                               the vertex shader's GLSL, up to the next @ line
//   @pixel                                the pixel shader's GLSL
//
// Every shader gets "#version 330 core", a uniform for every parameter (matrices as stored: a
// shader computes the game's row-vector v x M as M * v) and these helpers:
//   vertex: inputs in_Position, in_BlendWeight, in_BlendIndices, in_Normal, in_Color, in_Color1,
//           in_TexCoord0 .. in_TexCoord7, in_Position1, bound to the vertex declaration's usages;
//           vec4 fx_Position(vec4 clip) turns the game's clip space (z 0..1) into GL's.
//   pixel:  out vec4 fx_Colour; void fx_AlphaTest(float alpha) discards as the device's alpha
//           test states (enable, reference, function) say.
//
// Handles are pointers into the effect; a name the file does not declare gives a null handle,
// and every call through a null or foreign handle does nothing and fails.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/GfxTypes.h"

namespace gfx {

class BaseTexture;
class Device;

using FxHandle = const void*;


enum class ParamType { Bool, Int, Float, Texture2D, TextureCube };

struct EffectParameterDesc {
    std::string name;
    ParamType type = ParamType::Float;
    uint32_t rows = 1;
    uint32_t columns = 1;
    uint32_t elements = 0;  // 0: not an array
    int32_t samplerUnit = -1;
    // Held in a uniform block (std140) instead of plain uniforms.
    bool block = false;
    uint32_t Count() const { return rows * columns * (elements ? elements : 1); }
};

struct EffectPassDesc {
    std::vector<std::pair<RenderState, uint32_t>> states;
    std::string vertex;
    std::string pixel;
};

struct EffectTechniqueDesc {
    std::string name;
    std::vector<EffectPassDesc> passes;
};

struct EffectDesc {
    std::vector<EffectParameterDesc> parameters;
    std::string common;
    std::vector<EffectTechniqueDesc> techniques;
};

// Reads an effect file's text; false with a message naming the line when it is malformed.
bool ParseEffect(const std::string& text, EffectDesc& desc, std::string& error);
// The GLSL type of a parameter ("mat4", "vec3", "sampler2D" ...).
std::string GlslType(const EffectParameterDesc& parameter);

class Effect {
public:
    // Passes set their render states and bind their textures on this device.
    Effect(const EffectDesc& desc, Device* device);
    virtual ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // parent must be null: parameters have no members.
    FxHandle GetParameterByName(FxHandle parent, const char* name) const;
    FxHandle GetTechniqueByName(const char* name) const;
    // The first valid technique after `after` (from the first when null); fails when none.
    Result FindNextValidTechnique(FxHandle after, FxHandle* next) const;
    Result SetTechnique(FxHandle technique);
    FxHandle GetCurrentTechnique() const { return m_current; }

    Result Begin(uint32_t* passes, uint32_t flags);
    Result BeginPass(uint32_t pass);
    // Sends parameters changed inside a pass to the running program.
    Result CommitChanges();
    Result EndPass();
    Result End();

    Result SetBool(FxHandle parameter, bool value);
    Result SetInt(FxHandle parameter, int32_t value);
    Result SetFloat(FxHandle parameter, float value);
    // Four floats; a shorter vector parameter takes the first ones.
    Result SetVector(FxHandle parameter, const float* xyzw);
    // Sixteen floats, row by row.
    Result SetMatrix(FxHandle parameter, const float* m);
    Result SetFloatArray(FxHandle parameter, const float* values, uint32_t count);
    Result SetValue(FxHandle parameter, const void* data, uint32_t bytes);
    Result SetTexture(FxHandle parameter, const BaseTexture* texture);
    Result GetBool(FxHandle parameter, bool& value) const;
    Result GetFloatArray(FxHandle parameter, float* values, uint32_t count) const;
    const BaseTexture* GetTextureValue(FxHandle parameter) const;

    // Around a device reset; the effect keeps its programs, so nothing is released.
    Result OnLostDevice() { return OK; }
    Result OnResetDevice() { return OK; }

    const EffectDesc& Desc() const { return m_desc; }
    bool InPass() const { return m_inPass; }

protected:
    struct Parameter {
        EffectParameterDesc desc;
        std::vector<float> values;
        const BaseTexture* texture = nullptr;
        // A texture given through the effect is bound on the parameter's unit at every pass
        // begin and commit; until then the unit samples whatever the device holds there.
        bool textureAssigned = false;
        // Counts the changes of the values, so a backend sends a parameter only when it changed.
        uint32_t version = 0;
    };
    struct Technique {
        const EffectTechniqueDesc* desc;
        bool valid = true;
    };

    // The backend's part: validity of techniques, and sending a pass's program and parameters.
    virtual void StartPass(uint32_t technique, uint32_t pass) {}
    virtual void SendParameters(uint32_t technique, uint32_t pass) {}
    virtual void StopPass() {}
    Device* GetDevice() const { return m_device; }

    const std::vector<Parameter>& Parameters() const { return m_parameters; }
    std::vector<Technique>& Techniques() { return m_techniques; }
    uint32_t CurrentTechniqueIndex() const;

private:
    void ApplyPassStates(uint32_t pass) const;
    void BindTextures() const;
    Parameter* FindParameter(FxHandle handle);
    const Parameter* FindParameter(FxHandle handle) const;
    const Technique* FindTechnique(FxHandle handle) const;

    EffectDesc m_desc;
    Device* m_device;
    std::vector<Parameter> m_parameters;
    std::vector<Technique> m_techniques;
    const Technique* m_current = nullptr;
    bool m_begun = false;
    bool m_inPass = false;
    uint32_t m_pass = 0;
};

// Reads and builds the effect file at a game path. Unreadable file: ERR_INVALIDCALL; malformed:
// ERR_INVALIDDATA, the reason in errors.
Result CreateEffectFromFile(Device& device, const char* path, uint32_t flags, std::unique_ptr<Effect>& effect,
                            std::string* errors);

}  // namespace gfx
