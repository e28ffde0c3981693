#include "render/ESky.h"

#include "core/EConsole.h"
#include "render/EPostProcess.h"
#include "render/RenderHooks.h"

ESky g_Sky;

namespace {

int ClampSet(int set) { return set >= 0 && set < ESky::kSets ? set : 0; }

// Byte positions of the colour channels in a 32-bit ARGB colour.
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 0;

// The channel byte of a 0..255 value: the value truncated and its low byte kept (300 gives 44).
// Values beyond the integer range are held at its ends first, as converting them is undefined.
uint32_t ChannelByte(float value) {
    constexpr float kLimit = 2147483520.0f;  // the largest float below 2^31
    if (!(value > -kLimit)) value = value != value ? 0.0f : -kLimit;
    if (value > kLimit) value = kLimit;
    return static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFF;
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
      m_uUpdateCounter(0) {}

ESky::~ESky() = default;

void ESky::GetFogColour(uint32_t& colour, int set) const { colour = m_uFogColour[ClampSet(set)]; }

void ESky::SetFogColour(uint32_t colour, int set) {
    set = ClampSet(set);
    m_uFogColour[set] = colour;
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

void ESky::SetPora(int index) {
    m_uPora = index >= 0 && index < kTimesOfDay ? static_cast<uint32_t>(index) : 0;
    m_fPoraFraction = 0;
    m_uUpdateCounter = 0;
}

void ESky::OnResetDevice() {}

// The time of day does not advance yet and there is no sky dome to make or delete.
void ESky::UpdateFrame() {}
void ESky::OnStartWorld() {}
void ESky::CreateSkyDome(const char* meshFile) {
    if (m_pSkyDome) g_RenderHooks.deleteObject(m_pSkyDome);
    m_pSkyDome = g_RenderHooks.createSkyDome(meshFile);
}

void ESky::OnEndWorld() {
    if (m_pSkyDome) g_RenderHooks.deleteObject(m_pSkyDome);
    m_pSkyDome = nullptr;
}
