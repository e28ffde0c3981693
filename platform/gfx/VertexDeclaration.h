#pragma once
// A vertex layout made from an element list. It holds no video memory, so it survives a reset.
#include <vector>

#include "platform/gfx/GfxTypes.h"

namespace gfx {

class VertexDeclaration {
public:
    explicit VertexDeclaration(std::vector<VertexElement> elements) : m_elements(std::move(elements)) {}
    // The elements without the end marker.
    const std::vector<VertexElement>& Elements() const { return m_elements; }

private:
    std::vector<VertexElement> m_elements;
};

}  // namespace gfx
