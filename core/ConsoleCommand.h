#pragma once
// One entry of the console's command table and the value readers that every command handler
// shares. The handlers live with the component whose state they change; the table that orders
// them is installed into the console at start-up (EConsole::InstallCommands).
#include <cstdint>

#include "core/DV.h"

class EConsole;

enum class CommandResult { Continue, EndExecutor };

using CommandFn = CommandResult (*)(EConsole& console, const char* value, uint8_t flag);

struct ConsoleCommand {
    const char* name;
    CommandFn apply;
};

namespace command {

constexpr CommandResult kGoOn = CommandResult::Continue;

// Values beyond the int range are held at its ends: converting them would be undefined. A text
// that does not begin with a number reads as 0, and TakeNotANumber then answers true once.
int IntValue(const char* text);
float FloatValue(const char* text);
uint8_t SwitchValue(const char* text);
// A float's whole part as an int, held within the int range (not a number gives 0).
int TruncatedInt(float value);
// Word n (from 0) of a value of blank-separated numbers.
float NumberAt(const char* value, int n);
// Whether a reader met a text that is not a number since the last call.
bool TakeNotANumber();
// A direction from two console variables in degrees: yaw and pitch, no roll.
DV DirectionFromVariables(const EConsole& console, const char* yawName, const char* pitchName);

}  // namespace command
