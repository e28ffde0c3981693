#include "core/NumericHelpers.h"

#include <cmath>

#include "platform/os/Random.h"

namespace {
float Clamp01(float t) { return t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t); }
}  // namespace

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
