// Image files made into textures and cube textures on the null device. The first byte picks
// the file's extension, so the TGA, BMP and DDS paths are all reached.
#include <memory>

#include "FuzzSupport.h"
#include "platform/gfx/Image.h"
#include "platform/gfx/NullSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const kNames[] = {"image.tga", "image.bmp", "image.dds"};
    const char* name = kNames[data[0] % 3];
    fuzz::InputFile input(name, data + 1, size - 1);
    static gfx::NullDevice device(gfx::PresentParameters{}, 0);
    gfx::ImageInfo info;
    gfx::GetImageInfoFromFile(name, info);
    std::unique_ptr<gfx::Texture> texture;
    gfx::CreateTextureFromFile(device, name, texture);
    std::unique_ptr<gfx::CubeTexture> cube;
    gfx::CreateCubeTextureFromFile(device, name, cube);
    return 0;
}
