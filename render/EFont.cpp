#include "render/EFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "render/CTTFonts.h"
#include "render/D3DDevice.h"

EFont g_Font;

namespace {

constexpr const char* kObjectTag = "::EFont";
constexpr const char* kSharedTag = "FontVB";
constexpr const char* kTextObjectTag = "::EText";
constexpr const char* kTextTag = "EText";
constexpr const char* kTextBufferTag = "ETextVB";
constexpr const char* kLockTag = "LockVB";
constexpr uint32_t kCodesPerRow = 16;
constexpr uint32_t kRowHeight = 40;
// The space has no ink to measure by: it takes this many pixels in every atlas.
constexpr uint32_t kSpaceWidth = 10;

struct Vertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(Vertex) == EFont::kVertexSize);

// The pixel width of one character in the current TrueType font, as the atlas lays it out.
uint32_t MeasuredWidth(int code) {
    if (code == ' ') return kSpaceWidth;
    const char text[2] = {static_cast<char>(code), 0};
    return static_cast<uint32_t>(std::max(0, g_TTFonts.MeasureText(text)));
}

}  // namespace

EText::EText() : m_uCount(0), m_uFont(0) { g_Debug.AddAlloc(kTextObjectTag); }

EText::~EText() { g_Debug.RemoveAlloc(kTextObjectTag); }

EFontRecord::EFontRecord() : m_bBuilt(false), m_uWidth(0), m_uHeight(0), m_uTTSlot(0) {
    std::fill(std::begin(m_fULeft), std::end(m_fULeft), kNoGlyph);
    std::fill(std::begin(m_fURight), std::end(m_fURight), kNoGlyph);
    std::fill(std::begin(m_fVTop), std::end(m_fVTop), kNoGlyph);
    std::fill(std::begin(m_fVBottom), std::end(m_fVBottom), kNoGlyph);
    std::fill(std::begin(m_uLeft), std::end(m_uLeft), 0u);
    std::fill(std::begin(m_uRight), std::end(m_uRight), 0u);
    std::fill(std::begin(m_uTop), std::end(m_uTop), 0u);
    std::fill(std::begin(m_uBottom), std::end(m_uBottom), 0u);
}

EFont::EFont()
    : m_bCreated(false), m_uFVF(kVertexFormat), m_uCapacity(kCapacity), m_uFontCount(0), m_uSaved{}, m_bBegun(false) {
    g_Debug.AddAlloc(kObjectTag);
}

EFont::~EFont() { g_Debug.RemoveAlloc(kObjectTag); }

void EFont::CreateVB() {
    if (!g_pd3dDevice) return;
    if (gfx::Failed(g_pd3dDevice->CreateVertexBuffer(m_uCapacity * 6 * kVertexSize,
                                                     gfx::USAGE_DYNAMIC | gfx::USAGE_WRITEONLY, m_uFVF,
                                                     gfx::POOL_DEFAULT, m_pVB))) {
        m_pVB.reset();
        g_Console.Print("EFont FAILED to create m_pVB!");
        return;
    }
    g_Debug.AddAlloc(kSharedTag);
}

void EFont::OnLostDevice() {
    if (!m_pVB) return;
    m_pVB.reset();
    g_Debug.RemoveAlloc(kSharedTag);
}

void EFont::OnResetDevice() {
    OnLostDevice();
    CreateVB();
}

void EFont::Release() {
    for (EFontRecord& record : m_Fonts) record = EFontRecord();
    m_uFontCount = 0;
    OnLostDevice();
    m_bCreated = false;
}

void EFont::Create() {
    if (m_bCreated) return;
    CreateFontTexture(1);
    CreateFontTexture(2);
    for (uint32_t i = 0; i < m_uFontCount; ++i)
        if (!m_Fonts[i].m_bBuilt) BuildGlyphs(i);
    m_bCreated = true;
}

