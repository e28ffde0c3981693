// The saved-state readers: the input read as a skinned instance's state record (channels, pose and
// its ragdoll's particles and constraints), and as a rigid body's saved record.
#include "FuzzSupport.h"
#include "SavedStateModel.h"
#include "collision/ERigidBodySimulation.h"
#include "world/EObjectSlot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ESkinMesh& skin = fuzz::SavedStateModel();
    static EObjectSlot object;
    fuzz::InputFile input("save\\state.bin", data, size);
    if (FILE* f = plat::OpenFile("save\\state.bin", "rb")) {
        skin.ReadState(f);
        std::fclose(f);
    }
    if (FILE* f = plat::OpenFile("save\\state.bin", "rb")) {
        g_RigidBodySimulation.LoadGame(&object, "fuzz", f);
        std::fclose(f);
    }
    return 0;
}
