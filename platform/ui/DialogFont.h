#pragma once
// The text of the dialogs: the stand-in TrueType face's glyphs of the game's texts (Windows-1250)
// in one atlas texture of SDL's 2-D renderer. Without the face no text is drawn.
#include <cstdint>
#include <string_view>

#include "platform/gfx/GlyphAtlas.h"

struct SDL_Renderer;
struct SDL_Texture;

namespace plat {

class DialogFont {
public:
    DialogFont(SDL_Renderer* renderer, int32_t lineHeight);
    ~DialogFont();
    DialogFont(const DialogFont&) = delete;
    DialogFont& operator=(const DialogFont&) = delete;

    int Width(std::string_view text) const;
    int Height() const { return m_glyphs.LineHeight(); }
    // Draws the text with the top of its line at y.
    void Draw(int x, int y, std::string_view text, uint32_t argb) const;

private:
    SDL_Renderer* m_renderer;
    gfx::GlyphAtlas m_glyphs;
    SDL_Texture* m_atlas = nullptr;
};

}  // namespace plat
