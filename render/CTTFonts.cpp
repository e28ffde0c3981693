#include "render/CTTFonts.h"

CTTFonts g_TTFonts;

CTTFonts::CTTFonts() : m_bInstalled(false) {}

CTTFonts::~CTTFonts() = default;

void CTTFonts::AddFontResources() { m_bInstalled = true; }

void CTTFonts::RemoveFontResources() { m_bInstalled = false; }

// The faces are not rasterised yet: the text is not drawn.
void CTTFonts::DrawTextUnscaled(const char*, float, float, unsigned int, bool, bool) {}

// No font object is created yet.
void CTTFonts::ReleaseFonts() {}
void CTTFonts::OnLostDevice() {}
void CTTFonts::OnResetDevice() {}
