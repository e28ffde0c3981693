#include "platform/xfile/MeshAssembly.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace xfile {

namespace {

constexpr uint32_t kUnset = 0xFFFFFFFF;

gfx::ColorValue Colour(const float* c, float alpha) { return {c[0], c[1], c[2], alpha}; }

uint32_t ColourByte(float c) { return static_cast<uint32_t>(std::lround(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255.0f)); }

ExtendedMaterial DefaultMaterial() {
    ExtendedMaterial m;
    m.MatD3D.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    m.MatD3D.Specular = {0.5f, 0.5f, 0.5f, 1.0f};
    return m;
}

}  // namespace

MeshAssembly::MeshAssembly(const XFileDocument& document, std::string& error) : m_document(document), m_error(error) {}

bool MeshAssembly::AddTopLevel() {
    for (const auto& object : m_document.Objects()) {
        if (object->type == "Mesh" && !AddMesh(*object, pmath::Identity(), true)) return false;
        if (object->type == "Frame" && !AddFrame(*object, pmath::Identity(), true)) return false;
    }
    if (m_faces.empty()) {
        m_error = "the file holds no faces";
        return false;
    }
    return true;
}

gfx::Result MeshAssembly::Build(uint32_t options, gfx::Device* device, std::vector<ExtendedMaterial>& materials,
                  std::shared_ptr<Mesh>& mesh) {
    const uint32_t vertices = static_cast<uint32_t>(m_positions.size() / 3);
    if (vertices > kMaxVertices) {
        m_error = std::to_string(vertices) + " vertices are more than 16-bit indices can address";
        return gfx::ERR_INVALIDCALL;
    }
    uint32_t fvf = gfx::FVF_XYZ;
    if (m_anyNormals) fvf |= gfx::FVF_NORMAL;
    if (m_anyColours) fvf |= gfx::FVF_DIFFUSE;
    if (m_anyTexcoords) fvf |= 1u << gfx::FVF_TEXCOUNT_SHIFT;
    const std::vector<gfx::VertexElement> declaration = gfx::FvfElements(fvf);
    const uint32_t stride = VertexStride(declaration);
    std::vector<uint8_t> data(static_cast<size_t>(vertices) * stride);
    for (uint32_t v = 0; v < vertices; ++v) {
        uint8_t* out = data.data() + v * stride;
        std::memcpy(out, &m_positions[v * 3], 12);
        out += 12;
        if (m_anyNormals) std::memcpy(out, &m_normals[v * 3], 12), out += 12;
        if (m_anyColours) std::memcpy(out, &m_colours[v], 4), out += 4;
        if (m_anyTexcoords) std::memcpy(out, &m_texcoords[v * 2], 8);
    }
    // Faces sorted by attribute, keeping the file's order within each attribute.
    const uint32_t faces = static_cast<uint32_t>(m_attributes.size());
    const std::vector<uint32_t> order = OrderByAttribute(m_attributes.data(), faces);
    std::vector<uint16_t> indices(static_cast<size_t>(faces) * 3);
    std::vector<uint32_t> attributes(faces);
    std::vector<AttributeRange> table;
    for (uint32_t f = 0; f < faces; ++f) {
        const uint32_t old = order[f];
        attributes[f] = m_attributes[old];
        if (table.empty() || table.back().AttribId != attributes[f]) table.push_back({attributes[f], f, 0, kUnset, 0});
        AttributeRange& range = table.back();
        ++range.FaceCount;
        for (int k = 0; k < 3; ++k) {
            const uint32_t v = m_faces[old * 3 + k];
            indices[f * 3 + k] = static_cast<uint16_t>(v);
            const uint32_t end = range.VertexStart == kUnset ? v + 1 : range.VertexStart + range.VertexCount;
            range.VertexStart = std::min(range.VertexStart, v);
            range.VertexCount = std::max(end, v + 1) - range.VertexStart;
        }
    }
    gfx::Result r = Mesh::Create(options, declaration, device, std::move(data), std::move(indices),
                                 std::move(attributes), mesh);
    if (gfx::Failed(r)) {
        m_error = "the mesh cannot be made";
        return r;
    }
    mesh->SetAttributeTable(std::move(table));
    materials = std::move(m_materials);
    return gfx::OK;
}

bool MeshAssembly::AddFrame(const XObject& frame, const pmath::Matrix& parent, bool identity) {
    pmath::Matrix world = parent;
    for (const XChild& child : frame.children) {
        if (!child.object || child.object->type != "FrameTransformMatrix") continue;
        pmath::Matrix local;
        ObjectValues values(*child.object, m_error);
        if (!values.Floats(&local.m[0][0], 16, "matrix")) return false;
        world = local * parent;
        identity = false;
        break;
    }
    for (const XChild& child : frame.children) {
        if (!child.object) continue;
        if (child.object->type == "Mesh" && !AddMesh(*child.object, world, identity)) return false;
        if (child.object->type == "Frame" && !AddFrame(*child.object, world, identity)) return false;
    }
    return true;
}

