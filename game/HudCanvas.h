#pragma once
// Where the HUD draws: its quads and texts go to the screen through the device. Tests put a
// recorder of their own in its place and read what was drawn, in order.
#include <cstdint>

class ERect;
namespace gfx {
class BaseTexture;
}

class HudCanvas {
public:
    virtual ~HudCanvas() = default;

    // The 2-D states, kept on the holder quad, around a group of quads.
    virtual void BeginStates(ERect& holder);
    virtual void EndStates(ERect& holder);
    // A quad with its own texture, in the states begun; an uncreated quad draws nothing.
    virtual void Quad(ERect& quad);
    // A quad showing another texture (untinted, blended) through a viewport of its own, in pixels;
    // the device's viewport is put back afterwards.
    virtual void QuadInViewport(ERect& quad, const gfx::BaseTexture* texture, uint32_t x, uint32_t y, uint32_t width,
                                uint32_t height);
    // A text of the HUD's font (font 0); x is its centre when centred, else its left.
    virtual void Print(const char* text, float x, float y, uint32_t colour, float size, bool centred);
};

// The screen.
extern HudCanvas g_HudScreen;
