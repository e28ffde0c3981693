#include "platform/gfx/DdsReader.h"

#include <algorithm>
#include <cstring>

namespace gfx {
namespace {

constexpr uint32_t kMagic = 0x20534444;  // "DDS "
constexpr size_t kHeaderSize = 128;      // magic and the 124-byte header
constexpr uint32_t kPixelFourCC = 0x4;
constexpr uint32_t kPixelRgb = 0x40;
constexpr uint32_t kPixelAlpha = 0x1;
constexpr uint32_t kCaps2Cube = 0x200;
constexpr uint32_t kMaxEdge = 16384;

uint32_t Word(const uint8_t* p, size_t offset) {
    uint32_t v;
    std::memcpy(&v, p + offset, 4);
    return v;
}

struct Layout {
    ImageInfo info;
    uint32_t storedLevels;
    uint32_t faces;
    uint32_t bitCount;
    uint32_t masks[4];  // R, G, B, A
    bool hasAlpha;
};

bool ReadLayout(const uint8_t* data, size_t size, Layout& l) {
    if (!data || size < kHeaderSize || Word(data, 0) != kMagic || Word(data, 4) != 124) return false;
    l.info.height = Word(data, 12);
    l.info.width = Word(data, 16);
    l.storedLevels = std::max(1u, Word(data, 28));
    uint32_t pixelFlags = Word(data, 80);
    uint32_t fourCC = Word(data, 84);
    l.bitCount = Word(data, 88);
    for (int i = 0; i < 4; ++i) l.masks[i] = Word(data, 92 + 4 * i);
    l.hasAlpha = (pixelFlags & kPixelAlpha) != 0;
    l.faces = (Word(data, 112) & kCaps2Cube) ? uint32_t{CUBE_FACES} : 1u;
    if (l.info.width == 0 || l.info.height == 0 || l.info.width > kMaxEdge || l.info.height > kMaxEdge) return false;
    if (pixelFlags & kPixelFourCC) {
        if (fourCC != FMT_DXT1 && fourCC != FMT_DXT3 && fourCC != FMT_DXT5) return false;
        l.info.format = static_cast<Format>(fourCC);
    } else if ((pixelFlags & kPixelRgb) && (l.bitCount == 32 || l.bitCount == 24)) {
        l.info.format = l.hasAlpha ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
    } else {
        return false;
    }
    l.storedLevels = std::min(l.storedLevels, 32u);
    l.info.mipLevels = l.storedLevels;
    l.info.resourceType = l.faces == 1 ? RTYPE_TEXTURE : RTYPE_CUBETEXTURE;
    l.info.fileFormat = IFF_DDS;
    return true;
}

size_t LevelBytes(const Layout& l, uint32_t width, uint32_t height) {
    if (l.info.format == FMT_DXT1 || l.info.format == FMT_DXT3 || l.info.format == FMT_DXT5) {
        size_t blocks = size_t{(width + 3) / 4} * ((height + 3) / 4);
        return blocks * (l.info.format == FMT_DXT1 ? 8 : 16);
    }
    return size_t{width} * height * (l.bitCount / 8);
}

uint32_t Expand565(uint16_t c) {
    uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return (r * 255 / 31) << 16 | (g * 255 / 63) << 8 | (b * 255 / 31);
}

uint32_t Mix(uint32_t a, uint32_t b, uint32_t wa, uint32_t wb, uint32_t total) {
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= ((ca * wa + cb * wb) / total) << shift;
    }
    return out;
}

// The four colours of a colour block; the fourth is transparent black in DXT1's three-colour mode.
void ColourTable(const uint8_t* block, bool dxt1, uint32_t colours[4]) {
    uint16_t c0 = static_cast<uint16_t>(block[0] | block[1] << 8);
    uint16_t c1 = static_cast<uint16_t>(block[2] | block[3] << 8);
    colours[0] = Expand565(c0) | 0xFF000000u;
    colours[1] = Expand565(c1) | 0xFF000000u;
    if (c0 > c1 || !dxt1) {
        colours[2] = Mix(colours[0], colours[1], 2, 1, 3) | 0xFF000000u;
        colours[3] = Mix(colours[0], colours[1], 1, 2, 3) | 0xFF000000u;
    } else {
        colours[2] = Mix(colours[0], colours[1], 1, 1, 2) | 0xFF000000u;
        colours[3] = 0;
    }
}

// The sixteen alphas of a DXT5 alpha block.
void InterpolatedAlpha(const uint8_t* block, uint8_t alpha[16]) {
    uint32_t a[8] = {block[0], block[1]};
    if (a[0] > a[1]) {
        for (uint32_t i = 1; i < 7; ++i) a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
    } else {
        for (uint32_t i = 1; i < 5; ++i) a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
        a[6] = 0;
        a[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t{block[2 + i]} << (8 * i);
    for (int i = 0; i < 16; ++i) alpha[i] = static_cast<uint8_t>(a[(bits >> (3 * i)) & 7]);
}

void DecodeBlocks(const Layout& l, const uint8_t* src, uint32_t width, uint32_t height, uint32_t* out) {
    bool dxt1 = l.info.format == FMT_DXT1;
    size_t blockSize = dxt1 ? 8 : 16;
    for (uint32_t by = 0; by < (height + 3) / 4; ++by) {
        for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx, src += blockSize) {
            const uint8_t* colourBlock = dxt1 ? src : src + 8;
            uint32_t colours[4];
            ColourTable(colourBlock, dxt1, colours);
            uint8_t alpha[16];
            if (l.info.format == FMT_DXT5) InterpolatedAlpha(src, alpha);
            for (int i = 0; i < 16; ++i) {
                uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x >= width || y >= height) continue;
                uint32_t c = colours[(colourBlock[4 + i / 4] >> (2 * (i % 4))) & 3];
                if (l.info.format == FMT_DXT3) c = (c & 0xFFFFFF) | static_cast<uint32_t>(((src[i / 2] >> (4 * (i % 2))) & 15) * 17) << 24;
                if (l.info.format == FMT_DXT5) c = (c & 0xFFFFFF) | uint32_t{alpha[i]} << 24;
                out[size_t{y} * width + x] = c;
            }
        }
    }
}

uint32_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = __builtin_ctz(mask);
    uint32_t max = mask >> shift;
    return ((pixel & mask) >> shift) * 255 / max;
}

