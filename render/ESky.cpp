#include "render/ESky.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/EConsole.h"
#include "core/EOrientation.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "core/NumericHelpers.h"
#include "platform/os/Random.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/EPostProcess.h"
#include "render/ERenderStateCache.h"
#include "render/ERenderer.h"
#include "render/RenderHooks.h"

ESky g_Sky;

namespace {

int ClampSet(int set) { return set >= 0 && set < ESky::kSets ? set : 0; }

// One time of day lasts 90 seconds.
constexpr float kPoraSeconds = 90.0f;
constexpr float kDegrees = 3.14159265f / 180.0f;
// The dome is drawn around the camera at this scale.
constexpr float kDomeScale = 1000.0f;

// Colours as 0..255 values.
struct PoraDefaults {
    const char* sky;
    float bloomPower, bloomCone;
    float ambient[3], skyLight[3];
    float power, pitch, yaw;
    float fog[3];
    float fogNear, fogFar;
};

constexpr PoraDefaults kPory[ESky::kTimesOfDay] = {
    {"sky_morning.tga", 0.6f, 4, {150, 150, 190}, {250, 210, 150}, 1.0f, 40, 0, {240, 235, 230}, 10, 1600},
    {"sky_noon.tga", 1.0f, 5, {150, 170, 220}, {230, 200, 180}, 1.1f, 60, 30, {194, 173, 122}, 100, 1500},
    {"sky_cloudy.tga", 1.0f, 3, {170, 180, 200}, {130, 110, 100}, 0.8f, 60, 50, {130, 170, 150}, 100, 1600},
    {"sky_evening.tga", 0.3f, 3, {100, 100, 130}, {220, 160, 120}, 1.1f, 42, 50, {220, 173, 122}, 20, 1200},
    {"sky_storm.tga", 0.6f, 4, {100, 120, 130}, {235, 180, 120}, 1.1f, 45, 20, {40, 50, 60}, 10, 1000},
    {"sky_evening.tga", 0.3f, 3, {100, 100, 130}, {220, 160, 120}, 1.1f, 42, 50, {220, 173, 122}, 20, 1500},
    {"sky_cloudy.tga", 1.0f, 3, {170, 180, 200}, {130, 110, 100}, 0.8f, 60, 50, {130, 170, 150}, 100, 1500},
    {"sky_noon.tga", 1.0f, 5, {150, 170, 220}, {230, 200, 180}, 1.1f, 60, 30, {194, 173, 122}, 100, 1500},
};

// The starting time of day of the intro.
constexpr uint32_t kIntroPora = 3;

// Byte positions of the colour channels in a 32-bit ARGB colour.
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 0;

// The channel byte of a 0..255 value: held within 0..255, then truncated. Keeping only the low
// byte would turn an over-bright 300 into a dark 44.
uint32_t ChannelByte(float value) {
    if (!(value > 0.0f)) return 0;  // negative or not a number
    return static_cast<uint32_t>(std::min(value, 255.0f));
}

uint32_t WithChannel(uint32_t colour, int shift, float value) {
    uint32_t byte = ChannelByte(value);
    return (colour & ~(0xFFu << shift)) | (byte << shift);
}

// Channel setters of the light colours leave no alpha behind.
uint32_t LightWithChannel(uint32_t colour, int shift, float value) {
    return WithChannel(colour, shift, value) & 0x00FFFFFF;
}

float Channel(uint32_t colour, int shift) { return static_cast<float>((colour >> shift) & 0xFF); }

}  // namespace

ESky::ESky()
    : m_uAmbientColour{}, m_uFogColour{}, m_fFogFar{}, m_fFogNear{}, m_bFog(0), m_fSkyLightPower(1.0f),
      m_uSkyLightColour(0), m_vSkyLightDirection{-1.0f, -0.5f, 0.5f}, m_vLensFlareDirection{-1.0f, -0.5f, 0.5f},
      m_fSkyFogCoef(0.6f), m_fSkyFogHeight(50000.0f), m_uPora(0), m_fPoraFraction(0), m_bPoryUpdate(1),
      m_uUpdateCounter(0), m_Pory{}, m_fFogMax(0), m_pSkyDome(nullptr),
      m_bWorldStarted(0) {}

