#pragma once
// The console commands that act on the engine, its objects and the camera: cutscenes, fences,
// routes, deleting and hiding objects, actions, starting a world, the field of view, the far
// plane and the gamma.
#include <cstdint>

#include "core/ConsoleCommand.h"
#include "world/ECamera.h"

namespace command {

// A float setter of the camera.
template <auto Setter>
CommandResult SetCamera(EConsole&, const char* value, uint8_t) {
    (g_Camera.*Setter)(FloatValue(value));
    return kGoOn;
}

CommandResult Cutscene(EConsole& console, const char* value, uint8_t flag);
CommandResult GenerujPlotki(EConsole& console, const char* value, uint8_t flag);
CommandResult OstatniaTrasa(EConsole& console, const char* value, uint8_t flag);
CommandResult DeleteNotImportant(EConsole& console, const char* value, uint8_t flag);
CommandResult DeleteWindows(EConsole& console, const char* value, uint8_t flag);
CommandResult WipeOut(EConsole& console, const char* value, uint8_t flag);
CommandResult SectorShow(EConsole& console, const char* value, uint8_t flag);
CommandResult SectorHide(EConsole& console, const char* value, uint8_t flag);
CommandResult SectorShowAll(EConsole& console, const char* value, uint8_t flag);
CommandResult Action(EConsole& console, const char* value, uint8_t flag);
CommandResult FOV(EConsole& console, const char* value, uint8_t flag);
CommandResult RunWorld(EConsole& console, const char* value, uint8_t flag);

}  // namespace command
