#include "platform/xfile/Mesh.h"

#include <algorithm>
#include <cstring>

#include "platform/xfile/MeshTopology.h"

namespace xfile {

uint32_t ElementSize(gfx::DeclType type) {
    switch (type) {
        case gfx::DECLTYPE_FLOAT1: return 4;
        case gfx::DECLTYPE_FLOAT2: return 8;
        case gfx::DECLTYPE_FLOAT3: return 12;
        case gfx::DECLTYPE_FLOAT4: return 16;
        case gfx::DECLTYPE_D3DCOLOR:
        case gfx::DECLTYPE_UBYTE4: return 4;
        default: return 0;
    }
}

std::vector<uint32_t> OrderByAttribute(const uint32_t* attributes, uint32_t faces) {
    std::vector<uint32_t> order(faces);
    const uint32_t highest = faces ? *std::max_element(attributes, attributes + faces) : 0;
    if (highest >= faces) {
        for (uint32_t f = 0; f < faces; ++f) order[f] = f;
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return attributes[a] < attributes[b]; });
        return order;
    }
    // Few attributes, many faces: a counting sort.
    std::vector<uint32_t> start(highest + 2, 0);
    for (uint32_t f = 0; f < faces; ++f) ++start[attributes[f] + 1];
    for (uint32_t a = 0; a <= highest; ++a) start[a + 1] += start[a];
    for (uint32_t f = 0; f < faces; ++f) order[start[attributes[f]]++] = f;
    return order;
}

uint32_t VertexStride(const std::vector<gfx::VertexElement>& declaration) {
    uint32_t stride = 0;
    for (const gfx::VertexElement& e : declaration)
        if (e.stream == 0) stride = std::max(stride, e.offset + ElementSize(e.type));
    return stride;
}

std::vector<gfx::VertexElement> DeclarationFrom(const gfx::VertexElement* elements) {
    std::vector<gfx::VertexElement> out;
    for (const gfx::VertexElement* e = elements; e && e->stream != 0xFF; ++e) out.push_back(*e);
    return out;
}

gfx::Result Mesh::Create(uint32_t options, const std::vector<gfx::VertexElement>& declaration, gfx::Device* device,
                         std::vector<uint8_t> vertices, std::vector<uint16_t> indices,
                         std::vector<uint32_t> attributes, std::shared_ptr<Mesh>& out) {
    const uint32_t stride = VertexStride(declaration);
    const bool managed = (options & MESH_MANAGED) == MESH_MANAGED;
    if (stride == 0 || (managed && !device) || attributes.empty() || indices.size() != attributes.size() * 3 ||
        vertices.empty() || vertices.size() % stride != 0 || vertices.size() / stride > kMaxVertices)
        return gfx::ERR_INVALIDCALL;
    std::shared_ptr<Mesh> mesh(new Mesh());
    mesh->m_options = managed ? MESH_MANAGED : MESH_SYSTEMMEM;
    mesh->m_device = device;
    mesh->m_declaration = declaration;
    mesh->m_stride = stride;
    gfx::Result r = mesh->SetContent(std::move(vertices), std::move(indices), std::move(attributes));
    if (gfx::Failed(r)) return r;
    out = std::move(mesh);
    return gfx::OK;
}

const gfx::VertexElement* Mesh::FindElement(gfx::DeclUsage usage, uint8_t usageIndex) const {
    for (const gfx::VertexElement& e : m_declaration)
        if (e.stream == 0 && e.usage == usage && e.usageIndex == usageIndex) return &e;
    return nullptr;
}

gfx::Result Mesh::MakeBuffers(uint32_t vertexBytes, uint32_t indexBytes) {
    if (m_vertexBuffer && m_vertexBuffer->Length() == vertexBytes && m_indexBuffer &&
        m_indexBuffer->Length() == indexBytes)
        return gfx::OK;
    if (m_options == MESH_MANAGED) {
        std::unique_ptr<gfx::VertexBuffer> vb;
        std::unique_ptr<gfx::IndexBuffer> ib;
        gfx::Result r = m_device->CreateVertexBuffer(vertexBytes, 0, 0, gfx::POOL_MANAGED, vb);
        if (!gfx::Failed(r)) r = m_device->CreateIndexBuffer(indexBytes, 0, gfx::FMT_INDEX16, gfx::POOL_MANAGED, ib);
        if (gfx::Failed(r)) return r;
        m_vertexBuffer = std::move(vb);
        m_indexBuffer = std::move(ib);
        return gfx::OK;
    }
    // System-memory buffers belong to no device: they live on a ledger of their own.
    auto ledger = std::make_shared<gfx::ResourceLedger>();
    m_vertexBuffer = std::make_shared<gfx::VertexBuffer>(ledger, gfx::POOL_SYSTEMMEM, vertexBytes, 0, 0);
    m_indexBuffer = std::make_shared<gfx::IndexBuffer>(ledger, gfx::POOL_SYSTEMMEM, indexBytes, 0, gfx::FMT_INDEX16);
    return gfx::OK;
}

