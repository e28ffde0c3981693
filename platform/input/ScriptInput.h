#pragma once
// Timed input events read from a script file, one per line: "FRAME EVENT [ARGS]", '#' starts a
// comment. The events of frame N are delivered before the game's Nth frame runs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, MouseMove, MouseDown, MouseUp, Axis, Button, Close };
    uint64_t frame = 0;
    Kind kind = Kind::Close;
    int code = 0;        // SDL scancode, mouse button 0..2, axis or button number
    int dx = 0, dy = 0;  // mouse movement
    float value = 0;     // axis value -1..1
    bool down = false;   // button state
};

struct ScriptParseResult {
    std::vector<ScriptEvent> events;  // sorted by frame, file order kept within a frame
    std::vector<std::string> errors;  // "line N: reason" for each line that was skipped
};

ScriptParseResult ParseInputScript(std::string_view text);

}  // namespace plat
