#include "mesh/CEDITOR_CreateXFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/StringHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/os/Files.h"

namespace {

constexpr const char* kHeaderFile = "prefabs\\x_file_header.x";

void Line(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Line(std::string& out, const char* format, ...) {
    char text[600];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out += text;
    out += '\n';
}

const char* Separator(size_t i, size_t count) { return i + 1 < count ? "," : ";"; }

void PrintLimit(const char* what, const char* lastName, size_t last, const char* countName, size_t count,
                const char* limitName, uint32_t limit) {
    g_Console.PrintStr2("ERROR in CEDITOR_CreateXFile::SaveXFileFromObjects(): ", what);
    g_Console.PrintInt(lastName, static_cast<int>(last));
    g_Console.PrintInt(countName, static_cast<int>(count));
    g_Console.PrintInt(limitName, static_cast<int>(limit));
}

void WriteFaces(std::string& out, const XFileWorkRecord& record) {
    Line(out, "   %d;", static_cast<int>(record.faces.size()));
    for (size_t f = 0; f < record.faces.size(); ++f) {
        const auto& c = record.faces[f].corners;
        Line(out, "   3;%d,%d,%d;%s", c[0], c[1], c[2], Separator(f, record.faces.size()));
    }
}

}  // namespace

bool AppendMeshToWorkRecord(const EMesh& mesh, const pmath::Matrix* world, XFileWorkRecord& record,
                            WorkRecordLimit* exceeded) {
    const xfile::Mesh* m = mesh.m_pMesh;
    if (!m || !mesh.m_pRecord) return false;
    const size_t firstVertex = record.vertices.size();
    if (firstVertex + m->GetNumVertices() > XFileWorkRecord::kMaxVertices) {
        if (exceeded) *exceeded = WorkRecordLimit::Vertices;
        return false;
    }
    if (record.faces.size() + m->GetNumFaces() > XFileWorkRecord::kMaxFaces) {
        if (exceeded) *exceeded = WorkRecordLimit::Faces;
        return false;
    }
    const uint32_t stride = m->GetNumBytesPerVertex();
    for (uint32_t v = 0; v < m->GetNumVertices(); ++v) {
        const uint8_t* p = m->VertexData() + v * stride;
        float f[8];
        uint32_t colour;
        std::memcpy(f, p, 12);
        std::memcpy(&colour, p + 12, 4);
        std::memcpy(f + 3, p + 16, 20);
        DV position{f[0], f[1], f[2]}, normal{f[3], f[4], f[5]};
        if (world) {
            position = pmath::TransformPoint(position, *world);
            normal = pmath::Normalize(pmath::TransformDirection(normal, *world));
        }
        XFileWorkRecord::Vertex out{{position.x, position.y, position.z},
                                    {normal.x, normal.y, normal.z},
                                    {f[6], f[7]},
                                    {(colour >> 16 & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0, (colour & 0xFF) / 255.0,
                                     (colour >> 24) / 255.0}};
        record.vertices.push_back(out);
    }
    for (uint32_t f = 0; f < m->GetNumFaces(); ++f) {
        const uint32_t attribute = m->AttributeData()[f];
        const std::string texture =
            attribute < mesh.m_pRecord->m_MaterialsBuffer.size() ? mesh.m_pRecord->m_MaterialsBuffer[attribute].TextureFilename
                                                                 : std::string();
        auto it = std::find(record.materials.begin(), record.materials.end(), texture);
        if (it == record.materials.end()) {
            if (record.materials.size() == XFileWorkRecord::kMaxMaterials) {
                if (exceeded) *exceeded = WorkRecordLimit::Materials;
                return false;
            }
            it = record.materials.insert(record.materials.end(), texture.substr(0, XFileWorkRecord::kMaterialNameSize - 1));
        }
        XFileWorkRecord::Face face{};
        for (int k = 0; k < 3; ++k) face.corners[k] = static_cast<uint32_t>(firstVertex + m->IndexData()[f * 3 + k]);
        face.material = static_cast<uint32_t>(it - record.materials.begin());
        record.faces.push_back(face);
    }
    return true;
}

bool CEDITOR_CreateXFile::CreateXFile(const char* outputName, const XFileWorkRecord& record) {
    std::string out;
    std::vector<char> header;
    if (plat::ReadFileBytes(kHeaderFile, header)) out.assign(header.begin(), header.end());
    else out = "xof 0303txt 0032\n";  // without the header file the output must still be a .x file
    for (size_t i = 0; i < record.materials.size(); ++i) {
        std::string name;
        for (char c : record.materials[i]) name += c == '\\' ? std::string("\\\\") : std::string(1, c);
        Line(out, "Material material_%04d {", static_cast<int>(i));
        Line(out, " 1.000000;1.000000;1.000000;1.000000;;");
        Line(out, " 1.000000;");
        Line(out, " 0.000000;0.000000;0.000000;;");
        Line(out, " 0.000000;0.000000;0.000000;;");
        Line(out, " TextureFilename {");
        Line(out, "  \"%s\";", name.c_str());
        Line(out, " }");
        Line(out, "}");
    }
    const size_t nv = record.vertices.size();
    Line(out, "Frame Object0001 {");
    Line(out, " FrameTransformMatrix {");
    Line(out, "  1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,"
              "0.000000,0.000000,0.000000,0.000000,1.000000;;");
    Line(out, " }");
    Line(out, " Mesh {");
    Line(out, "   %d;", static_cast<int>(nv));
    for (size_t v = 0; v < nv; ++v) {
        const double* p = record.vertices[v].position;
        Line(out, "   %.6lf;%.6lf;%.6lf;%s", p[0], p[1], p[2], Separator(v, nv));
    }
    WriteFaces(out, record);
    Line(out, "   MeshNormals {");
    Line(out, "   %d;", static_cast<int>(nv));
    for (size_t v = 0; v < nv; ++v) {
        const double* n = record.vertices[v].normal;
        Line(out, "   %.6lf;%.6lf;%.6lf;%s", n[0], n[1], n[2], Separator(v, nv));
    }
    WriteFaces(out, record);
    Line(out, "   }");
    Line(out, "   MeshMaterialList {");
    Line(out, "   %d;", static_cast<int>(record.materials.size()));
    Line(out, "   %d;", static_cast<int>(record.faces.size()));
    for (size_t f = 0; f < record.faces.size(); ++f)
        Line(out, "   %d%s", record.faces[f].material, Separator(f, record.faces.size()));
    for (size_t i = 0; i < record.materials.size(); ++i) Line(out, "   { material_%04d }", static_cast<int>(i));
    Line(out, "   }");
    Line(out, "   MeshVertexColors  {");
    Line(out, "   %d;", static_cast<int>(nv));
    for (size_t v = 0; v < nv; ++v) {
        const double* c = record.vertices[v].colour;
        Line(out, "   %d;%.6lf;%.6lf;%.6lf;%.6lf;;%s", static_cast<int>(v), c[0], c[1], c[2], c[3], Separator(v, nv));
    }
    Line(out, "   }");
    Line(out, "   MeshTextureCoords {");
    Line(out, "   %d;", static_cast<int>(nv));
    for (size_t v = 0; v < nv; ++v)
        Line(out, "   %.6lf;%.6lf;%s", record.vertices[v].uv[0], record.vertices[v].uv[1], Separator(v, nv));
    Line(out, "   }");
    Line(out, " }");
    Line(out, "}");

    FILE* f = plat::OpenFile(outputName, "wb");
    if (!f) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    std::fclose(f);
    // A prefab written again makes its optimised copy stale.
    if (StrICmp(std::string(outputName).substr(0, 8).c_str(), "prefabs\\") == 0) {
        const std::string opt = EMeshMgr::OptPath(outputName);
        plat::DeleteFile(opt);
        g_Console.PrintStr2("EDITOR_CreateXFile::CreateXFile() Delete Opt: ", opt.c_str());
    }
    return written;
}

bool CEDITOR_CreateXFile::SaveXFileFromObjects(int count, EObjectSlot* const* objects, const char* outputName) {
    if (count <= 0 || !objects || !outputName || !*outputName) {
        g_Console.Print("ERROR #1 in CEDITOR_CreateXFile::SaveXFileFromObjects()");
        return false;
    }
    g_Console.Print("_x_ 0");
    XFileWorkRecord record;
    g_Console.Print("_x_ 1");
    for (int i = 0; i < count; ++i) {
        const EMesh* mesh = g_MeshHooks.objectMesh(objects[i]);
        if (!mesh || !mesh->m_pMesh) {
            g_Console.Print("ERROR #2 in CEDITOR_CreateXFile::SaveXFileFromObjects()");
            return false;
        }
        WorkRecordLimit exceeded{};
        const size_t vertices = record.vertices.size(), faces = record.faces.size();
        if (AppendMeshToWorkRecord(*mesh, &mesh->m_WorldMatrix, record, &exceeded)) continue;
        if (exceeded == WorkRecordLimit::Vertices)
            PrintLimit("Too many vertices!", "LAST_VERTEX_IDX: ", vertices, "Ile_Vertices: ",
                       mesh->m_pMesh->GetNumVertices(), "p.num_vertices: ", XFileWorkRecord::kMaxVertices);
        else if (exceeded == WorkRecordLimit::Faces)
            PrintLimit("Too many faces!", "LAST_FACE_IDX: ", faces, "Ile_Faces: ", mesh->m_pMesh->GetNumFaces(),
                       "p.num_faces: ", XFileWorkRecord::kMaxFaces);
        else
            g_Console.Print("ERROR in CEDITOR_CreateXFile::SaveXFileFromObjects(): Too many materials!");
        return false;
    }
    g_Console.Print("_x_ 2");
    const bool written = CreateXFile(outputName, record);
    g_Console.Print("_x_ 3");
    g_Console.Print("_x_ 4");
    return written;
}

void CEDITOR_CreateXFile::SaveMultipleXFilesFromObjects(int count, EObjectSlot* const* objects,
                                                        const char* outputName) {
    if (count <= 0 || !objects) return g_Console.Print("ERROR #1 in CEDITOR_CreateXFile::SaveMultipleXFilesFromObjects()");
    if (!outputName || !*outputName)
        return g_Console.Print("ERROR #2 in CEDITOR_CreateXFile::SaveMultipleXFilesFromObjects()");
    std::string base = outputName;
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && base.find('\\', dot) == std::string::npos) base.resize(dot);
    for (int i = 0; i < count; ++i) {
        char name[600];
        std::snprintf(name, sizeof name, "%s_%03d.x", base.c_str(), i);
        SaveXFileFromObjects(1, &objects[i], name);
    }
}
