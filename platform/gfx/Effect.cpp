#include "platform/gfx/Effect.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/os/Files.h"

namespace gfx {
namespace {

struct TypeName {
    const char* name;
    ParamType type;
    uint32_t rows, columns;
};

constexpr TypeName kTypes[] = {
    {"bool", ParamType::Bool, 1, 1},          {"int", ParamType::Int, 1, 1},
    {"float", ParamType::Float, 1, 1},        {"float2", ParamType::Float, 1, 2},
    {"float3", ParamType::Float, 1, 3},       {"float4", ParamType::Float, 1, 4},
    {"float3x3", ParamType::Float, 3, 3},     {"float4x4", ParamType::Float, 4, 4},
    {"texture2d", ParamType::Texture2D, 1, 1}, {"texturecube", ParamType::TextureCube, 1, 1},
};

struct StateName {
    const char* name;
    RenderState state;
};

constexpr StateName kStates[] = {
    {"ZENABLE", RS_ZENABLE},           {"ZWRITEENABLE", RS_ZWRITEENABLE},   {"ZFUNC", RS_ZFUNC},
    {"CULLMODE", RS_CULLMODE},         {"ALPHABLENDENABLE", RS_ALPHABLENDENABLE},
    {"SRCBLEND", RS_SRCBLEND},         {"DESTBLEND", RS_DESTBLEND},         {"BLENDOP", RS_BLENDOP},
    {"ALPHATESTENABLE", RS_ALPHATESTENABLE}, {"ALPHAREF", RS_ALPHAREF},     {"ALPHAFUNC", RS_ALPHAFUNC},
    {"FILLMODE", RS_FILLMODE},
};

bool ValidIdentifier(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// "name[8]" gives name and 8; "name" gives 0 elements.
bool SplitArray(const std::string& word, std::string& name, uint32_t& elements) {
    size_t open = word.find('[');
    elements = 0;
    name = word.substr(0, open);
    if (open == std::string::npos) return ValidIdentifier(name);
    if (word.back() != ']') return false;
    long n = std::strtol(word.c_str() + open + 1, nullptr, 10);
    if (n <= 0 || n > 1024) return false;
    elements = static_cast<uint32_t>(n);
    return ValidIdentifier(name);
}

bool ParseParameter(std::istringstream& words, EffectDesc& desc, std::string& error) {
    std::string typeWord, nameWord;
    words >> typeWord >> nameWord;
    const TypeName* type = nullptr;
    for (const TypeName& t : kTypes)
        if (typeWord == t.name) type = &t;
    if (!type) return error = "unknown type " + typeWord, false;
    EffectParameterDesc p;
    if (!SplitArray(nameWord, p.name, p.elements)) return error = "bad parameter name " + nameWord, false;
    p.type = type->type;
    p.rows = type->rows;
    p.columns = type->columns;
    if (p.type == ParamType::Texture2D || p.type == ParamType::TextureCube) {
        if (!(words >> p.samplerUnit) || p.samplerUnit < 0 || p.samplerUnit >= static_cast<int32_t>(kMaxSamplers) ||
            p.elements)
            return error = "texture " + p.name + " needs one sampler unit 0..15", false;
    } else if (std::string storage; words >> storage) {
        // A block keeps its array with std140's 16-byte stride: float4 and float4x4 arrays only.
        if (storage != "block" || p.type != ParamType::Float || !p.elements || p.columns != 4)
            return error = "only a float4 or float4x4 array can be a block: " + p.name, false;
        p.block = true;
    }
    for (const EffectParameterDesc& other : desc.parameters)
        if (other.name == p.name) return error = "parameter " + p.name + " declared twice", false;
    desc.parameters.push_back(p);
    return true;
}

bool ParseState(std::istringstream& words, EffectPassDesc& pass, std::string& error) {
    std::string name;
    long value = 0;
    if (!(words >> name >> value)) return error = "a state needs a name and a value", false;
    for (const StateName& s : kStates)
        if (name == s.name) return pass.states.emplace_back(s.state, static_cast<uint32_t>(value)), true;
    char* end = nullptr;
    long number = std::strtol(name.c_str(), &end, 10);
    if (*end || number < 0 || number >= RS_COUNT) return error = "unknown state " + name, false;
    pass.states.emplace_back(static_cast<RenderState>(number), static_cast<uint32_t>(value));
    return true;
}

}  // namespace

std::string GlslType(const EffectParameterDesc& p) {
    switch (p.type) {
        case ParamType::Bool: return "bool";
        case ParamType::Int: return "int";
        case ParamType::Texture2D: return "sampler2D";
        case ParamType::TextureCube: return "samplerCube";
        case ParamType::Float: break;
    }
    if (p.rows > 1) return "mat" + std::to_string(p.rows);
    return p.columns == 1 ? "float" : "vec" + std::to_string(p.columns);
}

bool ParseEffect(const std::string& text, EffectDesc& desc, std::string& error) {
    desc = EffectDesc{};
    std::istringstream lines(text);
    std::string line;
    std::string* source = nullptr;  // where GLSL lines go
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty() || line[0] != '@') {
            if (source) *source += line + "\n";
            else if (line.find_first_not_of(" \t\r") != std::string::npos)
                return error = "line " + std::to_string(number) + ": text outside a section", false;
            continue;
        }
        std::istringstream words(line.substr(1));
        std::string keyword;
        words >> keyword;
        EffectTechniqueDesc* technique = desc.techniques.empty() ? nullptr : &desc.techniques.back();
        EffectPassDesc* pass = technique && !technique->passes.empty() ? &technique->passes.back() : nullptr;
        bool ok = true;
        source = nullptr;
        if (keyword == "param") {
            ok = ParseParameter(words, desc, error);
        } else if (keyword == "common") {
            source = &desc.common;
        } else if (keyword == "technique") {
            EffectTechniqueDesc t;
            ok = static_cast<bool>(words >> t.name) && ValidIdentifier(t.name);
            if (!ok) error = "a technique needs a name";
            desc.techniques.push_back(t);
        } else if (keyword == "pass") {
            ok = technique != nullptr;
            if (ok) technique->passes.emplace_back();
            else error = "a pass outside a technique";
        } else if (keyword == "state" || keyword == "vertex" || keyword == "pixel") {
            ok = pass != nullptr;
            if (!ok) error = "@" + keyword + " outside a pass";
            else if (keyword == "state") ok = ParseState(words, *pass, error);
            else source = keyword == "vertex" ? &pass->vertex : &pass->pixel;
        } else {
            ok = false;
            error = "unknown section @" + keyword;
        }
        if (!ok) return error = "line " + std::to_string(number) + ": " + error, false;
    }
    if (desc.techniques.empty()) return error = "no technique", false;
    for (const EffectTechniqueDesc& t : desc.techniques)
        if (t.passes.empty()) return error = "technique " + t.name + " has no pass", false;
    return true;
}

