#pragma once
// The text of the dialogs: a TrueType face baked once into a glyph atlas for SDL's 2-D renderer.
// Characters outside printable ASCII are drawn as '?'. Without the face file no text is drawn.
#include <cstdint>
#include <string_view>

#include <stb_truetype.h>

struct SDL_Renderer;
struct SDL_Texture;

namespace plat {

class DialogFont {
public:
    DialogFont(SDL_Renderer* renderer, float pixelHeight);
    ~DialogFont();
    DialogFont(const DialogFont&) = delete;
    DialogFont& operator=(const DialogFont&) = delete;

    int Width(std::string_view text) const;
    int Height() const { return m_lineHeight; }
    // Draws the text with the top of its line at y.
    void Draw(int x, int y, std::string_view text, uint32_t argb) const;

private:
    static constexpr int kFirst = 32;
    static constexpr int kCount = 95;
    static constexpr int kAtlasSize = 512;

    const stbtt_bakedchar& Glyph(char c) const;

    SDL_Renderer* m_renderer;
    SDL_Texture* m_atlas = nullptr;
    stbtt_bakedchar m_glyphs[kCount] = {};
    int m_ascent = 0;
    int m_lineHeight = 0;
};

}  // namespace plat
