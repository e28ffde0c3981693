#include "platform/gfx/Image.h"

#include <stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/DdsReader.h"
#include "platform/os/Files.h"

namespace gfx {
namespace {

// A decoded image: faces x levels of ARGB pixels, face-major.
struct Pixels {
    ImageInfo info;
    uint32_t faces = 1;
    std::vector<std::vector<uint32_t>> levels;
};

bool IsDds(const std::vector<char>& bytes) { return bytes.size() >= 4 && std::memcmp(bytes.data(), "DDS ", 4) == 0; }

const uint8_t* Bytes(const std::vector<char>& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }

ImageFileFormat StbFileFormat(const std::vector<char>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? IFF_BMP : IFF_TGA;
}

// The next level down: every texel the mean of up to four above it.
std::vector<uint32_t> HalfSize(const std::vector<uint32_t>& src, uint32_t width, uint32_t height) {
    uint32_t w = std::max(1u, width / 2), h = std::max(1u, height / 2);
    std::vector<uint32_t> out(size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t x0 = std::min(2 * x, width - 1), x1 = std::min(2 * x + 1, width - 1);
            uint32_t y0 = std::min(2 * y, height - 1), y1 = std::min(2 * y + 1, height - 1);
            uint32_t texels[4] = {src[size_t{y0} * width + x0], src[size_t{y0} * width + x1],
                                  src[size_t{y1} * width + x0], src[size_t{y1} * width + x1]};
            uint32_t result = 0;
            for (int shift : {0, 8, 16, 24}) {
                uint32_t sum = 0;
                for (uint32_t t : texels) sum += (t >> shift) & 0xFF;
                result |= ((sum + 2) / 4) << shift;
            }
            out[size_t{y} * w + x] = result;
        }
    }
    return out;
}

bool DecodeStb(const std::vector<char>& bytes, Pixels& out) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(Bytes(bytes), static_cast<int>(bytes.size()), &w, &h, &channels, 4);
    if (!rgba) return false;
    std::vector<uint32_t> argb(size_t(w) * h);
    for (size_t i = 0; i < argb.size(); ++i) {
        const stbi_uc* p = rgba + 4 * i;
        argb[i] = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
    stbi_image_free(rgba);
    out.info.width = static_cast<uint32_t>(w);
    out.info.height = static_cast<uint32_t>(h);
    out.info.format = channels == 4 ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
    out.info.fileFormat = StbFileFormat(bytes);
    out.levels.push_back(std::move(argb));
    return true;
}

bool Decode(const std::vector<char>& bytes, uint32_t skipLevels, Pixels& out) {
    if (!IsDds(bytes)) return DecodeStb(bytes, out);
    DdsImage dds;
    if (!ReadDds(Bytes(bytes), bytes.size(), skipLevels, dds)) return false;
    out.info = dds.info;
    out.faces = dds.info.resourceType == RTYPE_CUBETEXTURE ? uint32_t{CUBE_FACES} : 1u;
    out.levels = std::move(dds.levels);
    return true;
}

// The pixels of one level of one face: stored, or made from the level above.
const std::vector<uint32_t>& LevelPixels(Pixels& image, uint32_t face, uint32_t level,
                                         std::vector<uint32_t>& made) {
    uint32_t stored = image.info.mipLevels;
    if (level < stored) return image.levels[size_t{face} * stored + level];
    made = HalfSize(made, std::max(1u, image.info.width >> (level - 1)), std::max(1u, image.info.height >> (level - 1)));
    return made;
}

// Fills every level of one face of the texture from the image.
void FillFace(Pixels& image, uint32_t face, BaseTexture& texture) {
    std::vector<uint32_t> made;
    for (uint32_t level = 0; level < texture.GetLevelCount(); ++level) {
        const std::vector<uint32_t>& pixels = LevelPixels(image, std::min(face, image.faces - 1), level, made);
        if (&pixels != &made) made = pixels;
        LockedRect rect;
        if (Failed(texture.LockFace(face, level, rect))) return;
        std::memcpy(rect.bits, pixels.data(), pixels.size() * sizeof(uint32_t));
        texture.UnlockFace(face, level);
    }
}

// The image's size and format from its header alone.
Result ReadInfo(const std::vector<char>& bytes, ImageInfo& info) {
    if (IsDds(bytes)) return ReadDdsInfo(Bytes(bytes), bytes.size(), info) ? OK : ERR_INVALIDDATA;
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(Bytes(bytes), static_cast<int>(bytes.size()), &w, &h, &channels))
        return ERR_INVALIDDATA;
    info = ImageInfo{};
    info.width = static_cast<uint32_t>(w);
    info.height = static_cast<uint32_t>(h);
    info.format = channels == 4 ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
    info.fileFormat = StbFileFormat(bytes);
    return OK;
}

