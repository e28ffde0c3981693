#pragma once
// The glyphs of one TrueType face at one line height, for every character code of the game's
// single-byte texts (Windows-1250), rendered once into one coverage atlas (a byte per texel, rows
// from the top). A device's fonts upload it into a texture; the dialogs shown before any device
// exists draw from it too.
#include <cstdint>
#include <string>
#include <vector>

namespace gfx {

class GlyphAtlas {
public:
    struct Glyph {
        int32_t advance = 0;
        int32_t left = 0, top = 0;  // of the bitmap, from the pen and the line's top
        int32_t width = 0, height = 0;
        int32_t atlasX = 0, atlasY = 0;
    };

    // Renders the face of the file; the height is the line's, ascent and descent together. False
    // when the face cannot be read or sized.
    bool Build(const std::string& path, long index, int32_t height);

    const Glyph& Get(char c) const { return m_glyphs[static_cast<uint8_t>(c)]; }
    // Width in pixels of the text up to its first line break, NUL or count characters.
    int32_t MeasureLine(const char* text, int32_t count) const;
    int32_t LineHeight() const { return m_lineHeight; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint8_t Coverage(uint32_t x, uint32_t y) const { return m_coverage[size_t{y} * m_width + x]; }

private:
    Glyph m_glyphs[256];
    std::vector<uint8_t> m_coverage;
    uint32_t m_width = 0, m_height = 0;
    int32_t m_lineHeight = 0;
};

}  // namespace gfx
