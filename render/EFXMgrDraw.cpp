// Effect drawing: sprites and blood drops gathered into one batch per texture and blend mode and
// filled as camera-facing (or flat, or rotated) quads, sparks and tracers filled as thin ribbons;
// both drawn in the renderer's translucent pass, one draw call per batch.
#include <algorithm>
#include <cmath>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/NumericHelpers.h"
#include "platform/gfx/VertexDeclaration.h"
#include "render/D3DDevice.h"
#include "render/EFXMgr.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/RenderHooks.h"

namespace {

constexpr const char* kBufferTag = "FXVB";
constexpr const char* kLockTag = "LockVB";
constexpr uint32_t kSpriteFVF = gfx::FVF_XYZ | gfx::FVF_DIFFUSE | (1u << gfx::FVF_TEXCOUNT_SHIFT);
constexpr uint32_t kSparkFVF = gfx::FVF_XYZ | gfx::FVF_DIFFUSE;
constexpr uint32_t kSparkBufferBytes = 9216;
// Replaceable effects are drawn only this near.
constexpr float kReplaceableDistance = 960.0f;
constexpr int kAtlasColumns = 8;
constexpr int kAtlasRows = 4;

// The states the effects change, put back when they are drawn.
constexpr gfx::RenderState kKeptStates[] = {
    gfx::RS_ALPHABLENDENABLE, gfx::RS_SRCBLEND, gfx::RS_DESTBLEND,  gfx::RS_BLENDOP,
    gfx::RS_ALPHAREF,         gfx::RS_ALPHATESTENABLE, gfx::RS_ZWRITEENABLE, gfx::RS_ZENABLE,
    gfx::RS_SHADEMODE,
};
constexpr gfx::TransformState kKeptTransforms[] = {gfx::TS_WORLD, gfx::TS_VIEW, gfx::TS_PROJECTION};

uint32_t BlendMode(uint32_t blendFlags) {
    if (blendFlags & FX_BLENDFLAG_ADDITIVE) return FX_BLEND_ADDITIVE;
    if (blendFlags & FX_BLENDFLAG_MULTIPLY) return FX_BLEND_MULTIPLY;
    return FX_BLEND_NORMAL;
}

// The camera's right and up vectors in the world: the first two columns of its view matrix.
DV CameraRight() {
    const pmath::Matrix& v = g_DrawCamera.view;
    return DV{v.m[0][0], v.m[1][0], v.m[2][0]};
}
DV CameraUp() {
    const pmath::Matrix& v = g_DrawCamera.view;
    return DV{v.m[0][1], v.m[1][1], v.m[2][1]};
}

void SetState(gfx::RenderState state, uint32_t value) { g_pd3dDevice->SetRenderState(state, value); }

// Stage 0 combines colour and alpha alike.
void SetStage0(gfx::Device& d, uint32_t op, uint32_t arg1, uint32_t arg2) {
    d.SetTextureStageState(0, gfx::TSS_COLOROP, op);
    d.SetTextureStageState(0, gfx::TSS_COLORARG1, arg1);
    d.SetTextureStageState(0, gfx::TSS_COLORARG2, arg2);
    d.SetTextureStageState(0, gfx::TSS_ALPHAOP, op);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG1, arg1);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG2, arg2);
}

SpriteVertex Corner(const DV& p, uint32_t colour, float u, float v) { return SpriteVertex{p.x, p.y, p.z, colour, u, v}; }
SparkVertex Point(const DV& p, uint32_t colour) { return SparkVertex{p.x, p.y, p.z, colour}; }

// A thin triangle from a base across a point (base ± across) to a tip.
void Sliver(SparkVertex*& out, const DV& base, const DV& across, const DV& tip, uint32_t baseColour, uint32_t tipColour) {
    *out++ = Point(base + across, baseColour);
    *out++ = Point(base - across, baseColour);
    *out++ = Point(tip, tipColour);
}

}  // namespace

void EFXMgr::CreateSparkBuffer() {
    if (!g_pd3dDevice || m_pSparkVB) return;
    g_pd3dDevice->CreateVertexBuffer(kSparkBufferBytes, gfx::USAGE_DYNAMIC | gfx::USAGE_WRITEONLY, kSparkFVF,
                                     gfx::POOL_DEFAULT, m_pSparkVB);
    if (m_pSparkVB) g_Debug.AddAlloc(kBufferTag);
}

