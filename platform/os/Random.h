#pragma once
// The one shared random generator, with the 15-bit linear congruential rules of the C runtime the
// game's formulas were tuned against: results 0..RandomMax, the same sequence for the same seed.
#include <cstdint>

namespace plat {

constexpr int RandomMax = 32767;

void SeedRandom(uint32_t seed);
int Random();

}  // namespace plat