gfx::Result Mesh::SetContent(std::vector<uint8_t> vertices, std::vector<uint16_t> indices,
                             std::vector<uint32_t> attributes) {
    const uint32_t vertexBytes = static_cast<uint32_t>(vertices.size());
    const uint32_t indexBytes = static_cast<uint32_t>(indices.size() * 2);
    gfx::Result r = MakeBuffers(vertexBytes, indexBytes);
    if (gfx::Failed(r)) return r;
    void* p = nullptr;
    if (gfx::Failed(r = m_vertexBuffer->Lock(0, 0, &p, 0))) return r;
    std::memcpy(p, vertices.data(), vertexBytes);
    m_vertexBuffer->Unlock();
    if (gfx::Failed(r = m_indexBuffer->Lock(0, 0, &p, 0))) return r;
    std::memcpy(p, indices.data(), indexBytes);
    m_indexBuffer->Unlock();
    m_vertexCount = vertexBytes / m_stride;
    m_attributes = std::move(attributes);
    return gfx::OK;
}

gfx::Result Mesh::GetAttributeTable(AttributeRange* table, uint32_t* count) const {
    if (!count) return gfx::ERR_INVALIDCALL;
    if (!table) {
        *count = static_cast<uint32_t>(m_table.size());
        return gfx::OK;
    }
    const uint32_t n = std::min(*count, static_cast<uint32_t>(m_table.size()));
    std::copy_n(m_table.begin(), n, table);
    *count = n;
    return gfx::OK;
}

void Mesh::RefreshVertexRanges() {
    for (AttributeRange& range : m_table) {
        uint32_t lowest = kNoNeighbour, highest = 0;
        for (uint32_t i = range.FaceStart * 3; i < (range.FaceStart + range.FaceCount) * 3 && i < GetNumFaces() * 3; ++i) {
            lowest = std::min<uint32_t>(lowest, IndexData()[i]);
            highest = std::max<uint32_t>(highest, IndexData()[i]);
        }
        range.VertexStart = lowest == kNoNeighbour ? 0 : lowest;
        range.VertexCount = lowest == kNoNeighbour ? 0 : highest - lowest + 1;
    }
}

namespace {

bool IsFloatType(gfx::DeclType type) { return type <= gfx::DECLTYPE_FLOAT4; }

// One element's bytes in another type of the same usage: floats to floats (missing components
// zero), anything else only to its own type.
void ConvertElement(const uint8_t* from, gfx::DeclType fromType, uint8_t* to, gfx::DeclType toType) {
    if (fromType == toType) {
        std::memcpy(to, from, ElementSize(toType));
    } else if (IsFloatType(fromType) && IsFloatType(toType)) {
        std::memcpy(to, from, std::min(ElementSize(fromType), ElementSize(toType)));
    }
}

}  // namespace

gfx::Result Mesh::CloneMesh(uint32_t options, const gfx::VertexElement* declaration, gfx::Device* device,
                            std::shared_ptr<Mesh>& out) const {
    std::vector<gfx::VertexElement> decl = DeclarationFrom(declaration);
    const uint32_t stride = VertexStride(decl);
    if (stride == 0) return gfx::ERR_INVALIDCALL;
    std::vector<uint8_t> vertices(static_cast<size_t>(m_vertexCount) * stride, 0);
    const uint8_t* source = VertexData();
    for (const gfx::VertexElement& e : decl) {
        const gfx::VertexElement* s = FindElement(e.usage, e.usageIndex);
        if (e.stream != 0 || !s) continue;
        for (uint32_t v = 0; v < m_vertexCount; ++v)
            ConvertElement(source + v * m_stride + s->offset, s->type, vertices.data() + v * stride + e.offset, e.type);
    }
    std::vector<uint16_t> indices(IndexData(), IndexData() + GetNumFaces() * 3);
    std::shared_ptr<Mesh> clone;
    gfx::Result r = Create(options, decl, device, std::move(vertices), std::move(indices), m_attributes, clone);
    if (gfx::Failed(r)) return r;
    clone->m_table = m_table;
    out = std::move(clone);
    return gfx::OK;
}

gfx::Result Mesh::GenerateAdjacency(float epsilon, uint32_t* adjacency) const {
    if (!adjacency || epsilon < 0.0f) return gfx::ERR_INVALIDCALL;
    BuildAdjacency(IndexData(), GetNumFaces(), PositionClasses(*this, epsilon), adjacency);
    return gfx::OK;
}

