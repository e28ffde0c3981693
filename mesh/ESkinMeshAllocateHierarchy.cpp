#include "mesh/ESkinMeshAllocateHierarchy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "mesh/ESkinMeshBase.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/SkinMeshPrint.h"
#include "platform/xfile/MeshOperations.h"
#include "render/D3DDevice.h"

ESkinMeshAllocateHierarchy g_SkinMeshAllocateHierarchy;

namespace {

constexpr const char* kFrameTag = "D3DXFRAME_DERIVED";
constexpr const char* kContainerTag = "D3DXMESHCONTAINER_DERIVED";
constexpr float kOneBoneMinInfluence = 0.0001f;
constexpr size_t kTextureNameKept = 254;

const char* ModelFileName() {
    const ESkinMeshBase* base = g_SkinMeshMgr.m_pCreating;
    return base ? base->m_szFileName : "";
}

// The file name after the last "\" (or "/").
const char* WithoutPath(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return path.c_str() + (cut == std::string::npos ? 0 : cut + 1);
}

// A skin of one bone named after the container: every vertex follows it fully.
std::shared_ptr<xfile::SkinInfo> OneBoneSkin(const char* name, const xfile::Mesh& mesh) {
    xfile::SkinBone bone;
    bone.name = name;
    for (uint32_t v = 0; v < mesh.GetNumVertices(); ++v) {
        bone.vertices.push_back(v);
        bone.weights.push_back(1.0f);
    }
    auto skin = std::make_shared<xfile::SkinInfo>(mesh.GetNumVertices(), std::vector<xfile::SkinBone>{std::move(bone)});
    skin->SetMinBoneInfluence(kOneBoneMinInfluence);
    return skin;
}

// Weights as the palette draw reads them: one bone when no face blends more, else the fourth
// weight completing the other three to one.
void RepairWeights(xfile::Mesh& mesh, uint32_t influences) {
    void* data = nullptr;
    if (gfx::Failed(mesh.LockVertexBuffer(0, &data))) return;
    g_Debug.AddAlloc("LockVB");
    auto* bytes = static_cast<uint8_t*>(data);
    for (uint32_t v = 0; v < mesh.GetNumVertices(); ++v) {
        float* w = reinterpret_cast<float*>(bytes + v * kSkinMeshVertexBytes + 12);
        if (influences < 2) {
            w[0] = 1.0f;
            w[1] = w[2] = w[3] = 0.0f;
        } else {
            w[3] = std::clamp(1.0f - (w[0] + w[1] + w[2]), 0.0f, 1.0f);
        }
    }
    g_Debug.RemoveAlloc("LockVB");
    if (gfx::Failed(mesh.UnlockVertexBuffer())) g_Console.Print("FAILED to unlock RepairWeights VB");
}

// Cleaning, welding, validation and the two optimisations; problems are reported and the mesh
// goes on as it is.
std::shared_ptr<xfile::Mesh> Tidy(std::shared_ptr<xfile::Mesh> mesh) {
    std::vector<uint32_t> dAdj0(mesh->GetNumFaces() * 3), dAdj1(dAdj0.size());
    mesh->GenerateAdjacency(0.0f, dAdj0.data());
    std::shared_ptr<xfile::Mesh> cleaned;
    if (gfx::Failed(xfile::CleanMesh(xfile::CLEAN_SIMPLIFICATION, mesh, dAdj0.data(), cleaned, dAdj1.data()))) {
        g_Console.Print("skinmesh CleanMesh failed");
        cleaned = mesh;
        dAdj1 = dAdj0;
    }
    const xfile::WeldEpsilons none;
    xfile::WeldVertices(*cleaned, xfile::WELDEPSILONS_WELDPARTIALMATCHES, &none, dAdj1.data(), dAdj0.data());
    if (gfx::Failed(xfile::ValidMesh(*cleaned, dAdj0.data()))) {
        g_Console.Print("");
        g_Console.PrintStr2("D3DXValidMesh failed! SkinMesh:", ModelFileName());
        g_Console.Print("");
    }
    cleaned->OptimizeInplace(xfile::MESHOPT_ATTRSORT, dAdj0.data(), dAdj1.data());
    cleaned->OptimizeInplace(xfile::MESHOPT_ATTRSORT | xfile::MESHOPT_VERTEXCACHE, dAdj1.data(), dAdj0.data());
    return cleaned;
}

bool GenerateFailed() {
    g_Console.Print("ERROR: GenerateSkinnedMesh() Failed...");
    return false;
}

}  // namespace

