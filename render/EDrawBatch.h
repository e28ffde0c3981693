#pragma once
// Draws the subsets a pass collects for one texture (or for one shadow map) in as few draw calls
// as their geometry allows: subsets of the same video mesh and range with the same colour are
// drawn together as instances of one draw, their world matrices in the effect's instance array
// (g_InstanceWorld). A frame of hundreds of objects sharing a few textures and models then costs
// one state change and about one draw per (texture, pass).
#include <cstdint>

#include "render/DrawRecord.h"
#include "render/EEffectMgr.h"

class EDrawBatch {
public:
    static constexpr uint32_t kCapacity = 8192;
    // The most instances one draw takes; fewer when the effect's instance array holds fewer.
    static constexpr uint32_t kInstancesPerDraw = 256;

    // What one Draw did.
    struct Counts {
        uint32_t subsets = 0;
        uint32_t instancedSubsets = 0;  // subsets drawn as one of several instances
        uint32_t draws = 0;
    };

    // Collects a subset with its mesh's own world matrix; a subset without a range in its mesh's
    // geometry (or beyond the capacity) is left out.
    void Add(const DrawMesh& mesh, uint32_t subset);
    // The same with a world matrix of the caller's (kept by the caller until Draw).
    void Add(const DrawMesh& mesh, uint32_t subset, const pmath::Matrix& world);
    bool Empty() const { return m_count == 0; }
    // Draws what was collected through the running pass of the effect, committing its changes
    // before each draw, and empties the batch.
    Counts Draw(HEFFECT effect);
    void Clear() { m_count = 0; }
    // How many times Draw found something to draw: each one state change of a pass.
    uint64_t Batches() const { return m_batches; }

private:
    struct Item {
        const DrawGeometry* geometry;
        uint32_t range;
        const float* colour;
        const pmath::Matrix* world;
    };
    void DrawGroup(HEFFECT effect, const Item* items, uint32_t count);
    static uint32_t InstancesPerDraw(HEFFECT effect);

    Item m_items[kCapacity];
    uint32_t m_count = 0;
    uint64_t m_batches = 0;
    float m_instanceWorld[kInstancesPerDraw * 12] = {};
};
