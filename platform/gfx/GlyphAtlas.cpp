#include "platform/gfx/GlyphAtlas.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/FreeTypeLibrary.h"

namespace gfx {
namespace {

// The characters 0x80 to 0xFF of the game's texts (Windows-1250); 0 where the code has none.
constexpr uint16_t kUpperHalf[128] = {
    0x20AC, 0, 0x201A, 0, 0x201E, 0x2026, 0x2020, 0x2021,
    0, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

uint32_t CodePoint(uint8_t c) { return c < 0x80 ? c : kUpperHalf[c - 0x80]; }

constexpr uint32_t kAtlasWidth = 512;

}  // namespace

bool GlyphAtlas::Build(const std::string& path, long index, int32_t height) {
    FT_Library library = FreeTypeLibrary();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, path.c_str(), index, &face) != 0) return false;
    // The height is the line's: ascent and descent together, as the faces' own metrics give them.
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_REAL_DIM, 0, static_cast<FT_Long>(height) * 64, 0, 0};
    if (FT_Request_Size(face, &request) != 0) {
        FT_Done_Face(face);
        return false;
    }
    m_lineHeight = height;
    int32_t ascent = static_cast<int32_t>((face->size->metrics.ascender + 32) >> 6);
    std::vector<std::vector<uint8_t>> bitmaps(256);
    for (int c = 32; c < 256; ++c) {
        uint32_t code = CodePoint(static_cast<uint8_t>(c));
        if (!code || FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& b = slot->bitmap;
        Glyph& g = m_glyphs[c];
        g.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = ascent - slot->bitmap_top;
        g.width = static_cast<int32_t>(b.width);
        g.height = static_cast<int32_t>(b.rows);
        if (b.pixel_mode != FT_PIXEL_MODE_GRAY) g.width = g.height = 0;
        for (int32_t row = 0; row < g.height; ++row) {
            const uint8_t* line = b.buffer + static_cast<ptrdiff_t>(row) * b.pitch;
            bitmaps[c].insert(bitmaps[c].end(), line, line + g.width);
        }
    }
    FT_Done_Face(face);

    // Shelves of glyphs, a free texel between neighbours so filtering never bleeds.
    uint32_t x = 1, y = 1, shelf = 0;
    for (Glyph& g : m_glyphs) {
        if (g.width == 0 || g.height == 0) continue;
        if (x + g.width + 1 > kAtlasWidth) x = 1, y += shelf + 1, shelf = 0;
        g.atlasX = static_cast<int32_t>(x);
        g.atlasY = static_cast<int32_t>(y);
        x += g.width + 1;
        shelf = std::max(shelf, static_cast<uint32_t>(g.height));
    }
    m_width = kAtlasWidth;
    m_height = y + shelf + 1;
    m_coverage.assign(size_t{m_width} * m_height, 0);
    for (int c = 0; c < 256; ++c) {
        const Glyph& g = m_glyphs[c];
        for (int32_t row = 0; row < g.height; ++row)
            std::memcpy(&m_coverage[size_t(g.atlasY + row) * m_width + g.atlasX],
                        &bitmaps[c][size_t(row) * g.width], static_cast<size_t>(g.width));
    }
    return true;
}

int32_t GlyphAtlas::MeasureLine(const char* text, int32_t count) const {
    int32_t width = 0;
    for (int32_t i = 0; i < count && text[i] && text[i] != '\n'; ++i) width += Get(text[i]).advance;
    return width;
}

}  // namespace gfx