Effect::Effect(const EffectDesc& desc, Device* device) : m_desc(desc), m_device(device) {
    for (const EffectParameterDesc& p : m_desc.parameters) {
        Parameter parameter{p, std::vector<float>(p.Count(), 0.0f), nullptr};
        m_parameters.push_back(std::move(parameter));
    }
    for (const EffectTechniqueDesc& t : m_desc.techniques) m_techniques.push_back(Technique{&t, true});
}

Effect::~Effect() = default;

Effect::Parameter* Effect::FindParameter(FxHandle handle) {
    for (Parameter& p : m_parameters)
        if (&p == handle) return &p;
    return nullptr;
}

const Effect::Parameter* Effect::FindParameter(FxHandle handle) const {
    for (const Parameter& p : m_parameters)
        if (&p == handle) return &p;
    return nullptr;
}

const Effect::Technique* Effect::FindTechnique(FxHandle handle) const {
    for (const Technique& t : m_techniques)
        if (&t == handle) return &t;
    return nullptr;
}

FxHandle Effect::GetParameterByName(FxHandle parent, const char* name) const {
    if (parent || !name) return nullptr;
    for (const Parameter& p : m_parameters)
        if (p.desc.name == name) return &p;
    return nullptr;
}

FxHandle Effect::GetTechniqueByName(const char* name) const {
    if (!name) return nullptr;
    for (const Technique& t : m_techniques)
        if (t.desc->name == name) return &t;
    return nullptr;
}

Result Effect::FindNextValidTechnique(FxHandle after, FxHandle* next) const {
    if (!next) return ERR_INVALIDCALL;
    *next = nullptr;
    size_t start = 0;
    if (after) {
        const Technique* t = FindTechnique(after);
        if (!t) return ERR_INVALIDCALL;
        start = static_cast<size_t>(t - m_techniques.data()) + 1;
    }
    for (size_t i = start; i < m_techniques.size(); ++i) {
        if (m_techniques[i].valid) {
            *next = &m_techniques[i];
            return OK;
        }
    }
    return ERR_FAIL;
}

Result Effect::SetTechnique(FxHandle technique) {
    const Technique* t = FindTechnique(technique);
    if (!t || !t->valid || m_begun) return ERR_INVALIDCALL;
    m_current = t;
    return OK;
}

uint32_t Effect::CurrentTechniqueIndex() const { return static_cast<uint32_t>(m_current - m_techniques.data()); }

