#pragma once
// A 2-D screen quad: a textured, coloured rectangle of pre-transformed vertices (back-buffer
// pixels, origin top left) in a small managed vertex buffer of its own, rewritten only when it
// changes. It also owns the standard block of 2-D render states that the console, the HUD, the
// menu and the loading screen bracket their drawing with.
#include <cstdint>
#include <memory>

#include "platform/gfx/Device.h"

class ERect {
public:
    static constexpr uint32_t kVertexFormat = 0x144;  // position with reciprocal w, colour, one texture set
    static constexpr uint32_t kVertexSize = 28;
    static constexpr uint32_t kSavedStates = 16;

    ERect();
    virtual ~ERect();

    // Makes the quad with a texture of the registry; an unknown texture or a failed buffer leaves
    // it uncreated, and every later setter and draw then does nothing.
    void Create(const char* textureName, float left, float top, float right, float bottom, uint32_t colour);
    void Release();
    void SetRect(float left, float top, float right, float bottom);
    void SetColor(uint32_t colour);
    // Replaces the colour's alpha byte by trunc(alpha x 255), alpha clamped to 0..1.
    void SetAlpha(float alpha);
    // Writes a free quadrilateral (corners top-left, top-right, bottom-right, bottom-left) without
    // changing the stored rectangle; z and rhw take depth.
    void SetCorners(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float uLeft,
                    float uRight, float vTop, float vBottom, float depth);
    // Draws the two triangles (binding the own texture when textured); sets no state.
    void Render(bool textured);
    // A draw inside its own save and restore of the 2-D states, blended or opaque; the texture does
    // not tint with the colour.
    void RenderWithStates(bool textured, bool blended);
    // Keeps the 16 values and sets the 2-D states (additive: source colour added to the target).
    void BeginStates(bool additive);
    void EndStates();
    void SetBlendAdditive(bool additive);
    void SetPointFilter(bool point);
    void GetTopLeft(float* x, float* y) const;
    void GetBottomRight(float* x, float* y) const;
    // The 16 device values that the 2-D state blocks keep and write back, in their order.
    static void KeepDeviceValues(uint32_t (&saved)[kSavedStates]);
    static void RestoreDeviceValues(const uint32_t (&saved)[kSavedStates]);

    uint32_t m_uFVF;
    uint32_t m_uSaved[kSavedStates];
    bool m_bCreated;
    uint32_t m_uTexture;
    std::unique_ptr<gfx::VertexBuffer> m_pVB;
    float m_fLeft, m_fTop, m_fRight, m_fBottom;
    uint32_t m_uColour;

private:
    void WriteVertices();
};
