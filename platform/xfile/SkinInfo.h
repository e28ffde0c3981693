#pragma once
// The skin of a mesh: its bones (each a name, an offset matrix from the mesh into the bone's
// space and the weights it gives to vertices) and the conversion into an indexed blended mesh,
// the form a vertex shader skins: faces grouped by material and by a palette of at most
// paletteSize bones, every vertex with up to four weights and palette-local bone indices.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/math/Matrix.h"
#include "platform/xfile/Mesh.h"

namespace xfile {

// An unused entry of a bone combination's palette.
constexpr uint32_t kUnusedBone = 0xFFFFFFFF;
// A vertex blends at most this many bones (four indices in one UBYTE4).
constexpr uint32_t kMaxVertexInfluences = 4;

// One draw of an indexed blended mesh: the faces of one material whose vertices use only the
// bones of the palette. The converted mesh's faces carry the combination's index as attribute.
struct BoneCombination {
    uint32_t AttribId = 0;
    uint32_t FaceStart = 0;
    uint32_t FaceCount = 0;
    uint32_t VertexStart = 0;
    uint32_t VertexCount = 0;
    // paletteSize entries: the bone of each palette slot, or kUnusedBone.
    std::vector<uint32_t> BoneId;
};

struct SkinBone {
    std::string name;
    pmath::Matrix offset = pmath::Identity();
    std::vector<uint32_t> vertices;
    std::vector<float> weights;
};

class SkinInfo {
public:
    SkinInfo(uint32_t vertexCount, std::vector<SkinBone> bones);

    uint32_t GetNumVertices() const { return m_vertexCount; }
    uint32_t GetNumBones() const { return static_cast<uint32_t>(m_bones.size()); }
    // Null past the last bone.
    const char* GetBoneName(uint32_t bone) const;
    const pmath::Matrix* GetBoneOffsetMatrix(uint32_t bone) const;
    const SkinBone* GetBone(uint32_t bone) const;
    // Influences below this weight are left out of the conversion.
    void SetMinBoneInfluence(float weight) { m_minInfluence = weight; }
    float GetMinBoneInfluence() const { return m_minInfluence; }

    // Converts mesh (whose vertices this skin describes) into an indexed blended mesh on device
    // (with options as Mesh::Create takes them). Its layout: position, three blend weights (the
    // fourth is one less their sum), four blend indices (UBYTE4), then the source's other
    // elements. Each vertex keeps its heaviest four influences, renormalised to a sum of one; a
    // vertex used by several combinations is copied into each with that palette's indices.
    // maxVertexInfluences: the most influences of any vertex a face uses (1 to 4).
    gfx::Result ConvertToIndexedBlendedMesh(const Mesh& mesh, uint32_t options, uint32_t paletteSize,
                                            gfx::Device* device, uint32_t* maxVertexInfluences,
                                            std::vector<BoneCombination>& combinations,
                                            std::shared_ptr<Mesh>& out) const;

private:
    struct Influence {
        uint32_t bone;
        float weight;
    };
    // Per vertex, its heaviest influences (at most four), renormalised.
    std::vector<std::vector<Influence>> VertexInfluences() const;

    uint32_t m_vertexCount;
    std::vector<SkinBone> m_bones;
    float m_minInfluence = 0.0f;
};

}  // namespace xfile
