#include "render/ERenderStateCache.h"

#include <algorithm>

#include "core/ESettings.h"
#include "render/D3DDevice.h"

ERenderStateCache g_RenderStateCache;

namespace {

void SetState(gfx::RenderState state, uint32_t value) {
    if (g_pd3dDevice) g_pd3dDevice->SetRenderState(state, value);
}

void SetEffectBool(HEFFECT record, gfx::FxHandle EffectRecord::*handle, bool value) {
    if (record && record->m_pEffect) record->m_pEffect->SetBool(record->*handle, value);
}

// The blending both modes share: source alpha over the target.
void SetAlphaBlending(uint32_t alphaRef, bool alphaTest, gfx::Cmp alphaFunc) {
    SetState(gfx::RS_ALPHABLENDENABLE, 1);
    SetState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    SetState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    SetState(gfx::RS_BLENDOP, gfx::BLENDOP_ADD);
    SetState(gfx::RS_ALPHAREF, alphaRef);
    SetState(gfx::RS_ALPHATESTENABLE, alphaTest ? 1 : 0);
    SetState(gfx::RS_ALPHAFUNC, alphaFunc);
}

}  // namespace

void ERenderStateCache::SetTexture(uint32_t stage, const gfx::BaseTexture* texture) {
    if (stage >= kStages) return;
    if (g_pd3dDevice) g_pd3dDevice->SetTexture(stage, texture);
    m_pTextures[stage] = texture;
}

void ERenderStateCache::SetStageTexture(uint32_t stage, const gfx::BaseTexture* texture) {
    if (stage >= kStages) return;
    if (g_pd3dDevice) g_pd3dDevice->SetTexture(stage, texture);
    m_pStageTextures[stage] = texture;
}

void ERenderStateCache::ForceCulling() {
    SetState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    m_bCullingOn = 1;
}

void ERenderStateCache::SetCulling(bool on) {
    if (on && !m_bCullingOn) {
        SetState(gfx::RS_CULLMODE, gfx::CULL_CCW);
        m_bCullingOn = 1;
    } else if (!on && m_bCullingOn) {
        SetState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        m_bCullingOn = 0;
    }
}

void ERenderStateCache::BeginTransparent(HEFFECT effect) {
    if (m_bTranslucentOn) EndTranslucent(effect);
    SetAlphaBlending(128, true, gfx::CMP_GREATER);
    SetEffectBool(effect, &EffectRecord::g_bDrawTransparent, true);
    m_bTransparentOn = 1;
}

void ERenderStateCache::EndTransparent(HEFFECT effect) {
    SetState(gfx::RS_ALPHABLENDENABLE, 0);
    SetState(gfx::RS_ALPHATESTENABLE, 0);
    SetEffectBool(effect, &EffectRecord::g_bDrawTransparent, false);
    SetState(gfx::RS_ALPHAFUNC, gfx::CMP_ALWAYS);
    m_bTransparentOn = 0;
}

void ERenderStateCache::BeginTranslucent(HEFFECT effect) {
    if (m_bTransparentOn) EndTransparent(effect);
    SetAlphaBlending(0, false, gfx::CMP_ALWAYS);
    SetEffectBool(effect, &EffectRecord::g_bDrawTranslucent, true);
    // Depth is still tested, not written.
    SetState(gfx::RS_ZWRITEENABLE, 0);
    m_bTranslucentOn = 1;
}

void ERenderStateCache::EndTranslucent(HEFFECT effect) {
    SetState(gfx::RS_ALPHABLENDENABLE, 0);
    SetState(gfx::RS_ALPHATESTENABLE, 0);
    SetEffectBool(effect, &EffectRecord::g_bDrawTranslucent, false);
    SetState(gfx::RS_ZWRITEENABLE, 1);
    m_bTranslucentOn = 0;
}

void ERenderStateCache::SetSamplerFilters(uint32_t stageCount) {
    if (!g_pd3dDevice) return;
    uint32_t n = std::min(stageCount, kStages);
    bool anisotropic = g_Settings.m_bTextureFilter || g_Settings.m_iAnimatedModelsTextureQuality == 0;
    uint32_t filter = anisotropic ? gfx::TEXF_ANISOTROPIC : gfx::TEXF_LINEAR;
    for (uint32_t stage = 0; stage < n; ++stage) {
        g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_MIPMAPLODBIAS, 0);  // the bits of 0.0f
        g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_MAGFILTER, filter);
        g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_MINFILTER, filter);
        g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_MIPFILTER, filter);
        g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_MAXANISOTROPY, 4);
        g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_ADDRESSU, gfx::TADDRESS_WRAP);
        g_pd3dDevice->SetSamplerState(stage, gfx::SAMP_ADDRESSV, gfx::TADDRESS_WRAP);
    }
}

bool ERenderStateCache::BeginEffect(gfx::Effect* effect, gfx::FxHandle technique, bool reset) {
    if (!effect) return false;
    if (m_bEffectRunning) EndEffect(effect);
    if (g_pd3dDevice) {
        g_pd3dDevice->SetVertexShader(nullptr);
        g_pd3dDevice->SetPixelShader(nullptr);
        g_pd3dDevice->SetFVF(0);
    }
    if (gfx::Failed(effect->SetTechnique(technique))) return false;
    m_hCurrentTechnique = technique;
    uint32_t passes = 0;
    if (gfx::Failed(effect->Begin(&passes, 0))) return false;
    // Only pass 0 is ever drawn.
    if (gfx::Failed(effect->BeginPass(0))) return false;
    m_bEffectRunning = 1;
    if (reset) {
        std::fill(std::begin(m_pTextures), std::end(m_pTextures), nullptr);
        std::fill(std::begin(m_pStageTextures), std::end(m_pStageTextures), nullptr);
        m_bTransparentOn = 0;
    }
    return true;
}

bool ERenderStateCache::BeginEffectTechnique(gfx::Effect* effect, const char* techniqueName, bool reset) {
    if (!effect) return false;
    return BeginEffect(effect, effect->GetTechniqueByName(techniqueName), reset);
}

void ERenderStateCache::EndEffect(gfx::Effect* effect) {
    if (!effect || !m_bEffectRunning) return;
    effect->EndPass();
    effect->End();
    m_hCurrentTechnique = nullptr;
    m_bEffectRunning = 0;
}
