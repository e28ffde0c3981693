#pragma once
// The console commands of the player's run.
#include <cstdint>

#include "core/ConsoleCommand.h"

namespace command {

// "koniec": the run finishes (the fade out begins).
CommandResult Koniec(EConsole& console, const char* value, uint8_t flag);

}  // namespace command
