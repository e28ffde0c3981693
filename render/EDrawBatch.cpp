#include "render/EDrawBatch.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/Device.h"
#include "render/D3DDevice.h"

namespace {

constexpr uint32_t kMeshVertexBytes = 36;

bool SameColour(const float* a, const float* b) { return a == b || std::memcmp(a, b, 4 * sizeof(float)) == 0; }

}  // namespace

void EDrawBatch::Add(const DrawMesh& mesh, uint32_t subset) { Add(mesh, subset, mesh.world); }

void EDrawBatch::Add(const DrawMesh& mesh, uint32_t subset, const pmath::Matrix& world) {
    const DrawGeometry* g = mesh.geometry;
    if (!g || subset >= g->rangeCount || g->ranges[subset].faceCount == 0 || m_count == kCapacity) return;
    m_items[m_count++] = Item{g, subset, mesh.colour, &world};
}

uint32_t EDrawBatch::InstancesPerDraw(HEFFECT effect) {
    return std::clamp(effect->m_uInstanceCapacity, 1u, kInstancesPerDraw);
}

EDrawBatch::Counts EDrawBatch::Draw(HEFFECT effect) {
    Counts counts;
    if (!effect || !effect->m_pEffect || !g_pd3dDevice || m_count == 0) {
        m_count = 0;
        return counts;
    }
    ++m_batches;
    std::sort(m_items, m_items + m_count, [](const Item& a, const Item& b) {
        if (a.geometry != b.geometry) return a.geometry < b.geometry;
        if (a.range != b.range) return a.range < b.range;
        return std::lexicographical_compare(a.colour, a.colour + 4, b.colour, b.colour + 4);
    });
    for (uint32_t first = 0; first < m_count;) {
        uint32_t end = first + 1;
        while (end < m_count && m_items[end].geometry == m_items[first].geometry &&
               m_items[end].range == m_items[first].range && SameColour(m_items[end].colour, m_items[first].colour))
            ++end;
        uint32_t perDraw = InstancesPerDraw(effect);
        for (uint32_t chunk = first; chunk < end; chunk += perDraw) {
            uint32_t n = std::min(perDraw, end - chunk);
            DrawGroup(effect, m_items + chunk, n);
            counts.subsets += n;
            if (n > 1) counts.instancedSubsets += n;
            ++counts.draws;
        }
        first = end;
    }
    m_count = 0;
    return counts;
}

// The first three columns of each world matrix (a row-vector matrix's x, y and z outputs), then
// one draw of the range repeated once per instance.
void EDrawBatch::DrawGroup(HEFFECT effect, const Item* items, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 4; ++row) m_instanceWorld[i * 12 + column * 4 + row] = items[i].world->m[row][column];
    gfx::Effect& fx = *effect->m_pEffect;
    fx.SetFloatArray(effect->m_hInstanceWorld, m_instanceWorld, count * 12);
    fx.SetVector(effect->g_vRenderColor, items[0].colour);
    fx.CommitChanges();
    const DrawGeometry& g = *items[0].geometry;
    const DrawRange& r = g.ranges[items[0].range];
    gfx::Device& device = *g_pd3dDevice;
    device.SetStreamSource(0, g.vertices, 0, kMeshVertexBytes);
    device.SetIndices(g.indices);
    device.SetStreamSourceFreq(0, count > 1 ? gfx::STREAMSOURCE_INDEXEDDATA | count : 1);
    device.DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, r.baseVertex, r.minVertex, r.vertexCount, r.startIndex,
                                r.faceCount);
    if (count > 1) device.SetStreamSourceFreq(0, 1);
}
