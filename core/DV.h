#pragma once
// The three-float vector of positions, directions, sizes and colours (x, y, z; colours as red,
// green, blue in 0..1). It is the platform math vector itself, laid out x, y, z with each
// component starting at 0, so the math functions take it directly.
#include "platform/math/Vec3.h"

using DV = pmath::Vec3;