void EFXMgr::OnLostDevice() {
    if (m_pSparkVB) {
        m_pSparkVB.reset();
        g_Debug.RemoveAlloc(kBufferTag);
    }
    m_uSparkVertexCount = 0;
    for (auto& perTexture : m_Batches) {
        for (SpriteBatch& b : perTexture) {
            if (!b.m_pVB) continue;
            b.m_pVB.reset();
            g_Debug.RemoveAlloc(kBufferTag);
            b.m_uVertexCount = 0;
        }
    }
}

void EFXMgr::OnResetDevice() { CreateSparkBuffer(); }

// ---- Before the scene ----------------------------------------------------------------------------

void EFXMgr::PrepareVertexBuffers() {
    GatherSprites();
    if (!g_pd3dDevice) return;
    for (uint32_t i = 0; i < m_uActiveBatchCount; ++i) {
        uint32_t key = m_uActiveBatches[i];
        FillBatch(m_Batches[key % kTextures][key / kTextures]);
    }
}

void EFXMgr::GatherSprites() {
    for (uint32_t i = 0; i < m_uActiveBatchCount; ++i) {
        uint32_t key = m_uActiveBatches[i];
        SpriteBatch& b = m_Batches[key % kTextures][key / kTextures];
        b.m_uCount = b.m_uVertexCount = 0;
    }
    m_uActiveBatchCount = 0;
    for (int s = 1; s < kMaxInstances; ++s) {
        EFXInstance& fx = m_Instances[s];
        if (!fx.m_bInUse) continue;
        if (fx.m_uType == FX_SPRITE) fx.m_uColor = InterpolateKeys(fx, 1.0f - fx.m_fLifeFraction);
        if (fx.m_uType != FX_SPRITE && fx.m_uType != FX_BLOODDROP) continue;
        float visible = fx.m_bReplaceable ? kReplaceableDistance : fx.m_fVisibilityDistance;
        bool drawn = fx.m_bStarted && !fx.m_bSwitchedOff && (!fx.m_bLightSprite || fx.m_bLightVisible) && fx.m_fCameraDistance <= visible &&
                     fx.m_uTexture && fx.m_uTexture < kTextures;
        // Batches are keyed by texture and blend mode, so each sprite keeps its own blending.
        uint32_t blend = BlendMode(fx.m_uBlendFlags);
        SpriteBatch& b = m_Batches[fx.m_uTexture % kTextures][blend];
        if (!drawn || b.m_uCount >= SpriteBatch::kMaxInstances) {
            --m_iLiveCount;
            continue;
        }
        if (b.m_uCount == 0) m_uActiveBatches[m_uActiveBatchCount++] = static_cast<uint16_t>(blend * kTextures + fx.m_uTexture);
        b.m_uInstances[b.m_uCount++] = static_cast<uint16_t>(s);
    }
    // By blend mode, then texture: the order the passes draw them in.
    std::sort(m_uActiveBatches, m_uActiveBatches + m_uActiveBatchCount);
}

