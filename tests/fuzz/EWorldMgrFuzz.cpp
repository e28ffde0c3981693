// World files: every line of the input parsed as a world, with a model to make mesh objects from
// on the null device; the objects go again after each input.
#include <string_view>

#include "FuzzSupport.h"
#include "core/ESettings.h"
#include "render/D3DDevice.h"
#include "world/EEngine.h"
#include "world/EWorldMgr.h"

namespace {

// The triangle model "m.x" and a null device to load it on, made once.
void Prepare() {
    static const bool ready = [] {
        test::WriteWholeFile(fuzz::StartDirectory() / "m.x",
                             "xof 0303txt 0032\nMesh {\n 3;\n 0;0;0;, 1;0;0;, 0;0;1;;\n 1;\n 3;0,1,2;;\n}\n");
        g_pD3D = gfx::CreateSystem();
        gfx::PresentParameters pp;
        pp.backBufferWidth = 64;
        pp.backBufferHeight = 64;
        pp.backBufferFormat = gfx::FMT_X8R8G8B8;
        pp.windowed = true;
        g_pD3D->CreateDevice(nullptr, gfx::CREATE_HARDWARE_VERTEXPROCESSING, pp, g_pd3dDevice);
        return true;
    }();
    (void)ready;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Prepare();
    fuzz::StartDirectory();
    g_WorldMgr.ParseWorld(std::string_view(reinterpret_cast<const char*>(data), size));
    for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
    return 0;
}
