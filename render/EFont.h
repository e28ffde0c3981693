#pragma once
// The glyph fonts: text drawn as one textured quad per character from a shared dynamic vertex
// buffer in the default pool.
#include <cstdint>
#include <memory>

#include "platform/gfx/Device.h"

class EFont {
public:
    static constexpr uint32_t kCapacity = 256;     // characters per drawn text
    static constexpr uint32_t kVertexSize = 28;    // pre-transformed x, y, z, rhw, colour, u, v
    static constexpr uint32_t kVertexFormat = 0x144;

    EFont();
    virtual ~EFont();

    // Creates the shared buffer; prints a line and leaves it null when that fails.
    void CreateVB();
    // Around a device reset: the shared buffer is released, then made again. Both are safe to
    // repeat.
    void OnLostDevice();
    void OnResetDevice();
    void Release();

    std::unique_ptr<gfx::VertexBuffer> m_pVB;
};

extern EFont g_Font;
