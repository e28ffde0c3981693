#pragma once
// The skinned instance whose saved state the state fuzz target reads and make_fuzz_seeds writes:
// the demo driver with its ragdoll, made once on the null device from files held in memory.
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "tools/CharacterModels.h"
#include "tools/RagDollModel.h"

namespace fuzz {

inline ESkinMesh& SavedStateModel() {
    static ESkinMesh* skin = nullptr;
    static const bool made = [] {
        StartDirectory();
        g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
        skinned::Model man = characters::Driver();
        man.unit = 1.0f;  // centimetres, as the ragdoll's constants are made for
        const std::string files[] = {man.XText(), ragdoll::Particles(), ragdoll::DistanceConstraints(),
                                     ragdoll::SelfCollisionConstraints()};
        const char* paths[] = {"models\\man\\man.x", "models\\man\\death\\particles.txt",
                               "models\\man\\death\\distance_constraints.txt",
                               "models\\man\\death\\selfcollision_constraints.txt"};
        for (size_t i = 0; i < std::size(files); ++i) plat::SetMemoryFile(paths[i], files[i].data(), files[i].size());
        skin = new ESkinMesh;
        skin->Create(paths[0]);
        plat::ClearMemoryFiles();
        // Gone before the globals are destroyed: the model's files are freed into a file cache
        // that is still there.
        std::atexit([] {
            delete skin;
            test::ResetGlobal(g_SkinMeshMgr);
        });
        return true;
    }();
    (void)made;
    return *skin;
}

}  // namespace fuzz
