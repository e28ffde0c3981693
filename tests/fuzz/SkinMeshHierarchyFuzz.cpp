// A skinned model's .x hierarchy read from memory with the game's own allocator: every mesh
// container turned into its indexed blended, skinned mesh.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshAllocateHierarchy.h"
#include "mesh/ESkinMeshMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::StartDirectory();
    // The allocator makes containers only for a model being loaded for an instance.
    static ESkinMeshBase base;
    static ESkinMesh instance;
    g_SkinMeshMgr.m_pCreating = &base;
    g_SkinMeshMgr.m_pCreatingFor = &instance;
    xfile::Frame* root = nullptr;
    std::unique_ptr<xfile::AnimationController> controller;
    xfile::LoadMeshHierarchyFromXInMemory(data, size, xfile::MESH_SYSTEMMEM, nullptr, &g_SkinMeshAllocateHierarchy,
                                          &root, &controller);
    xfile::FrameDestroy(root, &g_SkinMeshAllocateHierarchy);
    g_SkinMeshMgr.m_pCreating = nullptr;
    g_SkinMeshMgr.m_pCreatingFor = nullptr;
    return 0;
}