uint32_t Le(const std::vector<char>& bytes, size_t offset, size_t count) {
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i) v |= uint32_t{static_cast<uint8_t>(bytes[offset + i])} << (8 * i);
    return v;
}

// The fewest bytes of pixel data a TGA of this header can have, or -1 when the header is not one
// of a TGA that stb read as this image. A run-length packet covers at most 128 pixels.
int64_t TgaPixelBytes(const std::vector<char>& bytes, const ImageInfo& info) {
    constexpr size_t kHeader = 18;
    if (bytes.size() < kHeader) return -1;
    uint32_t type = static_cast<uint8_t>(bytes[2]);  // 1-3 plain, 9-11 run-length coded
    bool runLength = type >= 9 && type <= 11;
    if (!runLength && (type < 1 || type > 3)) return -1;
    uint64_t width = Le(bytes, 12, 2), height = Le(bytes, 14, 2);
    if (width != info.width || height != info.height) return -1;
    uint64_t pixelSize = (static_cast<uint8_t>(bytes[16]) + 7u) / 8u;
    uint64_t colourMap = bytes[1] == 1 ? Le(bytes, 5, 2) * ((static_cast<uint8_t>(bytes[7]) + 7u) / 8u) : 0;
    uint64_t pixels = width * height;
    uint64_t data = runLength ? (pixels + 127) / 128 * (1 + pixelSize) : pixels * pixelSize;
    return static_cast<int64_t>(kHeader + static_cast<uint8_t>(bytes[0]) + colourMap + data);
}

// The same for a BMP: its pixel rows, padded to four bytes, from the offset its header gives.
// Run-length BMPs are refused by stb anyway.
int64_t BmpPixelBytes(const std::vector<char>& bytes) {
    if (bytes.size() < 30 || bytes[0] != 'B' || bytes[1] != 'M') return -1;
    uint32_t headerSize = Le(bytes, 14, 4);
    int64_t width, height;
    uint32_t bitCount, compression = 0;
    if (headerSize == 12) {
        width = static_cast<int16_t>(Le(bytes, 18, 2));
        height = static_cast<int16_t>(Le(bytes, 20, 2));
        bitCount = Le(bytes, 24, 2);
    } else if (headerSize == 40 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        if (bytes.size() < 34) return -1;
        width = static_cast<int32_t>(Le(bytes, 18, 4));
        height = static_cast<int32_t>(Le(bytes, 22, 4));
        bitCount = Le(bytes, 28, 2);
        compression = Le(bytes, 30, 4);
    } else {
        return -1;
    }
    if (compression != 0 && compression != 3 && compression != 6) return -1;
    int64_t rowBytes = (std::abs(width) * bitCount + 31) / 32 * 4;
    return int64_t{Le(bytes, 10, 4)} + rowBytes * std::abs(height);
}

// stb decodes a file that ends before its pixels do as if the rest were black, so eighteen bytes
// of TGA header can become a texture of gigabytes with all its levels. A file must hold every
// pixel its header claims, as our DDS reader already demands.
bool HoldsItsPixels(const std::vector<char>& bytes, const ImageInfo& info) {
    int64_t needed = std::max(TgaPixelBytes(bytes, info), BmpPixelBytes(bytes));
    return needed < 0 || static_cast<uint64_t>(needed) <= bytes.size();
}

