// Effects on the GL backend: every pass is a linked GLSL 330 program. A technique whose passes
// do not all compile and link is not valid; the reasons go to SDL's log.
#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Effect.h"
#include "platform/gfx/GlCalls.h"
#include "platform/gfx/GlSystem.h"

namespace gfx {
namespace {

const char* const kVertexInputs[] = {"in_Position", "in_BlendWeight", "in_BlendIndices", "in_Normal", "in_Color",
                                     "in_Color1",   "in_TexCoord0",   "in_TexCoord1",    "in_TexCoord2",
                                     "in_TexCoord3", "in_TexCoord4",  "in_TexCoord5",    "in_TexCoord6",
                                     "in_TexCoord7", "in_Position1"};

const char* const kVertexPrelude = R"(#define FX_VERTEX_SHADER 1
uniform float fx_FlipY;
// The game's clip space has z from 0 to 1 and, in texture targets, rows from the top.
vec4 fx_Position(vec4 clip) { return vec4(clip.x, clip.y * fx_FlipY, clip.z * 2.0 - clip.w, clip.w); }
)";

// The alpha test of the fixed-function pipeline, driven by the device's render states.
const char* const kPixelPrelude = R"(#define FX_PIXEL_SHADER 1
out vec4 fx_Colour;
uniform bool fx_AlphaTestOn;
uniform float fx_AlphaRef;
uniform int fx_AlphaFunc;
void fx_AlphaTest(float alpha) {
    if (!fx_AlphaTestOn) return;
    float a = floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);
    bool keep = true;
    if (fx_AlphaFunc == 1) keep = false;
    else if (fx_AlphaFunc == 2) keep = a < fx_AlphaRef;
    else if (fx_AlphaFunc == 3) keep = a == fx_AlphaRef;
    else if (fx_AlphaFunc == 4) keep = a <= fx_AlphaRef;
    else if (fx_AlphaFunc == 5) keep = a > fx_AlphaRef;
    else if (fx_AlphaFunc == 6) keep = a != fx_AlphaRef;
    else if (fx_AlphaFunc == 7) keep = a >= fx_AlphaRef;
    if (!keep) discard;
}
)";

// The uniform block that holds a block parameter, and its binding point: the blocks of an
// effect are bound from point 0 on, in the order they are declared.
std::string BlockName(const EffectParameterDesc& p) { return "fx_Block_" + p.name; }

GLuint BlockBinding(const std::vector<EffectParameterDesc>& parameters, size_t index) {
    return static_cast<GLuint>(std::count_if(parameters.begin(), parameters.begin() + static_cast<std::ptrdiff_t>(index),
                                             [](const EffectParameterDesc& p) { return p.block; }));
}

std::string Uniforms(const EffectDesc& desc) {
    std::string text;
    for (const EffectParameterDesc& p : desc.parameters) {
        if (p.block) {
            text += "layout(std140) uniform " + BlockName(p) + " { " + GlslType(p) + " " + p.name + "[" +
                    std::to_string(p.elements) + "]; };\n";
            continue;
        }
        text += "uniform " + GlslType(p) + " " + p.name;
        if (p.elements) text += "[" + std::to_string(p.elements) + "]";
        text += ";\n";
    }
    return text;
}

// True when the shader or program reached its status; otherwise its log goes to SDL's log.
template <class GetStatus, class GetLog>
bool Succeeded(GLuint object, GLenum status, GetStatus getStatus, GetLog getLog, const std::string& where) {
    GLint ok = 0;
    getStatus(object, status, &ok);
    if (ok) return true;
    char log[2048] = {};
    getLog(object, sizeof log, nullptr, log);
    SDL_Log("furrow: effect %s: %s", where.c_str(), log);
    return false;
}

GLuint Compile(GLenum kind, const std::string& source, const std::string& where) {
    GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    if (Succeeded(shader, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog, where)) return shader;
    glDeleteShader(shader);
    return 0;
}

