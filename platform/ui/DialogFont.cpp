#include "platform/ui/DialogFont.h"

#include <SDL2/SDL.h>

#include <vector>

#include "platform/gfx/FontFiles.h"

namespace plat {

DialogFont::DialogFont(SDL_Renderer* renderer, int32_t lineHeight) : m_renderer(renderer) {
    gfx::FaceFile face;
    if (!gfx::FindFace(gfx::kStandInFace, 400, face) || !m_glyphs.Build(face.path, face.index, lineHeight)) {
        SDL_Log("furrow: the dialogs' face %s cannot be read; their texts are not drawn", gfx::kStandInFace);
        return;
    }
    // White glyphs whose coverage is their alpha: colour modulation tints them.
    uint32_t width = m_glyphs.Width(), height = m_glyphs.Height();
    std::vector<uint32_t> pixels(size_t{width} * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) pixels[size_t{y} * width + x] = uint32_t{m_glyphs.Coverage(x, y)} << 24 | 0xFFFFFF;
    m_atlas = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, int(width), int(height));
    if (!m_atlas) return;
    SDL_UpdateTexture(m_atlas, nullptr, pixels.data(), int(width) * 4);
    SDL_SetTextureBlendMode(m_atlas, SDL_BLENDMODE_BLEND);
}

DialogFont::~DialogFont() {
    if (m_atlas) SDL_DestroyTexture(m_atlas);
}

int DialogFont::Width(std::string_view text) const {
    return m_glyphs.MeasureLine(text.data(), static_cast<int32_t>(text.size()));
}

void DialogFont::Draw(int x, int y, std::string_view text, uint32_t argb) const {
    if (!m_atlas) return;
    SDL_SetTextureColorMod(m_atlas, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    for (char c : text) {
        const gfx::GlyphAtlas::Glyph& g = m_glyphs.Get(c);
        SDL_Rect source{g.atlasX, g.atlasY, g.width, g.height};
        SDL_Rect target{x + g.left, y + g.top, g.width, g.height};
        if (g.width > 0 && g.height > 0) SDL_RenderCopy(m_renderer, m_atlas, &source, &target);
        x += g.advance;
    }
}

}  // namespace plat
