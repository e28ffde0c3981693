#pragma once
// What the .x loaders share: reading an object's numbers, and assembling Mesh objects into one
// vertex and face list (the static loader puts every mesh of a file into one; the hierarchy
// loader makes one assembly per mesh).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/math/Matrix.h"
#include "platform/xfile/ExtendedMaterial.h"
#include "platform/xfile/Mesh.h"
#include "platform/xfile/XFileDocument.h"

namespace xfile {

// Reads an object's numbers in order, refusing what does not fit the value asked for.
class ObjectValues {
public:
    ObjectValues(const XObject& object, std::string& error) : m_object(object), m_error(error) {}

    bool Count(uint32_t& out, const char* what, size_t valuesEach) {
        if (!Index(out, what)) return false;
        if (valuesEach && out > Left() / valuesEach) return Fail(std::string(what) + " " + std::to_string(out) +
                                                                 " is more than the object holds");
        return true;
    }
    bool Index(uint32_t& out, const char* what) {
        if (m_at >= m_object.numbers.size()) return Fail(std::string("ends before its ") + what);
        const double v = m_object.numbers[m_at++];
        if (!(v >= 0.0 && v <= 4294967295.0)) return Fail(std::string("a bad ") + what);
        out = static_cast<uint32_t>(v);
        if (out != v) return Fail(std::string("a bad ") + what);
        return true;
    }
    bool Below(uint32_t& out, uint32_t limit, const char* what) {
        if (!Index(out, what)) return false;
        if (out >= limit)
            return Fail(std::string(what) + " " + std::to_string(out) + " is out of range (" + std::to_string(limit) +
                        ")");
        return true;
    }
    bool Floats(float* out, size_t n, const char* what) {
        if (n > Left()) return Fail(std::string("ends before its ") + what);
        for (size_t i = 0; i < n; ++i) out[i] = static_cast<float>(m_object.numbers[m_at++]);
        return true;
    }
    size_t Left() const { return m_object.numbers.size() - m_at; }
    bool Fail(const std::string& what) {
        m_error = m_object.type + (m_object.name.empty() ? "" : " " + m_object.name) + ": " + what;
        return false;
    }

private:
    const XObject& m_object;
    std::string& m_error;
    size_t m_at = 0;
};

// Every mesh added, appended into one vertex and face list.
class MeshAssembly {
public:
    MeshAssembly(const XFileDocument& document, std::string& error);

    // Every Mesh of the file, at the top or inside Frames, placed by its frames' transforms.
    bool AddTopLevel();
    // One Mesh object placed by world (identity: as written, without transforming anything).
    bool AddMesh(const XObject& object, const pmath::Matrix& world, bool identity);
    gfx::Result Build(uint32_t options, gfx::Device* device, std::vector<ExtendedMaterial>& materials,
                      std::shared_ptr<Mesh>& mesh);
    // For every assembled vertex, the vertex of its Mesh object it was made from (a position used
    // with several normals gives several vertices of one source).
    const std::vector<uint32_t>& VertexSources() const { return m_sources; }
    bool Empty() const { return m_faces.empty(); }
    // The first child (or referenced object) of that type.
    const XObject* Child(const XObject& object, const char* type) const;

private:
    bool AddFrame(const XObject& frame, const pmath::Matrix& parent, bool identity);
    bool ReadPolygons(ObjectValues& values, uint32_t vertexLimit, std::vector<uint32_t>& sizes,
                      std::vector<uint32_t>& corners, const char* what);
    bool ReadMaterialList(const XObject& mesh, uint32_t polygons, std::vector<uint32_t>& faceMaterials);
    bool AddMaterial(const XObject& object);

    const XFileDocument& m_document;
    std::string& m_error;
    std::vector<float> m_positions, m_normals, m_texcoords;
    std::vector<uint32_t> m_colours, m_faces, m_attributes, m_sources;
    std::vector<ExtendedMaterial> m_materials;
    bool m_anyNormals = false, m_anyTexcoords = false, m_anyColours = false;
};

}  // namespace xfile
