// A skinned model's own files: the input's parts are its clip descriptions, sockets, collision
// elements and physics elements, read as the demo hen's model is made for an instance; then the
// descriptions are asked for and the model goes again.
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "core/FileCacheManager.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "tools/CharacterModels.h"

namespace {

constexpr const char* kModel = "models\\hen\\hen.x";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string model = [] {
        fuzz::StartDirectory();
        g_pd3dDevice = std::make_unique<gfx::NullDevice>(gfx::PresentParameters{}, 0);
        return characters::Hen().XText();
    }();
    {
        fuzz::InputFiles input({"models\\hen\\animations\\animations_desc.txt", "models\\hen\\sockets.txt",
                                "models\\hen\\collisions.txt", "models\\hen\\physics.txt"},
                               data, size);
        plat::SetMemoryFile(kModel, model.data(), model.size());
        ESkinMesh skin;
        if (skin.Create(kModel) && skin.m_pSkinMeshBase) {
            strSkinMeshAnimation clip;
            for (const strAnimationDesc& d : skin.m_pSkinMeshBase->m_tDescriptions) {
                std::snprintf(clip.szName, sizeof clip.szName, "%s", d.szName);
                skin.m_pSkinMeshBase->ApplyDescription(&clip);
            }
        }
    }
    test::ResetGlobal(g_SkinMeshMgr);
    test::ResetGlobal(g_FileCacheManager);
    return 0;
}