const XObject* MeshAssembly::Child(const XObject& object, const char* type) const {
    for (const XChild& child : object.children) {
        const XObject* o = m_document.Resolve(child);
        if (o && o->type == type) return o;
    }
    return nullptr;
}

// Corner lists of the polygons of a Mesh or MeshNormals object.
bool MeshAssembly::ReadPolygons(ObjectValues& values, uint32_t vertexLimit, std::vector<uint32_t>& sizes,
                  std::vector<uint32_t>& corners, const char* what) {
    uint32_t count = 0;
    if (!values.Count(count, what, 4)) return false;
    sizes.resize(count);
    for (uint32_t f = 0; f < count; ++f) {
        uint32_t n = 0;
        if (!values.Count(n, "corner count", 1)) return false;
        if (n < 3) return values.Fail("face " + std::to_string(f) + " has " + std::to_string(n) + " corners");
        sizes[f] = n;
        for (uint32_t k = 0; k < n; ++k) {
            uint32_t v = 0;
            if (!values.Below(v, vertexLimit, "index")) return false;
            corners.push_back(v);
        }
    }
    return true;
}

bool MeshAssembly::AddMesh(const XObject& object, const pmath::Matrix& world, bool identity) {
    ObjectValues values(object, m_error);
    uint32_t vertexCount = 0;
    if (!values.Count(vertexCount, "vertex count", 3)) return false;
    std::vector<float> positions(static_cast<size_t>(vertexCount) * 3);
    if (!values.Floats(positions.data(), positions.size(), "vertices")) return false;
    std::vector<uint32_t> sizes, corners;
    if (!ReadPolygons(values, vertexCount, sizes, corners, "face count")) return false;

    // Normals by corner, when the mesh has them.
    std::vector<float> normals;
    std::vector<uint32_t> normalCorners;
    if (const XObject* n = Child(object, "MeshNormals")) {
        ObjectValues nv(*n, m_error);
        uint32_t normalCount = 0;
        if (!nv.Count(normalCount, "normal count", 3)) return false;
        normals.resize(static_cast<size_t>(normalCount) * 3);
        if (!nv.Floats(normals.data(), normals.size(), "normals")) return false;
        std::vector<uint32_t> normalSizes;
        if (!ReadPolygons(nv, normalCount, normalSizes, normalCorners, "face count")) return false;
        if (normalSizes != sizes) return nv.Fail("its faces do not match the mesh's faces");
    }
    std::vector<float> texcoords;
    if (const XObject* t = Child(object, "MeshTextureCoords")) {
        ObjectValues tv(*t, m_error);
        uint32_t count = 0;
        if (!tv.Count(count, "coordinate count", 2)) return false;
        if (count != vertexCount)
            return tv.Fail(std::to_string(count) + " coordinates for " + std::to_string(vertexCount) + " vertices");
        texcoords.resize(static_cast<size_t>(count) * 2);
        if (!tv.Floats(texcoords.data(), texcoords.size(), "coordinates")) return false;
    }
    std::vector<uint32_t> colours;
    if (const XObject* c = Child(object, "MeshVertexColors")) {
        ObjectValues cv(*c, m_error);
        uint32_t count = 0;
        if (!cv.Count(count, "colour count", 5)) return false;
        colours.assign(vertexCount, 0xFFFFFFFFu);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t v = 0;
            float rgba[4];
            if (!cv.Below(v, vertexCount, "vertex index") || !cv.Floats(rgba, 4, "colour")) return false;
            colours[v] = ColourByte(rgba[3]) << 24 | ColourByte(rgba[0]) << 16 | ColourByte(rgba[1]) << 8 |
                         ColourByte(rgba[2]);
        }
    }
    std::vector<uint32_t> faceMaterials;
    const uint32_t firstMaterial = static_cast<uint32_t>(m_materials.size());
    if (!ReadMaterialList(object, static_cast<uint32_t>(sizes.size()), faceMaterials)) return false;

    // One vertex per (position, normal) pair: the first pair keeps the file's index, further
    // normals of a position get copies at the end.
    const uint32_t base = static_cast<uint32_t>(m_positions.size() / 3);
    std::vector<uint32_t> normalOf(vertexCount, kUnset), nextCopy(vertexCount, kUnset), source(vertexCount);
    for (uint32_t v = 0; v < vertexCount; ++v) source[v] = v;
    std::vector<uint32_t> resolved(corners.size());
    for (size_t c = 0; c < corners.size(); ++c) {
        uint32_t v = corners[c];
        if (!normals.empty()) {
            const uint32_t n = normalCorners[c];
            uint32_t at = v;
            while (normalOf[at] != kUnset && normalOf[at] != n && nextCopy[at] != kUnset) at = nextCopy[at];
            if (normalOf[at] == kUnset) {
                normalOf[at] = n;
            } else if (normalOf[at] != n) {
                const uint32_t copy = static_cast<uint32_t>(normalOf.size());
                normalOf.push_back(n);
                nextCopy.push_back(kUnset);
                source.push_back(v);
                nextCopy[at] = copy;
                at = copy;
            }
            v = at;
        }
        resolved[c] = v;
    }
    const uint32_t total = static_cast<uint32_t>(source.size());
    pmath::Matrix normalMatrix = world;
    if (!identity) {
        pmath::Matrix inverse;
        if (pmath::Inverse(world, &inverse))
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c) normalMatrix.m[r][c] = inverse.m[c][r];
    }
    for (uint32_t i = 0; i < total; ++i) {
        const uint32_t v = source[i];
        m_sources.push_back(v);
        pmath::Vec3 p{positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]};
        if (!identity) p = pmath::TransformPoint(p, world);
        m_positions.insert(m_positions.end(), {p.x, p.y, p.z});
        pmath::Vec3 n{};
        if (!normals.empty() && normalOf[i] != kUnset) {
            n = {normals[normalOf[i] * 3], normals[normalOf[i] * 3 + 1], normals[normalOf[i] * 3 + 2]};
            if (!identity) n = pmath::Normalize(pmath::TransformDirection(n, normalMatrix));
        }
        m_normals.insert(m_normals.end(), {n.x, n.y, n.z});
        m_texcoords.insert(m_texcoords.end(), {texcoords.empty() ? 0.0f : texcoords[v * 2],
                                               texcoords.empty() ? 0.0f : texcoords[v * 2 + 1]});
        m_colours.push_back(colours.empty() ? 0u : colours[v]);
    }
    m_anyNormals |= !normals.empty();
    m_anyTexcoords |= !texcoords.empty();
    m_anyColours |= !colours.empty();

    // Polygons as fans (0, k, k + 1), each triangle with its polygon's material.
    size_t c = 0;
    for (size_t f = 0; f < sizes.size(); ++f) {
        for (uint32_t k = 1; k + 1 < sizes[f]; ++k) {
            m_faces.insert(m_faces.end(), {base + resolved[c], base + resolved[c + k], base + resolved[c + k + 1]});
            m_attributes.push_back(firstMaterial + faceMaterials[f]);
        }
        c += sizes[f];
    }
    return true;
}