void DecodeRgb(const Layout& l, const uint8_t* src, uint32_t width, uint32_t height, uint32_t* out) {
    uint32_t bytes = l.bitCount / 8;
    for (size_t i = 0; i < size_t{width} * height; ++i, src += bytes) {
        uint32_t pixel = 0;
        std::memcpy(&pixel, src, bytes);
        uint32_t a = l.hasAlpha ? Channel(pixel, l.masks[3]) : 255;
        out[i] = a << 24 | Channel(pixel, l.masks[0]) << 16 | Channel(pixel, l.masks[1]) << 8 | Channel(pixel, l.masks[2]);
    }
}

}  // namespace

bool ReadDdsInfo(const uint8_t* data, size_t size, ImageInfo& info) {
    Layout l;
    if (!ReadLayout(data, size, l)) return false;
    info = l.info;
    return true;
}

namespace {

// Walks the stored levels of every face, handing each kept one (the first skipLevels of a face
// left out) to `keep` with its bytes and size; false when the file is shorter than its levels.
template <class Keep>
bool WalkLevels(const uint8_t* data, size_t size, const Layout& l, uint32_t skip, Keep keep) {
    size_t offset = kHeaderSize;
    for (uint32_t face = 0; face < l.faces; ++face) {
        for (uint32_t level = 0; level < l.storedLevels; ++level) {
            uint32_t w = std::max(1u, l.info.width >> level), h = std::max(1u, l.info.height >> level);
            size_t bytes = LevelBytes(l, w, h);
            if (bytes > size - offset) return false;
            if (level >= skip) keep(data + offset, bytes, w, h);
            offset += bytes;
        }
    }
    return true;
}

// The header's information less the skipped levels.
ImageInfo SkippedInfo(const Layout& l, uint32_t skip) {
    ImageInfo info = l.info;
    info.width = std::max(1u, l.info.width >> skip);
    info.height = std::max(1u, l.info.height >> skip);
    info.mipLevels = l.storedLevels - skip;
    return info;
}

}  // namespace

bool ReadDds(const uint8_t* data, size_t size, uint32_t skipLevels, DdsImage& image) {
    Layout l;
    if (!ReadLayout(data, size, l)) return false;
    uint32_t skip = std::min(skipLevels, l.storedLevels - 1);
    image.levels.clear();
    bool whole = WalkLevels(data, size, l, skip, [&](const uint8_t* bytes, size_t, uint32_t w, uint32_t h) {
        std::vector<uint32_t> pixels(size_t{w} * h);
        if (l.info.format == FMT_A8R8G8B8 || l.info.format == FMT_X8R8G8B8) DecodeRgb(l, bytes, w, h, pixels.data());
        else DecodeBlocks(l, bytes, w, h, pixels.data());
        image.levels.push_back(std::move(pixels));
    });
    if (!whole) return false;
    image.info = SkippedInfo(l, skip);
    return true;
}

bool ReadDdsBlocks(const uint8_t* data, size_t size, uint32_t skipLevels, DdsBlocks& image) {
    Layout l;
    if (!ReadLayout(data, size, l) || !IsCompressed(l.info.format)) return false;
    uint32_t skip = std::min(skipLevels, l.storedLevels - 1);
    image.levels.clear();
    bool whole = WalkLevels(data, size, l, skip, [&](const uint8_t* bytes, size_t n, uint32_t, uint32_t) {
        image.levels.emplace_back(bytes, bytes + n);
    });
    if (!whole) return false;
    image.info = SkippedInfo(l, skip);
    return true;
}

}  // namespace gfx
