#include "platform/gfx/Font.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/FontFiles.h"
#include "platform/gfx/VertexDeclaration.h"

namespace gfx {
namespace {

constexpr uint32_t kBatchGlyphs = 128;
constexpr uint32_t kFvf = FVF_XYZRHW | FVF_DIFFUSE | (1u << FVF_TEXCOUNT_SHIFT);

struct Vertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(Vertex) == 28);

// The device values a text draw changes, kept before and written back after.
class SavedStates {
public:
    explicit SavedStates(Device& device) : m_device(device) {
        for (size_t i = 0; i < std::size(kRenderStates); ++i) device.GetRenderState(kRenderStates[i], m_render[i]);
        for (uint32_t stage = 0; stage < 2; ++stage)
            for (size_t i = 0; i < std::size(kStageStates); ++i)
                device.GetTextureStageState(stage, kStageStates[i], m_stage[stage][i]);
        for (size_t i = 0; i < std::size(kSamplerStates); ++i) device.GetSamplerState(0, kSamplerStates[i], m_sampler[i]);
        m_texture = device.GetTexture(0);
        device.GetStreamSource(0, m_stream, m_offset, m_stride);
        m_declaration = device.GetVertexDeclaration();
        m_fvf = device.GetFVF();
    }
    ~SavedStates() {
        for (size_t i = 0; i < std::size(kRenderStates); ++i) m_device.SetRenderState(kRenderStates[i], m_render[i]);
        for (uint32_t stage = 0; stage < 2; ++stage)
            for (size_t i = 0; i < std::size(kStageStates); ++i)
                m_device.SetTextureStageState(stage, kStageStates[i], m_stage[stage][i]);
        for (size_t i = 0; i < std::size(kSamplerStates); ++i)
            m_device.SetSamplerState(0, kSamplerStates[i], m_sampler[i]);
        m_device.SetTexture(0, m_texture);
        m_device.SetStreamSource(0, m_stream, m_offset, m_stride);
        if (m_declaration) m_device.SetVertexDeclaration(m_declaration);
        else m_device.SetFVF(m_fvf);
    }

    static constexpr RenderState kRenderStates[] = {
        RS_ALPHABLENDENABLE, RS_SRCBLEND, RS_DESTBLEND, RS_BLENDOP, RS_ALPHATESTENABLE,
        RS_ZENABLE,          RS_ZWRITEENABLE, RS_CULLMODE, RS_FILLMODE};
    static constexpr TextureStageState kStageStates[] = {TSS_COLOROP, TSS_COLORARG1, TSS_COLORARG2,
                                                         TSS_ALPHAOP, TSS_ALPHAARG1, TSS_ALPHAARG2};
    static constexpr SamplerState kSamplerStates[] = {SAMP_MAGFILTER, SAMP_MINFILTER, SAMP_MIPFILTER, SAMP_ADDRESSU,
                                                      SAMP_ADDRESSV};

private:
    Device& m_device;
    uint32_t m_render[std::size(kRenderStates)] = {};
    uint32_t m_stage[2][std::size(kStageStates)] = {};
    uint32_t m_sampler[std::size(kSamplerStates)] = {};
    const BaseTexture* m_texture = nullptr;
    const VertexBuffer* m_stream = nullptr;
    uint32_t m_offset = 0, m_stride = 0;
    const VertexDeclaration* m_declaration = nullptr;
    uint32_t m_fvf = 0;
};

void SetTextStates(Device& d, const Texture& texture, const VertexBuffer& vertices) {
    d.SetRenderState(RS_ALPHABLENDENABLE, 1);
    d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    d.SetRenderState(RS_BLENDOP, BLENDOP_ADD);
    d.SetRenderState(RS_ALPHATESTENABLE, 0);
    d.SetRenderState(RS_ZENABLE, 0);
    d.SetRenderState(RS_ZWRITEENABLE, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_FILLMODE, FILL_SOLID);
    d.SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    d.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    d.SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    d.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    d.SetTextureStageState(0, TSS_ALPHAARG2, TA_DIFFUSE);
    d.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    d.SetTextureStageState(1, TSS_ALPHAOP, TOP_DISABLE);
    // Glyphs are drawn texel for pixel.
    d.SetSamplerState(0, SAMP_MAGFILTER, TEXF_POINT);
    d.SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
    d.SetSamplerState(0, SAMP_MIPFILTER, TEXF_NONE);
    d.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    d.SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
    d.SetTexture(0, &texture);
    d.SetVertexShader(nullptr);
    d.SetPixelShader(nullptr);
    d.SetFVF(kFvf);
    d.SetStreamSource(0, &vertices, 0, sizeof(Vertex));
}

// Cuts one quad to the rectangle, its texture coordinates with it; false when nothing is left.
bool Clip(float& x0, float& y0, float& x1, float& y1, float& u0, float& v0, float& u1, float& v1, const Rect& r) {
    auto cut = [](float& a0, float& a1, float& t0, float& t1, float lo, float hi) {
        float length = a1 - a0;
        if (length <= 0) return false;
        float from = std::max(a0, lo), to = std::min(a1, hi);
        if (from >= to) return false;
        float s0 = t0 + (t1 - t0) * (from - a0) / length, s1 = t0 + (t1 - t0) * (to - a0) / length;
        a0 = from, a1 = to, t0 = s0, t1 = s1;
        return true;
    };
    return cut(x0, x1, u0, u1, static_cast<float>(r.left), static_cast<float>(r.right)) &&
           cut(y0, y1, v0, v1, static_cast<float>(r.top), static_cast<float>(r.bottom));
}

}  // namespace

