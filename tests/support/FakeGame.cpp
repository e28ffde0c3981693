#include "support/FakeGame.h"

#include "core/CoreHooks.h"

namespace test {

FakeGame g_FakeGame;

void InstallFakeGame() {
    g_FakeGame = FakeGame{};
    CoreHooks& h = g_CoreHooks;
    h.hasFocus = [] { return g_FakeGame.focus; };
    h.mainWindow = []() -> plat::WindowHandle { return nullptr; };
    h.gameFrame = [] { return g_FakeGame.frame; };
    h.gameKeyInputEnabled = [] { return g_FakeGame.keyInputEnabled; };
    h.enableGameKeyInput = [] { g_FakeGame.keyInputEnabled = true; };
    h.menuActive = [] { return g_FakeGame.menuActive; };
    h.loadingScreenActive = [] { return g_FakeGame.loadingActive; };
    h.cameraOverride = [] { return g_FakeGame.cameraOverride; };
    h.hudDiscardsMouse = [] { return g_FakeGame.hudDiscardsMouse; };
    h.surfaceForceFeedback = [] { return g_FakeGame.surfaceForceFeedback; };
    h.getGamma = [] { return g_FakeGame.gamma; };
    h.setGamma = [](float gamma) { g_FakeGame.gamma = gamma; };
    h.applyMusic = [](float volume, bool playing) {
        g_FakeGame.musicVolume = volume;
        g_FakeGame.musicPlaying = playing;
        ++g_FakeGame.musicApplied;
    };
    h.keysFileOptions = [] {
        FakeGame& g = g_FakeGame;
        return KeysFileOptions{&g.playerOption1, &g.playerOption2, &g.cameraMode, &g.gameSwitch1,
                               &g.gameValue1,    &g.gameValue2,    &g.gameSwitch2,       &g.gameLevel};
    };
    h.acquireKeyboard = [] { g_FakeGame.keyboardAcquired = true; };
    h.releaseKeyboard = [] { g_FakeGame.keyboardAcquired = false; };
    h.requestScreenshot = [] { ++g_FakeGame.screenshotRequests; };
    h.quit = [] { g_FakeGame.quitRequested = true; };
    h.currentRouteTasks = [] { return g_FakeGame.routeTasks; };
}

}  // namespace test