void EFont::CreateFontTexture(uint32_t slot) {
    if (slot > 7) return;
    if (m_uFontCount >= kMaxFonts) {
        g_Console.Print("Font not created - overflow!");
        return;
    }
    g_TTFonts.SelectFont(slot);
    EFontRecord& record = m_Fonts[m_uFontCount];
    record.m_uTTSlot = slot;
    record.m_bBuilt = false;
    uint32_t width = 0;
    for (uint32_t row = 0; row < EFontRecord::kCodes / kCodesPerRow; ++row) {
        uint32_t rowWidth = 0;
        for (uint32_t c = row * kCodesPerRow; c < (row + 1) * kCodesPerRow; ++c)
            if (c != 0) rowWidth += 8 + MeasuredWidth(static_cast<int>(c));
        width = std::max(width, rowWidth);
    }
    record.m_uWidth = width;
    record.m_uHeight = kAtlasHeight;

    const char* failure = nullptr;
    if (!g_pd3dDevice) {
        failure = "failed 2";
    } else if (gfx::Failed(g_pd3dDevice->CreateOffscreenPlainSurface(width, kAtlasHeight, gfx::FMT_A8R8G8B8,
                                                                    gfx::POOL_SYSTEMMEM, record.m_pSystemSurface))) {
        failure = "failed 2";
    } else if (gfx::Failed(g_pd3dDevice->CreateTexture(width, kAtlasHeight, 1, 0, gfx::FMT_A8R8G8B8,
                                                       gfx::POOL_MANAGED, record.m_pTexture))) {
        failure = "Unable to create font target texture";
    }
    if (failure) {
        g_Console.Print(failure);
        record = EFontRecord();
    } else {
        ++m_uFontCount;
    }
    g_TTFonts.SelectFont(0);
}

void EFont::AddHalo(const uint8_t* source, uint8_t* atlas, uint32_t width, uint32_t height, int32_t pitch) {
    auto pixel = [&](const uint8_t* base, uint32_t x, uint32_t y) {
        return reinterpret_cast<const uint32_t*>(base + static_cast<ptrdiff_t>(y) * pitch)[x];
    };
    auto lum = [](uint32_t p) { return (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3; };
    for (uint32_t y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(atlas + static_cast<ptrdiff_t>(y) * pitch);
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t sum = 0;
            for (int dy = -2; dy <= 2; ++dy) {
                for (int dx = -2; dx <= 2; ++dx) {
                    int64_t nx = int64_t{x} + dx, ny = int64_t{y} + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    sum += lum(pixel(source, static_cast<uint32_t>(nx), static_cast<uint32_t>(ny)));
                }
            }
            uint32_t p = pixel(source, x, y);
            auto glow = static_cast<uint32_t>(std::trunc(256.0 * std::sqrt((sum / 9) / 256.0)));
            uint32_t alpha = std::min(255u, lum(p) + glow);
            out[x] = alpha << 24 | (p & 0x00FFFFFF);
        }
    }
}

void EFont::BuildGlyphs(uint32_t index) {
    if (index >= m_uFontCount || m_Fonts[index].m_bBuilt) return;
    EFontRecord& record = m_Fonts[index];
    g_TTFonts.SelectFont(record.m_uTTSlot < kMaxFonts ? record.m_uTTSlot : 0);
    gfx::Surface& target = *record.m_pSystemSurface;
    gfx::LockedRect source;
    if (!gfx::Failed(target.LockRect(source, 0))) {
        for (uint32_t y = 0; y < target.Height(); ++y)
            std::fill_n(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(source.bits) + size_t{y} * source.pitch),
                        target.Width(), 0xFF000000u);
        target.UnlockRect();
    }
    const float w = static_cast<float>(record.m_uWidth), h = static_cast<float>(record.m_uHeight);
    uint32_t x = 2;
    for (uint32_t c = 1; c < EFontRecord::kCodes; ++c) {
        if (c % kCodesPerRow == 0) x = 2;
        uint32_t y = 3 + kRowHeight * (c / kCodesPerRow);
        uint32_t left = x + 2, right = left + MeasuredWidth(static_cast<int>(c));
        record.m_uLeft[c] = left;
        record.m_uRight[c] = right;
        record.m_uTop[c] = y;
        record.m_uBottom[c] = y + 32;
        const char text[2] = {static_cast<char>(c), 0};
        g_TTFonts.DrawTextOnSurface(target, text, static_cast<int32_t>(left), static_cast<int32_t>(y), 0xFFFFFFFF);
        record.m_fULeft[c] = static_cast<float>(x) / w;
        record.m_fURight[c] = static_cast<float>(right + 2) / w;
        record.m_fVTop[c] = (static_cast<float>(y) - 2.0f) / h;
        record.m_fVBottom[c] = static_cast<float>(y + 34) / h;
        x = right + 4;
    }
    gfx::LockedRect atlas;
    if (gfx::Failed(target.LockRect(source, gfx::LOCK_READONLY))) {
        g_Console.Print("LockRect r0 FAILED");
    } else if (gfx::Failed(record.m_pTexture->LockRect(0, atlas, 0))) {
        g_Console.Print("LockRect r1 FAILED");
    } else {
        AddHalo(static_cast<const uint8_t*>(source.bits), static_cast<uint8_t*>(atlas.bits), record.m_uWidth,
                record.m_uHeight, source.pitch);
        record.m_pTexture->UnlockRect(0);
    }
    target.UnlockRect();
    record.m_pSystemSurface.reset();
    record.m_bBuilt = true;
    g_TTFonts.SelectFont(0);
}

