#pragma once
// Draws a dialog into its window with SDL's 2-D renderer (software: it runs before any graphics
// device exists, on every display): the controls in template order, the focus, a held button,
// an open combo box list on top.
#include "platform/ui/DialogFont.h"
#include "platform/ui/DialogWindow.h"

struct SDL_Window;

namespace plat {

class DialogPainter {
public:
    explicit DialogPainter(SDL_Window* window);
    ~DialogPainter();
    DialogPainter(const DialogPainter&) = delete;
    DialogPainter& operator=(const DialogPainter&) = delete;

    void Paint(const DialogWindow& dialog);

private:
    void Ink(uint32_t argb);  // the colour of the next fill or line
    void Fill(const ControlRect& r, uint32_t argb);
    void Frame(const ControlRect& r, uint32_t argb);
    void Line(int x0, int y0, int x1, int y1, uint32_t argb);
    void Text(const DialogFont& font, const ControlRect& r, const std::string& text, uint32_t argb, bool centred);
    void Picture(const DialogWindow::Control& c);
    void DrawControl(const DialogWindow& dialog, int index);
    void DrawOpenList(const DialogWindow& dialog, int index);

    SDL_Renderer* m_renderer = nullptr;
    std::unique_ptr<DialogFont> m_font;
    std::unique_ptr<DialogFont> m_titleFont;
};

}  // namespace plat
