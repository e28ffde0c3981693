#pragma once
// The console on screen. The console keeps its lines, input and loading-screen state here in
// core/; the floor that can draw (render/) implements this view and app/ installs it. The view's
// calls share the console's screen quads and buffers, which live with the view. This base draws
// nothing: it is the view while none is installed.
#include <cstdint>

class EConsole;

class ConsoleView {
public:
    virtual ~ConsoleView() = default;

    // The console bar: the open console's background quad and frame lines.
    virtual void CreateBar() {}
    virtual void ReleaseBar() {}
    // The open console (background, frame, the newest lines, the input line, the version) or the
    // closed one (the newest lines at the top left).
    virtual void DrawConsole(const EConsole& console) {}

    // The loading screen's quads: the text box with its picture, and the progress bar.
    virtual void CreateLoadingQuads(const char* picture) {}
    virtual void ReleaseProgressBar() {}
    virtual void ReleaseTextBox() {}
    // A loading frame drawn outside the normal frame: cleared to black and begun, then ended and
    // presented.
    virtual void BeginLoadingFrame() {}
    virtual void EndLoadingFrame() {}
    virtual void DrawTextBox() {}
    // The bar filled to the fraction (0..1).
    virtual void DrawProgressBar(float fraction) {}
    // A text in the glyph font at a position of the 1024 x 768 layout, size in layout units.
    virtual void PrintText(const char* text, float x, float y, uint32_t colour, float size) {}
};
