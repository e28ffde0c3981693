#pragma once
// Small numeric helpers shared by all subsystems.
#include <cstdint>

#include "core/DV.h"
#include "platform/math/Matrix.h"

// r * x / 32768 with r the shared generator's next 15-bit number: 0 <= result < x for positive x.
float RandomFloat(float x);

// Moves *value towards target by step without passing it; null does nothing.
void MoveTowards(float* value, float target, float step);

// a + (b - a) * t with t clamped to 0..1.
float Lerp(float a, float b, float t);

// Per channel (alpha, red, green, blue bytes of an ARGB colour) c1 + (c2 - c1) * t, t clamped to
// 0..1, each channel truncated to an integer.
uint32_t LerpColor(uint32_t colour1, uint32_t colour2, float t);

// True when |a - b| <= tolerance.
bool NearlyEqual(float a, float b, float tolerance);

// The point a + (b - a) * t, t not clamped: a plus the direction from a to b times the distance
// times t. a when the two coincide, (0, 0, 0) when either is null.
DV LerpDV(const DV* a, const DV* b, float t);

// A colour channel from a component: its whole part, held within a byte (0 for NaN) so that an
// out-of-range component cannot spill into the neighbouring channel.
uint32_t ChannelByte(float component);

// 0x00RRGGBB from x (red), y (green) and z (blue), each truncated to an integer and held within
// 0..255; with scale each component is first multiplied by 255. A null vector gives 0.
uint32_t VectorToRGB(const DV* v, bool scale);

// True when point lies within halfAngle (radians) of the direction seen from position and in
// front of it. False for a null pointer or a half-angle below 0.0001.
bool IsInViewCone(const DV* position, const DV* direction, const DV* point, float halfAngle);

// The point through the view and the projection onto the 1024 x 768 layout scaled by the
// settings' 2-D scale factors, centred on the screen. A point behind the eye or on its plane has
// no place on the screen: false, and x and y are left alone.
bool ProjectToScreen(const DV& point, const pmath::Matrix& view, const pmath::Matrix& projection, float* x,
                     float* y);