float EFont::GetTextWidth(const char* text, float size, uint32_t font) const {
    if (!ValidFont(font) || !text || !*text) return 0.0f;
    const EFontRecord& record = m_Fonts[font];
    float k = size / 32.0f * g_fScaleY;
    float width = 0.0f;
    uint32_t glyphs = 0;
    for (const char* p = text; *p; ++p) {
        auto c = static_cast<uint8_t>(*p);
        if (record.m_fULeft[c] > 1.0f) continue;
        width += std::trunc(static_cast<float>(record.m_uRight[c] - record.m_uLeft[c] + 4) * k - 2.0f * k);
        if (++glyphs == kMaxGlyphs) break;
    }
    return width;
}

EText* EFont::BuildText(const char* text, float x, float y, uint32_t colour, float size, uint32_t font, bool centre,
                        bool right, bool shared) {
    if (!ValidFont(font) || !text || !*text) return nullptr;
    float k = size / 32.0f;
    if (centre || right) {
        float w = GetTextWidth(text, size, font);
        x -= centre ? w / 2.0f : w;
    }
    k *= g_fScaleY;

    auto* record = new EText();
    g_Debug.AddAlloc(kTextTag);
    if (!m_pVB) g_Console.Print("EFont - !m_pVB!");
    gfx::VertexBuffer* target = m_pVB.get();
    if (!shared) {
        if (!g_pd3dDevice || gfx::Failed(g_pd3dDevice->CreateVertexBuffer(m_uCapacity * 6 * kVertexSize,
                                                                          gfx::USAGE_WRITEONLY, m_uFVF,
                                                                          gfx::POOL_MANAGED, record->m_pVB))) {
            FreeText(record);
            return nullptr;
        }
        g_Debug.AddAlloc(kTextBufferTag);
        target = record->m_pVB.get();
    }
    void* data = nullptr;
    if (!target || gfx::Failed(target->Lock(0, 0, &data, 0))) {
        if (target) g_Console.Print("Failed to lock text");
        FreeText(record);
        return nullptr;
    }
    g_Debug.AddAlloc(kLockTag);
    const EFontRecord& f = m_Fonts[font];
    auto* out = static_cast<Vertex*>(data);
    record->m_uFont = font;
    uint32_t count = 0;
    for (const char* p = text; *p; ++p) {
        auto c = static_cast<uint8_t>(*p);
        if (f.m_fULeft[c] > 1.0f) continue;
        float advance = static_cast<float>(f.m_uRight[c] - f.m_uLeft[c] + 4);
        float x1 = x + advance * k, y1 = y + 32.0f * k;
        const Vertex quad[6] = {{x, y, 1, 1, colour, f.m_fULeft[c], f.m_fVTop[c]},
                                {x, y1, 1, 1, colour, f.m_fULeft[c], f.m_fVBottom[c]},
                                {x1, y1, 1, 1, colour, f.m_fURight[c], f.m_fVBottom[c]},
                                {x1, y1, 1, 1, colour, f.m_fURight[c], f.m_fVBottom[c]},
                                {x1, y, 1, 1, colour, f.m_fURight[c], f.m_fVTop[c]},
                                {x, y, 1, 1, colour, f.m_fULeft[c], f.m_fVTop[c]}};
        std::memcpy(out + count * 6, quad, sizeof quad);
        if (++count == kMaxGlyphs) break;
        // The next glyph starts on a whole pixel, over this one's margin.
        x = std::trunc(x1 - 2.0f * k);
    }
    if (gfx::Failed(target->Unlock())) g_Console.Print("FAILED to unlock Font VB");
    else g_Debug.RemoveAlloc(kLockTag);
    record->m_uCount = count;
    return record;
}

