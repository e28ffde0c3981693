#pragma once
// The game's own TrueType fonts, installed for the run.

class CTTFonts {
public:
    CTTFonts();
    virtual ~CTTFonts();

    void AddFontResources();
    void RemoveFontResources();

    bool m_bInstalled;
};

extern CTTFonts g_TTFonts;
