#pragma once
// The game's own TrueType fonts: the font files named by "misc\fonts\names.txt" are installed for
// the run, and text fonts of the device are made from them with the face of
// "misc\fonts\faces.txt". Slot 0 draws the console and the diagnostic reports; slots 1 and 2 are
// rendered into the glyph fonts' atlases.
#include <cstdint>
#include <memory>

#include "platform/gfx/Font.h"

class CTTFonts {
public:
    static constexpr int kSlots = 8;
    static constexpr int kNameSize = 256;
    static constexpr int kInstalledFiles = 2;

    CTTFonts();
    virtual ~CTTFonts();

    // Fills both name tables from their files; a file that cannot be opened is reported and leaves
    // its table empty.
    void LoadFontLists();
    // Installs font files 1 and 2 for the run (after loading the lists); RemoveFontResources
    // uninstalls them.
    void AddFontResources();
    void RemoveFontResources();
    // Makes slots 0 to 3 on the device and selects slot 0. A face the machine lacks is drawn by
    // the stand-in face, and a console line says so.
    void CreateFonts();
    void ReleaseFonts();
    // Around a device reset, for every slot that exists.
    void OnLostDevice();
    void OnResetDevice();

    void SelectFont(uint32_t slot);
    // Width in pixels of the text in the current font; 0 for no text or no current font.
    int32_t MeasureText(const char* text);
    // Draws a text at a position in the 1024 x 768 layout (scaled to the screen), optionally
    // centred on x or ending at x (centre wins).
    void DrawText(const char* text, float x, float y, uint32_t colour, bool centre, bool right);
    // The same with x and y in pixels.
    void DrawTextUnscaled(const char* text, float x, float y, uint32_t colour, bool centre, bool right);
    // Draws clipped into the rectangle of the four truncated values; x and y are not used.
    void DrawTextInRect(const char* text, float x, float y, uint32_t colour, float left, float top, float right,
                        float bottom);
    // Renders the text with the current font onto a system-memory A8R8G8B8 surface at a pixel
    // position (the glyph fonts build their atlases this way).
    void DrawTextOnSurface(gfx::Surface& surface, const char* text, int32_t x, int32_t y, uint32_t colour);

    uint32_t m_uCurrentSlot;
    std::unique_ptr<gfx::Font> m_pFonts[kSlots];
    gfx::Font* m_pCurrentFont;
    char m_szFontFiles[kSlots][kNameSize];
    char m_szFaceNames[kSlots][kNameSize];

private:
    void DrawAt(const char* text, int32_t left, int32_t top, uint32_t colour, bool centre, bool right);
};

extern CTTFonts g_TTFonts;
