#pragma once
// A full picture shown by copying its pixels straight onto the back buffer: loaded once into a
// system-memory surface in the back buffer's format, copied unscaled and unblended every frame it
// is shown.
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "platform/gfx/Device.h"

class ESurface {
public:
    ESurface();
    virtual ~ESurface();

    // 0 on success, -1 on failure. A name that is not a valid file name is logged to "!error.txt"
    // and nothing is read.
    int Load(const char* file, bool screenSized, uint32_t width, uint32_t height);
    int LoadScreenSized(const char* file);
    int LoadSized(const char* file, uint32_t width, uint32_t height);
    void SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Copies the source rectangle of the given surface (the own one when null) to the destination
    // point of the back buffer.
    void Draw(const gfx::Surface* surface);
    void DrawAt(int32_t x, int32_t y);
    void Release();

    std::unique_ptr<gfx::Surface> m_pSurface;
    gfx::ImageInfo m_Info;
    gfx::Rect m_SourceRect;
    gfx::Point m_Destination;
};

// The view-line arrow: a shaft and two barbs drawn as lines from one small buffer, made at every
// world start and released at its end.
class ViewLines {
public:
    static constexpr uint32_t kVertexFormat = 0x42;  // position and colour
    static constexpr uint32_t kVertexSize = 16;
    static constexpr uint32_t kVertices = 6;

    ViewLines();
    virtual ~ViewLines();

    void CreateVB();
    void ReleaseVB();
    // One arrow from start to end in the colour; the barbs lie along the orientation's side axis
    // (one built from the direction with world up when null). Nothing for missing points or
    // points less than 1 apart.
    void DrawArrow(const DV* start, const DV* end, uint32_t colour, const EOrientation* orientation);

    uint32_t m_uFVF;
    std::unique_ptr<gfx::VertexBuffer> m_pVB;
};

extern ViewLines g_ViewLines;
