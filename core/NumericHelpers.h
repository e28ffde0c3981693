#pragma once
// Small numeric helpers shared by all subsystems.
#include <cstdint>

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
