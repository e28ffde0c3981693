// The .x reader on bytes in memory, and every processing step a loaded mesh goes through.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "mesh/EMeshMgr.h"
#include "platform/xfile/MeshLoader.h"
#include "platform/xfile/MeshOperations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> loaded, mesh, cleaned;
    if (gfx::Failed(xfile::LoadMeshFromXInMemory(data, size, xfile::MESH_SYSTEMMEM, nullptr, materials, loaded)))
        return 0;
    if (gfx::Failed(loaded->CloneMesh(xfile::MESH_SYSTEMMEM, kMeshVertexLayout, nullptr, mesh))) return 0;
    std::vector<uint32_t> adjacency(mesh->GetNumFaces() * 3), out(adjacency.size());
    mesh->GenerateAdjacency(0.0f, adjacency.data());
    if (gfx::Failed(xfile::CleanMesh(xfile::CLEAN_SIMPLIFICATION, mesh, adjacency.data(), cleaned, out.data())))
        return 0;
    xfile::WeldEpsilons eps;
    eps.Position = eps.Normal = 0.1f;
    xfile::WeldVertices(*cleaned, xfile::WELDEPSILONS_WELDPARTIALMATCHES, &eps, nullptr, nullptr);
    adjacency.resize(cleaned->GetNumFaces() * 3);
    out.resize(adjacency.size());
    cleaned->GenerateAdjacency(0.0f, adjacency.data());
    xfile::ValidMesh(*cleaned, adjacency.data());
    cleaned->OptimizeInplace(xfile::MESHOPT_ATTRSORT, adjacency.data(), out.data());
    cleaned->OptimizeInplace(xfile::MESHOPT_ATTRSORT | xfile::MESHOPT_VERTEXCACHE, out.data(), adjacency.data());
    return 0;
}
