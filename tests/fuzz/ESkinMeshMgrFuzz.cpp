// The common clips' parameter files: the input read as the parameters of a common clip (the
// demo driver's idle clip, saved once as "models\common\walk.bin") as it enters the common cache.
#include "FuzzSupport.h"
#include "mesh/ESkinMeshAnimation.h"
#include "mesh/ESkinMeshMgr.h"
#include "tools/CharacterModels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        fuzz::StartDirectory();
        plat::CreateDirectory("models");
        plat::CreateDirectory("models\\common");
        // On the disk: the common clips are found by listing their folder.
        plat::KeepWritesInMemory(false);
        const strSkinMeshAnimation clip = characters::DriverIdle(characters::Driver());
        const bool saved = Save_Animation_To_Bin_File(&clip, "models\\common\\walk.bin");
        plat::KeepWritesInMemory(true);
        return saved;
    }();
    (void)ready;
    fuzz::InputFile input("models\\common\\walk.txt", data, size);
    g_SkinMeshMgr.LoadAnimationToCommonCache("walk");
    g_SkinMeshMgr.RemoveCommonAnimation("walk");
    return 0;
}
