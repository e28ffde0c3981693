// A ragdoll's death folder: the input's parts are its particles, distance constraints and
// self-collision constraints; the particles are bound to the bone map and the tables built.
#include "FuzzSupport.h"
#include "core/FileCacheManager.h"
#include "mesh/ECharacterRagDoll.h"
#include "mesh/ESkinMesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ESkinMesh owner;
    {
        fuzz::InputFiles input({"death\\particles.txt", "death\\distance_constraints.txt",
                                "death\\selfcollision_constraints.txt"},
                               data, size);
        ECharacterRagDoll ragdoll;
        ragdoll.Load("death", &owner);
    }
    test::ResetGlobal(g_FileCacheManager);
    return 0;
}
