#pragma once
// The game's own TrueType fonts, installed for the run.

class CTTFonts {
public:
    CTTFonts();
    virtual ~CTTFonts();

    void AddFontResources();
    void RemoveFontResources();
    void ReleaseFonts();
    // Draws a text at a pixel position (x, y), optionally centred on x or ending at x.
    void DrawTextUnscaled(const char* text, float x, float y, unsigned int colour, bool centre, bool right);
    // Around a device reset: every font object lets go of its device state, then takes it back.
    void OnLostDevice();
    void OnResetDevice();

    bool m_bInstalled;
};

extern CTTFonts g_TTFonts;
