#pragma once
// How the passes see what they draw: the renderer never includes a mesh, a skinned mesh, an
// engine object or the camera. The floors above describe them in these records:
//
// - An engine object carries a DrawVisibility (world/'s EObjectSlot derives from it): the
//   visibility pass's mark, the flags word, its static mesh and how it casts shadows.
// - A static mesh is a DrawMesh (mesh/'s EMesh fills one): its video mesh (a DrawGeometry of
//   vertex and index buffers with one index range per subset), its world matrix and per subset
//   the texture and the flags copied from the texture's definition.
// - A skinned mesh is a DrawSkin: it draws its own containers (bones are its own business) with
//   the effect the pass began.
// - At load time the mesh side hands a DrawRecord per subset (or skinned container) to
//   ERenderer::AddMeshToTextureLists / AddSkinMeshToTextureLists and keeps the returned id.
// - The camera writes g_DrawCamera whenever it sets up its view and projection.
// - The shadow-map pass walks the engine's object table through RenderHooks::objectTable.
//
// Every pointer handed over here must stay valid until the mesh is removed from the lists
// (ERenderer::RemoveMeshFromLists) or the object slot is freed (its m_pDrawMesh set to null).
#include <cstddef>
#include <cstdint>

#include "core/DV.h"
#include "platform/math/Matrix.h"

namespace gfx {
class IndexBuffer;
class VertexBuffer;
}  // namespace gfx
struct EffectRecord;
struct DrawMesh;

// The flag bit of an engine object that makes it drawn (its enabled bit).
constexpr uint32_t FLAG_VISIBLE = 0x1;
// The flag bit that keeps an object out of both shadow maps.
constexpr uint32_t FLAG_NO_SHADOW = 1u << 28;

// What the passes read of an object. Engine objects derive from it, so the names stay the
// object's own.
struct DrawVisibility {
    // Set by the visibility pass for the current frame.
    uint8_t m_bVisibleThisFrame = 0;
    uint32_t m_uFlags = 0;
    // For the shaders, refreshed by the engine every frame while the object is visible: the camera
    // position in the object's own space, the world-view and the world-view-projection matrices.
    float m_fCameraInObject[4] = {};
    pmath::Matrix m_WorldView;
    pmath::Matrix m_WorldViewProjection;
    // The object's static mesh; null when it has none (a free slot has none).
    const DrawMesh* m_pDrawMesh = nullptr;
    // Shadow casting: left out of the shadow passes altogether, left out of the static (sky)
    // map; near enough to the camera this frame to cast into the map of moving objects (the
    // engine's visibility pass decides).
    uint8_t m_bShadowSkip = 0;
    uint8_t m_bNoStaticShadow = 0;
    uint8_t m_bInShadowRange = 0;
    // A tree: its leaves are drawn by the tree pass.
    uint8_t m_bTree = 0;
};

// One subset's part of a video mesh: a range of its index buffer (an attribute-table entry).
struct DrawRange {
    uint32_t startIndex = 0;
    uint32_t faceCount = 0;
    int32_t baseVertex = 0;
    uint32_t minVertex = 0;
    uint32_t vertexCount = 0;
};

// A video mesh: vertices in the engine's 36-byte mesh layout (g_pVertexDeclaration), a triangle
// list of 16- or 32-bit indices, one range per attribute id (subset).
struct DrawGeometry {
    const gfx::VertexBuffer* vertices = nullptr;
    const gfx::IndexBuffer* indices = nullptr;
    const DrawRange* ranges = nullptr;
    uint32_t rangeCount = 0;
    // All faces of the mesh, for the polygon counters.
    uint32_t faceCount = 0;
};

// One multitexture layer (R, G or B) of a subset: texture ids and the density.
struct DrawLayer {
    uint8_t present = 0;
    uint32_t texture = 0;
    uint32_t normal = 0;
    float density = 1.0f;
};

// One subset of a static mesh, its flags copied from its texture's definition.
struct DrawSubset {
    uint8_t enabled = 1;
    uint32_t textureId = 0;
    uint8_t alphaTested = 0;  // "transparent"
    uint8_t blended = 0;      // "translucent"
    uint8_t noShadow = 0;     // "do_not_cast_shadow"
    // Three layers (R, G, B), or null when the subset has none.
    const DrawLayer* multitexture = nullptr;
};

// A static mesh as the passes draw it.
struct DrawMesh {
    // Null: the mesh has no video mesh and nothing is drawn.
    const DrawGeometry* geometry = nullptr;
    pmath::Matrix world = pmath::Identity();
    // Multiplies the lit colour (1, 1, 1, 1: as textured).
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const DrawSubset* subsets = nullptr;
    uint32_t subsetCount = 0;
    // The renderer's frame in which the polygon counters last counted this mesh.
    uint32_t countedFrame = 0;
};

// A skinned mesh draws one of its containers with the texture id and the effect of the pass.
class DrawSkin {
public:
    virtual void Render(uint32_t textureId, uint32_t container, EffectRecord* effect) = 0;

protected:
    ~DrawSkin() = default;
};

struct DrawRecord {
    // The mesh the entry belongs to: its identity for removal, never dereferenced.
    const void* owner = nullptr;
    // Names the mesh in the line printed when it has no object.
    const char* fileName = "";
    // The subset of a mesh or the container of a skinned mesh.
    uint32_t subset = 0;
    // The owning object's visibility; null when the mesh has no object.
    const DrawVisibility* visibility = nullptr;
    // What the passes draw: a static mesh's subsets, or a skinned mesh's containers.
    DrawMesh* mesh = nullptr;
    DrawSkin* skin = nullptr;
};

// The engine's object table: count objects, stride bytes apart, from first.
struct DrawObjectTable {
    const DrawVisibility* first = nullptr;
    uint32_t count = 0;
    uint32_t stride = sizeof(DrawVisibility);
    const DrawVisibility& operator[](uint32_t i) const {
        return *reinterpret_cast<const DrawVisibility*>(reinterpret_cast<const char*>(first) + std::size_t{i} * stride);
    }
};

// The camera as the passes see it: row-vector matrices, left-handed, clip depth 0..1.
struct DrawCamera {
    pmath::Matrix view = pmath::Identity();
    pmath::Matrix projection = pmath::Identity();
    DV position;
    float farZ = 1000.0f;
};

inline DrawCamera g_DrawCamera;
