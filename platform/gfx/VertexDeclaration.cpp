#include "platform/gfx/VertexDeclaration.h"

namespace gfx {

namespace {
uint64_t g_nextDeclaration = 1;
}  // namespace

VertexDeclaration::VertexDeclaration(std::vector<VertexElement> elements)
    : m_elements(std::move(elements)), m_serial(g_nextDeclaration++) {}

std::vector<VertexElement> FvfElements(uint32_t fvf) {
    std::vector<VertexElement> elements;
    uint16_t offset = 0;
    auto add = [&](DeclType type, DeclUsage usage, uint8_t index, uint16_t size) {
        elements.push_back(VertexElement{0, offset, type, 0, usage, index});
        offset = static_cast<uint16_t>(offset + size);
    };
    if (fvf & FVF_XYZRHW) add(DECLTYPE_FLOAT4, DECLUSAGE_POSITION, 0, 16);
    else if (fvf & FVF_XYZ) add(DECLTYPE_FLOAT3, DECLUSAGE_POSITION, 0, 12);
    if (fvf & FVF_NORMAL) add(DECLTYPE_FLOAT3, DECLUSAGE_NORMAL, 0, 12);
    if (fvf & FVF_DIFFUSE) add(DECLTYPE_D3DCOLOR, DECLUSAGE_COLOR, 0, 4);
    uint32_t sets = (fvf >> FVF_TEXCOUNT_SHIFT) & 0xF;
    for (uint32_t i = 0; i < sets; ++i) add(DECLTYPE_FLOAT2, DECLUSAGE_TEXCOORD, static_cast<uint8_t>(i), 8);
    return elements;
}

}  // namespace gfx
