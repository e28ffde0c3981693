#include "render/EEffectMgr.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"

EEffectMgr g_EffectMgr;

namespace {

constexpr const char* kAllocTag = "m_pEffects";
constexpr const char* kDirectory = "fx";

const char* ErrorName(gfx::Result result) {
    if (result == gfx::ERR_INVALIDCALL) return "D3DERR_INVALIDCALL";
    if (result == gfx::ERR_INVALIDDATA) return "D3DXERR_INVALIDDATA";
    return "UNKNOWN";
}

// "water.fxc" gives "water": the name is cut at a dot three, then four, places from its end.
std::string EffectNameOf(const std::string& fileName) {
    std::string name = fileName;
    if (name.size() >= 3 && name[name.size() - 3] == '.') name.resize(name.size() - 3);
    if (name.size() >= 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
    return name;
}

}  // namespace

EEffectMgr::EEffectMgr() {}

EEffectMgr::~EEffectMgr() = default;

void EEffectMgr::Init() {
    m_dwExtra = 0;
    m_bLoaded = 1;
    LoadAll();
}

void EEffectMgr::LoadAll() {
    for (const std::string& file : plat::ListDirectory(kDirectory, "*.fxc")) {
        if (file[0] == '.' || file.size() <= 4) continue;
        std::string path = std::string(kDirectory) + "\\" + file;
        CreateEffect(EffectNameOf(file).c_str(), path.c_str());
    }
}

HEFFECT EEffectMgr::CreateEffect(const char* name, const char* path) {
    if (HEFFECT existing = GetEffect(name)) return existing;
    std::unique_ptr<gfx::Effect> effect;
    gfx::Result result = gfx::ERR_INVALIDCALL;
    if (g_pd3dDevice) result = gfx::CreateEffectFromFile(*g_pd3dDevice, path, 0, effect, nullptr);
    if (gfx::Failed(result)) {
        char line[1024];
        std::snprintf(line, sizeof line, "effect %s (%s) create error %s (%i)!", name, path, ErrorName(result),
                      static_cast<int>(result & 0xFFFF));
        g_Console.Print(line);
        return nullptr;
    }
    gfx::FxHandle technique = nullptr;
    if (gfx::Failed(effect->FindNextValidTechnique(nullptr, &technique))) {
        char line[600];
        std::snprintf(line, sizeof line, "effect %s - no valid technique!", path);
        g_Console.Print(line);
        return nullptr;
    }
    auto* record = new EffectRecord{};
    g_Debug.AddAlloc(kAllocTag);
    std::snprintf(record->m_szName, sizeof record->m_szName, "%s", name);
    std::snprintf(record->m_szPath, sizeof record->m_szPath, "%s", path);
    record->m_pEffect = std::move(effect);
    record->m_hTechnique = technique;
    record->m_pNext = m_pEffects;
    if (m_pEffects) m_pEffects->m_pPrev = record;
    m_pEffects = record;
    FillHandles(*record);
    return record;
}

void EEffectMgr::FillHandles(EffectRecord& record) {
    const gfx::Effect& fx = *record.m_pEffect;
#define EFFECT_FIND_PARAMETER(name) record.name = fx.GetParameterByName(nullptr, #name);
    EFFECT_PARAMETER_HANDLES(EFFECT_FIND_PARAMETER)
#undef EFFECT_FIND_PARAMETER
    record.g_vLightPosPoint = record.g_vLightPos;
    record.m_hInstanceWorld = fx.GetParameterByName(nullptr, "g_InstanceWorld");
    for (const gfx::EffectParameterDesc& p : fx.Desc().parameters)
        if (p.name == "g_InstanceWorld") record.m_uInstanceCapacity = p.elements / 3;
#define EFFECT_FIND_TECHNIQUE(name) record.name = fx.GetTechniqueByName(#name);
    EFFECT_TECHNIQUE_HANDLES(EFFECT_FIND_TECHNIQUE)
#undef EFFECT_FIND_TECHNIQUE
}

HEFFECT EEffectMgr::GetEffect(const char* name) const {
    for (HEFFECT record = m_pEffects; record; record = record->m_pNext)
        if (StrICmp(record->m_szName, name) == 0) return record;
    return nullptr;
}

void EEffectMgr::AddEffectParam(gfx::FxHandle* handle, const char* name) {
    if (!handle || !name) {
        g_Console.Print("AddEffectParam: one of params is NULL");
        return;
    }
    if (m_pEffects && m_pEffects->m_pEffect) *handle = m_pEffects->m_pEffect->GetParameterByName(nullptr, name);
}

void EEffectMgr::OnLostDevice() {
    for (HEFFECT record = m_pEffects; record; record = record->m_pNext) record->m_pEffect->OnLostDevice();
}

void EEffectMgr::OnResetDevice() {
    for (HEFFECT record = m_pEffects; record; record = record->m_pNext) record->m_pEffect->OnResetDevice();
}

void EEffectMgr::Release() {
    while (HEFFECT record = m_pEffects) {
        m_pEffects = record->m_pNext;
        delete record;
        g_Debug.RemoveAlloc(kAllocTag);
    }
    m_bLoaded = 0;
}
