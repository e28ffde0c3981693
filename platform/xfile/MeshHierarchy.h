#pragma once
// Loads a .x file as a hierarchy of frames, the way skinned models are kept: every Frame with its
// transform, its children and siblings in file order; every Mesh as a mesh container of its frame,
// not placed by the frames' transforms and not merged with the others (a position used with
// several normals still becomes one vertex per normal); skin weights as a SkinInfo whose
// influences follow the vertices into their copies; the animation sets as keyframed sets.
//
// The caller's allocator makes and frees the frames and containers, so it can derive its own
// records from them. Top-level frames form the root's sibling chain; a Mesh outside any Frame gets
// an unnamed frame of its own in that chain.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/math/Matrix.h"
#include "platform/xfile/ExtendedMaterial.h"
#include "platform/xfile/KeyframedAnimationSet.h"
#include "platform/xfile/Mesh.h"
#include "platform/xfile/SkinInfo.h"

namespace xfile {

struct MeshContainer;

// What a mesh container holds; the .x reader makes only plain meshes.
enum MeshDataType : uint32_t { MESHTYPE_MESH = 1, MESHTYPE_PMESH = 2, MESHTYPE_PATCHMESH = 3 };

struct MeshData {
    MeshDataType Type = MESHTYPE_MESH;
    // Null for a Mesh without faces.
    std::shared_ptr<Mesh> pMesh;
};

struct Frame {
    virtual ~Frame() = default;
    std::string Name;
    pmath::Matrix TransformationMatrix = pmath::Identity();
    MeshContainer* pMeshContainer = nullptr;
    Frame* pFrameSibling = nullptr;
    Frame* pFrameFirstChild = nullptr;
};

struct MeshContainer {
    virtual ~MeshContainer() = default;
    std::string Name;
    xfile::MeshData MeshData;
    std::vector<ExtendedMaterial> Materials;
    // Three entries per face (kNoNeighbour for none).
    std::vector<uint32_t> Adjacency;
    std::shared_ptr<SkinInfo> pSkinInfo;
    MeshContainer* pNextMeshContainer = nullptr;
};

// Makes and frees the records of a hierarchy. A failed creation stops the load; a container
// creation that succeeds without a container leaves the frame without it.
class AllocateHierarchy {
public:
    virtual gfx::Result CreateFrame(const char* name, Frame** newFrame) = 0;
    virtual gfx::Result CreateMeshContainer(const char* name, const MeshData& meshData,
                                            const ExtendedMaterial* materials, uint32_t numMaterials,
                                            const uint32_t* adjacency, const std::shared_ptr<SkinInfo>& skinInfo,
                                            MeshContainer** newMeshContainer) = 0;
    virtual gfx::Result DestroyFrame(Frame* frame) = 0;
    virtual gfx::Result DestroyMeshContainer(MeshContainer* container) = 0;

protected:
    ~AllocateHierarchy() = default;
};

// ERR_FILENOTFOUND for a file that cannot be read, ERR_INVALIDDATA for content that is not a
// well-formed hierarchy (error then says why), an allocator's own failure as it gave it. On any
// failure nothing stays allocated and root is null. The controller (when asked for) holds the
// file's animation sets, or is null when it has none.
gfx::Result LoadMeshHierarchyFromX(std::string_view gamePath, uint32_t options, gfx::Device* device,
                                   AllocateHierarchy* allocator, Frame** root,
                                   std::unique_ptr<AnimationController>* controller, std::string* error = nullptr);
gfx::Result LoadMeshHierarchyFromXInMemory(const uint8_t* data, size_t size, uint32_t options, gfx::Device* device,
                                           AllocateHierarchy* allocator, Frame** root,
                                           std::unique_ptr<AnimationController>* controller,
                                           std::string* error = nullptr);

// Frees a hierarchy through its allocator: containers, then children, siblings and the frame.
gfx::Result FrameDestroy(Frame* root, AllocateHierarchy* allocator);
// The frame of that name in the tree (exact, as the names are kept), or null.
Frame* FrameFind(Frame* root, std::string_view name);

}  // namespace xfile