void EFont::RenderText(EText* text, bool shared) {
    if (!text || !g_pd3dDevice || text->m_uCount == 0) return;
    const gfx::VertexBuffer* buffer = shared ? m_pVB.get() : text->m_pVB.get();
    if (!buffer) return;
    g_pd3dDevice->SetTexture(0, m_Fonts[text->m_uFont].m_pTexture.get());
    g_pd3dDevice->SetStreamSource(0, buffer, 0, kVertexSize);
    g_pd3dDevice->DrawPrimitive(gfx::PT_TRIANGLELIST, 0, 2 * text->m_uCount);
}

void EFont::FreeText(EText* text) {
    if (!text) return;
    if (text->m_pVB) {
        text->m_pVB.reset();
        g_Debug.RemoveAlloc(kTextBufferTag);
    }
    delete text;
    g_Debug.RemoveAlloc(kTextTag);
}

void EFont::Print(const char* text, float x, float y, uint32_t colour, float size, uint32_t font, bool centre,
                  bool right) {
    if (!ValidFont(font) || !text) return;
    EText* built = BuildText(text, x, y, colour, size, font, centre, right, true);
    RenderText(built, true);
    FreeText(built);
}

void EFont::Begin() {
    if (m_bBegun || !g_pd3dDevice) return;
    gfx::Device& d = *g_pd3dDevice;
    ERect::KeepDeviceValues(m_uSaved);
    for (uint32_t sampler : {0u, 1u})
        for (gfx::SamplerState s : {gfx::SAMP_MAGFILTER, gfx::SAMP_MINFILTER, gfx::SAMP_MIPFILTER})
            d.SetSamplerState(sampler, s, gfx::TEXF_ANISOTROPIC);
    d.SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    d.SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    d.SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    d.SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
    for (uint32_t stage = 1; stage < gfx::kMaxTextureStages; ++stage) {
        d.SetTextureStageState(stage, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
        d.SetTextureStageState(stage, gfx::TSS_ALPHAOP, gfx::TOP_DISABLE);
    }
    d.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d.SetRenderState(gfx::RS_BLENDOP, gfx::BLENDOP_ADD);
    d.SetRenderState(gfx::RS_ALPHAREF, 6);
    d.SetRenderState(gfx::RS_ALPHATESTENABLE, 0);
    d.SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATEREQUAL);
    d.SetRenderState(gfx::RS_ZWRITEENABLE, 0);
    d.SetRenderState(gfx::RS_ZENABLE, 0);
    d.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    d.SetVertexShader(nullptr);
    d.SetFVF(m_uFVF);
    m_bBegun = true;
}

void EFont::Flush() {
    if (!m_bBegun) return;
    m_bBegun = false;
    if (g_pd3dDevice) ERect::RestoreDeviceValues(m_uSaved);
}

void EFont::SetAdditive(bool additive) {
    if (!g_pd3dDevice) return;
    g_pd3dDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    g_pd3dDevice->SetRenderState(gfx::RS_DESTBLEND, additive ? gfx::BLEND_ONE : gfx::BLEND_INVSRCALPHA);
}

void EFont::SetLinearFilter(bool linear) {
    if (!g_pd3dDevice) return;
    for (uint32_t sampler : {0u, 1u})
        for (gfx::SamplerState s : {gfx::SAMP_MAGFILTER, gfx::SAMP_MINFILTER, gfx::SAMP_MIPFILTER})
            g_pd3dDevice->SetSamplerState(sampler, s, linear ? gfx::TEXF_LINEAR : gfx::TEXF_NONE);
}
