// The texture substitutes file, then the substitutes of one texture looked up.
#include "FuzzSupport.h"
#include "render/ERenderer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("scripts\\texture_substitutes.txt", data, size);
    test::ResetGlobal(g_Renderer);
    g_Renderer.LoadTextureSubstitutes();
    g_Renderer.FindTextureSubstitutes("grass.tga");
    return 0;
}
