#include "render/EConsoleView.h"

#include <algorithm>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "render/CTTFonts.h"
#include "render/D3DDevice.h"
#include "render/EFont.h"
#include "render/RenderHooks.h"

EConsoleView g_ConsoleView;

namespace {

constexpr const char* kBarTag = "m_pVConsoleBar";
constexpr const char* kProgressTag = "ProgressBarVB";
constexpr const char* kLockTag = "LockVB";
constexpr uint32_t kBackgroundColour = 0x80FFFFFF;
constexpr uint32_t kFrameColour = 0xFF810180;
constexpr uint32_t kOpenTextColour = 0xFF80FF80;
constexpr uint32_t kVersionColour = 0x80408040;
constexpr uint32_t kClosedTextColour = 0xFF810180;
constexpr uint32_t kShadowColour = 0xFF000000;
// Rows of console text, in layout units.
constexpr float kRow = 21.0f;
constexpr float kTextLeft = 14.0f;
constexpr float kInputLeft = 26.0f;
constexpr float kVersionLeft = 780.0f;
constexpr float kVersionAboveMiddle = 36.0f;
// The progress bar, in layout units.
constexpr float kBarLeft = 80.0f, kBarTop = 728.0f, kBarWidth = 300.0f, kBarHeight = 6.0f;
constexpr uint32_t kBarBackColour = 0xFF606060;
constexpr uint32_t kBarFillColour = 0xFFA6A392;

struct LineVertex {
    float x, y, z, rhw;
    uint32_t colour;
};
static_assert(sizeof(LineVertex) == EConsoleView::kLineVertexSize);

float ScreenWidth() { return static_cast<float>(g_Settings.m_iScreenWidth); }
float ScreenHeight() { return static_cast<float>(g_Settings.m_iScreenHeight); }

// Writes the vertices into the whole buffer; false (with the message) when the unlock fails.
bool Fill(gfx::VertexBuffer& buffer, const void* vertices, size_t bytes, const char* unlockFailure) {
    void* data = nullptr;
    if (gfx::Failed(buffer.Lock(0, 0, &data, 0))) return false;
    g_Debug.AddAlloc(kLockTag);
    std::memcpy(data, vertices, bytes);
    if (gfx::Failed(buffer.Unlock())) {
        g_Console.Print(unlockFailure);
        return false;
    }
    g_Debug.RemoveAlloc(kLockTag);
    return true;
}

void Quad(LineVertex* out, float left, float top, float right, float bottom, uint32_t colour) {
    const LineVertex v[6] = {{left, top, 0, 1, colour},     {right, top, 0, 1, colour},
                             {right, bottom, 0, 1, colour}, {left, top, 0, 1, colour},
                             {right, bottom, 0, 1, colour}, {left, bottom, 0, 1, colour}};
    std::memcpy(out, v, sizeof v);
}

// Untextured primitives of pre-transformed vertices: lighting and fog off and an identity world
// while they are drawn, put back after.
class PlainDraw {
public:
    PlainDraw() {
        gfx::Device& d = *g_pd3dDevice;
        d.GetRenderState(gfx::RS_LIGHTING, m_lighting);
        d.GetRenderState(gfx::RS_FOGENABLE, m_fog);
        d.SetRenderState(gfx::RS_LIGHTING, 0);
        d.SetRenderState(gfx::RS_FOGENABLE, 0);
        d.SetTransform(gfx::TS_WORLD, pmath::Identity());
        d.SetVertexShader(nullptr);
        d.SetTexture(0, nullptr);
        d.SetFVF(EConsoleView::kLineVertexFormat);
    }
    ~PlainDraw() {
        g_pd3dDevice->SetRenderState(gfx::RS_LIGHTING, m_lighting);
        g_pd3dDevice->SetRenderState(gfx::RS_FOGENABLE, m_fog);
    }

private:
    uint32_t m_lighting = 0, m_fog = 0;
};

}  // namespace

void EConsoleView::CreateBar() {
    if (!g_pd3dDevice) return;
    ReleaseBar();
    m_Background.Create("czarne.tga", 0, 0, ScreenWidth(), ScreenHeight() / 2, kBackgroundColour);
    if (gfx::Failed(g_pd3dDevice->CreateVertexBuffer(kBarVertices * kLineVertexSize, gfx::USAGE_WRITEONLY,
                                                     kLineVertexFormat, gfx::POOL_MANAGED, m_pVConsoleBar))) {
        m_pVConsoleBar.reset();
        return;
    }
    g_Debug.AddAlloc(kBarTag);
    const float r = 1023.0f * g_fScaleX, b = 383.0f * g_fScaleY;
    const LineVertex frame[kBarVertices] = {{0, 0, 0, 0, kFrameColour}, {r, 0, 0, 0, kFrameColour},
                                            {r, 0, 0, 0, kFrameColour}, {r, b, 0, 0, kFrameColour},
                                            {r, b, 0, 0, kFrameColour}, {0, b, 0, 0, kFrameColour},
                                            {0, b, 0, 0, kFrameColour}, {0, 0, 0, 0, kFrameColour}};
    if (!Fill(*m_pVConsoleBar, frame, sizeof frame, "FAILED to unlock console bar VB")) ReleaseBar();
}

void EConsoleView::ReleaseBar() {
    m_Background.Release();
    if (!m_pVConsoleBar) return;
    m_pVConsoleBar.reset();
    g_Debug.RemoveAlloc(kBarTag);
}

void EConsoleView::DrawConsole(const EConsole& console) {
    if (!g_pd3dDevice) return;
    g_TTFonts.SelectFont(0);
    if (console.m_bOpen) DrawOpen(console);
    else DrawClosed(console);
}

