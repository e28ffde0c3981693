#pragma once
// The demo's pictures are uncompressed 32-bit TGA files, top row first, made texel by texel.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace tga {

using Texel = std::function<uint32_t(int x, int y)>;  // ARGB

inline bool Write(const std::filesystem::path& path, int width, int height, const Texel& texel) {
    std::vector<uint8_t> file(18, 0);
    file[2] = 2;  // uncompressed true colour
    file[12] = static_cast<uint8_t>(width & 0xFF);
    file[13] = static_cast<uint8_t>(width >> 8);
    file[14] = static_cast<uint8_t>(height & 0xFF);
    file[15] = static_cast<uint8_t>(height >> 8);
    file[16] = 32;
    file[17] = 0x28;  // top row first, eight alpha bits
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int shift : {0, 8, 16, 24}) file.push_back(static_cast<uint8_t>(texel(x, y) >> shift));
    FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace tga