ESky::~ESky() = default;

void ESky::OnStartWorld() {
    SetDefaults();
    m_fFogMax = 0.8f;
    m_bWorldStarted = 1;
}

void ESky::SetDefaults() {
    m_uUpdateCounter = 0;
    for (int i = 0; i < kTimesOfDay; ++i) {
        const PoraDefaults& d = kPory[i];
        strpora& p = m_Pory[i];
        p = strpora{};
        std::strncpy(p.m_szSkyTexture, d.sky, sizeof p.m_szSkyTexture - 1);
        p.m_fBloomPower = d.bloomPower;
        p.m_fBloomCone = d.bloomCone;
        for (int c = 0; c < 3; ++c) {
            p.m_fAmbient[c] = d.ambient[c] / 255.0f;
            p.m_fSkyLight[c] = d.skyLight[c] / 255.0f;
            p.m_fFog[c] = d.fog[c] / 255.0f;
        }
        p.m_fSkyLightPower = d.power;
        p.m_fSkyLightPitch = d.pitch;
        p.m_fSkyLightYaw = d.yaw;
        p.m_fFogNear = d.fogNear;
        p.m_fFogFar = d.fogFar;
        const strtexture* t = g_Renderer.LoadRegisteredTexture(p.m_szSkyTexture);
        if (t && t->DeviceTexture()) p.m_pSkyTexture = t->DeviceTexture();
        else g_Console.PrintStr2("Env NIE stworzyl tekstury ", p.m_szSkyTexture);
    }
    m_uPora = static_cast<uint32_t>(plat::Random() % 7);
    if (g_RenderHooks.introRunning()) m_uPora = kIntroPora;
    if (m_uPora == 2 || m_uPora == 6) m_uPora = 0;
    m_fPoraFraction = 0;
}

void ESky::CreateSkyDome(const char* meshFile) {
    if (m_pSkyDome) g_RenderHooks.deleteObject(m_pSkyDome);
    m_pSkyDome = g_RenderHooks.createSkyDome(meshFile);
}

void ESky::OnEndWorld() {
    if (m_pSkyDome) g_RenderHooks.deleteObject(m_pSkyDome);
    m_pSkyDome = nullptr;
    for (strpora& p : m_Pory) p.m_pSkyTexture = nullptr;
    m_bWorldStarted = 0;
}

void ESky::UpdateFrame() {
    if (m_fFogNear[0] > m_fFogFar[0]) std::swap(m_fFogNear[0], m_fFogFar[0]);
    Update();
}

void ESky::Update() {
    if (m_bPoryUpdate) m_fPoraFraction += g_FrameFacts.frameTime / kPoraSeconds;
    if (m_fPoraFraction >= 1.0f) {
        m_uPora = m_uPora + 1 > 7 ? 0 : m_uPora + 1;
        m_fPoraFraction = 0;
    }
    // With time stopped the environment stays as the first update (or the console) left it.
    if (m_bPoryUpdate || m_uUpdateCounter == 0) ApplyTimeOfDay();
    if (!g_RenderHooks.menuActive()) g_RenderHooks.setCameraFarZ(1000.0f);
    ++m_uUpdateCounter;
}

