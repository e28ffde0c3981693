#include "platform/gfx/ImageWriter.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <vector>

#include "platform/os/Files.h"

namespace gfx {

Result SaveBackBufferToBmp(Device& device, const char* gamePath) {
    const uint32_t width = device.Parameters().backBufferWidth, height = device.Parameters().backBufferHeight;
    std::vector<uint32_t> argb(size_t{width} * height);
    if (!gamePath || argb.empty() || Failed(device.ReadBackBuffer(0, 0, width, height, argb.data())))
        return ERR_INVALIDCALL;
    std::vector<uint8_t> rgb(argb.size() * 3);
    for (size_t i = 0; i < argb.size(); ++i) {
        rgb[3 * i] = static_cast<uint8_t>(argb[i] >> 16);
        rgb[3 * i + 1] = static_cast<uint8_t>(argb[i] >> 8);
        rgb[3 * i + 2] = static_cast<uint8_t>(argb[i]);
    }
    std::string path = plat::ResolvePath(gamePath).string();
    return stbi_write_bmp(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, rgb.data()) ? OK
                                                                                                        : ERR_FAIL;
}

}  // namespace gfx