gfx::Result Mesh::OptimizeInplace(uint32_t flags, const uint32_t* adjacencyIn, uint32_t* adjacencyOut,
                                  uint32_t* faceRemap, std::vector<uint32_t>* vertexRemap) {
    const uint32_t faces = GetNumFaces();
    const bool sort = (flags & (MESHOPT_ATTRSORT | MESHOPT_VERTEXCACHE)) != 0;
    const bool split = sort && (flags & MESHOPT_DONOTSPLIT) == 0;
    const uint16_t* indices = IndexData();

    std::vector<uint32_t> order(faces);
    for (uint32_t f = 0; f < faces; ++f) order[f] = f;
    if (sort) order = OrderByAttribute(m_attributes.data(), faces);
    // The groups of faces with one attribute, in the new order.
    std::vector<AttributeRange> table;
    for (uint32_t i = 0; i < faces;) {
        uint32_t j = i;
        while (j < faces && m_attributes[order[j]] == m_attributes[order[i]]) ++j;
        table.push_back({m_attributes[order[i]], i, j - i, 0, 0});
        i = sort ? j : faces;  // unsorted faces form no table
    }
    if (flags & MESHOPT_VERTEXCACHE)
        for (const AttributeRange& range : table)
            OrderForVertexCache(indices, order.data() + range.FaceStart, range.FaceCount, m_vertexCount);

    // New vertices in order of first use; a splitting sort starts every group afresh.
    std::vector<uint32_t> newIndex(m_vertexCount, kNoNeighbour);
    std::vector<uint32_t> group(m_vertexCount, kNoNeighbour);
    std::vector<uint32_t> oldOfNew;
    std::vector<uint16_t> newIndices(static_cast<size_t>(faces) * 3);
    std::vector<uint32_t> newAttributes(faces);
    for (uint32_t g = 0; g < table.size(); ++g) {
        AttributeRange& range = table[g];
        const uint32_t last = sort ? range.FaceStart + range.FaceCount : faces;
        const uint32_t firstNew = static_cast<uint32_t>(oldOfNew.size());
        uint32_t lowest = kNoNeighbour, highest = 0;
        for (uint32_t f = range.FaceStart; f < last; ++f) {
            for (int k = 0; k < 3; ++k) {
                const uint32_t v = indices[order[f] * 3 + k];
                if (v >= m_vertexCount) return ERR_INVALIDMESH;
                if (newIndex[v] == kNoNeighbour || (split && group[v] != g)) {
                    newIndex[v] = static_cast<uint32_t>(oldOfNew.size());
                    group[v] = g;
                    oldOfNew.push_back(v);
                }
                lowest = std::min(lowest, newIndex[v]);
                highest = std::max(highest, newIndex[v]);
                newIndices[f * 3 + k] = static_cast<uint16_t>(newIndex[v]);
            }
            newAttributes[f] = m_attributes[order[f]];
        }
        if (oldOfNew.size() > kMaxVertices) return ERR_INVALIDMESH;
        range.VertexStart = split ? firstNew : lowest;
        range.VertexCount = split ? static_cast<uint32_t>(oldOfNew.size()) - firstNew : highest - lowest + 1;
    }
    std::vector<uint8_t> vertices(oldOfNew.size() * m_stride);
    for (size_t v = 0; v < oldOfNew.size(); ++v)
        std::memcpy(vertices.data() + v * m_stride, VertexData() + oldOfNew[v] * m_stride, m_stride);
    if (adjacencyOut) {
        std::vector<uint32_t> newFace(faces);
        for (uint32_t f = 0; f < faces; ++f) newFace[order[f]] = f;
        std::vector<uint32_t> in(adjacencyIn ? adjacencyIn : adjacencyOut,
                                 (adjacencyIn ? adjacencyIn : adjacencyOut) + faces * 3);
        if (!adjacencyIn) GenerateAdjacency(0.0f, in.data());
        for (uint32_t f = 0; f < faces; ++f)
            for (int k = 0; k < 3; ++k) {
                const uint32_t n = in[order[f] * 3 + k];
                adjacencyOut[f * 3 + k] = n < faces ? newFace[n] : kNoNeighbour;
            }
    }
    if (faceRemap) std::copy(order.begin(), order.end(), faceRemap);
    if (vertexRemap) *vertexRemap = oldOfNew;
    gfx::Result r = SetContent(std::move(vertices), std::move(newIndices), std::move(newAttributes));
    if (gfx::Failed(r)) return r;
    m_table = sort ? std::move(table) : std::vector<AttributeRange>{};
    return gfx::OK;
}

gfx::Result Mesh::DrawSubset(uint32_t attribId) {
    if (!m_device) return gfx::ERR_INVALIDCALL;
    if (!m_drawDeclaration) {
        std::vector<gfx::VertexElement> elements = m_declaration;
        elements.push_back(gfx::DECL_END);
        gfx::Result r = m_device->CreateVertexDeclaration(elements.data(), m_drawDeclaration);
        if (gfx::Failed(r)) return r;
    }
    m_device->SetVertexDeclaration(m_drawDeclaration.get());
    m_device->SetStreamSource(0, m_vertexBuffer.get(), 0, m_stride);
    m_device->SetIndices(m_indexBuffer.get());
    for (const AttributeRange& range : m_table) {
        if (range.AttribId != attribId || range.FaceCount == 0) continue;
        gfx::Result r = m_device->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 0, range.VertexStart, range.VertexCount,
                                                       range.FaceStart * 3, range.FaceCount);
        if (gfx::Failed(r)) return r;
    }
    return gfx::OK;
}

}  // namespace xfile