// The environment between the current time of day and the next, at the fraction.
void ESky::ApplyTimeOfDay() {
    const strpora& a = m_Pory[m_uPora % kTimesOfDay];
    const strpora& b = m_Pory[(m_uPora + 1) % kTimesOfDay];
    float t = std::clamp(m_fPoraFraction, 0.0f, 1.0f);
    SetBloomParams(Lerp(a.m_fBloomCone, b.m_fBloomCone, t), Lerp(a.m_fBloomPower, b.m_fBloomPower, t));
    SetAmbientLightR(Lerp(a.m_fAmbient[0], b.m_fAmbient[0], t) * 255.0f, 0);
    SetAmbientLightG(Lerp(a.m_fAmbient[1], b.m_fAmbient[1], t) * 255.0f, 0);
    SetAmbientLightB(Lerp(a.m_fAmbient[2], b.m_fAmbient[2], t) * 255.0f, 0);
    SetSkyLightColourR(Lerp(a.m_fSkyLight[0], b.m_fSkyLight[0], t) * 255.0f);
    SetSkyLightColourG(Lerp(a.m_fSkyLight[1], b.m_fSkyLight[1], t) * 255.0f);
    SetSkyLightColourB(Lerp(a.m_fSkyLight[2], b.m_fSkyLight[2], t) * 255.0f);
    m_fSkyLightPower = Lerp(a.m_fSkyLightPower, b.m_fSkyLightPower, t);
    float yaw = Lerp(a.m_fSkyLightYaw, b.m_fSkyLightYaw, t) * kDegrees;
    float pitch = Lerp(a.m_fSkyLightPitch, b.m_fSkyLightPitch, t) * kDegrees;
    m_vSkyLightDirection = EOrientation::EOrientationFromYawPitchRoll(yaw, pitch, 0.0f).m_Front;
    SetFogColourR(Lerp(a.m_fFog[0], b.m_fFog[0], t) * 255.0f, 0);
    SetFogColourG(Lerp(a.m_fFog[1], b.m_fFog[1], t) * 255.0f, 0);
    SetFogColourB(Lerp(a.m_fFog[2], b.m_fFog[2], t) * 255.0f, 0);
    m_fFogNear[0] = Lerp(a.m_fFogNear, b.m_fFogNear, t);
    m_fFogFar[0] = Lerp(a.m_fFogFar, b.m_fFogFar, t);
}

void ESky::GetFogColour(uint32_t& colour, int set) const { colour = m_uFogColour[ClampSet(set)]; }
void ESky::GetFogColourR(float& value, int set) const { value = Channel(m_uFogColour[ClampSet(set)], kRedShift); }
void ESky::GetFogColourG(float& value, int set) const { value = Channel(m_uFogColour[ClampSet(set)], kGreenShift); }
void ESky::GetFogColourB(float& value, int set) const { value = Channel(m_uFogColour[ClampSet(set)], kBlueShift); }

void ESky::SetFogColour(uint32_t colour, int set) {
    set = ClampSet(set);
    m_uFogColour[set] = colour;
    g_RenderHooks.setClearColour(colour);
    if (set != 0) return;
    g_Console.SetVariable("FogR", Channel(colour, kRedShift), 0);
    g_Console.SetVariable("FogG", Channel(colour, kGreenShift), 0);
    g_Console.SetVariable("FogB", Channel(colour, kBlueShift), 0);
}

void ESky::SetFogColourR(float value, int set) {
    SetFogColour(WithChannel(m_uFogColour[ClampSet(set)], kRedShift, value), set);
}
void ESky::SetFogColourG(float value, int set) {
    SetFogColour(WithChannel(m_uFogColour[ClampSet(set)], kGreenShift, value), set);
}
void ESky::SetFogColourB(float value, int set) {
    SetFogColour(WithChannel(m_uFogColour[ClampSet(set)], kBlueShift, value), set);
}

float ESky::GetFogFar(int set) const { return m_fFogFar[ClampSet(set)]; }
void ESky::SetFogFar(float distance, int set) { m_fFogFar[ClampSet(set)] = distance; }
float ESky::GetFogNear(int set) const { return m_fFogNear[ClampSet(set)]; }

int ESky::SetFogNear(float distance, int set) {
    set = ClampSet(set);
    m_fFogNear[set] = distance;
    return set;
}

void ESky::EnableFog() { m_bFog = 1; }
void ESky::DisableFog() { m_bFog = 0; }

void ESky::SetAmbientLight(uint32_t colour, int set) { m_uAmbientColour[ClampSet(set)] = colour; }

