#pragma once
// Small image files for texture tests.
#include <cstdint>
#include <string>

namespace test {

// An uncompressed 32-bit TGA of width x height texels, all of one ARGB colour, rows from the top.
std::string TgaFile(uint32_t width, uint32_t height, uint32_t argb);

}  // namespace test