// stb decodes a whole image before its size can be looked at, and a few damaged header bytes can
// claim gigabytes of pixels (a run-length coded TGA needs little more data than that). So a TGA or
// BMP is judged from its header first: ERR_INVALIDCALL, as the device answers, for an image larger
// than the device's largest texture; ERR_INVALIDDATA for one whose file is too short for it.
Result CheckHeader(const Device& device, const std::vector<char>& bytes) {
    if (IsDds(bytes)) return OK;
    ImageInfo info;
    if (Failed(ReadInfo(bytes, info))) return ERR_INVALIDDATA;
    Caps caps;
    if (!Failed(device.GetDeviceCaps(caps)) &&
        (info.width > caps.maxTextureWidth || info.height > caps.maxTextureHeight))
        return ERR_INVALIDCALL;
    return HoldsItsPixels(bytes, info) ? OK : ERR_INVALIDDATA;
}

// Checks and decodes the file's bytes for a texture of the device.
Result Load(const Device& device, const std::vector<char>& bytes, uint32_t mipFilter, Pixels& image) {
    if (Result r = CheckHeader(device, bytes); Failed(r)) return r;
    return Decode(bytes, SkippedDdsMipLevels(mipFilter), image) ? OK : ERR_INVALIDDATA;
}

Result ReadFile(const char* path, std::vector<char>& bytes) {
    return path && plat::ReadFileBytes(path, bytes) ? OK : ERR_INVALIDDATA;
}

// A DXT file's blocks, kept as they are when the device samples them compressed: 4 to 8 times
// less memory than decoded texels. False when the texture is to be made from decoded pixels.
bool KeepsBlocks(const Device& device, const std::vector<char>& bytes, uint32_t mipFilter, DdsBlocks& blocks) {
    Caps caps;
    return IsDds(bytes) && !Failed(device.GetDeviceCaps(caps)) && caps.compressedTextures &&
           ReadDdsBlocks(Bytes(bytes), bytes.size(), SkippedDdsMipLevels(mipFilter), blocks);
}

// Fills every level of one face from the blocks the file stores; the device makes the rest.
void FillBlocks(const DdsBlocks& blocks, uint32_t face, BaseTexture& texture) {
    uint32_t stored = std::min(blocks.info.mipLevels, texture.GetLevelCount());
    uint32_t sourceFace = blocks.info.resourceType == RTYPE_CUBETEXTURE ? face : 0;
    for (uint32_t level = 0; level < stored; ++level) {
        const std::vector<uint8_t>& source = blocks.levels[size_t{sourceFace} * blocks.info.mipLevels + level];
        LockedRect rect;
        if (Failed(texture.LockFace(face, level, rect))) return;
        std::memcpy(rect.bits, source.data(), source.size());
        texture.UnlockFace(face, level);
    }
    if (face + 1 == (texture.GetType() == RTYPE_CUBETEXTURE ? uint32_t{CUBE_FACES} : 1u))
        texture.GenerateMipSubLevels(stored);
}

}  // namespace

Result GetImageInfoFromFile(const char* path, ImageInfo& info) {
    std::vector<char> bytes;
    if (!path || !plat::ReadFileBytes(path, bytes)) return ERR_INVALIDCALL;
    return ReadInfo(bytes, info);
}

Result CreateTextureFromFile(Device& device, const char* path, std::unique_ptr<Texture>& texture) {
    return CreateTextureFromFileEx(device, path, POOL_MANAGED, FILTER_DEFAULT, texture);
}

Result CreateTextureFromFileEx(Device& device, const char* path, Pool pool, uint32_t mipFilter,
                               std::unique_ptr<Texture>& texture) {
    std::vector<char> bytes;
    if (Result r = ReadFile(path, bytes); Failed(r)) return r;
    if (DdsBlocks blocks; KeepsBlocks(device, bytes, mipFilter, blocks)) {
        std::unique_ptr<Texture> made;
        Result r = device.CreateTexture(blocks.info.width, blocks.info.height, 0, 0, blocks.info.format, pool, made);
        if (Failed(r)) return r;
        FillBlocks(blocks, 0, *made);
        texture = std::move(made);
        return OK;
    }
    Pixels image;
    if (Result r = Load(device, bytes, mipFilter, image); Failed(r)) return r;
    std::unique_ptr<Texture> made;
    Result r = device.CreateTexture(image.info.width, image.info.height, 0, 0, FMT_A8R8G8B8, pool, made);
    if (Failed(r)) return r;
    FillFace(image, 0, *made);
    texture = std::move(made);
    return OK;
}