bool GenerateSkinnedMesh(D3DXMESHCONTAINER_DERIVED* c) {
    if (!c || !c->pSkinInfo || !c->pOrigMesh) return false;
    c->MeshData.pMesh.reset();
    c->pBoneCombinationBuf.clear();
    const uint32_t bones = c->pSkinInfo->GetNumBones();
    if (bones > kMaxPaletteMatrices) {
        g_Console.Print("ATTENTION in GenerateSkinnedMesh()");
        SkinMeshPrint("skinmesh: %s", ModelFileName());
        SkinMeshPrint("NumBones=%d > MaxMatrices=%d", static_cast<int>(bones), static_cast<int>(kMaxPaletteMatrices));
    }
    c->NumPaletteEntries = std::min(bones, kMaxPaletteMatrices);
    // Made in system memory, tidied there, and copied to the device last.
    std::shared_ptr<xfile::Mesh> blended, skinned;
    if (gfx::Failed(c->pSkinInfo->ConvertToIndexedBlendedMesh(*c->pOrigMesh, xfile::MESH_SYSTEMMEM, c->NumPaletteEntries,
                                                             nullptr, &c->NumInfl, c->pBoneCombinationBuf, blended)))
        return GenerateFailed();
    c->NumAttributeGroups = static_cast<uint32_t>(c->pBoneCombinationBuf.size());
    if (gfx::Failed(blended->CloneMesh(xfile::MESH_SYSTEMMEM, kSkinMeshVertexLayout, nullptr, skinned))) {
        g_Console.Print("SkinMesh vertex declaration FAILED!");
        return GenerateFailed();
    }
    RepairWeights(*skinned, c->NumInfl);
    skinned = Tidy(std::move(skinned));
    std::shared_ptr<xfile::Mesh> drawn = skinned;
    if (gfx::Device* device = g_pd3dDevice.get();
        device && gfx::Failed(skinned->CloneMesh(xfile::MESH_MANAGED, kSkinMeshVertexLayout, device, drawn)))
        return GenerateFailed();
    c->MeshData.pMesh = std::move(drawn);
    return true;
}

gfx::Result ESkinMeshAllocateHierarchy::CreateFrame(const char* name, xfile::Frame** newFrame) {
    if (!newFrame) return gfx::ERR_INVALIDCALL;
    auto* frame = new D3DXFRAME_DERIVED;
    g_Debug.AddAlloc(kFrameTag);
    frame->Name = name ? name : "";
    *newFrame = frame;
    return gfx::OK;
}

gfx::Result ESkinMeshAllocateHierarchy::CreateMeshContainer(const char* name, const xfile::MeshData& meshData,
                                                            const xfile::ExtendedMaterial* materials,
                                                            uint32_t numMaterials, const uint32_t* adjacency,
                                                            const std::shared_ptr<xfile::SkinInfo>& skinInfo,
                                                            xfile::MeshContainer** newMeshContainer) {
    if (!newMeshContainer) return gfx::ERR_INVALIDCALL;
    *newMeshContainer = nullptr;
    if (!g_SkinMeshMgr.m_pCreating || !g_SkinMeshMgr.m_pCreatingFor) return gfx::OK;
    if (meshData.Type != xfile::MESHTYPE_MESH) {
        g_Console.Print("pMeshData->Type != D3DXMESHTYPE_MESH");
        return gfx::ERR_INVALIDCALL;
    }
    if (!meshData.pMesh) {
        g_Console.Print("ERROR in SkinMeshAllocateHierarchy: pMesh is NULL!");
        return gfx::ERR_INVALIDCALL;
    }
    auto* c = new D3DXMESHCONTAINER_DERIVED;
    g_Debug.AddAlloc(kContainerTag);
    c->Name = name ? name : "";
    c->MeshData.pMesh = meshData.pMesh;
    const uint32_t count = std::max(numMaterials, 1u);
    c->Materials.resize(count);
    c->pTextureNames.assign(count, {});
    c->NumTextureNames = count;
    if (adjacency) c->Adjacency.assign(adjacency, adjacency + meshData.pMesh->GetNumFaces() * 3);
    if (numMaterials == 0 || !materials) {
        c->Materials[0].MatD3D.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        c->Materials[0].MatD3D.Specular = {0.5f, 0.5f, 0.5f, 0.0f};
    } else {
        for (uint32_t m = 0; m < count; ++m) {
            c->Materials[m].MatD3D = materials[m].MatD3D;
            std::snprintf(c->pTextureNames[m].data(), kTextureNameKept + 1, "%s", WithoutPath(materials[m].TextureFilename));
        }
    }
    if (skinInfo) {
        c->pSkinInfo = skinInfo;
    } else {
        c->pSkinInfo = OneBoneSkin(c->Name.c_str(), *meshData.pMesh);
        c->bOneBone = 1;
    }
    c->pOrigMesh = meshData.pMesh;
    c->NumBones = c->pSkinInfo->GetNumBones();
    for (uint32_t b = 0; b < c->NumBones; ++b) c->pBoneOffsetMatrices.push_back(*c->pSkinInfo->GetBoneOffsetMatrix(b));
    if (!GenerateSkinnedMesh(c)) {
        g_Console.Print("GenerateSkinnedMesh failed");
        DestroyMeshContainer(c);
        return gfx::ERR_INVALIDCALL;
    }
    *newMeshContainer = c;
    return gfx::OK;
}

gfx::Result ESkinMeshAllocateHierarchy::DestroyFrame(xfile::Frame* frame) {
    if (!frame) return gfx::OK;
    delete frame;
    g_Debug.RemoveAlloc(kFrameTag);
    return gfx::OK;
}

gfx::Result ESkinMeshAllocateHierarchy::DestroyMeshContainer(xfile::MeshContainer* container) {
    if (!container) return gfx::OK;
    delete container;
    g_Debug.RemoveAlloc(kContainerTag);
    return gfx::OK;
}
