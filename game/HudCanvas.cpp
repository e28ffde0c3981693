#include "game/HudCanvas.h"

#include "render/D3DDevice.h"
#include "render/EFont.h"
#include "render/ERect.h"

HudCanvas g_HudScreen;

void HudCanvas::BeginStates(ERect& holder) { holder.BeginStates(false); }

void HudCanvas::EndStates(ERect& holder) { holder.EndStates(); }

void HudCanvas::Quad(ERect& quad) { quad.Render(true); }

void HudCanvas::QuadInViewport(ERect& quad, const gfx::BaseTexture* texture, uint32_t x, uint32_t y, uint32_t width,
                               uint32_t height) {
    if (!g_pd3dDevice || !quad.m_bCreated) return;
    gfx::Device& device = *g_pd3dDevice;
    gfx::Viewport saved;
    device.GetViewport(saved);
    device.SetViewport(gfx::Viewport{x, y, width, height, saved.minZ, saved.maxZ});
    device.SetTexture(0, texture);
    quad.RenderWithStates(false, true);
    device.SetViewport(saved);
}

void HudCanvas::Print(const char* text, float x, float y, uint32_t colour, float size, bool centred) {
    g_Font.Begin();
    g_Font.Print(text, x, y, colour, size, 0, centred, false);
    g_Font.Flush();
}
