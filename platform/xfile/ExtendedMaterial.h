#pragma once
// A material as a .x file gives it: the colours and the texture file name (empty for none, as
// written in the file, folders included).
#include <string>

#include "platform/gfx/Material.h"

namespace xfile {

struct ExtendedMaterial {
    gfx::Material MatD3D;
    std::string TextureFilename;
};

}  // namespace xfile