void ESky::GetAmbientLightR(float& value, int set) const { value = Channel(m_uAmbientColour[ClampSet(set)], kRedShift); }
void ESky::GetAmbientLightG(float& value, int set) const {
    value = Channel(m_uAmbientColour[ClampSet(set)], kGreenShift);
}
void ESky::GetAmbientLightB(float& value, int set) const { value = Channel(m_uAmbientColour[ClampSet(set)], kBlueShift); }

void ESky::GetAmbientLightVector(float* vector) const {
    vector[0] = Channel(m_uAmbientColour[0], kRedShift) / 255.0f;
    vector[1] = Channel(m_uAmbientColour[0], kGreenShift) / 255.0f;
    vector[2] = Channel(m_uAmbientColour[0], kBlueShift) / 255.0f;
    vector[3] = 0.0f;
}

void ESky::SetAmbientLightR(float value, int set) {
    uint32_t& colour = m_uAmbientColour[ClampSet(set)];
    colour = LightWithChannel(colour, kRedShift, value);
}
void ESky::SetAmbientLightG(float value, int set) {
    uint32_t& colour = m_uAmbientColour[ClampSet(set)];
    colour = LightWithChannel(colour, kGreenShift, value);
}
void ESky::SetAmbientLightB(float value, int set) {
    uint32_t& colour = m_uAmbientColour[ClampSet(set)];
    colour = LightWithChannel(colour, kBlueShift, value);
}

void ESky::SetSkyLightColour(uint32_t colour) { m_uSkyLightColour = colour; }
void ESky::GetSkyLightColour(uint32_t& colour) const { colour = m_uSkyLightColour; }
void ESky::SetSkyLightColourR(float value) { m_uSkyLightColour = LightWithChannel(m_uSkyLightColour, kRedShift, value); }
void ESky::SetSkyLightColourG(float value) {
    m_uSkyLightColour = LightWithChannel(m_uSkyLightColour, kGreenShift, value);
}
void ESky::SetSkyLightColourB(float value) {
    m_uSkyLightColour = LightWithChannel(m_uSkyLightColour, kBlueShift, value);
}

void ESky::SetSkyLightDirection(float x, float y, float z) { m_vSkyLightDirection = DV{x, y, z}; }
void ESky::SetLensFlareDirection(float x, float y, float z) { m_vLensFlareDirection = DV{x, y, z}; }

void ESky::SetBloomParams(float cone, float power) {
    g_PostProcess.m_fBloomCone = cone;
    g_PostProcess.m_fBloomPower = power;
}

void ESky::GetSkyLightProjector(uint32_t& size, uint32_t& extent, uint32_t& depthRange, float& bias) const {
    g_ShadowMaps.GetMap(0, &size, &extent, &depthRange, &bias);
}

void ESky::SetPora(int index) {
    m_uPora = index >= 0 && index < kTimesOfDay ? static_cast<uint32_t>(index) : 0;
    m_fPoraFraction = 0;
    m_uUpdateCounter = 0;
}

void ESky::OnResetDevice() {}

