#pragma once
// The inertia tensors of the meshes that can become rigid bodies, kept as one text file per mesh
// under "!opt\rigid_body_physics_parameters\" so that they are computed once. The whole directory
// is read back at every world start; a mesh without a file gets one when a body first asks for it.
#include <cstdint>

class ECollisionObject;
class EObjectSlot;

struct RigidBodyParametersEntry {
    // The mesh file name, compared ignoring case; empty in a cleared entry.
    char mesh_filename[256] = {};
    // The inertia tensor in the mesh's own coordinates for a total mass of 1, and its inverse
    // (zero when the tensor is singular); row-major.
    double ibody[9] = {};
    double ibodyinv[9] = {};
    // For each collision vertex, the index of its distinct position; for each distinct position,
    // the collision vertex that first carried it.
    uint32_t num_old_vertices = 0;
    uint32_t* map_old_to_new = nullptr;
    uint32_t num_new_vertices = 0;
    uint32_t* map_new_to_old = nullptr;
};

class RigidBodyParametersMgr {
public:
    static constexpr uint32_t MAX_FILES_WITH_PARAMETERS = 200;
    static constexpr const char* kDirectory = "!opt\\rigid_body_physics_parameters";
    // A collision record's faces name their vertices with 16 bits: a file claiming more vertices
    // than that is corrupt.
    static constexpr uint32_t kMaxVertices = 65536;

    RigidBodyParametersMgr() = default;
    ~RigidBodyParametersMgr() { Release(); }
    RigidBodyParametersMgr(const RigidBodyParametersMgr&) = delete;
    RigidBodyParametersMgr& operator=(const RigidBodyParametersMgr&) = delete;

    // Makes sure the directory exists and loads every file in it; the number of files loaded.
    uint32_t Init();
    // Reads one parameter file into the next free entry. A file that is cut short, names no mesh
    // (or an empty name), has a line too long or a value that does not read is refused: it is
    // recomputed when asked for, never trusted.
    bool LoadFile(const char* path);
    // Computes the values of a mesh object and writes its parameter file.
    void SaveFile(EObjectSlot* object);
    // The same from a collision record in the mesh's own coordinates.
    void SaveRecord(ECollisionObject& record, const char* meshFileName);
    void ComputeAndSaveInertiaTensor(const char* meshFileName);
    // The entry of a mesh, computed, saved and loaded when missing.
    bool GetParameters(const char* meshFileName, RigidBodyParametersEntry** out);
    // Copies the two tensors of the mesh's entry; a null output is skipped.
    bool GetInertiaTensors(const char* meshFileName, double* ibody, double* ibodyinv);
    void Release();

    // The file of a mesh: backslashes become "_", the final extension goes, in the directory.
    // False when the name does not fit.
    static bool FileNameOf(const char* meshFileName, char* out, uint32_t size);
    // The unit-mass inertia tensor of a closed mesh about its own origin, sampled on a grid.
    static void ComputeInertiaTensor(ECollisionObject& record, double* ibody);

    uint32_t m_uCount = 0;
    RigidBodyParametersEntry m_Entries[MAX_FILES_WITH_PARAMETERS];

private:
    RigidBodyParametersEntry* Find(const char* meshFileName);
    static void ClearEntry(RigidBodyParametersEntry& entry);
};

extern RigidBodyParametersMgr g_RigidBodyParametersMgr;
