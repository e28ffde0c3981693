#pragma once
// The records of a skinned model's frame hierarchy and the allocator that makes them while the
// model loads: every mesh container is turned into an indexed blended mesh in the 52-byte skinned
// vertex layout, with its bone combinations and bone offsets; a container without skin gets a skin
// of one bone (its own frame).
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/GfxTypes.h"
#include "platform/math/Matrix.h"
#include "platform/xfile/MeshHierarchy.h"
#include "render/D3DDevice.h"

// Most bones one draw blends: the size of the skinning effect's matrix palette.
constexpr uint32_t kMaxPaletteMatrices = 64;
constexpr uint32_t kTextureNameLength = 256;

// The skinned vertex: position, four blend weights, four blend indices, normal, texture
// coordinates; 52 bytes in one stream (the device's skinned layout).
inline constexpr const auto& kSkinMeshVertexLayout = kSkinVertexElements;
constexpr uint32_t kSkinMeshVertexBytes = 52;

struct D3DXFRAME_DERIVED : xfile::Frame {
    pmath::Matrix CombinedTransformationMatrix = pmath::Identity();
    uint32_t iFrameIdx = 0;
};

struct D3DXMESHCONTAINER_DERIVED : xfile::MeshContainer {
    uint32_t NumTextureNames = 0;
    // Per material its texture's file name without the path.
    std::vector<std::array<char, kTextureNameLength>> pTextureNames;
    // Per material the texture id the instance being drawn registered (the instance's table).
    const uint32_t* pTextureIDs = nullptr;
    std::shared_ptr<xfile::Mesh> pOrigMesh;
    uint32_t NumAttributeGroups = 0;
    // The most bones any vertex of a face blends.
    uint32_t NumInfl = 0;
    std::vector<xfile::BoneCombination> pBoneCombinationBuf;
    std::vector<pmath::Matrix> pBoneOffsetMatrices;
    uint32_t NumPaletteEntries = 0;
    uint32_t NumBones = 0;
    // The frame index of each bone.
    std::vector<uint32_t> tBonesIndexes;
    // Per attribute group its palette (NumPaletteEntries matrices), set by the instance being drawn.
    const pmath::Matrix* const* ppBoneMatrices = nullptr;
    uint32_t NumBoneMatrixArrays = 0;
    // The container had no skin and follows its own frame.
    uint8_t bOneBone = 0;
};

class ESkinMeshAllocateHierarchy final : public xfile::AllocateHierarchy {
public:
    gfx::Result CreateFrame(const char* name, xfile::Frame** newFrame) override;
    gfx::Result CreateMeshContainer(const char* name, const xfile::MeshData& meshData,
                                    const xfile::ExtendedMaterial* materials, uint32_t numMaterials,
                                    const uint32_t* adjacency, const std::shared_ptr<xfile::SkinInfo>& skinInfo,
                                    xfile::MeshContainer** newMeshContainer) override;
    gfx::Result DestroyFrame(xfile::Frame* frame) override;
    gfx::Result DestroyMeshContainer(xfile::MeshContainer* container) override;
};

extern ESkinMeshAllocateHierarchy g_SkinMeshAllocateHierarchy;

// Converts the container's source mesh into the skinned mesh it draws (palette size, bone
// combinations and face influences included); false after logging what failed.
bool GenerateSkinnedMesh(D3DXMESHCONTAINER_DERIVED* container);
