// Texture definition scripts, read for a registry of two textures.
#include <cstdint>

#include "FuzzSupport.h"
#include "render/ERenderer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = [] {
        const uint8_t none = 0;
        fuzz::WriteInput("t\\grass.tga", &none, 0);
        fuzz::WriteInput("t\\lake.dds", &none, 0);
        return true;
    }();
    (void)registered;
    fuzz::WriteInput("scripts\\textures.txt", data, size);
    test::ResetGlobal(g_Renderer);
    g_Renderer.InitTextures();
    return 0;
}
