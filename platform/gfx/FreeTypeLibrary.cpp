#include "platform/gfx/FreeTypeLibrary.h"

namespace gfx {

FT_Library FreeTypeLibrary() {
    struct Library {
        FT_Library handle = nullptr;
        Library() {
            if (FT_Init_FreeType(&handle) != 0) handle = nullptr;
        }
        ~Library() {
            if (handle) FT_Done_FreeType(handle);
        }
    };
    static Library library;
    return library.handle;
}

}  // namespace gfx