void ESky::RenderSky(int pass) {
    if (!g_Settings.m_bDrawSky) return;
    if (!m_pSkyDome) {
        // The frame drawn at start-up, before any world, has no sky to miss.
        if (m_bWorldStarted) g_Console.Print("Nie ma mesha sky");
        return;
    }
    const DrawMesh* dome = m_pSkyDome->m_pDrawMesh;
    if (!dome) return;
    if (!dome->geometry) {
        g_Console.Print("Nie ma mesha nieba");
        return;
    }
    if (!g_pd3dDevice) return;
    gfx::Device& device = *g_pd3dDevice;
    device.SetVertexShader(nullptr);
    device.SetPixelShader(nullptr);
    // The largest mip level always: the dome's texels are far larger than its pixels suggest.
    for (uint32_t stage = 0; stage < 8; ++stage) {
        device.SetSamplerState(stage, gfx::SAMP_MIPMAPLODBIAS, FloatState(-2000.0f));
        device.SetSamplerState(stage, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
        device.SetSamplerState(stage, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
        device.SetSamplerState(stage, gfx::SAMP_MIPFILTER, gfx::TEXF_LINEAR);
        device.SetSamplerState(stage, gfx::SAMP_MAXANISOTROPY, 0);
    }
    g_RenderStateCache.SetCulling(false);
    // The camera at the origin: the dome follows it.
    pmath::Matrix view = g_DrawCamera.view;
    view.m[3][0] = view.m[3][1] = view.m[3][2] = 0.0f;
    device.SetRenderState(gfx::RS_ZENABLE, 1);
    device.SetRenderState(gfx::RS_ZWRITEENABLE, 0);
    device.SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    HEFFECT e = g_Renderer.PassEffect("skylight", "skylight");
    if (!e) return;
    gfx::Effect& fx = *e->m_pEffect;
    g_Renderer.BeginPass(e, "RenderSky");
    g_ShadowMaps.m_fTime = 0.0f;
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.ForceCulling();
    g_Renderer.SetCameraParameters(e, view);
    fx.SetBool(Param(e, "g_bWire"), false);
    fx.SetBool(Param(e, "g_bDrzewo"), false);
    fx.SetBool(Param(e, "g_bDrzewoLiscie"), false);
    // The haze at the horizon is the fog's colour.
    uint32_t fog = m_uFogColour[0];
    const float fogColour[4] = {Channel(fog, kRedShift) / 255.0f, Channel(fog, kGreenShift) / 255.0f,
                                Channel(fog, kBlueShift) / 255.0f, 0.0f};
    fx.SetVector(e->g_FogColor, fogColour);
    pmath::Matrix world = pmath::Identity();
    world.m[0][0] = world.m[1][1] = world.m[2][2] = kDomeScale;
    for (uint32_t i = 0; i < dome->subsetCount && !g_Settings.m_bWireFrame; ++i) {
        const DrawSubset& subset = dome->subsets[i];
        const strtexture* t = g_Renderer.GetTexture(subset.textureId);
        if (!subset.enabled || !t) continue;
        g_RenderStateCache.BeginEffectTechnique(&fx, "RenderSky", false);
        fx.SetBool(e->g_bDrawTransparent, t->m_bTransparent != 0);
        fx.SetBool(e->g_bDrawTranslucent, t->m_bTranslucent != 0 && !t->m_bTransparent);
        if (pass == 0) {
            g_RenderStateCache.SetTexture(0, m_Pory[m_uPora % kTimesOfDay].m_pSkyTexture);
            g_RenderStateCache.SetTexture(1, m_Pory[(m_uPora + 1) % kTimesOfDay].m_pSkyTexture);
            fx.SetFloat(Param(e, "g_fPora"), m_fPoraFraction);
        } else {
            g_RenderStateCache.SetTexture(0, t->DeviceTexture());
            fx.SetFloat(Param(e, "g_fPora"), 0.0f);
        }
        if (t->m_bTranslucent) g_RenderStateCache.BeginTranslucent(e);
        else if (t->m_bTransparent) g_RenderStateCache.BeginTransparent(e);
        else {
            g_RenderStateCache.EndTransparent(e);
            g_RenderStateCache.EndTranslucent(e);
        }
        fx.SetFloat(Param(e, "g_fSkyFogHeight"), m_fSkyFogHeight);
        fx.SetFloat(Param(e, "g_fSkyFogCoef"), m_fSkyFogCoef);
        device.SetRenderState(gfx::RS_ZWRITEENABLE, 0);
        device.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        g_Renderer.SetCameraParameters(e, view);
        g_Renderer.m_Batch.Add(*dome, i, world);
        g_Renderer.m_Batch.Draw(e);
    }
    device.SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    device.SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
    device.SetRenderState(gfx::RS_ZENABLE, 1);
    device.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    device.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    for (uint32_t stage = 0; stage < 8; ++stage)
        device.SetSamplerState(stage, gfx::SAMP_MIPMAPLODBIAS, FloatState(g_RenderStateCache.m_fLodBias));
    g_RenderStateCache.EndTransparent(e);
    g_RenderStateCache.EndTranslucent(e);
    g_RenderStateCache.EndEffect(&fx);
    g_RenderStateCache.ForceCulling();
}
