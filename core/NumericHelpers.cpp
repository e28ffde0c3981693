#include "core/NumericHelpers.h"

#include <cmath>

#include "core/ESettings.h"
#include "platform/os/Random.h"

namespace {
float Clamp01(float t) { return t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t); }
}  // namespace

uint32_t ChannelByte(float component) {
    if (!(component > 0.0f)) return 0;
    if (component >= 255.0f) return 255;
    return static_cast<uint32_t>(component);
}

float RandomFloat(float x) {
    int r = plat::Random() & 0x7FFF;
    return static_cast<float>(r) * x / 32768.0f;
}

void MoveTowards(float* value, float target, float step) {
    if (!value) return;
    if (*value < target) {
        *value += step;
        if (*value > target) *value = target;
    } else if (*value > target) {
        *value -= step;
        if (*value < target) *value = target;
    }
}

float Lerp(float a, float b, float t) { return a + (b - a) * Clamp01(t); }

uint32_t LerpColor(uint32_t colour1, uint32_t colour2, float t) {
    t = Clamp01(t);
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        float c1 = static_cast<float>((colour1 >> shift) & 0xFF);
        float c2 = static_cast<float>((colour2 >> shift) & 0xFF);
        uint32_t channel = static_cast<uint32_t>(c1 + (c2 - c1) * t);
        result |= (channel & 0xFF) << shift;
    }
    return result;
}

bool NearlyEqual(float a, float b, float tolerance) { return std::fabs(a - b) <= tolerance; }

DV LerpDV(const DV* a, const DV* b, float t) {
    if (!a || !b) return {};
    DV along = *b - *a;
    float distance = pmath::Length(along);
    if (distance == 0.0f) return *a;
    return *a + pmath::Normalize(along) * (distance * t);
}

uint32_t VectorToRGB(const DV* v, bool scale) {
    if (!v) return 0;
    float factor = scale ? 255.0f : 1.0f;
    return ChannelByte(v->x * factor) << 16 | ChannelByte(v->y * factor) << 8 | ChannelByte(v->z * factor);
}

bool IsInViewCone(const DV* position, const DV* direction, const DV* point, float halfAngle) {
    if (!position || !direction || !point || halfAngle < 0.0001f) return false;
    float cosine = pmath::Dot(pmath::Normalize(*direction), pmath::Normalize(*point - *position));
    if (cosine <= 0.0f) return false;
    // Rounding can put the cosine of two equal directions just above 1, where acos has no value.
    if (cosine > 1.0f) cosine = 1.0f;
    return std::acos(cosine) <= halfAngle;
}

bool ProjectToScreen(const DV& point, const pmath::Matrix& view, const pmath::Matrix& projection, float* x,
                     float* y) {
    constexpr float kMinW = 1e-6f;
    pmath::Vec4 clip = pmath::Transform(point, view * projection);
    if (clip.w <= kMinW) return false;
    float halfWidth = 512.0f * g_Settings.m_fScaleX;
    float halfHeight = 384.0f * g_Settings.m_fScaleY;
    if (x) *x = halfWidth + halfWidth * clip.x / clip.w;
    if (y) *y = halfHeight - halfHeight * clip.y / clip.w;
    return true;
}
