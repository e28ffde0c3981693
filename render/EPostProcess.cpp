#include "render/EPostProcess.h"

#include <cstring>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "render/D3DDevice.h"
#include "render/DrawRecord.h"
#include "render/EEffectMgr.h"
#include "render/RenderHooks.h"

EPostProcess g_PostProcess;

namespace {

// The level start runs its first 150 frames without post-processing.
constexpr uint32_t kFirstFrame = 151;

constexpr gfx::VertexElement kVert2DDecl[] = {
    {0, 0, gfx::DECLTYPE_FLOAT4, 0, gfx::DECLUSAGE_POSITION, 0},
    {0, 16, gfx::DECLTYPE_FLOAT4, 0, gfx::DECLUSAGE_POSITION, 1},
    {0, 32, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
    gfx::DECL_END,
};

// Poisson-disc offsets of the filter, in pixels.
constexpr float kFilterTaps[12][2] = {
    {-0.326212f, -0.405805f}, {-0.840144f, -0.07358f}, {-0.695914f, 0.457137f}, {-0.203345f, 0.620716f},
    {0.96234f, -0.194983f},   {0.473434f, -0.480026f}, {0.519456f, 0.767022f},  {0.185461f, -0.893124f},
    {0.507431f, 0.064425f},   {0.89642f, 0.412458f},   {-0.32194f, -0.932615f}, {-0.791559f, -0.597705f},
};

constexpr float kTexel2H[7] = {-2.0f, -1.2f, -0.7f, 0.0f, 0.7f, 1.2f, 2.0f};
constexpr float kTexel2V[7] = {-1.0f, -0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 1.0f};

// A render-target texture and its level 0; false, with the line printed, when either fails.
bool MakeTarget(uint32_t width, uint32_t height, std::unique_ptr<gfx::Texture>& texture,
                std::unique_ptr<gfx::Surface>& surface, const char* textureName, const char* surfaceName) {
    if (gfx::Failed(g_pd3dDevice->CreateTexture(width, height, 1, gfx::USAGE_RENDERTARGET, gfx::FMT_A8R8G8B8,
                                                gfx::POOL_DEFAULT, texture))) {
        g_Console.PrintStr2("PostProcess: Failed creating ", textureName);
        return false;
    }
    if (gfx::Failed(texture->GetSurfaceLevel(0, surface))) {
        g_Console.PrintStr2("PostProcess: Failed creating ", surfaceName);
        return false;
    }
    return true;
}

}  // namespace

EPostProcess::EPostProcess() : m_fBloomCone(5.0f), m_fBloomPower(0.3f) {}

EPostProcess::~EPostProcess() = default;

void EPostProcess::Create() {
    if (!g_pd3dDevice) return;
    gfx::Caps caps;
    g_pd3dDevice->GetDeviceCaps(caps);
    if ((caps.pixelShaderVersion & 0xFFFF) < (gfx::PixelShaderVersion(2, 0) & 0xFFFF)) {
        g_Console.Print("EPostProcess::Create error - PS 2.0 not supported!");
        return;
    }
    if (gfx::Failed(g_pd3dDevice->CreateVertexDeclaration(kVert2DDecl, m_pVertDecl))) {
        g_Console.Print("FAILED to CreateVertexDeclaration(vert2DDecl, &m_pVertDecl) for EPostProcess");
        return;
    }
    m_bResourcesTried = false;
    CreateResources();
    if (!TargetTex || !TargetSurf) return;
    float texelH[7], texelV[7];
    for (int i = 0; i < 7; ++i) {
        texelH[i] = kTexel2H[i] / static_cast<float>(m_uScreenWidth);
        texelV[i] = kTexel2V[i] / static_cast<float>(m_uScreenHeight);
    }
    m_pEffect->SetFloatArray(m_pEffect->GetParameterByName(nullptr, "Texel2H"), texelH, 7);
    m_pEffect->SetFloatArray(m_pEffect->GetParameterByName(nullptr, "Texel2V"), texelV, 7);
    m_bCreated = true;
}

void EPostProcess::CreateResources() {
    ReleaseTargets();
    m_bResourcesTried = true;
    if (!g_pd3dDevice) return;
    m_uScreenWidth = static_cast<uint32_t>(g_Settings.m_iScreenWidth);
    m_uScreenHeight = static_cast<uint32_t>(g_Settings.m_iScreenHeight);
    HEFFECT record = g_EffectMgr.GetEffect("dof");
    m_pEffect = record ? record->m_pEffect.get() : nullptr;
    if (!m_pEffect || m_uScreenWidth == 0 || m_uScreenHeight == 0) return;
    gfx::Effect& fx = *m_pEffect;
    m_hBloomCone = fx.GetParameterByName(nullptr, "g_fBloomCone");
    m_hBloomPower = fx.GetParameterByName(nullptr, "g_fBloomPower");
    m_hSceneColor = fx.GetParameterByName(nullptr, "tSceneColor");
    m_hBloomBlur = fx.GetParameterByName(nullptr, "tBloomBlur");
    m_hFilterTaps = fx.GetParameterByName(nullptr, "filterTaps");
    m_hViewportScale = fx.GetParameterByName(nullptr, "viewportScale");
    m_hViewportBias = fx.GetParameterByName(nullptr, "viewportBias");
    m_hDownFilter = fx.GetTechniqueByName("DownFilter");
    m_hBrightPass = fx.GetTechniqueByName("BrightPass");
    m_hBloomHorizontal = fx.GetTechniqueByName("BloomHorizontal");
    m_hBloomVertical = fx.GetTechniqueByName("BloomVertical");
    m_hCombine = fx.GetTechniqueByName("Combine");
    m_hToScreen = fx.GetTechniqueByName("ToScreen");
    auto w = static_cast<float>(m_uScreenWidth), h = static_cast<float>(m_uScreenHeight);
    float taps[12 * 4] = {};
    for (int i = 0; i < 12; ++i) {
        taps[4 * i] = kFilterTaps[i][0] / w;
        taps[4 * i + 1] = kFilterTaps[i][1] / h;
    }
    fx.SetFloatArray(m_hFilterTaps, taps, 12 * 4);
    const float scale[4] = {2.0f / w, -2.0f / h, 1.0f, 1.0f};
    const float bias[4] = {-1.0f, 1.0f, 0.0f, 0.0f};
    fx.SetVector(m_hViewportScale, scale);
    fx.SetVector(m_hViewportBias, bias);
    fx.SetFloat(fx.GetParameterByName(nullptr, "viewportWidth1"), 1.0f / w);
    fx.SetFloat(fx.GetParameterByName(nullptr, "viewportHeight1"), 1.0f / h);
    // The quad covers the screen exactly: GL samples pixel centres without Direct3D's half-pixel
    // shift.
    const float positions[4][2] = {{0.0f, h}, {w, h}, {0.0f, 0.0f}, {w, 0.0f}};
    const float uvs[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
    for (int v = 0; v < 4; ++v) {
        m_Quad[v] = Vertex{{positions[v][0], positions[v][1], 0.0f, 1.0f}, {}, {uvs[v][0], uvs[v][1]}};
    }
    if (!m_pQuadBuffer)
        g_pd3dDevice->CreateVertexBuffer(sizeof m_Quad, gfx::USAGE_WRITEONLY, 0, gfx::POOL_MANAGED, m_pQuadBuffer);
    uint32_t w8 = m_uScreenWidth / 8, h8 = m_uScreenHeight / 8;
    if (!MakeTarget(m_uScreenWidth, m_uScreenHeight, MainTex, MainSurf, "MainTex", "MainSurf")) return;
    if (!MakeTarget(m_uScreenWidth, m_uScreenHeight, TargetTex, TargetSurf, "TargetTex", "TargetSurf")) return;
    if (!MakeTarget(w8, h8, BloomTex[0], BloomSurf[0], "BloomTex0", "BloomSurf")) return;
    if (!MakeTarget(w8, h8, BloomTex[1], BloomSurf[1], "BloomTex1", "BloomSurf")) return;
    if (!MakeTarget(m_uScreenWidth, m_uScreenHeight, BloomTex2, BloomSurf2, "BloomTex2", "BloomSurf2")) return;
    MakeTarget(m_uScreenWidth / 2, m_uScreenHeight / 2, BloomTex3, BloomSurf3, "BloomTex3", "BloomSurf3");
}

void EPostProcess::ReleaseTargets() {
    m_pSavedTarget.reset();
    for (auto* surface : {&MainSurf, &TargetSurf, &BloomSurf[0], &BloomSurf[1], &BloomSurf2, &BloomSurf3})
        surface->reset();
    for (auto* texture : {&MainTex, &TargetTex, &BloomTex[0], &BloomTex[1], &BloomTex2, &BloomTex3}) texture->reset();
}

void EPostProcess::ReleaseDecl() {
    m_bCreated = false;
    m_pVertDecl.reset();
    m_pQuadBuffer.reset();
}

void EPostProcess::OnResetDevice() { CreateResources(); }

bool EPostProcess::Capturing() const {
    return m_bCreated && g_RenderHooks.gameFrame() >= kFirstFrame && !g_Settings.m_bWireFrame;
}

void EPostProcess::BeginCapture() {
    if (!Capturing() || !g_pd3dDevice) return;
    g_pd3dDevice->GetRenderTarget(0, m_pSavedTarget);
    if (gfx::Failed(g_pd3dDevice->SetRenderTarget(0, MainSurf.get()))) g_Console.Print("SetRenderTarget 0 FAILED!");
}

void EPostProcess::EndCapture() {
    if (!Capturing() || !g_pd3dDevice) return;
    if (m_pSavedTarget) g_pd3dDevice->SetRenderTarget(0, m_pSavedTarget.get());
    m_pSavedTarget.reset();
}

void EPostProcess::Render() {
    if (!m_bCreated || g_RenderHooks.gameFrame() < kFirstFrame || !g_pd3dDevice) return;
    if (!MainTex && !m_bResourcesTried) CreateResources();
    if (g_Settings.m_bWireFrame || !MainTex || !TargetSurf || !BloomSurf[1] || !m_pQuadBuffer) return;
    UpdateFarCorners();
    gfx::Device& device = *g_pd3dDevice;
    device.SetVertexShader(nullptr);
    device.SetPixelShader(nullptr);
    device.SetFVF(0);
    device.GetRenderTarget(0, m_pSavedTarget);
    device.SetVertexDeclaration(m_pVertDecl.get());
    // The screen targets are read texel for texel: linear, clamped at the edges, never
    // anisotropic (which would blur what the filters sample).
    for (uint32_t stage = 0; stage < 2; ++stage) {
        device.SetSamplerState(stage, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
        device.SetSamplerState(stage, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
        device.SetSamplerState(stage, gfx::SAMP_MIPFILTER, gfx::TEXF_NONE);
        device.SetSamplerState(stage, gfx::SAMP_ADDRESSU, gfx::TADDRESS_CLAMP);
        device.SetSamplerState(stage, gfx::SAMP_ADDRESSV, gfx::TADDRESS_CLAMP);
    }
    RenderBloom();
    RenderToScreen();
    device.SetVertexDeclaration(g_pVertexDeclaration.get());
}

// The far-plane corners of the camera, seen from it, for the quad's corners.
void EPostProcess::UpdateFarCorners() {
    pmath::Matrix inverseProjection = pmath::Identity(), inverseView = pmath::Identity();
    pmath::Inverse(g_DrawCamera.projection, &inverseProjection);
    pmath::Inverse(g_DrawCamera.view, &inverseView);
    const float clip[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int v = 0; v < 4; ++v) {
        DV inView = pmath::TransformPoint(DV{clip[v][0], clip[v][1], 1.0f}, inverseProjection);
        DV corner = pmath::TransformDirection(inView, inverseView);
        m_Quad[v].farCorner[0] = corner.x;
        m_Quad[v].farCorner[1] = corner.y;
        m_Quad[v].farCorner[2] = corner.z;
        m_Quad[v].farCorner[3] = 1.0f;
    }
    // The quad's old content goes: the last frame's draws need not be waited for.
    void* data = nullptr;
    if (gfx::Failed(m_pQuadBuffer->Lock(0, 0, &data, gfx::LOCK_DISCARD))) return;
    std::memcpy(data, m_Quad, sizeof m_Quad);
    m_pQuadBuffer->Unlock();
}

void EPostProcess::RenderBloom() {
    gfx::Effect& fx = *m_pEffect;
    fx.SetFloat(m_hBloomCone, m_fBloomCone * 0.25f);
    fx.SetFloat(m_hBloomPower, m_fBloomPower * 0.5f);
    FilterInto(BloomSurf[1].get(), m_hDownFilter, MainTex.get());
    FilterInto(BloomSurf[0].get(), m_hBrightPass, BloomTex[1].get());
    FilterInto(BloomSurf[1].get(), m_hBloomHorizontal, BloomTex[0].get());
    FilterInto(BloomSurf[0].get(), m_hBloomVertical, BloomTex[1].get());
    fx.SetTexture(m_hBloomBlur, BloomTex[0].get());
    FilterInto(TargetSurf.get(), m_hCombine, MainTex.get());
}

void EPostProcess::RenderToScreen() {
    if (m_pSavedTarget) g_pd3dDevice->SetRenderTarget(0, m_pSavedTarget.get());
    m_pSavedTarget.reset();
    FilterInto(nullptr, m_hToScreen, TargetTex.get());
}

void EPostProcess::FilterInto(gfx::Surface* target, gfx::FxHandle technique, const gfx::BaseTexture* source) {
    gfx::Effect& fx = *m_pEffect;
    if (target) g_pd3dDevice->SetRenderTarget(0, target);
    if (gfx::Failed(fx.SetTechnique(technique))) return;
    fx.SetTexture(m_hSceneColor, source);
    uint32_t passes = 0;
    if (gfx::Failed(fx.Begin(&passes, 0))) return;
    for (uint32_t pass = 0; pass < passes; ++pass) {
        fx.BeginPass(pass);
        fx.CommitChanges();
        DrawQuad();
        fx.EndPass();
    }
    fx.End();
    // The source is the next target: no step may leave it bound.
    fx.SetTexture(m_hSceneColor, nullptr);
    fx.SetTexture(m_hBloomBlur, nullptr);
}

void EPostProcess::DrawQuad() {
    g_pd3dDevice->SetStreamSource(0, m_pQuadBuffer.get(), 0, sizeof(Vertex));
    g_pd3dDevice->DrawPrimitive(gfx::PT_TRIANGLESTRIP, 0, 2);
}
