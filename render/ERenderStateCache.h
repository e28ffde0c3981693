#pragma once
// The one place where render passes switch the device states they share: culling, the
// alpha-tested (transparent) and blended (translucent) modes, sampler filters and the running
// effect. It remembers what it set, so passes can ask which mode is on and culling is only sent
// to the device when it changes.
#include <cstdint>
#include <cstring>

#include "platform/gfx/Effect.h"
#include "render/EEffectMgr.h"

namespace gfx { class BaseTexture; }

// A float sampler state (a mip-map LOD bias) as the device takes it: the float's bits.
inline uint32_t FloatState(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class ERenderStateCache {
public:
    static constexpr uint32_t kStages = 16;

    // Binds a texture to a stage (0 to 15; others are ignored) and records it. The two forms keep
    // records of their own; neither skips a binding that the record already holds.
    void SetTexture(uint32_t stage, const gfx::BaseTexture* texture);
    void SetStageTexture(uint32_t stage, const gfx::BaseTexture* texture);
    // Culling counter-clockwise, whatever the record says.
    void ForceCulling();
    // Sends the culling state only when it differs from the record.
    void SetCulling(bool on);
    // The blending modes; at most one is on, each begin ends the other first.
    void BeginTransparent(HEFFECT effect);
    void EndTransparent(HEFFECT effect);
    void BeginTranslucent(HEFFECT effect);
    void EndTranslucent(HEFFECT effect);
    // Filters and addressing of the first stages (at most 16).
    void SetSamplerFilters(uint32_t stageCount);
    // Begins the technique's pass 0, ending the running effect first (the caller passes the one it
    // began: the cache keeps no pointer to it). With reset the texture records and the transparent
    // flag are cleared. False when the effect or a step fails.
    bool BeginEffect(gfx::Effect* effect, gfx::FxHandle technique, bool reset);
    bool BeginEffectTechnique(gfx::Effect* effect, const char* techniqueName, bool reset);
    void EndEffect(gfx::Effect* effect);

    gfx::FxHandle m_hCurrentTechnique = nullptr;
    const gfx::BaseTexture* m_pTextures[kStages] = {};
    const gfx::BaseTexture* m_pStageTextures[kStages] = {};
    uint8_t m_bEffectRunning = 0;
    uint8_t m_bCullingOn = 0;
    uint8_t m_bTransparentOn = 0;
    uint8_t m_bTranslucentOn = 0;
    // The mip-map LOD bias passes go back to after changing it.
    float m_fLodBias = -1.0f;
};

extern ERenderStateCache g_RenderStateCache;
