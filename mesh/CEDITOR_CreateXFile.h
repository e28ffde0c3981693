#pragma once
// The editor's writer of text .x prefabs: one or more mesh objects merged into a work record of
// vertices, faces and materials, written as one framed mesh with per-vertex normals, colours and
// texture coordinates.
#include <cstdint>
#include <string>
#include <vector>

class EMesh;
class EObjectSlot;
namespace pmath {
struct Matrix;
}

// The work record shared with the level-of-detail generator.
struct XFileWorkRecord {
    static constexpr uint32_t kMaxVertices = 32000;
    static constexpr uint32_t kMaxFaces = 32000;
    static constexpr uint32_t kMaxMaterials = 1010;
    static constexpr int kMaterialNameSize = 260;

    // Position, normal, texture coordinates and colour (red, green, blue, alpha in 0..1).
    struct Vertex {
        double position[3];
        double normal[3];
        double uv[2];
        double colour[4];
    };
    struct Face {
        uint32_t corners[3];
        uint32_t material;
    };

    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    std::vector<std::string> materials;
};

enum class WorkRecordLimit { Vertices, Faces, Materials };

// Appends the mesh's vertices (through world when given) and faces, its materials shared with the
// record's by texture name; false, with the limit it would pass, when the record cannot take it.
bool AppendMeshToWorkRecord(const EMesh& mesh, const pmath::Matrix* world, XFileWorkRecord& record,
                            WorkRecordLimit* exceeded);

class CEDITOR_CreateXFile {
public:
    // False when the file cannot be written.
    static bool CreateXFile(const char* outputName, const XFileWorkRecord& record);
    static bool SaveXFileFromObjects(int count, EObjectSlot* const* objects, const char* outputName);
    // One file per object, "<name>_%03d.x" after the part of outputName before its extension.
    static void SaveMultipleXFilesFromObjects(int count, EObjectSlot* const* objects, const char* outputName);
};