Font::~Font() = default;

bool Font::Build(const std::string& path, long index, int32_t height) {
    if (!m_atlas.Build(path, index, height)) return false;
    if (Failed(m_device.CreateTexture(m_atlas.Width(), m_atlas.Height(), 1, 0, FMT_A8R8G8B8, POOL_MANAGED, m_texture)))
        return false;
    LockedRect locked;
    if (Failed(m_texture->LockRect(0, locked, 0))) return false;
    for (uint32_t row = 0; row < m_atlas.Height(); ++row) {
        auto* texels = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + size_t{row} * locked.pitch);
        for (uint32_t col = 0; col < m_atlas.Width(); ++col) texels[col] = uint32_t{m_atlas.Coverage(col, row)} << 24 | 0x00FFFFFF;
    }
    m_texture->UnlockRect(0);
    return !Failed(OnResetDevice());
}

Result Font::OnLostDevice() {
    m_vertices.reset();
    return OK;
}

Result Font::OnResetDevice() {
    if (m_vertices) return OK;
    return m_device.CreateVertexBuffer(kBatchGlyphs * 6 * sizeof(Vertex), USAGE_DYNAMIC | USAGE_WRITEONLY, kFvf,
                                       POOL_DEFAULT, m_vertices);
}

int32_t Font::MeasureLine(const char* text, int32_t count) const { return m_atlas.MeasureLine(text, count); }

