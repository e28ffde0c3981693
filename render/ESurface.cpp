#include "render/ESurface.h"

#include <cmath>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/gfx/Image.h"
#include "render/D3DDevice.h"

ViewLines g_ViewLines;

namespace {

constexpr const char* kSurfaceTag = "ESurface";
constexpr const char* kArrowTag = "StrzalkaVB";
constexpr const char* kLockTag = "LockVB";
// Opaque black in a picture shows as transparent black.
constexpr uint32_t kColourKey = 0xFF000000;

struct LineVertex {
    float x, y, z;
    uint32_t colour;
};
static_assert(sizeof(LineVertex) == ViewLines::kVertexSize);

}  // namespace

ESurface::ESurface() : m_Info{}, m_SourceRect{0, 0, 256, 256}, m_Destination{0, 0} {}

ESurface::~ESurface() { Release(); }

int ESurface::Load(const char* file, bool screenSized, uint32_t width, uint32_t height) {
    if (!file || !IsValidName(file)) {
        LogError(file ? file : "");
        return -1;
    }
    std::unique_ptr<gfx::Surface> backBuffer;
    if (!g_pd3dDevice || gfx::Failed(g_pd3dDevice->GetBackBuffer(backBuffer))) return -1;
    uint32_t screenWidth = backBuffer->Width(), screenHeight = backBuffer->Height();
    gfx::Format format = backBuffer->GetFormat();
    backBuffer.reset();
    Release();
    if (screenSized) width = screenWidth, height = screenHeight;
    std::unique_ptr<gfx::Surface> surface;
    if (gfx::Failed(g_pd3dDevice->CreateOffscreenPlainSurface(width, height, format, gfx::POOL_SYSTEMMEM, surface)))
        return -1;
    if (gfx::Failed(gfx::LoadSurfaceFromFile(*surface, file, kColourKey, &m_Info))) return -1;
    m_pSurface = std::move(surface);
    m_SourceRect = gfx::Rect{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
    g_Debug.AddAlloc(kSurfaceTag);
    return 0;
}

int ESurface::LoadScreenSized(const char* file) { return Load(file, true, 0, 0); }

int ESurface::LoadSized(const char* file, uint32_t width, uint32_t height) { return Load(file, false, width, height); }

void ESurface::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    m_SourceRect = gfx::Rect{left, top, right, bottom};
}

void ESurface::Draw(const gfx::Surface* surface) {
    if (!surface) surface = m_pSurface.get();
    if (!surface || !g_pd3dDevice) return;
    std::unique_ptr<gfx::Surface> backBuffer;
    if (gfx::Failed(g_pd3dDevice->GetBackBuffer(backBuffer))) return;
    g_pd3dDevice->UpdateSurface(*surface, &m_SourceRect, *backBuffer, &m_Destination);
}

void ESurface::DrawAt(int32_t x, int32_t y) {
    m_Destination = gfx::Point{x, y};
    Draw(nullptr);
}

void ESurface::Release() {
    if (!m_pSurface) return;
    m_pSurface.reset();
    g_Debug.RemoveAlloc(kSurfaceTag);
}

ViewLines::ViewLines() : m_uFVF(kVertexFormat) {}

ViewLines::~ViewLines() = default;

void ViewLines::CreateVB() {
    if (!g_pd3dDevice || gfx::Failed(g_pd3dDevice->CreateVertexBuffer(kVertices * kVertexSize, gfx::USAGE_WRITEONLY,
                                                                       m_uFVF, gfx::POOL_MANAGED, m_pVB)))
        m_pVB.reset();
    if (m_pVB) g_Debug.AddAlloc(kArrowTag);
    else g_Console.Print("Failed to create VB for View Lines");
}

void ViewLines::ReleaseVB() {
    if (!m_pVB) return;
    m_pVB.reset();
    g_Debug.RemoveAlloc(kArrowTag);
}

void ViewLines::DrawArrow(const DV* start, const DV* end, uint32_t colour, const EOrientation* orientation) {
    if (!start || !end || !m_pVB || !g_pd3dDevice) return;
    DV along = *end - *start;
    float length = pmath::Length(along);
    if (length < 1.0f) return;
    DV d = along * (1.0f / length);
    EOrientation built;
    if (!orientation) {
        built = EOrientation::EOrientationFromDirection(&d);
        orientation = &built;
    }
    const DV& side = orientation->m_Side;
    void* data = nullptr;
    if (gfx::Failed(m_pVB->Lock(0, 0, &data, 0)) || !data) {
        g_Console.Print("Strzalka failed to lock VB for Line");
        return;
    }
    g_Debug.AddAlloc(kLockTag);
    const DV barb1 = *end + side * 8.0f - d * 12.0f, barb2 = *end - side * 8.0f - d * 12.0f;
    const LineVertex lines[kVertices] = {{start->x, start->y, start->z, colour}, {end->x, end->y, end->z, colour},
                                         {end->x, end->y, end->z, colour},       {barb1.x, barb1.y, barb1.z, colour},
                                         {end->x, end->y, end->z, colour},       {barb2.x, barb2.y, barb2.z, colour}};
    std::memcpy(data, lines, sizeof lines);
    if (gfx::Failed(m_pVB->Unlock())) g_Console.Print("FAILED to unlock StrzalkaVB");
    else g_Debug.RemoveAlloc(kLockTag);

    gfx::Device& dev = *g_pd3dDevice;
    dev.SetTransform(gfx::TS_WORLD, pmath::Identity());
    dev.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    dev.SetStreamSource(0, m_pVB.get(), 0, kVertexSize);
    dev.SetVertexShader(nullptr);
    dev.SetPixelShader(nullptr);
    dev.SetFVF(m_uFVF);
    dev.SetTexture(0, nullptr);
    dev.DrawPrimitive(gfx::PT_LINELIST, 0, 3);
    dev.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
}