// The material of every polygon; a list shorter than the faces repeats its last entry. The
// mesh's materials are appended to the file's; a mesh without any has the default one.
bool MeshAssembly::ReadMaterialList(const XObject& mesh, uint32_t polygons, std::vector<uint32_t>& faceMaterials) {
    const XObject* list = Child(mesh, "MeshMaterialList");
    if (!list || (!list->numbers.empty() && list->numbers[0] == 0.0)) {
        faceMaterials.assign(polygons, 0);
        m_materials.push_back(DefaultMaterial());
        return true;
    }
    ObjectValues values(*list, m_error);
    uint32_t materialCount = 0, indexCount = 0;
    if (!values.Count(materialCount, "material count", 0) || !values.Count(indexCount, "face index count", 1))
        return false;
    faceMaterials.assign(polygons, 0);
    for (uint32_t f = 0; f < indexCount; ++f) {
        uint32_t m = 0;
        if (!values.Below(m, materialCount, "material index")) return false;
        if (f < polygons) faceMaterials[f] = m;
    }
    for (uint32_t f = indexCount; f < polygons && indexCount > 0; ++f) faceMaterials[f] = faceMaterials[indexCount - 1];
    uint32_t found = 0;
    for (const XChild& child : list->children) {
        if (found == materialCount) break;
        const XObject* material = m_document.Resolve(child);
        if (!material) return values.Fail("refers to an unknown material " + child.reference);
        if (material->type != "Material") continue;
        if (!AddMaterial(*material)) return false;
        ++found;
    }
    if (found < materialCount)
        return values.Fail("names " + std::to_string(materialCount) + " materials but holds " +
                           std::to_string(found));
    return true;
}

bool MeshAssembly::AddMaterial(const XObject& object) {
    ObjectValues values(object, m_error);
    float v[11];
    if (!values.Floats(v, 11, "colours")) return false;
    ExtendedMaterial m;
    m.MatD3D.Diffuse = Colour(v, v[3]);
    m.MatD3D.Power = v[4];
    m.MatD3D.Specular = Colour(v + 5, 1.0f);
    m.MatD3D.Emissive = Colour(v + 8, 1.0f);
    if (const XObject* texture = Child(object, "TextureFilename"))
        if (!texture->strings.empty()) m.TextureFilename = texture->strings.front();
    m_materials.push_back(std::move(m));
    return true;
}

}  // namespace xfile
