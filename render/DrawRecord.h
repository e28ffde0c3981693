#pragma once
// How the render lists see the meshes they draw: the renderer never includes a mesh or an engine
// object. A mesh describes each drawn subset (or skinned-mesh container) in a DrawRecord, and the
// engine object that owns it carries the DrawVisibility that the record points at.
#include <cstdint>

#include "platform/math/Matrix.h"

struct EffectRecord;

// The flag bit of an engine object that makes it drawn.
constexpr uint32_t FLAG_VISIBLE = 0x1;

// What the render lists read of an object: whether the visibility pass saw it this frame and its
// flags word. Engine objects derive from it, so the names stay the object's own.
struct DrawVisibility {
    // Set by the visibility pass for the current frame.
    uint8_t m_bVisibleThisFrame = 0;
    uint32_t m_uFlags = 0;
    // For the shaders, refreshed by the engine every frame while the object is visible: the camera
    // position in the object's own space, the world-view and the world-view-projection matrices.
    float m_fCameraInObject[4] = {};
    pmath::Matrix m_WorldView;
    pmath::Matrix m_WorldViewProjection;
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
    // What the passes draw of a skinned mesh: its groups of the entry's texture and material.
    DrawSkin* skin = nullptr;
};
