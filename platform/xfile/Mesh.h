#pragma once
// A triangle mesh as the game's Direct3D-style code expects it: vertices of a declared layout in a
// vertex buffer, 16-bit indices, one attribute (material id) per face and an attribute table of
// the face and vertex ranges of each attribute. A managed mesh keeps its buffers on the device it
// was made for; a system-memory mesh keeps them on the side, for loading and processing.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/Device.h"

namespace xfile {

// Creation options.
constexpr uint32_t MESH_SYSTEMMEM = 0x110;
constexpr uint32_t MESH_MANAGED = 0x220;

// OptimizeInplace flags.
constexpr uint32_t MESHOPT_ATTRSORT = 0x02000000;
constexpr uint32_t MESHOPT_VERTEXCACHE = 0x04000000;
constexpr uint32_t MESHOPT_DONOTSPLIT = 0x20000000;

// An adjacency entry without a neighbour.
constexpr uint32_t kNoNeighbour = 0xFFFFFFFF;
// Meshes index their vertices with 16 bits.
constexpr uint32_t kMaxVertices = 65535;

constexpr gfx::Result ERR_INVALIDMESH = static_cast<gfx::Result>(0x88760B54);

struct AttributeRange {
    uint32_t AttribId = 0;
    uint32_t FaceStart = 0;
    uint32_t FaceCount = 0;
    uint32_t VertexStart = 0;
    uint32_t VertexCount = 0;
};

// The faces in order of their attribute, keeping their order within an attribute.
std::vector<uint32_t> OrderByAttribute(const uint32_t* attributes, uint32_t faces);
// Bytes of one element of a declaration.
uint32_t ElementSize(gfx::DeclType type);
// Bytes of one vertex: the end of the furthest element of stream 0.
uint32_t VertexStride(const std::vector<gfx::VertexElement>& declaration);
// The elements of a list that ends with DECL_END.
std::vector<gfx::VertexElement> DeclarationFrom(const gfx::VertexElement* elements);

class Mesh {
public:
    // A mesh of the given content: vertices holds vertexCount x stride bytes, indices three per
    // face, attributes one per face. A managed mesh needs a device.
    static gfx::Result Create(uint32_t options, const std::vector<gfx::VertexElement>& declaration,
                              gfx::Device* device, std::vector<uint8_t> vertices, std::vector<uint16_t> indices,
                              std::vector<uint32_t> attributes, std::shared_ptr<Mesh>& out);

    uint32_t GetNumFaces() const { return static_cast<uint32_t>(m_attributes.size()); }
    uint32_t GetNumVertices() const { return m_vertexCount; }
    uint32_t GetNumBytesPerVertex() const { return m_stride; }
    uint32_t GetOptions() const { return m_options; }
    gfx::Device* GetDevice() const { return m_device; }
    const std::vector<gfx::VertexElement>& GetDeclaration() const { return m_declaration; }
    // The element of that usage, or null.
    const gfx::VertexElement* FindElement(gfx::DeclUsage usage, uint8_t usageIndex = 0) const;

    // The buffers; a holder keeps them alive after the mesh changes or goes.
    const std::shared_ptr<gfx::VertexBuffer>& GetVertexBuffer() const { return m_vertexBuffer; }
    const std::shared_ptr<gfx::IndexBuffer>& GetIndexBuffer() const { return m_indexBuffer; }
    gfx::Result LockVertexBuffer(uint32_t flags, void** data) { return m_vertexBuffer->Lock(0, 0, data, flags); }
    gfx::Result UnlockVertexBuffer() { return m_vertexBuffer->Unlock(); }
    gfx::Result LockIndexBuffer(uint32_t flags, void** data) { return m_indexBuffer->Lock(0, 0, data, flags); }
    gfx::Result UnlockIndexBuffer() { return m_indexBuffer->Unlock(); }
    // The attribute of each face, in place.
    uint32_t* LockAttributeBuffer() { return m_attributes.data(); }

    // With table null, only the number of ranges; otherwise copies the ranges (count of them).
    gfx::Result GetAttributeTable(AttributeRange* table, uint32_t* count) const;
    const std::vector<AttributeRange>& AttributeTable() const { return m_table; }
    void SetAttributeTable(std::vector<AttributeRange> table) { m_table = std::move(table); }
    // Recomputes each range's vertex span from its faces (after vertices were renumbered).
    void RefreshVertexRanges();

    // A copy in another layout: elements the source lacks are zero, the others converted.
    gfx::Result CloneMesh(uint32_t options, const gfx::VertexElement* declaration, gfx::Device* device,
                          std::shared_ptr<Mesh>& out) const;
    // Three entries per face: the face across each edge (corners k and k + 1), or kNoNeighbour.
    // Faces meet where the edge's end positions are equal within epsilon, whatever the indices.
    gfx::Result GenerateAdjacency(float epsilon, uint32_t* adjacency) const;
    // ATTRSORT groups the faces by attribute (keeping their order within a group), gives each
    // group its own contiguous vertices (a vertex shared by groups is split unless DONOTSPLIT),
    // drops unused vertices and builds the attribute table; VERTEXCACHE also orders each group's
    // faces for the vertex cache. adjacencyOut (may equal nothing) follows the new face order;
    // faceRemap gives each new face its old index, vertexRemap each new vertex its old index.
    gfx::Result OptimizeInplace(uint32_t flags, const uint32_t* adjacencyIn, uint32_t* adjacencyOut,
                                uint32_t* faceRemap = nullptr, std::vector<uint32_t>* vertexRemap = nullptr);
    // Draws the faces of the attribute's ranges on the mesh's device.
    gfx::Result DrawSubset(uint32_t attribId);

    // The content, read directly by this layer's operations and by readers that need no lock.
    const uint8_t* VertexData() const { return m_vertexBuffer->Data(); }
    const uint16_t* IndexData() const { return reinterpret_cast<const uint16_t*>(m_indexBuffer->Data()); }
    const uint32_t* AttributeData() const { return m_attributes.data(); }
    // Replaces the content; the buffers are made again when their sizes change.
    gfx::Result SetContent(std::vector<uint8_t> vertices, std::vector<uint16_t> indices,
                           std::vector<uint32_t> attributes);

private:
    Mesh() = default;
    gfx::Result MakeBuffers(uint32_t vertexBytes, uint32_t indexBytes);

    uint32_t m_options = MESH_SYSTEMMEM;
    gfx::Device* m_device = nullptr;
    std::vector<gfx::VertexElement> m_declaration;
    std::unique_ptr<gfx::VertexDeclaration> m_drawDeclaration;
    uint32_t m_stride = 0;
    uint32_t m_vertexCount = 0;
    std::shared_ptr<gfx::VertexBuffer> m_vertexBuffer;
    std::shared_ptr<gfx::IndexBuffer> m_indexBuffer;
    std::vector<uint32_t> m_attributes;
    std::vector<AttributeRange> m_table;
};

}  // namespace xfile