void EConsoleView::DrawOpen(const EConsole& console) {
    m_Background.BeginStates(false);
    m_Background.Render(true);
    m_Background.EndStates();
    if (m_pVConsoleBar) {
        PlainDraw plain;
        g_pd3dDevice->SetStreamSource(0, m_pVConsoleBar.get(), 0, kLineVertexSize);
        g_pd3dDevice->DrawPrimitive(gfx::PT_LINELIST, 0, kBarVertices / 2);
    }
    const float sx = g_fScaleX, sy = g_fScaleY;
    for (int i = 0; i < EConsole::kOpenLines; ++i)
        g_TTFonts.DrawTextUnscaled(console.RecentLine(EConsole::kOpenLines - 1 - i), kTextLeft * sx, kRow * i * sy,
                                   kOpenTextColour, false, false);
    // The input line with the cursor shown as a bar where the next character goes.
    char input[EConsole::kInputLineSize + 1];
    int cursor = std::clamp(console.m_iCursor, 0, static_cast<int>(std::strlen(console.m_szInputLine)));
    std::memcpy(input, console.m_szInputLine, static_cast<size_t>(cursor));
    input[cursor] = '|';
    std::strcpy(input + cursor + 1, console.m_szInputLine + cursor);
    const float inputTop = kRow * EConsole::kOpenLines * sy;
    g_TTFonts.DrawTextUnscaled(">", kTextLeft * sx, inputTop, kOpenTextColour, false, false);
    g_TTFonts.DrawTextUnscaled(input, kInputLeft * sx, inputTop, kOpenTextColour, false, false);
    g_TTFonts.DrawTextUnscaled(EConsole::kVersion, kVersionLeft * sx, ScreenHeight() / 2 - kVersionAboveMiddle * sy,
                               kVersionColour, false, false);
}

void EConsoleView::DrawClosed(const EConsole& console) {
    const int shown = std::clamp(console.m_iNumConsoleLines, 0, EConsole::kOutputLines);
    for (int i = 0; i < shown; ++i) {
        const char* line = console.RecentLine(shown - 1 - i);
        g_TTFonts.DrawText(line, 3, kRow * i + 1, kShadowColour, false, false);
        g_TTFonts.DrawText(line, 2, kRow * i, kClosedTextColour, false, false);
    }
}

void EConsoleView::CreateLoadingQuads(const char* picture) {
    if (!g_pd3dDevice) return;
    m_TextBox.Create(picture, 0, 0, ScreenWidth(), ScreenHeight(), 0xFFFFFFFF);
    ReleaseProgressBar();
    if (gfx::Failed(g_pd3dDevice->CreateVertexBuffer(kProgressVertices * kLineVertexSize, gfx::USAGE_WRITEONLY,
                                                     kLineVertexFormat, gfx::POOL_MANAGED, m_pProgressBarVB))) {
        m_pProgressBarVB.reset();
        return;
    }
    g_Debug.AddAlloc(kProgressTag);
    const float sx = g_fScaleX, sy = g_fScaleY;
    m_ProgressQuad.Create("hud_progress_bar.tga", kBarLeft * sx, kBarTop * sy, (kBarLeft + kBarWidth) * sx,
                          (kBarTop + kBarHeight) * sy, 0xFFFFFFFF);
}

void EConsoleView::ReleaseProgressBar() {
    m_ProgressQuad.Release();
    if (!m_pProgressBarVB) return;
    m_pProgressBarVB.reset();
    g_Debug.RemoveAlloc(kProgressTag);
}

void EConsoleView::ReleaseTextBox() { m_TextBox.Release(); }

void EConsoleView::BeginLoadingFrame() {
    if (!g_pd3dDevice) return;
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    g_pd3dDevice->BeginScene();
}

void EConsoleView::EndLoadingFrame() {
    if (!g_pd3dDevice) return;
    g_pd3dDevice->EndScene();
    g_pd3dDevice->Present();
}

void EConsoleView::DrawTextBox() {
    if (m_TextBox.m_bCreated) g_RenderHooks.drawTextBox(m_TextBox);
}

void EConsoleView::DrawProgressBar(float fraction) {
    if (!g_pd3dDevice || !m_pProgressBarVB) return;
    const float sx = g_fScaleX, sy = g_fScaleY;
    const float left = kBarLeft * sx, top = kBarTop * sy, bottom = (kBarTop + kBarHeight) * sy;
    const float right = (kBarLeft + kBarWidth) * sx;
    LineVertex bar[kProgressVertices];
    Quad(bar, left, top, right, bottom, kBarBackColour);
    Quad(bar + 6, left, top, left + (right - left) * std::clamp(fraction, 0.0f, 1.0f), bottom, kBarFillColour);
    // A bar whose buffer could not be written is left undrawn.
    if (!Fill(*m_pProgressBarVB, bar, sizeof bar, "FAILED to unlock ProgressBar VB")) return;
    m_ProgressQuad.BeginStates(false);
    {
        PlainDraw plain;
        g_pd3dDevice->SetStreamSource(0, m_pProgressBarVB.get(), 0, kLineVertexSize);
        g_pd3dDevice->DrawPrimitive(gfx::PT_TRIANGLELIST, 0, kProgressVertices / 3);
    }
    g_pd3dDevice->SetFVF(ERect::kVertexFormat);
    m_ProgressQuad.Render(true);
    m_ProgressQuad.EndStates();
}

void EConsoleView::PrintText(const char* text, float x, float y, uint32_t colour, float size) {
    if (!text || !*text) return;
    bool bracket = !g_Font.m_bBegun;
    if (bracket) g_Font.Begin();
    g_Font.Print(text, x * g_fScaleX, y * g_fScaleY, colour, size, 0, false, false);
    if (bracket) g_Font.Flush();
}