class GlEffect final : public Effect {
public:
    GlEffect(const EffectDesc& desc, GlDevice* device)
        : Effect(desc, device), m_device(device), m_ledger(device->SharedLedger()) {
        std::string header = "#version 330 core\n" + Uniforms(desc);
        for (Technique& technique : Techniques()) {
            std::vector<Pass> passes;
            for (const EffectPassDesc& pass : technique.desc->passes) {
                Pass linked;
                technique.valid = technique.valid && Link(header, desc.common, pass, technique.desc->name, linked);
                passes.push_back(linked);
            }
            m_passes.push_back(std::move(passes));
        }
        for (const EffectParameterDesc& p : desc.parameters) {
            GLuint buffer = 0;
            if (p.block) {
                glGenBuffers(1, &buffer);
                glBindBuffer(GL_UNIFORM_BUFFER, buffer);
                glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(p.Count() * sizeof(float)), nullptr, GL_DYNAMIC_DRAW);
                glBindBuffer(GL_UNIFORM_BUFFER, 0);
            }
            m_blockBuffers.push_back(buffer);
        }
        m_blockVersions.assign(m_blockBuffers.size(), kNeverSent);
    }

    ~GlEffect() override {
        // With the device gone its context went too, and the programs with it.
        if (!m_ledger->deviceAlive) return;
        for (GLuint buffer : m_blockBuffers)
            if (buffer) glDeleteBuffers(1, &buffer);
        for (auto& passes : m_passes) {
            for (Pass& pass : passes) {
                if (m_device->CurrentProgram() == &pass.program) m_device->UseProgram(nullptr);
                if (!pass.program.name) continue;
                m_device->ProgramGone(pass.program.name);
                Gl(glDeleteProgram, pass.program.name);
            }
        }
    }

protected:
    void StartPass(uint32_t technique, uint32_t pass) override {
        m_device->UseProgram(&m_passes[technique][pass].program);
    }

    // Sends the parameters that changed since this pass's program last got them; a program
    // keeps its uniforms, so nothing else needs sending.
    void SendParameters(uint32_t technique, uint32_t pass) override {
        Pass& p = m_passes[technique][pass];
        const auto& parameters = Parameters();
        for (size_t i = 0; i < parameters.size(); ++i) {
            if (m_blockBuffers[i]) {
                SendBlock(i, parameters[i]);
                continue;
            }
            GLint location = p.locations[i];
            if (location < 0 || p.sent[i] == parameters[i].version) continue;
            p.sent[i] = parameters[i].version;
            const EffectParameterDesc& d = parameters[i].desc;
            const std::vector<float>& v = parameters[i].values;
            auto count = static_cast<GLsizei>(d.elements ? d.elements : 1);
            switch (d.type) {
                case ParamType::Bool:
                case ParamType::Int: SendInts(location, count, v.data()); break;
                case ParamType::Texture2D:
                case ParamType::TextureCube: Gl(glUniform1i, location, d.samplerUnit); break;
                case ParamType::Float: SendFloats(location, d, count, v.data()); break;
            }
        }
    }

    void StopPass() override {
        m_device->UseProgram(nullptr);
    }

