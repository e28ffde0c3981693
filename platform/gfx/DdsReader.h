#pragma once
// Our reader of DDS image files: DXT1, DXT3 and DXT5 blocks and uncompressed 24- and 32-bit
// pixels, plain textures and cube maps, with their stored mip levels. Pixels come out as ARGB.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/GfxTypes.h"

namespace gfx {

struct DdsImage {
    ImageInfo info;
    // faces (1, or 6 for a cube) x stored levels, face-major; each level's pixels row by row
    // from the top.
    std::vector<std::vector<uint32_t>> levels;
};

// The stored levels of a DXT file as their blocks, undecoded.
struct DdsBlocks {
    ImageInfo info;
    // faces x stored levels, face-major.
    std::vector<std::vector<uint8_t>> levels;
};

// Reads the header only.
bool ReadDdsInfo(const uint8_t* data, size_t size, ImageInfo& info);
// Reads the whole image, leaving out its first skipLevels levels when the file has more.
bool ReadDds(const uint8_t* data, size_t size, uint32_t skipLevels, DdsImage& image);
// The same for a DXT file, keeping the blocks; false for any other file.
bool ReadDdsBlocks(const uint8_t* data, size_t size, uint32_t skipLevels, DdsBlocks& image);

}  // namespace gfx
