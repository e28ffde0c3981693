// Texture definition scripts, read for a registry of two textures.
#include "FuzzSupport.h"
#include "render/ERenderer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The registry is the textures found on disk: two empty files, written once.
    static const bool registered = [] {
        for (const char* name : {"t/grass.tga", "t/lake.dds"}) test::WriteWholeFile(fuzz::StartDirectory() / name, "");
        return true;
    }();
    (void)registered;
    fuzz::InputFile input("scripts\\textures.txt", data, size);
    test::ResetGlobal(g_Renderer);
    g_Renderer.InitTextures();
    return 0;
}