Result CreateCubeTextureFromFile(Device& device, const char* path, std::unique_ptr<CubeTexture>& texture) {
    return CreateCubeTextureFromFileEx(device, path, POOL_MANAGED, FILTER_DEFAULT, texture);
}

Result CreateCubeTextureFromFileEx(Device& device, const char* path, Pool pool, uint32_t mipFilter,
                                   std::unique_ptr<CubeTexture>& texture) {
    std::vector<char> bytes;
    if (Result r = ReadFile(path, bytes); Failed(r)) return r;
    if (DdsBlocks blocks; KeepsBlocks(device, bytes, mipFilter, blocks)) {
        if (blocks.info.width != blocks.info.height) return ERR_INVALIDDATA;
        std::unique_ptr<CubeTexture> made;
        Result r = device.CreateCubeTexture(blocks.info.width, 0, 0, blocks.info.format, pool, made);
        if (Failed(r)) return r;
        for (uint32_t face = 0; face < CUBE_FACES; ++face) FillBlocks(blocks, face, *made);
        texture = std::move(made);
        return OK;
    }
    Pixels image;
    if (Result r = Load(device, bytes, mipFilter, image); Failed(r)) return r;
    if (image.info.width != image.info.height) return ERR_INVALIDDATA;
    std::unique_ptr<CubeTexture> made;
    Result r = device.CreateCubeTexture(image.info.width, 0, 0, FMT_A8R8G8B8, pool, made);
    if (Failed(r)) return r;
    for (uint32_t face = 0; face < CUBE_FACES; ++face) FillFace(image, face, *made);
    texture = std::move(made);
    return OK;
}

namespace {

constexpr uint32_t kLargestPicture = 8192;

// One channel of the picture sampled between texels, for a stretched copy.
uint32_t Bilinear(const std::vector<uint32_t>& src, uint32_t width, uint32_t height, float fx, float fy) {
    fx = std::clamp(fx, 0.0f, static_cast<float>(width - 1));
    fy = std::clamp(fy, 0.0f, static_cast<float>(height - 1));
    auto x0 = static_cast<uint32_t>(fx), y0 = static_cast<uint32_t>(fy);
    uint32_t x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
    uint32_t result = 0;
    for (int shift : {0, 8, 16, 24}) {
        auto c = [&](uint32_t x, uint32_t y) { return static_cast<float>((src[size_t{y} * width + x] >> shift) & 0xFF); };
        float top = c(x0, y0) + (c(x1, y0) - c(x0, y0)) * tx, bottom = c(x0, y1) + (c(x1, y1) - c(x0, y1)) * tx;
        result |= static_cast<uint32_t>(top + (bottom - top) * ty + 0.5f) << shift;
    }
    return result;
}

}  // namespace

Result LoadSurfaceFromFile(Surface& surface, const char* path, uint32_t colourKey, ImageInfo* info) {
    std::vector<char> bytes;
    Pixels image;
    LockedRect locked;
    if (!path || !plat::ReadFileBytes(path, bytes)) return ERR_INVALIDDATA;
    // As for textures: a header claiming more than any picture the game shows is refused unread.
    ImageInfo header;
    if (Failed(ReadInfo(bytes, header)) || header.width > kLargestPicture || header.height > kLargestPicture ||
        !Decode(bytes, 0, image))
        return ERR_INVALIDDATA;
    if (Failed(surface.LockRect(locked, 0))) return ERR_INVALIDCALL;
    const uint32_t w = image.info.width, h = image.info.height;
    const std::vector<uint32_t>& src = image.levels.front();
    const bool same = w == surface.Width() && h == surface.Height();
    for (uint32_t y = 0; y < surface.Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + size_t{y} * locked.pitch);
        for (uint32_t x = 0; x < surface.Width(); ++x) {
            // Texel centres of the surface mapped onto the picture's.
            uint32_t p = same ? src[size_t{y} * w + x]
                              : Bilinear(src, w, h, (x + 0.5f) * w / surface.Width() - 0.5f,
                                         (y + 0.5f) * h / surface.Height() - 0.5f);
            row[x] = colourKey && p == colourKey ? 0 : p;
        }
    }
    surface.UnlockRect();
    if (info) *info = image.info;
    return OK;
}

}  // namespace gfx
