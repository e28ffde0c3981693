#pragma once
// Meshes made in code for render tests and benchmarks: shapes in the engine's 36-byte vertex
// layout, uploaded to the device as one subset, and engine objects as the renderer sees them.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/DV.h"
#include "platform/gfx/Device.h"
#include "render/DrawRecord.h"

namespace test {

struct MeshVertex {
    DV position;
    uint32_t colour = 0xFFFFFFFFu;
    DV normal;
    float u = 0, v = 0;
};
static_assert(sizeof(MeshVertex) == 36, "the engine's mesh vertex");

// Vertices and 32-bit indices of one subset; Upload makes the device buffers the passes draw.
class SceneGeometry {
public:
    // A rectangle around centre spanning +-u and +-v; its front (clockwise, as the game's front
    // faces are) faces v x u. Texture coordinates run 0..uvScale, (0, 0) at centre - u + v.
    void AddQuad(const DV& centre, const DV& u, const DV& v, float uvScale = 1.0f);
    // An axis-aligned box, faces outwards.
    void AddBox(const DV& min, const DV& max);
    // A sphere of radius 1 seen from inside, v running from 0 at the top to 1 at the bottom.
    void AddDome(int rings, int segments);
    bool Upload(gfx::Device& device);

    std::vector<MeshVertex> vertices;
    std::vector<uint32_t> indices;
    std::unique_ptr<gfx::VertexBuffer> vertexBuffer;
    std::unique_ptr<gfx::IndexBuffer> indexBuffer;
    DrawRange range;
    DrawGeometry geometry;
};

// An engine object with one static mesh of one subset, registered in its texture's list.
struct SceneObject {
    DrawVisibility object;
    DrawMesh mesh;
    DrawSubset subset;

    SceneObject() = default;
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;
    // Places the geometry at world, visible this frame, and enters it in the texture's list; the
    // subset takes the texture's alpha-tested, blended and no-shadow flags.
    void Place(const SceneGeometry& geometry, const pmath::Matrix& world, const char* texture);
};

pmath::Matrix Translation(const DV& position);
pmath::Matrix ScaleTranslation(const DV& scale, const DV& position);

}  // namespace test
