// Per-mesh collision-sound files: the input read as one file; an accepted record is found again
// by its mesh name and gives its sounds into a buffer of any size.
#include <cstdlib>

#include "FuzzSupport.h"
#include "collision/ERigidBodyMeshParamsMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("scripts\\mesh_physics_params\\fuzz.txt", data, size);
    ERigidBodyMeshParamsMgr& mgr = g_RigidBodyMeshParamsMgr;
    mgr.m_uCount = 0;
    if (!mgr.LoadFile("scripts\\mesh_physics_params\\fuzz.txt")) return 0;
    char sounds[sizeof RigidBodyMeshParams::sounds];
    double range = 0;
    for (uint32_t room : {0u, 1u, 200u, static_cast<uint32_t>(sizeof sounds)})
        mgr.Find(mgr.m_Records[0].mesh_filename, sounds, room, &range);
    return 0;
}
