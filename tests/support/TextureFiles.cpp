#include "support/TextureFiles.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "support/TestSupport.h"

namespace test {

std::string TgaFile(uint32_t width, uint32_t height, uint32_t argb) {
    return TgaFile(width, height, std::vector<uint32_t>(size_t{width} * height, argb));
}

std::string TgaFile(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb) {
    std::string file(18, '\0');
    file[2] = 2;  // uncompressed true colour
    file[12] = static_cast<char>(width & 0xFF);
    file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF);
    file[15] = static_cast<char>(height >> 8);
    file[16] = 32;
    file[17] = 0x28;  // top row first, eight alpha bits
    for (uint32_t texel : argb)
        for (int shift : {0, 8, 16, 24}) file += static_cast<char>((texel >> shift) & 0xFF);
    return file;
}

std::string BmpFile(uint32_t width, uint32_t height, uint32_t rgb) {
    const uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
    std::string file;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) file += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    file = "BM";
    put(54 + rowBytes * height, 4);
    put(0, 4);
    put(54, 4);  // the pixels' offset
    put(40, 4);  // the info header's size
    put(width, 4);
    put(height, 4);
    put(1, 2);   // planes
    put(24, 2);  // bits per pixel
    for (uint32_t v : {0u, rowBytes * height, 2835u, 2835u, 0u, 0u}) put(v, 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) put(rgb, 3);
        file.append(rowBytes - width * 3, '\0');
    }
    return file;
}

std::vector<uint8_t> DdsFile(uint32_t width, uint32_t height, uint32_t fourCC, uint32_t levels, bool cube,
                             const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> file(128 + payload.size());
    auto put = [&](size_t offset, uint32_t v) { std::memcpy(file.data() + offset, &v, 4); };
    std::memcpy(file.data(), "DDS ", 4);
    put(4, 124);
    put(12, height);
    put(16, width);
    put(28, levels);
    put(76, 32);
    if (fourCC) {
        put(80, 0x4);
        put(84, fourCC);
    } else {
        put(80, 0x41);
        put(88, 32);
        put(92, 0x00FF0000);
        put(96, 0x0000FF00);
        put(100, 0x000000FF);
        put(104, 0xFF000000);
    }
    if (cube) put(112, 0xFE00);
    std::copy(payload.begin(), payload.end(), file.begin() + 128);
    return file;
}

void WriteScreenTextures(const std::filesystem::path& startDir) {
    const std::filesystem::path dir = startDir / "textures";
    std::filesystem::create_directories(dir);
    const std::pair<const char*, uint32_t> textures[] = {
        {"czarne.tga", 0xFF000000}, {"hud_loading.tga", 0xFF406020}, {"hud_progress_bar.tga", 0x40FFFFFF},
        {"menu_pasek_pod_menu.tga", 0xC0203010}};
    for (const auto& [name, colour] : textures) WriteWholeFile(dir / name, TgaFile(4, 4, colour));
}

}  // namespace test
