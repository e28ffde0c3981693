#include "render/ERect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"

namespace {

constexpr const char* kObjectTag = "::ERect";
constexpr const char* kBufferTag = "ERect";
constexpr const char* kLockTag = "LockVB";

struct Vertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(Vertex) == ERect::kVertexSize);

// The kept values: render state, or stage 0's state when the number is a stage state's.
struct KeptValue {
    bool stage;
    uint32_t number;
};
constexpr KeptValue kKept[ERect::kSavedStates] = {
    {false, gfx::RS_ALPHABLENDENABLE}, {true, gfx::TSS_ALPHAARG1},        {true, gfx::TSS_ALPHAARG2},
    {true, gfx::TSS_ALPHAOP},          {true, gfx::TSS_COLORARG1},        {true, gfx::TSS_COLORARG2},
    {true, gfx::TSS_COLOROP},          {false, gfx::RS_SRCBLEND},         {false, gfx::RS_DESTBLEND},
    {false, gfx::RS_BLENDOP},          {false, gfx::RS_ALPHAREF},         {false, gfx::RS_ALPHATESTENABLE},
    {false, gfx::RS_ALPHAFUNC},        {false, gfx::RS_CULLMODE},         {false, gfx::RS_ZWRITEENABLE},
    {false, gfx::RS_ZENABLE},
};

void SetStage0(gfx::Device& d, uint32_t colourOp, uint32_t colourArg2, uint32_t alphaOp, uint32_t alphaArg2) {
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG2, alphaArg2);
    d.SetTextureStageState(0, gfx::TSS_ALPHAOP, alphaOp);
    d.SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    d.SetTextureStageState(0, gfx::TSS_COLORARG2, colourArg2);
    d.SetTextureStageState(0, gfx::TSS_COLOROP, colourOp);
}

// The states both the bracket and the self-contained draw end with.
void SetCommonStates(gfx::Device& d) {
    d.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d.SetRenderState(gfx::RS_BLENDOP, gfx::BLENDOP_ADD);
    d.SetRenderState(gfx::RS_ALPHAREF, 6);
    d.SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATEREQUAL);
    d.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    d.SetRenderState(gfx::RS_ZWRITEENABLE, 0);
    d.SetRenderState(gfx::RS_ZENABLE, 0);
}

}  // namespace

ERect::ERect()
    : m_uFVF(kVertexFormat), m_uSaved{}, m_bCreated(false), m_uTexture(0), m_fLeft(0), m_fTop(0), m_fRight(0),
      m_fBottom(0), m_uColour(0) {
    g_Debug.AddAlloc(kObjectTag);
}

// Owners release the buffer first; the destructor only uncounts the object.
ERect::~ERect() { g_Debug.RemoveAlloc(kObjectTag); }

void ERect::Create(const char* textureName, float left, float top, float right, float bottom, uint32_t colour) {
    if (m_bCreated) Release();
    uint32_t id = g_Renderer.GetTextureByName(textureName, false, false);
    if (id == 0) return;
    m_uTexture = id;
    m_fLeft = left;
    m_fTop = top;
    m_fRight = right;
    m_fBottom = bottom;
    m_uColour = colour;
    if (!g_pd3dDevice || gfx::Failed(g_pd3dDevice->CreateVertexBuffer(6 * kVertexSize, gfx::USAGE_WRITEONLY, m_uFVF,
                                                                       gfx::POOL_MANAGED, m_pVB))) {
        m_pVB.reset();
        return;
    }
    g_Debug.AddAlloc(kBufferTag);
    m_bCreated = true;
    WriteVertices();
}

void ERect::Release() {
    if (m_pVB) {
        m_pVB.reset();
        g_Debug.RemoveAlloc(kBufferTag);
    }
    m_bCreated = false;
}

void ERect::SetRect(float left, float top, float right, float bottom) {
    if (!m_bCreated) return;
    m_fLeft = left;
    m_fTop = top;
    m_fRight = right;
    m_fBottom = bottom;
    WriteVertices();
}

void ERect::SetColor(uint32_t colour) {
    m_uColour = colour;
    WriteVertices();
}

void ERect::SetAlpha(float alpha) {
    alpha = std::clamp(alpha, 0.0f, 1.0f);
    m_uColour = (m_uColour & 0x00FFFFFF) | static_cast<uint32_t>(std::trunc(alpha * 255.0f)) << 24;
    WriteVertices();
}