private:
    // A version no parameter has yet: every parameter is sent the first time.
    static constexpr uint32_t kNeverSent = ~0u;

    struct Pass {
        GlProgram program;
        std::vector<GLint> locations;
        std::vector<uint32_t> sent;
    };

    // A block's values go into its buffer when they changed; the buffer is bound at the block's
    // binding point every time, since other effects bind theirs there too.
    void SendBlock(size_t index, const Parameter& parameter) {
        if (m_blockVersions[index] != parameter.version) {
            m_blockVersions[index] = parameter.version;
            Gl(glBindBuffer, GLenum{GL_UNIFORM_BUFFER}, m_blockBuffers[index]);
            Gl(glBufferSubData, GLenum{GL_UNIFORM_BUFFER}, GLintptr{0},
               static_cast<GLsizeiptr>(parameter.values.size() * sizeof(float)),
               static_cast<const void*>(parameter.values.data()));
            Gl(glBindBuffer, GLenum{GL_UNIFORM_BUFFER}, GLuint{0});
        }
        Gl(glBindBufferBase, GLenum{GL_UNIFORM_BUFFER}, BlockBinding(Desc().parameters, index), m_blockBuffers[index]);
    }

    static void SendInts(GLint location, GLsizei count, const float* v) {
        GLint ints[64];
        auto n = std::min<GLsizei>(count, 64);
        for (GLsizei i = 0; i < n; ++i) ints[i] = static_cast<GLint>(v[i]);
        Gl(glUniform1iv, location, n, static_cast<const GLint*>(ints));
    }

    static void SendFloats(GLint location, const EffectParameterDesc& d, GLsizei count, const float* v) {
        if (d.rows == 4) Gl(glUniformMatrix4fv, location, count, GLboolean{GL_FALSE}, v);
        else if (d.rows == 3) Gl(glUniformMatrix3fv, location, count, GLboolean{GL_FALSE}, v);
        else if (d.columns == 4) Gl(glUniform4fv, location, count, v);
        else if (d.columns == 3) Gl(glUniform3fv, location, count, v);
        else if (d.columns == 2) Gl(glUniform2fv, location, count, v);
        else Gl(glUniform1fv, location, count, v);
    }

    bool Link(const std::string& header, const std::string& common, const EffectPassDesc& pass,
              const std::string& technique, Pass& out) {
        GLuint vs = Compile(GL_VERTEX_SHADER, header + kVertexPrelude + common + pass.vertex, technique + " vertex");
        GLuint ps = Compile(GL_FRAGMENT_SHADER, header + kPixelPrelude + common + pass.pixel, technique + " pixel");
        GLuint program = 0;
        if (vs && ps) {
            program = glCreateProgram();
            glAttachShader(program, vs);
            glAttachShader(program, ps);
            for (GLuint i = 0; i < std::size(kVertexInputs); ++i) glBindAttribLocation(program, i, kVertexInputs[i]);
            glBindFragDataLocation(program, 0, "fx_Colour");
            glLinkProgram(program);
            if (!Succeeded(program, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog, technique + " link")) {
                glDeleteProgram(program);
                program = 0;
            }
        }
        if (vs) glDeleteShader(vs);
        if (ps) glDeleteShader(ps);
        if (!program) return false;
        out.program.name = program;
        out.program.flipY = glGetUniformLocation(program, "fx_FlipY");
        out.program.alphaTestOn = glGetUniformLocation(program, "fx_AlphaTestOn");
        out.program.alphaRef = glGetUniformLocation(program, "fx_AlphaRef");
        out.program.alphaFunc = glGetUniformLocation(program, "fx_AlphaFunc");
        const auto& parameters = Parameters();
        for (size_t i = 0; i < parameters.size(); ++i) {
            const EffectParameterDesc& d = parameters[i].desc;
            out.locations.push_back(d.block ? -1 : glGetUniformLocation(program, d.name.c_str()));
            const GLuint block = d.block ? glGetUniformBlockIndex(program, BlockName(d).c_str()) : GL_INVALID_INDEX;
            if (block != GL_INVALID_INDEX) glUniformBlockBinding(program, block, BlockBinding(Desc().parameters, i));
        }
        out.sent.assign(out.locations.size(), kNeverSent);
        return true;
    }

    GlDevice* m_device;
    std::shared_ptr<ResourceLedger> m_ledger;
    std::vector<std::vector<Pass>> m_passes;
    // Per parameter its uniform buffer (0 for a plain uniform); the binding point is its index.
    std::vector<GLuint> m_blockBuffers;
    // The version of each block's values its buffer holds.
    std::vector<uint32_t> m_blockVersions;
};

}  // namespace

std::unique_ptr<Effect> GlDevice::MakeEffect(const EffectDesc& desc) { return std::make_unique<GlEffect>(desc, this); }

}  // namespace gfx
