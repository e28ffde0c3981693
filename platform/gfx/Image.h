#pragma once
// Textures from image files: TGA and BMP (decoded by stb) and DDS (our own reader). Files are
// game paths. A texture gets the file's size and, unless the file brings its own, the whole mip
// chain made by box filtering; its format is A8R8G8B8.
#include <memory>

#include "platform/gfx/Device.h"

namespace gfx {

Result GetImageInfoFromFile(const char* path, ImageInfo& info);

// Managed pool, whole chain, default filters.
Result CreateTextureFromFile(Device& device, const char* path, std::unique_ptr<Texture>& texture);
// mipFilter may carry SkipDdsMipLevels: that many of a DDS file's own levels are left out.
Result CreateTextureFromFileEx(Device& device, const char* path, Pool pool, uint32_t mipFilter,
                               std::unique_ptr<Texture>& texture);
// A DDS cube map gives its six faces; any other image is put on every face.
Result CreateCubeTextureFromFile(Device& device, const char* path, std::unique_ptr<CubeTexture>& texture);
Result CreateCubeTextureFromFileEx(Device& device, const char* path, Pool pool, uint32_t mipFilter,
                                   std::unique_ptr<CubeTexture>& texture);

// Loads a picture (any of the formats above) into the whole of a system-memory surface, stretched
// to the surface's size; pixels equal to the colour key (ARGB, 0 for none) become transparent
// black. The file's own description goes to info when given.
Result LoadSurfaceFromFile(Surface& surface, const char* path, uint32_t colourKey, ImageInfo* info);

}  // namespace gfx
