#pragma once
// Timed input events read from a script file, one per line: "FRAME EVENT [ARGS]", '#' starts a
// comment. The events of frame N are delivered before the game's Nth frame runs; those of frame 0
// go to the dialogs shown before the first frame, one event at a time.
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
    int x = 0, y = 0;    // where a mouse button went down or up, in the front window's client area
    float value = 0;     // axis value -1..1
    bool down = false;   // button state
};

struct ScriptParseResult {
    std::vector<ScriptEvent> events;  // sorted by frame, file order kept within a frame
    std::vector<std::string> errors;  // "line N: reason" for each line that was skipped
};

ScriptParseResult ParseInputScript(std::string_view text);

}  // namespace plat
