// The font lists: the input's two parts are "misc\fonts\names.txt" and "misc\fonts\faces.txt";
// every name read stays within its slot, ended.
#include <cstdlib>
#include <cstring>

#include "FuzzSupport.h"
#include "render/CTTFonts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFiles input({"misc\\fonts\\names.txt", "misc\\fonts\\faces.txt"}, data, size);
    std::memset(g_TTFonts.m_szFontFiles, 0, sizeof g_TTFonts.m_szFontFiles);
    std::memset(g_TTFonts.m_szFaceNames, 0, sizeof g_TTFonts.m_szFaceNames);
    g_TTFonts.LoadFontLists();
    for (int i = 0; i < CTTFonts::kSlots; ++i)
        if (strnlen(g_TTFonts.m_szFontFiles[i], CTTFonts::kNameSize) == CTTFonts::kNameSize ||
            strnlen(g_TTFonts.m_szFaceNames[i], CTTFonts::kNameSize) == CTTFonts::kNameSize)
            std::abort();
    return 0;
}
