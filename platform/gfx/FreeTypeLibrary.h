#pragma once
// The process's one FreeType library, made on first use; null when FreeType cannot start.
#include <ft2build.h>
#include FT_FREETYPE_H

namespace gfx {

FT_Library FreeTypeLibrary();

}  // namespace gfx
