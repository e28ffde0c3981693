#include "support/FakeEngine.h"

#include "render/RenderHooks.h"

namespace test {

FakeEngine g_FakeEngine;

void InstallFakeEngine() {
    g_FakeEngine = FakeEngine{};
    RenderHooks& h = g_RenderHooks;
    h.requestQuit = [] { g_FakeEngine.quitRequested = true; };
    h.menuActive = [] { return g_FakeEngine.menuActive; };
    h.cutscenePlaying = [] { return g_FakeEngine.cutscenePlaying; };
    h.engineFrame = [] { return g_FakeEngine.frame; };
    h.cameraPosition = [] { return g_FakeEngine.cameraPosition; };
}

}  // namespace test
