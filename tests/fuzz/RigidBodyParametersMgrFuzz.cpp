// Inertia-tensor cache files: the input read as one parameter file; an accepted entry's maps must
// point inside each other, and the entry is found again by its name.
#include <cstdlib>

#include "FuzzSupport.h"
#include "collision/RigidBodyParametersMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("!opt\\rigid_body_physics_parameters\\fuzz.txt", data, size);
    RigidBodyParametersMgr& mgr = g_RigidBodyParametersMgr;
    mgr.Release();
    if (mgr.LoadFile("!opt\\rigid_body_physics_parameters\\fuzz.txt")) {
        const RigidBodyParametersEntry& e = mgr.m_Entries[0];
        for (uint32_t i = 0; i < e.num_old_vertices; ++i)
            if (e.map_old_to_new[i] >= e.num_new_vertices) std::abort();
        for (uint32_t j = 0; j < e.num_new_vertices; ++j)
            if (e.map_new_to_old[j] >= e.num_old_vertices) std::abort();
        double ibody[9];
        if (!mgr.GetInertiaTensors(e.mesh_filename, ibody, nullptr)) std::abort();
    }
    mgr.Release();
    return 0;
}
