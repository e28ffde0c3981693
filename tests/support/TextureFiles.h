#pragma once
// Small image files for texture tests.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace test {

// An uncompressed 32-bit TGA of width x height texels, all of one ARGB colour, rows from the top.
std::string TgaFile(uint32_t width, uint32_t height, uint32_t argb);
// The same with one ARGB colour per texel, row by row from the top.
std::string TgaFile(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb);

// An uncompressed 24-bit BMP of width x height pixels, all of one RGB colour, rows padded to four
// bytes.
std::string BmpFile(uint32_t width, uint32_t height, uint32_t rgb);

// A DDS file of the given size, four-character code (0: 32-bit ARGB), level count and faces,
// followed by `payload` bytes.
std::vector<uint8_t> DdsFile(uint32_t width, uint32_t height, uint32_t fourCC, uint32_t levels, bool cube,
                             const std::vector<uint8_t>& payload);

// The 2-D textures every run asks for by name (the console's background, the loading screen's
// picture and bars), as small pictures below a start directory: a name the registry cannot find
// ends the program.
void WriteScreenTextures(const std::filesystem::path& startDir);

}  // namespace test
