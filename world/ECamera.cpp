#include "world/ECamera.h"

#include <algorithm>
#include <cmath>

#include "render/D3DDevice.h"

ECamera g_Camera;

namespace {

constexpr float kMinGamma = 0.5f;
constexpr float kMaxGamma = 3.0f;
constexpr float kDefaultFarZ = 1000.0f;

void FillChannel(uint16_t (&channel)[256], float gamma) {
    double exponent = 1.0 / std::max(gamma, 0.01f);
    for (int i = 0; i < 256; ++i)
        channel[i] = static_cast<uint16_t>(std::min(65535.0, 65535.0 * std::pow(i / 255.0, exponent)));
}

}  // namespace

ECamera::ECamera()
    : m_fGamma(1.0f), m_fGammaR(1.0f), m_fGammaG(1.0f), m_fGammaB(1.0f), m_bOverride(0), m_fFarZ(kDefaultFarZ) {}

ECamera::~ECamera() = default;

void ECamera::SetGamma(float gamma) {
    gamma = std::clamp(gamma, kMinGamma, kMaxGamma);
    m_fGamma = m_fGammaR = m_fGammaG = m_fGammaB = gamma;
    ApplyGammaRamp();
}

void ECamera::SetGammaR(float gamma) {
    m_fGammaR = std::clamp(gamma, kMinGamma, kMaxGamma);
    ApplyGammaRamp();
}

void ECamera::SetGammaG(float gamma) {
    m_fGammaG = std::clamp(gamma, kMinGamma, kMaxGamma);
    ApplyGammaRamp();
}

void ECamera::SetGammaB(float gamma) {
    m_fGammaB = std::clamp(gamma, kMinGamma, kMaxGamma);
    ApplyGammaRamp();
}

void ECamera::GetGamma(float& gamma) const { gamma = m_fGamma; }

void ECamera::ApplyGammaRamp() {
    if (!g_pd3dDevice) return;
    gfx::GammaRamp ramp;
    FillChannel(ramp.red, m_fGammaR);
    FillChannel(ramp.green, m_fGammaG);
    FillChannel(ramp.blue, m_fGammaB);
    g_pd3dDevice->SetGammaRamp(gfx::SGR_CALIBRATE, ramp);
}

// The view and projection transforms arrive with the camera's placement.
void ECamera::SetupProjection() {}

void ECamera::SetFarZ(float distance) {
    m_fFarZ = distance;
    SetupProjection();
}

void ECamera::GetFarZ(float& distance) const { distance = m_fFarZ; }
