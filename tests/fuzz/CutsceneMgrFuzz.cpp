// Cutscene scripts: the input read as a script, then the last scene of it played to its end (live: no
// object of the scene exists, so nothing is recorded).
#include <string_view>

#include "FuzzSupport.h"
#include "world/CutsceneMgr.h"
#include "world/EEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::StartDirectory();
    test::ResetGlobal(g_CutsceneMgr);
    g_Engine.m_fFrameTime = 0.25f;
    g_CutsceneMgr.ReadScriptText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (const strScene* scene = g_CutsceneMgr.m_pScenes) {
        g_CutsceneMgr.StartScene(scene->m_szName);
        for (int frame = 0; frame < 64 && g_CutsceneMgr.m_pActiveScene; ++frame) {
            g_CutsceneMgr.Update();
            g_CutsceneMgr.UpdateCamera();
        }
    }
    g_CutsceneMgr.Release();
    return 0;
}
