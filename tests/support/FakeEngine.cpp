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
    h.gameFrame = [] { return g_FakeEngine.gameFrame; };
    h.introRunning = [] { return g_FakeEngine.introRunning; };
    h.levelTime = [] { return g_FakeEngine.levelTime; };
    h.engineClock = [] { return g_FakeEngine.engineClock; };
    h.objectTable = [] { return g_FakeEngine.objects; };
    h.setCameraFarZ = [](float distance) { g_FakeEngine.cameraFarZ = distance; };
    h.setClearColour = [](uint32_t colour) { g_FakeEngine.clearColour = colour; };
    h.createSkyDome = [](const char*) { return g_FakeEngine.skyDome; };
    h.deleteObject = [](const DrawVisibility*) { ++g_FakeEngine.deletedObjects; };
}

}  // namespace test