void EFXMgr::FillBatch(SpriteBatch& b) {
    b.m_uVertexCount = 0;
    if (!b.m_pVB) {
        g_pd3dDevice->CreateVertexBuffer(SpriteBatch::kVertices * sizeof(SpriteVertex), gfx::USAGE_WRITEONLY, kSpriteFVF,
                                         gfx::POOL_DEFAULT, b.m_pVB);
        if (!b.m_pVB) {
            g_Console.Print("FATAL - created spr->VB results 0!");
            return;
        }
        g_Debug.AddAlloc(kBufferTag);
    }
    void* data = nullptr;
    if (gfx::Failed(b.m_pVB->Lock(0, 0, &data, 0))) {
        g_Console.Print("Failed to lock spr->pVB");
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    if (!data) {
        g_Console.Print("FATAL: Locked spr->VB results 0");
    } else {
        auto* out = static_cast<SpriteVertex*>(data);
        const DV right = CameraRight(), up = CameraUp();
        const float cameraHeight = g_DrawCamera.position.y;
        for (uint32_t i = 0; i < b.m_uCount; ++i) {
            EFXInstance& fx = m_Instances[b.m_uInstances[i]];
            float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
            if (fx.m_bAnimatedSpriteTexture) {
                fx.m_fAnimationTime = std::fmod(fx.m_fAnimationTime + m_fFrameStep, fx.m_fAnimationLength);
                int frame = static_cast<int>(fx.m_fAnimationTime / fx.m_fFrameTime) % (kAtlasColumns * kAtlasRows);
                u0 = static_cast<float>(frame % kAtlasColumns) / kAtlasColumns;
                v0 = static_cast<float>(frame / kAtlasColumns) / kAtlasRows;
                u1 = u0 + 1.0f / kAtlasColumns;
                v1 = v0 + 1.0f / kAtlasRows;
            }
            float factor = 0.5f;
            if (fx.m_bLightSprite && fx.m_fCameraDistance > 3.0f) factor += std::sqrt(fx.m_fCameraDistance) * 0.1f;
            // Seen from above, flat-lying effects shrink to slivers; those below the eye grow a little.
            if (fx.m_vDrawPosition.y < cameraHeight && fx.m_fCameraDistance > 4.0f)
                factor += std::sqrt(fx.m_fCameraDistance) * 0.05f;
            const float a = fx.m_vDrawScale.y * factor, c = fx.m_vDrawScale.x * factor;
            DV A, B;
            if (fx.m_uSpriteFlags & FX_SPRITE_ROTATED) {
                A = fx.m_vSide * a;
                B = fx.m_vUp * c;
            } else if (fx.m_bFlatRotation) {
                A = DV{a, 0.0f, 0.0f};
                B = DV{0.0f, 0.0f, c};
            } else {
                A = right * a;
                B = up * c;
            }
            const DV& p = fx.m_vDrawPosition;
            const uint32_t colour = fx.m_uColor;
            *out++ = Corner(p + A - B, colour, u1, v1);
            *out++ = Corner(p + A + B, colour, u1, v0);
            *out++ = Corner(p + B - A, colour, u0, v0);
            *out++ = Corner(p + B - A, colour, u0, v0);
            *out++ = Corner(p - A - B, colour, u0, v1);
            *out++ = Corner(p + A - B, colour, u1, v1);
            b.m_uVertexCount += 6;
        }
    }
    if (gfx::Failed(b.m_pVB->Unlock())) g_Console.Print("FAILED to unlock sprite VB");
    else g_Debug.RemoveAlloc(kLockTag);
}

// Sparks and tracers: three slivers from the head back to the tail and three pointing forward,
// brightest while young.
void EFXMgr::FillSparks() {
    m_uSparkVertexCount = 0;
    if (!m_pSparkVB) return;
    void* data = nullptr;
    if (gfx::Failed(m_pSparkVB->Lock(0, 0, &data, 0)) || !data) {
        g_Console.Print("FAILED to lock sparks VB");
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    auto* out = static_cast<SparkVertex*>(data);
    uint32_t sparks = 0;
    for (int s = 1; s < kMaxInstances && sparks < kMaxSparks; ++s) {
        const EFXInstance& fx = m_Instances[s];
        bool tracer = fx.m_uType == FX_TRACER;
        if (!fx.m_bInUse || (!tracer && fx.m_uType != FX_SPARK) || fx.m_fCameraDistance > fx.m_fVisibilityDistance)
            continue;
        // A tracer's tail is the point its own step draws after the head.
        const DV& head = fx.m_vPosition;
        const DV& tail = fx.m_bHasTarget ? fx.m_vTarget : (tracer ? fx.m_vPreviousPosition : fx.m_vTrail[2]);
        float t = std::min(1.0f, 1.5f * fx.m_fLifeFraction);
        uint32_t base = fx.m_bAlternateSparkColour ? 0xFF0042BAu : 0xFFBA4200u;
        uint32_t headColour = tracer ? LerpColor(0, fx.m_bNoCollision ? 0x40A07060u : 0x40404040u, t)
                                     : LerpColor(base, 0xFFA07060u, t);
        uint32_t other = LerpColor(base, headColour, t);
        float width = tracer ? 0.01f : 0.008f;
        const DV diagonal = (fx.m_vSide + fx.m_vUp) * 0.7071f;
        Sliver(out, head, fx.m_vSide * width, tail, headColour, other);
        Sliver(out, head, fx.m_vUp * width, tail, headColour, other);
        Sliver(out, head, diagonal * width, tail, headColour, other);
        const DV tip = head + fx.m_vFront * 0.035f;
        Sliver(out, head, fx.m_vSide * 0.01f, tip, headColour, other);
        Sliver(out, head, fx.m_vUp * 0.01f, tip, headColour, other);
        Sliver(out, head, diagonal * 0.01f, tip, headColour, other);
        m_uSparkVertexCount += kSparkVertices;
        ++sparks;
    }
    if (gfx::Failed(m_pSparkVB->Unlock())) g_Console.Print("FAILED to unlock sparks VB");
    else g_Debug.RemoveAlloc(kLockTag);
}

// ---- In the translucent pass -------------------------------------------------------------------

void EFXMgr::Render() {
    m_uDrawCalls = 0;
    if (!g_Settings.m_bDrawFX || !g_pd3dDevice) return;
    gfx::Device& d = *g_pd3dDevice;
    uint32_t states[std::size(kKeptStates)];
    for (size_t i = 0; i < std::size(kKeptStates); ++i) d.GetRenderState(kKeptStates[i], states[i]);
    pmath::Matrix transforms[std::size(kKeptTransforms)];
    for (size_t i = 0; i < std::size(kKeptTransforms); ++i) d.GetTransform(kKeptTransforms[i], transforms[i]);
    d.SetVertexShader(nullptr);
    d.SetPixelShader(nullptr);
    d.SetVertexDeclaration(nullptr);
    d.SetTransform(gfx::TS_WORLD, pmath::Identity());
    d.SetTransform(gfx::TS_VIEW, g_DrawCamera.view);
    d.SetTransform(gfx::TS_PROJECTION, g_DrawCamera.projection);
    if (m_uSparkVertexCount) DrawSparks();
    DrawSprites();
    for (size_t i = 0; i < std::size(kKeptStates); ++i) d.SetRenderState(kKeptStates[i], states[i]);
    for (size_t i = 0; i < std::size(kKeptTransforms); ++i) d.SetTransform(kKeptTransforms[i], transforms[i]);
}

void EFXMgr::DrawSparks() {
    gfx::Device& d = *g_pd3dDevice;
    d.SetTexture(0, nullptr);
    SetStage0(d, gfx::TOP_SELECTARG1, gfx::TA_DIFFUSE, gfx::TA_DIFFUSE);
    SetState(gfx::RS_ALPHABLENDENABLE, 1);
    SetState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    SetState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
    SetState(gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD);
    SetState(gfx::RS_ZENABLE, 1);
    d.SetFVF(kSparkFVF);
    d.SetStreamSource(0, m_pSparkVB.get(), 0, sizeof(SparkVertex));
    d.DrawPrimitive(gfx::PT_TRIANGLELIST, 0, m_uSparkVertexCount / 3);
    ++m_uDrawCalls;
}

void EFXMgr::DrawSprites() {
    gfx::Device& d = *g_pd3dDevice;
    // The quads are wound the way culling removes: it goes off, sent even when the cache thinks it is
    // off already (passes that set it on the device themselves leave the cache behind).
    g_RenderStateCache.ForceCulling();
    g_RenderStateCache.SetCulling(false);
    for (uint32_t stage = 1; stage <= 4; ++stage) {
        d.SetTextureStageState(stage, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
        d.SetTextureStageState(stage, gfx::TSS_ALPHAOP, gfx::TOP_DISABLE);
    }
    SetState(gfx::RS_ALPHABLENDENABLE, 1);
    SetState(gfx::RS_ALPHAREF, 0);
    SetState(gfx::RS_ALPHATESTENABLE, 0);
    SetState(gfx::RS_ZWRITEENABLE, 0);
    SetState(gfx::RS_BLENDOP, gfx::BLENDOP_ADD);
    d.SetFVF(kSpriteFVF);
    SetStage0(d, gfx::TOP_MODULATE, gfx::TA_TEXTURE, gfx::TA_DIFFUSE);
    constexpr uint32_t kBlends[FX_BLEND_MODES][2] = {
        {gfx::BLEND_SRCCOLOR, gfx::BLEND_ONE}, {gfx::BLEND_ZERO, gfx::BLEND_SRCCOLOR},
        {gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCALPHA}};
    uint32_t depth = ~0u, mode = ~0u;
    // The active batches are sorted by blend mode: each mode's blending is set once.
    for (uint32_t i = 0; i < m_uActiveBatchCount; ++i) {
        uint32_t key = m_uActiveBatches[i];
        const SpriteBatch& b = m_Batches[key % kTextures][key / kTextures];
        if (!b.m_pVB || !b.m_uVertexCount) continue;
        if (key / kTextures != mode) {
            mode = key / kTextures;
            SetState(gfx::RS_SRCBLEND, kBlends[mode][0]);
            SetState(gfx::RS_DESTBLEND, kBlends[mode][1]);
        }
        // Light sprites shine through what stands before them: their own test hides them instead.
        uint32_t z = m_Instances[b.m_uInstances[0]].m_bLightSprite ? 0 : 1;
        if (z != depth) SetState(gfx::RS_ZENABLE, depth = z);
        g_Renderer.SetTexture(0, key % kTextures);
        d.SetStreamSource(0, b.m_pVB.get(), 0, sizeof(SpriteVertex));
        d.DrawPrimitive(gfx::PT_TRIANGLELIST, 0, b.m_uVertexCount / 3);
        ++m_uDrawCalls;
    }
    g_RenderStateCache.SetCulling(true);
}
