#pragma once
// The console's command table: every command a console line can name, in the order in which the
// executor compares them. Installed into the console at start-up.
#include <span>

#include "core/ConsoleCommand.h"

std::span<const ConsoleCommand> ConsoleCommands();
