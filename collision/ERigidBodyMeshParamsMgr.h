#pragma once
// The collision sounds of meshes, one text file per mesh under "scripts\mesh_physics_params\":
// its mesh file name, up to six sounds played when it hits something, and their range.
#include <cstdint>

struct RigidBodyMeshParams {
    static constexpr int kSounds = 6;
    static constexpr int kSoundNameMax = 125;

    char mesh_filename[256] = {};
    char sounds[kSounds][128] = {};
    double range = 0;
};

class ERigidBodyMeshParamsMgr {
public:
    static constexpr uint32_t MAX_FILES_WITH_RIGIDBODYPHYSICS_PARAMS = 100;
    static constexpr const char* kDirectory = "scripts\\mesh_physics_params";

    // Reads every file of the directory.
    void Load();
    bool LoadFile(const char* path);
    // Copies at most size bytes (at most the six names) of the mesh's sound names and its range.
    bool Find(const char* meshFileName, char* sounds, uint32_t size, double* range) const;

    uint32_t m_uCount = 0;
    RigidBodyMeshParams m_Records[MAX_FILES_WITH_RIGIDBODYPHYSICS_PARAMS];
};

extern ERigidBodyMeshParamsMgr g_RigidBodyMeshParamsMgr;
