// The DDS reader on bytes in memory, with and without skipping stored levels.
#include "platform/gfx/DdsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gfx::ImageInfo info;
    gfx::ReadDdsInfo(data, size, info);
    for (uint32_t skip : {0u, 2u}) {
        gfx::DdsImage image;
        gfx::ReadDds(data, size, skip, image);
    }
    return 0;
}