Result Effect::Begin(uint32_t* passes, uint32_t) {
    if (!m_current) m_current = &m_techniques.front();
    if (m_begun || !m_current->valid) return ERR_INVALIDCALL;
    m_begun = true;
    if (passes) *passes = static_cast<uint32_t>(m_current->desc->passes.size());
    return OK;
}

Result Effect::BeginPass(uint32_t pass) {
    if (!m_begun || m_inPass || pass >= m_current->desc->passes.size()) return ERR_INVALIDCALL;
    m_inPass = true;
    m_pass = pass;
    ApplyPassStates(pass);
    StartPass(CurrentTechniqueIndex(), pass);
    BindTextures();
    SendParameters(CurrentTechniqueIndex(), pass);
    return OK;
}

void Effect::ApplyPassStates(uint32_t pass) const {
    if (!m_device) return;
    for (const auto& [state, value] : m_current->desc->passes[pass].states) m_device->SetRenderState(state, value);
}

void Effect::BindTextures() const {
    if (!m_device) return;
    for (const Parameter& p : m_parameters)
        if (p.textureAssigned) m_device->SetTexture(static_cast<uint32_t>(p.desc.samplerUnit), p.texture);
}

Result Effect::CommitChanges() {
    if (!m_inPass) return ERR_INVALIDCALL;
    BindTextures();
    SendParameters(CurrentTechniqueIndex(), m_pass);
    return OK;
}

Result Effect::EndPass() {
    if (!m_inPass) return ERR_INVALIDCALL;
    m_inPass = false;
    StopPass();
    return OK;
}

Result Effect::End() {
    if (!m_begun || m_inPass) return ERR_INVALIDCALL;
    m_begun = false;
    return OK;
}

Result Effect::SetFloatArray(FxHandle handle, const float* values, uint32_t count) {
    Parameter* p = FindParameter(handle);
    if (!p || !values || p->desc.type == ParamType::Texture2D || p->desc.type == ParamType::TextureCube)
        return ERR_INVALIDCALL;
    size_t n = std::min<size_t>(count, p->values.size());
    if (!std::equal(values, values + n, p->values.begin())) {
        std::copy_n(values, n, p->values.begin());
        ++p->version;
    }
    return OK;
}

Result Effect::SetBool(FxHandle handle, bool value) {
    float v = value ? 1.0f : 0.0f;
    return SetFloatArray(handle, &v, 1);
}

Result Effect::SetInt(FxHandle handle, int32_t value) {
    float v = static_cast<float>(value);
    return SetFloatArray(handle, &v, 1);
}

Result Effect::SetFloat(FxHandle handle, float value) { return SetFloatArray(handle, &value, 1); }
Result Effect::SetVector(FxHandle handle, const float* xyzw) { return SetFloatArray(handle, xyzw, 4); }
Result Effect::SetMatrix(FxHandle handle, const float* m) { return SetFloatArray(handle, m, 16); }

Result Effect::SetValue(FxHandle handle, const void* data, uint32_t bytes) {
    return SetFloatArray(handle, static_cast<const float*>(data), bytes / sizeof(float));
}

Result Effect::SetTexture(FxHandle handle, const BaseTexture* texture) {
    Parameter* p = FindParameter(handle);
    if (!p || (p->desc.type != ParamType::Texture2D && p->desc.type != ParamType::TextureCube)) return ERR_INVALIDCALL;
    p->texture = texture;
    p->textureAssigned = true;
    return OK;
}

Result Effect::GetBool(FxHandle handle, bool& value) const {
    const Parameter* p = FindParameter(handle);
    if (!p || p->values.empty()) return ERR_INVALIDCALL;
    value = p->values[0] != 0.0f;
    return OK;
}

Result Effect::GetFloatArray(FxHandle handle, float* values, uint32_t count) const {
    const Parameter* p = FindParameter(handle);
    if (!p || !values) return ERR_INVALIDCALL;
    std::copy_n(p->values.begin(), std::min<size_t>(count, p->values.size()), values);
    return OK;
}

const BaseTexture* Effect::GetTextureValue(FxHandle handle) const {
    const Parameter* p = FindParameter(handle);
    return p ? p->texture : nullptr;
}

Result CreateEffectFromFile(Device& device, const char* path, uint32_t, std::unique_ptr<Effect>& effect,
                            std::string* errors) {
    std::vector<char> bytes;
    if (!path || !plat::ReadFileBytes(path, bytes)) return ERR_INVALIDCALL;
    std::string text(bytes.begin(), bytes.end());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EffectDesc desc;
    std::string error;
    if (!ParseEffect(text, desc, error)) {
        if (errors) *errors = error;
        return ERR_INVALIDDATA;
    }
    effect = device.MakeEffect(desc);
    return effect ? OK : ERR_FAIL;
}

}  // namespace gfx
