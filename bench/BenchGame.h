// The benches that time the program's own frame start the game as its entry does, in a copy of the
// assembled game: one start-up for all of them.
#pragma once

#include <filesystem>

#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/FloorHooks.h"
#include "app/WinMain.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "platform/gfx/Device.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"
#include "support/TestSupport.h"
#include "world/CRoutesMgr.h"

namespace bench {

// Copies the game into `dir`, gives it the input `script` and starts it there on the chosen video
// backend, silent, with the fixed clock at 60 frames a second, in an 800 x 600 window called
// `name`; the device is made and the window has the focus. False when the device cannot be made.
inline bool StartGameIn(const std::filesystem::path& dir, const char* script, plat::VideoBackend video,
                        const char* name) {
    test::CopyGameTo(dir);
    test::WriteWholeFile(dir / "input.txt", script);
    plat::SetStartDirectory(dir);
    plat::BackendChoice choice;
    choice.video = video;
    choice.audio = plat::AudioBackend::Null;
    choice.input = plat::InputBackend::Script;
    choice.inputScript = (dir / "input.txt").string();
    choice.clock = plat::ClockBackend::Fixed;
    choice.fixedFramesPerSecond = 60;
    plat::SetBackends(choice);
    InstallFloorHooks();
    g_Console.ExecFile("qv.cfg");
    plat::RegisterWindowClass({name, WndProc});
    plat::WindowDesc desc;
    desc.className = name;
    desc.title = name;
    desc.caption = true;
    desc.width = 800;
    desc.height = 600;
    g_hWnd = plat::CreateMainWindow(desc);
    g_pD3D = gfx::CreateSystem();
    g_Input.Init();
    g_RoutesMgr.Load();
    g_D3DMain.Create(g_hWnd);
    if (!g_D3DMain.m_bCreated) return false;
    g_FocusMgr.SetOnFocus();
    return true;
}

}  // namespace bench
