#include "platform/ui/DialogPainter.h"

#include <SDL2/SDL.h>

namespace plat {
namespace {

// Line heights of the texts.
constexpr int32_t kTextPixels = 18;
constexpr int32_t kTitlePixels = 30;

constexpr uint32_t kBackground = 0xFFE9E5DA;
constexpr uint32_t kFace = 0xFFD6D1C4;
constexpr uint32_t kFaceHeld = 0xFFB9B3A4;
constexpr uint32_t kEdge = 0xFF7A7466;
constexpr uint32_t kField = 0xFFFFFFFF;
constexpr uint32_t kInk = 0xFF1E1E1E;
constexpr uint32_t kGreyInk = 0xFF9A968C;
constexpr uint32_t kTitleInk = 0xFF2E5A1C;
constexpr uint32_t kFocus = 0xFF2F6FC0;
constexpr uint32_t kChosenRow = 0xFF2F6FC0;
constexpr uint32_t kChosenInk = 0xFFFFFFFF;

constexpr int kBoxSize = 16;  // a check box's square
constexpr int kArrowWidth = 20;
constexpr int kPadding = 6;

ControlRect Inset(const ControlRect& r, int by) { return {r.x + by, r.y + by, r.width - 2 * by, r.height - 2 * by}; }

}  // namespace

DialogPainter::DialogPainter(SDL_Window* window) {
    m_renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!m_renderer) {
        SDL_Log("furrow: a dialog cannot be drawn: %s", SDL_GetError());
        return;
    }
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
    m_font = std::make_unique<DialogFont>(m_renderer, kTextPixels);
    m_titleFont = std::make_unique<DialogFont>(m_renderer, kTitlePixels);
}

DialogPainter::~DialogPainter() {
    m_font.reset();
    m_titleFont.reset();
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
}

void DialogPainter::Paint(const DialogWindow& dialog) {
    if (!m_renderer) return;
    Fill({0, 0, dialog.Template().width, dialog.Template().height}, kBackground);
    for (int i = 0; i < int(dialog.Controls().size()); ++i) DrawControl(dialog, i);
    if (dialog.OpenList() >= 0) DrawOpenList(dialog, dialog.OpenList());
    SDL_RenderPresent(m_renderer);
}

void DialogPainter::Ink(uint32_t argb) {
    SDL_SetRenderDrawColor(m_renderer, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24);
}

void DialogPainter::Fill(const ControlRect& r, uint32_t argb) {
    Ink(argb);
    SDL_Rect rect{r.x, r.y, r.width, r.height};
    SDL_RenderFillRect(m_renderer, &rect);
}

void DialogPainter::Frame(const ControlRect& r, uint32_t argb) {
    Ink(argb);
    SDL_Rect rect{r.x, r.y, r.width, r.height};
    SDL_RenderDrawRect(m_renderer, &rect);
}

void DialogPainter::Line(int x0, int y0, int x1, int y1, uint32_t argb) {
    Ink(argb);
    SDL_RenderDrawLine(m_renderer, x0, y0, x1, y1);
}

void DialogPainter::Text(const DialogFont& font, const ControlRect& r, const std::string& text, uint32_t argb,
                         bool centred) {
    int x = centred ? r.x + (r.width - font.Width(text)) / 2 : r.x;
    font.Draw(x, r.y + (r.height - font.Height()) / 2, text, argb);
}

void DialogPainter::Picture(const DialogWindow::Control& c) {
    if (c.picture.empty()) return;
    SDL_Texture* texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                             c.pictureWidth, c.pictureHeight);
    if (!texture) return;
    SDL_UpdateTexture(texture, nullptr, c.picture.data(), c.pictureWidth * 4);
    const ControlRect& r = c.place.place;
    SDL_Rect target{r.x, r.y, r.width, r.height};
    SDL_RenderCopy(m_renderer, texture, nullptr, &target);
    SDL_DestroyTexture(texture);
}

void DialogPainter::DrawControl(const DialogWindow& dialog, int index) {
    const DialogWindow::Control& c = dialog.Controls()[index];
    const ControlRect& r = c.place.place;
    uint32_t ink = c.enabled ? kInk : kGreyInk;
    bool focused = dialog.Focus() == index;
    switch (c.place.kind) {
        case ControlKind::Picture: Picture(c); break;
        case ControlKind::Title: Text(*m_titleFont, r, c.text, kTitleInk, false); break;
        case ControlKind::Label: Text(*m_font, r, c.text, ink, false); break;
        case ControlKind::Button:
            Fill(r, dialog.Pressed() == index ? kFaceHeld : kFace);
            Frame(r, kEdge);
            if (focused) Frame(Inset(r, 2), kFocus);
            Text(*m_font, r, c.text, ink, true);
            break;
        case ControlKind::CheckBox: {
            ControlRect box{r.x, r.y + (r.height - kBoxSize) / 2, kBoxSize, kBoxSize};
            Fill(box, dialog.Pressed() == index ? kFace : kField);
            Frame(box, focused ? kFocus : kEdge);
            if (c.checked) {
                for (int d = 0; d < 2; ++d) {
                    Line(box.x + 3, box.y + 8 + d, box.x + 6, box.y + 11 + d, ink);
                    Line(box.x + 6, box.y + 11 + d, box.x + 12, box.y + 4 + d, ink);
                }
            }
            Text(*m_font, {box.x + kBoxSize + kPadding, r.y, r.width - kBoxSize - kPadding, r.height}, c.text, ink,
                 false);
            break;
        }
        case ControlKind::ComboBox: {
            Fill(r, c.enabled ? kField : kBackground);
            Frame(r, focused ? kFocus : kEdge);
            ControlRect arrow{r.x + r.width - kArrowWidth, r.y, kArrowWidth, r.height};
            Fill(Inset(arrow, 1), kFace);
            int cx = arrow.x + arrow.width / 2, cy = arrow.y + arrow.height / 2 - 2;
            for (int row = 0; row < 5; ++row) Line(cx - 4 + row, cy + row, cx + 4 - row, cy + row, ink);
            if (c.selection >= 0)
                Text(*m_font, {r.x + kPadding, r.y, r.width - kArrowWidth - kPadding, r.height},
                     c.items[c.selection], ink, false);
            break;
        }
    }
}

void DialogPainter::DrawOpenList(const DialogWindow& dialog, int index) {
    const DialogWindow::Control& c = dialog.Controls()[index];
    int entries = int(c.items.size());
    for (int i = 0; i < entries; ++i) {
        ControlRect row = ComboListRow(dialog.Template().height, c.place.place, entries, i);
        bool chosen = i == c.selection;
        Fill(row, chosen ? kChosenRow : kField);
        Text(*m_font, {row.x + kPadding, row.y, row.width - kPadding, row.height}, c.items[i],
             chosen ? kChosenInk : kInk, false);
    }
    ControlRect all = ComboListRow(dialog.Template().height, c.place.place, entries, 0);
    all.height = entries * kListRowHeight;
    Frame(all, kEdge);
}

}  // namespace plat