int32_t Font::DrawText(const char* text, int32_t count, Rect* rect, uint32_t format, uint32_t colour) {
    if (!text || !rect) return 0;
    int32_t length = static_cast<int32_t>(count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count)));
    int32_t lines = 1, widest = 0;
    for (int32_t start = 0; start <= length;) {
        widest = std::max(widest, MeasureLine(text + start, length - start));
        const char* next = static_cast<const char*>(std::memchr(text + start, '\n', static_cast<size_t>(length - start)));
        if (!next) break;
        start = static_cast<int32_t>(next - text) + 1;
        ++lines;
    }
    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + lines * m_atlas.LineHeight();
        return lines * m_atlas.LineHeight();
    }
    if (!m_vertices || !m_texture) return lines * m_atlas.LineHeight();

    SavedStates saved(m_device);
    SetTextStates(m_device, *m_texture, *m_vertices);
    const float w = static_cast<float>(m_atlas.Width()), h = static_cast<float>(m_atlas.Height());
    Vertex* out = nullptr;
    uint32_t glyphs = 0;
    int32_t penX = rect->left, penY = rect->top;
    for (int32_t i = 0; i < length; ++i) {
        if (text[i] == '\n') {
            penX = rect->left;
            penY += m_atlas.LineHeight();
            continue;
        }
        const GlyphAtlas::Glyph& g = m_atlas.Get(text[i]);
        float x0 = static_cast<float>(penX + g.left), y0 = static_cast<float>(penY + g.top);
        float x1 = x0 + static_cast<float>(g.width), y1 = y0 + static_cast<float>(g.height);
        float u0 = static_cast<float>(g.atlasX) / w, v0 = static_cast<float>(g.atlasY) / h;
        float u1 = static_cast<float>(g.atlasX + g.width) / w, v1 = static_cast<float>(g.atlasY + g.height) / h;
        penX += g.advance;
        if (g.width == 0 || g.height == 0) continue;
        if (!(format & DT_NOCLIP) && !Clip(x0, y0, x1, y1, u0, v0, u1, v1, *rect)) continue;
        if (!out) {
            void* data = nullptr;
            if (Failed(m_vertices->Lock(0, 0, &data, LOCK_DISCARD))) return lines * m_atlas.LineHeight();
            out = static_cast<Vertex*>(data);
        }
        Vertex quad[6] = {{x0, y0, 0, 1, colour, u0, v0}, {x1, y0, 0, 1, colour, u1, v0}, {x1, y1, 0, 1, colour, u1, v1},
                          {x0, y0, 0, 1, colour, u0, v0}, {x1, y1, 0, 1, colour, u1, v1}, {x0, y1, 0, 1, colour, u0, v1}};
        std::memcpy(out + glyphs * 6, quad, sizeof quad);
        if (++glyphs == kBatchGlyphs) {
            Flush(glyphs);
            out = nullptr;
            glyphs = 0;
        }
    }
    if (out) Flush(glyphs);
    return lines * m_atlas.LineHeight();
}

void Font::Flush(uint32_t glyphs) {
    m_vertices->Unlock();
    if (glyphs) m_device.DrawPrimitive(PT_TRIANGLELIST, 0, glyphs * 2);
}

void Font::DrawTextOnSurface(Surface& surface, const char* text, int32_t x, int32_t y, uint32_t colour) const {
    LockedRect locked;
    if (!text || surface.GetFormat() != FMT_A8R8G8B8 || Failed(surface.LockRect(locked, 0))) return;
    const int32_t width = static_cast<int32_t>(surface.Width()), height = static_cast<int32_t>(surface.Height());
    const uint32_t alpha = colour >> 24;
    for (int32_t penX = x; *text; ++text) {
        const GlyphAtlas::Glyph& g = m_atlas.Get(*text);
        for (int32_t row = 0; row < g.height; ++row) {
            int32_t py = y + g.top + row;
            if (py < 0 || py >= height) continue;
            auto* pixels = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + size_t(py) * locked.pitch);
            for (int32_t col = 0; col < g.width; ++col) {
                int32_t px = penX + g.left + col;
                if (px < 0 || px >= width) continue;
                uint32_t a = m_atlas.Coverage(uint32_t(g.atlasX + col), uint32_t(g.atlasY + row)) * alpha / 255;
                uint32_t dst = pixels[px], result = 0;
                for (int shift : {0, 8, 16}) {
                    uint32_t s = (colour >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
                    result |= ((s * a + d * (255 - a) + 127) / 255) << shift;
                }
                uint32_t da = dst >> 24;
                pixels[px] = result | (a + (da * (255 - a) + 127) / 255) << 24;
            }
        }
        penX += g.advance;
    }
    surface.UnlockRect();
}

Result CreateFont(Device& device, const FontDesc& desc, std::unique_ptr<Font>& font) {
    FaceFile file;
    bool standIn = !FindFace(desc.face, desc.weight, file);
    if (standIn && !FindFace(kStandInFace, desc.weight, file)) return ERR_NOTAVAILABLE;
    if (desc.height <= 0) return ERR_INVALIDCALL;
    std::unique_ptr<Font> made(new Font(device));
    made->m_family = standIn ? kStandInFace : desc.face;
    made->m_standIn = standIn;
    if (!made->Build(file.path, file.index, desc.height)) return ERR_OUTOFVIDEOMEMORY;
    font = std::move(made);
    return OK;
}

}  // namespace gfx
