#pragma once
// Text fonts of a device, made from TrueType faces (FontFiles.h): every character code of the
// game's single-byte texts (Windows-1250) is rendered once, when the font is made, into a glyph
// texture of the managed pool; text is then drawn as one textured quad per character into the
// device's current render target. A font keeps a vertex buffer of the default pool, released and
// made again around a device reset.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/gfx/GlyphAtlas.h"

namespace gfx {

// DrawText formats.
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;

struct FontDesc {
    int32_t height = 0;   // pixels from the top of the tallest character to the bottom of the lowest
    uint32_t weight = 0;  // 0 any, 400 regular, 700 bold
    std::string face;
};

class Font {
public:
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Draws the text's lines ('\n' breaks a line) from the rectangle's top left in the colour, the
    // characters blended over the target; without DT_NOCLIP only inside the rectangle. With
    // DT_CALCRECT nothing is drawn: the rectangle's right and bottom become the text's extent.
    // count -1 takes the whole text. Answers the height of the text.
    int32_t DrawText(const char* text, int32_t count, Rect* rect, uint32_t format, uint32_t colour);
    // The same characters rendered on the CPU onto a system-memory A8R8G8B8 surface, blended over
    // what it holds, the top of the line at y.
    void DrawTextOnSurface(Surface& surface, const char* text, int32_t x, int32_t y, uint32_t colour) const;
    // Width in pixels of one line of text.
    int32_t MeasureLine(const char* text, int32_t count) const;

    Result OnLostDevice();
    Result OnResetDevice();

    int32_t Height() const { return m_atlas.LineHeight(); }
    // The family that draws: the one asked for, or the stand-in when the machine lacks it.
    const std::string& Family() const { return m_family; }
    bool StandIn() const { return m_standIn; }

private:
    friend Result CreateFont(Device& device, const FontDesc& desc, std::unique_ptr<Font>& font);
    explicit Font(Device& device) : m_device(device) {}
    bool Build(const std::string& path, long index, int32_t height);
    void Flush(uint32_t glyphs);

    Device& m_device;
    std::string m_family;
    bool m_standIn = false;
    GlyphAtlas m_atlas;  // the glyph texture's alpha
    std::unique_ptr<Texture> m_texture;
    std::unique_ptr<VertexBuffer> m_vertices;
};

// A font of the face named in desc; when no face has that family, the stand-in family draws.
// Fails when neither can be had.
Result CreateFont(Device& device, const FontDesc& desc, std::unique_ptr<Font>& font);

}  // namespace gfx
