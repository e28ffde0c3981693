#include "platform/xfile/SkinInfo.h"

#include <algorithm>
#include <cstring>

namespace xfile {

namespace {

constexpr uint32_t kBlendedHead = 28;  // position, three weights, four indices

bool Blending(const gfx::VertexElement& e) {
    return e.usage == gfx::DECLUSAGE_POSITION || e.usage == gfx::DECLUSAGE_BLENDWEIGHT ||
           e.usage == gfx::DECLUSAGE_BLENDINDICES;
}

// Position, three weights, four indices, then the source's other elements in their order.
std::vector<gfx::VertexElement> BlendedDeclaration(const std::vector<gfx::VertexElement>& source) {
    std::vector<gfx::VertexElement> out = {
        {0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
        {0, 12, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_BLENDWEIGHT, 0},
        {0, 24, gfx::DECLTYPE_UBYTE4, 0, gfx::DECLUSAGE_BLENDINDICES, 0},
    };
    uint32_t offset = kBlendedHead;
    for (const gfx::VertexElement& e : source) {
        if (e.stream != 0 || Blending(e)) continue;
        gfx::VertexElement copy = e;
        copy.offset = static_cast<uint16_t>(offset);
        offset += ElementSize(e.type);
        out.push_back(copy);
    }
    return out;
}

// The faces of one material drawn with one palette.
struct Group {
    uint32_t attribute = 0;
    std::vector<uint32_t> palette;
    std::vector<uint32_t> faces;
};

}  // namespace

SkinInfo::SkinInfo(uint32_t vertexCount, std::vector<SkinBone> bones)
    : m_vertexCount(vertexCount), m_bones(std::move(bones)) {}

const char* SkinInfo::GetBoneName(uint32_t bone) const {
    return bone < m_bones.size() ? m_bones[bone].name.c_str() : nullptr;
}

const pmath::Matrix* SkinInfo::GetBoneOffsetMatrix(uint32_t bone) const {
    return bone < m_bones.size() ? &m_bones[bone].offset : nullptr;
}

const SkinBone* SkinInfo::GetBone(uint32_t bone) const { return bone < m_bones.size() ? &m_bones[bone] : nullptr; }

std::vector<std::vector<SkinInfo::Influence>> SkinInfo::VertexInfluences() const {
    std::vector<std::vector<Influence>> out(m_vertexCount);
    for (uint32_t b = 0; b < m_bones.size(); ++b) {
        const SkinBone& bone = m_bones[b];
        for (size_t i = 0; i < bone.vertices.size() && i < bone.weights.size(); ++i) {
            const float w = bone.weights[i];
            if (bone.vertices[i] < m_vertexCount && w > 0.0f && w >= m_minInfluence) out[bone.vertices[i]].push_back({b, w});
        }
    }
    for (std::vector<Influence>& v : out) {
        std::stable_sort(v.begin(), v.end(), [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        if (v.size() > kMaxVertexInfluences) v.resize(kMaxVertexInfluences);
        float sum = 0.0f;
        for (const Influence& i : v) sum += i.weight;
        for (Influence& i : v) i.weight /= sum;
    }
    return out;
}

gfx::Result SkinInfo::ConvertToIndexedBlendedMesh(const Mesh& mesh, uint32_t options, uint32_t paletteSize,
                                                  gfx::Device* device, uint32_t* maxVertexInfluences,
                                                  std::vector<BoneCombination>& combinations,
                                                  std::shared_ptr<Mesh>& out) const {
    const uint32_t faces = mesh.GetNumFaces();
    if (mesh.GetNumVertices() != m_vertexCount || paletteSize == 0 || !mesh.FindElement(gfx::DECLUSAGE_POSITION))
        return gfx::ERR_INVALIDCALL;
    const std::vector<std::vector<Influence>> influences = VertexInfluences();
    const uint16_t* indices = mesh.IndexData();

    // Faces in material order, each group growing until the next face would need more bones.
    std::vector<Group> groups;
    std::vector<uint32_t> mark(m_bones.size(), 0);  // the group (+1) whose palette holds the bone
    uint32_t most = 1;
    for (uint32_t f : OrderByAttribute(mesh.AttributeData(), faces)) {
        uint32_t faceBones[kMaxVertexInfluences * 3];
        uint32_t count = 0;
        for (int k = 0; k < 3; ++k) {
            const uint32_t v = indices[f * 3 + k];
            if (v >= m_vertexCount) return ERR_INVALIDMESH;
            most = std::max(most, static_cast<uint32_t>(influences[v].size()));
            for (const Influence& i : influences[v])
                if (std::find(faceBones, faceBones + count, i.bone) == faceBones + count) faceBones[count++] = i.bone;
        }
        if (count > paletteSize) return gfx::ERR_INVALIDCALL;
        const uint32_t attribute = mesh.AttributeData()[f];
        auto fresh = [&] {
            return static_cast<uint32_t>(std::count_if(faceBones, faceBones + count, [&](uint32_t b) {
                return mark[b] != groups.size();
            }));
        };
        if (groups.empty() || groups.back().attribute != attribute || groups.back().palette.size() + fresh() > paletteSize)
            groups.push_back({attribute, {}, {}});
        Group& group = groups.back();
        for (uint32_t i = 0; i < count; ++i)
            if (mark[faceBones[i]] != groups.size()) {
                mark[faceBones[i]] = static_cast<uint32_t>(groups.size());
                group.palette.push_back(faceBones[i]);
            }
        group.faces.push_back(f);
    }

    const std::vector<gfx::VertexElement> declaration = BlendedDeclaration(mesh.GetDeclaration());
    const uint32_t stride = VertexStride(declaration);
    const uint32_t sourceStride = mesh.GetNumBytesPerVertex();
    const uint32_t positionOffset = mesh.FindElement(gfx::DECLUSAGE_POSITION)->offset;
    std::vector<uint8_t> vertices;
    std::vector<uint16_t> newIndices;
    std::vector<uint32_t> attributes;
    std::vector<AttributeRange> table;
    combinations.clear();
    std::vector<uint32_t> newOf(m_vertexCount), stamp(m_vertexCount, 0);
    std::vector<uint32_t> slotOf(m_bones.size(), 0);
    for (uint32_t g = 0; g < groups.size(); ++g) {
        const Group& group = groups[g];
        for (uint32_t s = 0; s < group.palette.size(); ++s) slotOf[group.palette[s]] = s;
        BoneCombination combination;
        combination.AttribId = group.attribute;
        combination.FaceStart = static_cast<uint32_t>(attributes.size());
        combination.FaceCount = static_cast<uint32_t>(group.faces.size());
        combination.VertexStart = static_cast<uint32_t>(vertices.size() / stride);
        combination.BoneId.assign(paletteSize, kUnusedBone);
        std::copy(group.palette.begin(), group.palette.end(), combination.BoneId.begin());
        for (uint32_t f : group.faces) {
            for (int k = 0; k < 3; ++k) {
                const uint32_t v = indices[f * 3 + k];
                if (stamp[v] != g + 1) {
                    stamp[v] = g + 1;
                    newOf[v] = static_cast<uint32_t>(vertices.size() / stride);
                    if (newOf[v] >= kMaxVertices) return ERR_INVALIDMESH;
                    const uint8_t* from = mesh.VertexData() + static_cast<size_t>(v) * sourceStride;
                    uint8_t* to = &*vertices.insert(vertices.end(), stride, 0);
                    std::memcpy(to, from + positionOffset, 12);
                    const std::vector<Influence>& inf = influences[v];
                    for (size_t i = 0; i < inf.size(); ++i) {
                        if (i < 3) std::memcpy(to + 12 + 4 * i, &inf[i].weight, 4);
                        to[24 + i] = static_cast<uint8_t>(slotOf[inf[i].bone]);
                    }
                    for (size_t e = 3; e < declaration.size(); ++e) {
                        const gfx::VertexElement* s = mesh.FindElement(declaration[e].usage,
                                                                       declaration[e].usageIndex);
                        std::memcpy(to + declaration[e].offset, from + s->offset, ElementSize(declaration[e].type));
                    }
                }
                newIndices.push_back(static_cast<uint16_t>(newOf[v]));
            }
            attributes.push_back(g);
        }
        combination.VertexCount = static_cast<uint32_t>(vertices.size() / stride) - combination.VertexStart;
        table.push_back({g, combination.FaceStart, combination.FaceCount, combination.VertexStart,
                         combination.VertexCount});
        combinations.push_back(std::move(combination));
    }
    std::shared_ptr<Mesh> converted;
    gfx::Result r = Mesh::Create(options, declaration, device, std::move(vertices), std::move(newIndices),
                                 std::move(attributes), converted);
    if (gfx::Failed(r)) return r;
    converted->SetAttributeTable(std::move(table));
    if (maxVertexInfluences) *maxVertexInfluences = most;
    out = std::move(converted);
    return gfx::OK;
}

}  // namespace xfile
