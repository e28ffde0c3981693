// Recorded cutscene frames: the input as the frames file of a scene, which starts (using the file
// only when its size matches its count) and replays to its end.
#include "FuzzSupport.h"
#include "world/CutsceneMgr.h"
#include "world/EEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("scripts\\cutscenes\\s.bin", data, size);
    test::ResetGlobal(g_CutsceneMgr);
    g_Engine.m_fFrameTime = 1.0f / 30;
    g_CutsceneMgr.ReadScriptText("cutscene s\ncut 2\ncamera a b\n");
    g_CutsceneMgr.StartScene("s");
    for (int frame = 0; frame < 90 && g_CutsceneMgr.m_pActiveScene; ++frame) {
        g_CutsceneMgr.Update();
        g_CutsceneMgr.UpdateCamera();
    }
    g_CutsceneMgr.Release();
    return 0;
}
