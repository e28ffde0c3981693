#include "render/CTTFonts.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "platform/gfx/FontFiles.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"

CTTFonts g_TTFonts;

namespace {

constexpr const char* kNamesFile = "misc\\fonts\\names.txt";
constexpr const char* kFacesFile = "misc\\fonts\\faces.txt";
constexpr int kListLines = 8;

// Line n of a list file into row n of the table; false when the file cannot be opened.
bool ReadList(const char* file, char (&table)[CTTFonts::kSlots][CTTFonts::kNameSize]) {
    std::memset(table, 0, sizeof table);
    FILE* f = plat::OpenFile(file, "rt");
    if (!f) return false;
    for (int i = 0; i < kListLines; ++i) {
        ReadLine(f, table[i], CTTFonts::kNameSize - 1);
        if (std::feof(f)) break;
    }
    std::fclose(f);
    return true;
}

}  // namespace

CTTFonts::CTTFonts() : m_uCurrentSlot(0), m_pCurrentFont(nullptr), m_szFontFiles{}, m_szFaceNames{} {}

CTTFonts::~CTTFonts() = default;

void CTTFonts::LoadFontLists() {
    if (!ReadList(kNamesFile, m_szFontFiles)) g_Console.Print("font names can't be read!");
    if (!ReadList(kFacesFile, m_szFaceNames)) g_Console.Print("font faces can't be read!");
}

void CTTFonts::AddFontResources() {
    LoadFontLists();
    for (int i = 0; i < kInstalledFiles; ++i) gfx::AddFontResource(m_szFontFiles[i]);
}

void CTTFonts::RemoveFontResources() {
    for (int i = 0; i < kInstalledFiles; ++i) gfx::RemoveFontResource(m_szFontFiles[i]);
}

void CTTFonts::CreateFonts() {
    if (!g_pd3dDevice) return;
    const char* face = m_szFaceNames[1];
    const gfx::FontDesc slots[] = {
        {24, 400, "Tahoma"},
        {32, 0, face},
        {static_cast<int32_t>(std::trunc(18.0f * g_fScaleY)), 0, face},
        {static_cast<int32_t>(std::trunc(24.0f * g_fScaleY)), 0, face},
    };
    for (int slot = 0; slot < 4; ++slot) {
        char line[128];
        if (gfx::Failed(gfx::CreateFont(*g_pd3dDevice, slots[slot], m_pFonts[slot]))) {
            std::snprintf(line, sizeof line, "TTFont[%d] creation failed!", slot);
            g_Console.Print(line);
            continue;
        }
        if (m_pFonts[slot]->StandIn()) {
            std::snprintf(line, sizeof line, "TTFont[%d]: face \"%s\" is not installed, \"%s\" stands in", slot,
                          slots[slot].face.c_str(), m_pFonts[slot]->Family().c_str());
            g_Console.Print(line);
        }
    }
    SelectFont(0);
}

void CTTFonts::ReleaseFonts() {
    for (auto& font : m_pFonts) font.reset();
    m_pCurrentFont = nullptr;
}

void CTTFonts::OnLostDevice() {
    for (auto& font : m_pFonts)
        if (font) font->OnLostDevice();
}

void CTTFonts::OnResetDevice() {
    for (auto& font : m_pFonts)
        if (font) font->OnResetDevice();
}

void CTTFonts::SelectFont(uint32_t slot) {
    m_uCurrentSlot = slot;
    m_pCurrentFont = slot < kSlots ? m_pFonts[slot].get() : nullptr;
}

int32_t CTTFonts::MeasureText(const char* text) {
    if (!text || !m_pCurrentFont) return 0;
    gfx::Rect rect;
    m_pCurrentFont->DrawText(text, -1, &rect, gfx::DT_CALCRECT, 0xFFFFFFFF);
    return rect.right - rect.left;
}

void CTTFonts::DrawAt(const char* text, int32_t left, int32_t top, uint32_t colour, bool centre, bool right) {
    gfx::Rect rect{left, top, 0, 0};
    if (centre || right) {
        gfx::Rect measured = rect;
        m_pCurrentFont->DrawText(text, -1, &measured, gfx::DT_CALCRECT, colour);
        int32_t shift = centre ? (measured.right - measured.left) / 2 : measured.right - measured.left;
        rect.left -= shift;
        rect.right -= shift;
    }
    m_pCurrentFont->DrawText(text, -1, &rect, gfx::DT_NOCLIP, colour);
}

void CTTFonts::DrawText(const char* text, float x, float y, uint32_t colour, bool centre, bool right) {
    if (!text || !m_pCurrentFont) return;
    DrawAt(text, static_cast<int32_t>(x * g_fScaleX), static_cast<int32_t>(y * g_fScaleY), colour, centre, right);
}

void CTTFonts::DrawTextUnscaled(const char* text, float x, float y, uint32_t colour, bool centre, bool right) {
    if (!text || !m_pCurrentFont) return;
    DrawAt(text, static_cast<int32_t>(x), static_cast<int32_t>(y), colour, centre, right);
}

void CTTFonts::DrawTextInRect(const char* text, float, float, uint32_t colour, float left, float top, float right,
                              float bottom) {
    if (!text || !m_pCurrentFont) return;
    gfx::Rect rect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                   static_cast<int32_t>(bottom)};
    m_pCurrentFont->DrawText(text, -1, &rect, gfx::DT_LEFT, colour);
}

void CTTFonts::DrawTextOnSurface(gfx::Surface& surface, const char* text, int32_t x, int32_t y, uint32_t colour) {
    if (text && m_pCurrentFont) m_pCurrentFont->DrawTextOnSurface(surface, text, x, y, colour);
}
