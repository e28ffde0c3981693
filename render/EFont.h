#pragma once
// The glyph fonts: all in-game 2-D text. At device creation every character of a TrueType font is
// rendered into an atlas texture with a soft dark halo in its alpha; text is then drawn as one
// textured quad per character from a shared dynamic vertex buffer in the default pool. Glyph size
// is in layout units of height: a text of size s is drawn at s / 32 x the vertical scale factor.
#include <cstdint>
#include <memory>

#include "platform/gfx/Device.h"
#include "render/ERect.h"

// One built string: its own vertex buffer (or the shared one), glyph count and font.
class EText {
public:
    EText();
    ~EText();

    std::unique_ptr<gfx::VertexBuffer> m_pVB;
    uint32_t m_uCount;
    uint32_t m_uFont;
};

struct EFontRecord {
    static constexpr uint32_t kCodes = 256;
    static constexpr float kNoGlyph = 2.0f;

    EFontRecord();

    bool m_bBuilt;
    std::unique_ptr<gfx::Texture> m_pTexture;  // the atlas, managed pool
    uint32_t m_uWidth;
    uint32_t m_uHeight;
    float m_fULeft[kCodes], m_fURight[kCodes], m_fVTop[kCodes], m_fVBottom[kCodes];
    uint32_t m_uLeft[kCodes], m_uRight[kCodes], m_uTop[kCodes], m_uBottom[kCodes];
    uint32_t m_uTTSlot;
    // Held only while the glyphs are built: the glyphs are rendered into it, white on black.
    std::unique_ptr<gfx::Surface> m_pSystemSurface;
};

class EFont {
public:
    static constexpr uint32_t kCapacity = 256;     // characters per drawn text
    // Glyphs of one text that are drawn, and measured: the last character slot stays free.
    static constexpr uint32_t kMaxGlyphs = kCapacity - 1;
    static constexpr uint32_t kVertexSize = 28;    // pre-transformed x, y, z, rhw, colour, u, v
    static constexpr uint32_t kVertexFormat = 0x144;
    static constexpr uint32_t kMaxFonts = 8;
    static constexpr uint32_t kAtlasHeight = 640;

    EFont();
    virtual ~EFont();

    // Creates the shared buffer; prints a line and leaves it null when that fails.
    void CreateVB();
    // Builds glyph font 0 from TrueType slot 1 and glyph font 1 from slot 2, once until Release.
    void Create();
    void CreateFontTexture(uint32_t slot);
    void BuildGlyphs(uint32_t index);
    // Draws at once, from the shared buffer; nothing stays allocated.
    void Print(const char* text, float x, float y, uint32_t colour, float size, uint32_t font, bool centre,
               bool right);
    // Brackets a group of prints with the text states; nested Begins are ignored.
    void Begin();
    void Flush();
    void SetAdditive(bool additive);
    void SetLinearFilter(bool linear);
    // Pixel width of the glyphs a text would draw.
    float GetTextWidth(const char* text, float size, uint32_t font) const;
    EText* BuildText(const char* text, float x, float y, uint32_t colour, float size, uint32_t font, bool centre,
                     bool right, bool shared);
    void RenderText(EText* text, bool shared);
    void FreeText(EText* text);
    // Around a device reset: the shared buffer is released, then made again. Both are safe to
    // repeat; the atlases are managed and survive.
    void OnLostDevice();
    void OnResetDevice();
    void Release();
    void RenderTranslucent() {}

    // The atlas's alpha from the rendered glyphs (white on black, A8R8G8B8, rows `pitch` bytes
    // apart): a pixel's own brightness plus a glow from the 5 x 5 neighbourhood inside the image;
    // the colour is kept.
    static void AddHalo(const uint8_t* source, uint8_t* atlas, uint32_t width, uint32_t height, int32_t pitch);

    bool m_bCreated;
    uint32_t m_uFVF;
    uint32_t m_uCapacity;
    std::unique_ptr<gfx::VertexBuffer> m_pVB;
    EFontRecord m_Fonts[kMaxFonts];
    uint32_t m_uFontCount;
    uint32_t m_uSaved[ERect::kSavedStates];
    bool m_bBegun;

private:
    bool ValidFont(uint32_t font) const { return font < kMaxFonts && font < m_uFontCount; }
};

extern EFont g_Font;
