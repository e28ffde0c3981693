#pragma once
// A vertex layout made from an element list. It holds no video memory, so it survives a reset.
#include <vector>

#include "platform/gfx/GfxTypes.h"

namespace gfx {

// Flexible-vertex-format bits the game uses.
constexpr uint32_t FVF_XYZ = 0x002;
constexpr uint32_t FVF_XYZRHW = 0x004;
constexpr uint32_t FVF_NORMAL = 0x010;
constexpr uint32_t FVF_DIFFUSE = 0x040;
constexpr uint32_t FVF_TEXCOUNT_SHIFT = 8;

// The element list a flexible vertex format stands for (position, normal, colour, then two
// floats per texture coordinate set).
std::vector<VertexElement> FvfElements(uint32_t fvf);

class VertexDeclaration {
public:
    explicit VertexDeclaration(std::vector<VertexElement> elements);
    // The elements without the end marker.
    const std::vector<VertexElement>& Elements() const { return m_elements; }
    // Unique for the life of the program, so a backend can key what it builds for a layout.
    uint64_t Serial() const { return m_serial; }

private:
    std::vector<VertexElement> m_elements;
    uint64_t m_serial;
};

}  // namespace gfx
