#include "support/TextureFiles.h"

namespace test {

std::string TgaFile(uint32_t width, uint32_t height, uint32_t argb) {
    std::string file(18, '\0');
    file[2] = 2;  // uncompressed true colour
    file[12] = static_cast<char>(width & 0xFF);
    file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF);
    file[15] = static_cast<char>(height >> 8);
    file[16] = 32;
    file[17] = 0x28;  // top row first, eight alpha bits
    for (uint32_t i = 0; i < width * height; ++i)
        for (int shift : {0, 8, 16, 24}) file += static_cast<char>((argb >> shift) & 0xFF);
    return file;
}

}  // namespace test
