#include "platform/ui/DialogFont.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace plat {
namespace {

// The face of the dialogs (Debian's fonts-dejavu-core).
constexpr const char* kFaceFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<unsigned char> ReadFace() {
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(kFaceFile, "rb");
    if (!file) return bytes;
    unsigned char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

}  // namespace

DialogFont::DialogFont(SDL_Renderer* renderer, float pixelHeight) : m_renderer(renderer) {
    std::vector<unsigned char> face = ReadFace();
    stbtt_fontinfo info;
    if (face.empty() || !stbtt_InitFont(&info, face.data(), stbtt_GetFontOffsetForIndex(face.data(), 0))) {
        SDL_Log("furrow: the dialogs' face %s cannot be read; their texts are not drawn", kFaceFile);
        return;
    }
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
    m_ascent = static_cast<int>(std::lround(ascent * scale));
    m_lineHeight = static_cast<int>(std::lround((ascent - descent) * scale));

    std::vector<unsigned char> coverage(kAtlasSize * kAtlasSize);
    stbtt_BakeFontBitmap(face.data(), 0, pixelHeight, coverage.data(), kAtlasSize, kAtlasSize, kFirst, kCount,
                         m_glyphs);
    // White glyphs whose coverage is their alpha: colour modulation tints them.
    std::vector<uint32_t> pixels(coverage.size());
    for (size_t i = 0; i < coverage.size(); ++i) pixels[i] = uint32_t(coverage[i]) << 24 | 0xFFFFFF;
    m_atlas = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, kAtlasSize, kAtlasSize);
    if (!m_atlas) return;
    SDL_UpdateTexture(m_atlas, nullptr, pixels.data(), kAtlasSize * 4);
    SDL_SetTextureBlendMode(m_atlas, SDL_BLENDMODE_BLEND);
}

DialogFont::~DialogFont() {
    if (m_atlas) SDL_DestroyTexture(m_atlas);
}

const stbtt_bakedchar& DialogFont::Glyph(char c) const {
    int code = static_cast<unsigned char>(c);
    if (code < kFirst || code >= kFirst + kCount) code = '?';
    return m_glyphs[code - kFirst];
}

int DialogFont::Width(std::string_view text) const {
    float width = 0;
    for (char c : text) width += Glyph(c).xadvance;
    return static_cast<int>(std::lround(width));
}

void DialogFont::Draw(int x, int y, std::string_view text, uint32_t argb) const {
    if (!m_atlas) return;
    SDL_SetTextureColorMod(m_atlas, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    float penX = static_cast<float>(x);
    float baseline = static_cast<float>(y + m_ascent);
    for (char c : text) {
        const stbtt_bakedchar& g = Glyph(c);
        SDL_Rect source{g.x0, g.y0, g.x1 - g.x0, g.y1 - g.y0};
        SDL_Rect target{static_cast<int>(std::lround(penX + g.xoff)), static_cast<int>(std::lround(baseline + g.yoff)),
                        source.w, source.h};
        if (source.w > 0 && source.h > 0) SDL_RenderCopy(m_renderer, m_atlas, &source, &target);
        penX += g.xadvance;
    }
}

}  // namespace plat
