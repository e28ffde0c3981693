// Effect definition files: one read (twice, for the report of textures used both ways), written
// back and read again, then spawned and stepped for a second of effect time. A malformed file is
// reported and skipped.
#include "FuzzSupport.h"
#include "core/FrameFacts.h"
#include "platform/os/Files.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("afx\\fuzz.afx", data, size);
    test::ResetGlobal(g_FXMgr);
    plat::DeleteFile("!fx_bugs.txt");
    g_FXMgr.LoadAfx("afx\\fuzz.afx");
    g_FXMgr.LoadAfx("afx\\fuzz.afx");
    g_FXMgr.ResolveChildren();
    g_FXMgr.CheckTextureUse();
    if (g_FXMgr.FindDefinition("fuzz")) {
        g_FXMgr.SaveAfx("afx\\saved.afx", 0);
        g_FXMgr.LoadAfx("afx\\saved.afx");
        g_FXMgr.ResolveChildren();
        g_FrameFacts.frameTime = 0.05f;
        for (int i = 0; i < 3; ++i) g_FXMgr.AddFXByName("fuzz", nullptr, nullptr);
        for (int i = 0; i < 20; ++i) {
            g_FXMgr.Update(false);
            g_FXMgr.PrepareVertexBuffers();
        }
    }
    g_FXMgr.Release();
    g_Renderer.ClearTextures();
    return 0;
}