void ERect::WriteVertices() {
    if (!m_bCreated || !m_pVB) return;
    void* data = nullptr;
    if (gfx::Failed(m_pVB->Lock(0, 0, &data, 0))) {
        g_Console.Print("Failed to lock ERect VB!");
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    const uint32_t c = m_uColour;
    const Vertex quad[6] = {{m_fLeft, m_fTop, 1, 1, c, 0, 0},     {m_fLeft, m_fBottom, 1, 1, c, 0, 1},
                            {m_fRight, m_fBottom, 1, 1, c, 1, 1}, {m_fRight, m_fBottom, 1, 1, c, 1, 1},
                            {m_fRight, m_fTop, 1, 1, c, 1, 0},    {m_fLeft, m_fTop, 1, 1, c, 0, 0}};
    std::memcpy(data, quad, sizeof quad);
    if (gfx::Failed(m_pVB->Unlock())) g_Console.Print("FAILED to unlock ERect VB");
    else g_Debug.RemoveAlloc(kLockTag);
}

void ERect::SetCorners(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float uLeft,
                       float uRight, float vTop, float vBottom, float depth) {
    if (!m_bCreated || !m_pVB) return;
    void* data = nullptr;
    if (gfx::Failed(m_pVB->Lock(0, 0, &data, 0))) {
        g_Console.Print("Failed to lock ERect VB!");
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    const uint32_t c = m_uColour;
    const Vertex v1{x1, y1, depth, depth, c, uLeft, vTop}, v2{x2, y2, depth, depth, c, uRight, vTop};
    const Vertex v3{x3, y3, depth, depth, c, uRight, vBottom}, v4{x4, y4, depth, depth, c, uLeft, vBottom};
    const Vertex quad[6] = {v1, v3, v4, v1, v2, v3};
    std::memcpy(data, quad, sizeof quad);
    if (gfx::Failed(m_pVB->Unlock())) g_Console.Print("FAILED to unlock ERect VB");
    else g_Debug.RemoveAlloc(kLockTag);
}

void ERect::Render(bool textured) {
    if (!m_bCreated || !g_pd3dDevice) return;
    if (textured) g_Renderer.SetTexture(0, m_uTexture);
    g_pd3dDevice->SetStreamSource(0, m_pVB.get(), 0, kVertexSize);
    g_pd3dDevice->DrawPrimitive(gfx::PT_TRIANGLELIST, 0, 2);
}

void ERect::KeepDeviceValues(uint32_t (&saved)[kSavedStates]) {
    for (uint32_t i = 0; i < kSavedStates; ++i) {
        if (kKept[i].stage) g_pd3dDevice->GetTextureStageState(0, kKept[i].number, saved[i]);
        else g_pd3dDevice->GetRenderState(static_cast<gfx::RenderState>(kKept[i].number), saved[i]);
    }
}

void ERect::RestoreDeviceValues(const uint32_t (&saved)[kSavedStates]) {
    for (uint32_t i = 0; i < kSavedStates; ++i) {
        if (kKept[i].stage) g_pd3dDevice->SetTextureStageState(0, kKept[i].number, saved[i]);
        else g_pd3dDevice->SetRenderState(static_cast<gfx::RenderState>(kKept[i].number), saved[i]);
    }
}

void ERect::RenderWithStates(bool textured, bool blended) {
    if (!m_bCreated || !g_pd3dDevice) return;
    gfx::Device& d = *g_pd3dDevice;
    KeepDeviceValues(m_uSaved);
    d.SetRenderState(gfx::RS_ALPHABLENDENABLE, blended ? 1 : 0);
    SetStage0(d, gfx::TOP_SELECTARG1, gfx::TA_DIFFUSE, blended ? gfx::TOP_SELECTARG1 : gfx::TOP_DISABLE,
              gfx::TA_CURRENT);
    SetCommonStates(d);
    d.SetRenderState(gfx::RS_ALPHATESTENABLE, 1);
    d.SetFVF(m_uFVF);
    d.SetVertexShader(nullptr);
    Render(textured);
    RestoreDeviceValues(m_uSaved);
}

void ERect::BeginStates(bool additive) {
    if (!g_pd3dDevice) return;
    gfx::Device& d = *g_pd3dDevice;
    KeepDeviceValues(m_uSaved);
    for (uint32_t sampler : {0u, 1u})
        for (gfx::SamplerState s : {gfx::SAMP_MAGFILTER, gfx::SAMP_MINFILTER, gfx::SAMP_MIPFILTER})
            d.SetSamplerState(sampler, s, gfx::TEXF_LINEAR);
    d.SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    SetStage0(d, gfx::TOP_MODULATE, additive ? gfx::TA_CURRENT : gfx::TA_DIFFUSE, gfx::TOP_MODULATE, gfx::TA_DIFFUSE);
    SetCommonStates(d);
    if (additive) {
        d.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCCOLOR);
        d.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
    }
    d.SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
    for (uint32_t stage = 1; stage < gfx::kMaxTextureStages; ++stage) {
        d.SetTextureStageState(stage, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
        d.SetTextureStageState(stage, gfx::TSS_ALPHAOP, gfx::TOP_DISABLE);
    }
    d.SetFVF(m_uFVF);
    d.SetVertexShader(nullptr);
    d.SetPixelShader(nullptr);
}

void ERect::EndStates() {
    if (g_pd3dDevice) RestoreDeviceValues(m_uSaved);
}

void ERect::SetBlendAdditive(bool additive) {
    if (!g_pd3dDevice) return;
    g_pd3dDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    g_pd3dDevice->SetRenderState(gfx::RS_DESTBLEND, additive ? gfx::BLEND_ONE : gfx::BLEND_INVSRCALPHA);
}

void ERect::SetPointFilter(bool point) {
    if (!g_pd3dDevice) return;
    for (uint32_t sampler : {0u, 1u})
        for (gfx::SamplerState s : {gfx::SAMP_MAGFILTER, gfx::SAMP_MINFILTER, gfx::SAMP_MIPFILTER})
            g_pd3dDevice->SetSamplerState(sampler, s, point ? gfx::TEXF_NONE : gfx::TEXF_LINEAR);
}

void ERect::GetTopLeft(float* x, float* y) const {
    if (x) *x = m_fLeft;
    if (y) *y = m_fTop;
}

void ERect::GetBottomRight(float* x, float* y) const {
    if (x) *x = m_fRight;
    if (y) *y = m_fBottom;
}
