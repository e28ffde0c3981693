#pragma once
// The console's command table: every command a console line can name, in the order in which the
// executor compares them, with what each does to the settings and the components.
#include <cstdint>

class EConsole;

enum class CommandResult { Continue, EndExecutor };

// Applies every command of that name (ignoring ASCII case) in table order, reading switches and
// integers from the value text as integers and the rest as floats or text. EndExecutor when a
// command ends the executor before its closing step ("WipeOut", "Action", "runworld" typed).
CommandResult RunConsoleCommands(EConsole& console, const char* name, const char* value, uint8_t flag);
