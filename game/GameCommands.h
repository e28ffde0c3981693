#pragma once
// The console commands of the front end: money and the HUD layout.
#include <cstdint>

#include "core/ConsoleCommand.h"

namespace command {

CommandResult Gimme(EConsole& console, const char* value, uint8_t flag);
CommandResult WideScreen(EConsole& console, const char* value, uint8_t flag);

}  // namespace command
