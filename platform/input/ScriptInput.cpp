#include "platform/input/ScriptInput.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "platform/input/KeyCodes.h"

namespace plat {
namespace {

bool ParseInt(const std::string& word, long& out) {
    if (word.empty()) return false;
    char* end = nullptr;
    out = std::strtol(word.c_str(), &end, 10);
    return end && *end == '\0';
}

bool ParseFloat(const std::string& word, float& out) {
    if (word.empty()) return false;
    char* end = nullptr;
    out = std::strtof(word.c_str(), &end);
    return end && *end == '\0';
}

// Fills the event from the words after the frame number; an empty string means success.
std::string ParseEvent(const std::vector<std::string>& w, ScriptEvent& e) {
    const std::string& name = w[1];
    auto need = [&](size_t n) { return w.size() == n; };
    long a = 0, b = 0;
    if (name == "keydown" || name == "keyup") {
        if (!need(3)) return "expected a key name";
        KeyCode key = KeyFromName(w[2]);
        if (!key.sdlScancode) return "unknown key '" + w[2] + "'";
        e.kind = name == "keydown" ? ScriptEvent::Kind::KeyDown : ScriptEvent::Kind::KeyUp;
        e.code = key.sdlScancode;
    } else if (name == "mousemove") {
        if (!need(4) || !ParseInt(w[2], a) || !ParseInt(w[3], b)) return "expected DX DY";
        e.kind = ScriptEvent::Kind::MouseMove;
        e.dx = static_cast<int>(a);
        e.dy = static_cast<int>(b);
    } else if (name == "mousedown" || name == "mouseup") {
        if ((!need(3) && !need(5)) || !ParseInt(w[2], a) || a < 0 || a > 2)
            return "expected a mouse button 0..2, optionally with X Y";
        long x = 0, y = 0;
        if (need(5) && (!ParseInt(w[3], x) || !ParseInt(w[4], y) || x < 0 || y < 0 || x > 0x7FFF || y > 0x7FFF))
            return "expected a position X Y of 0..32767";
        e.kind = name == "mousedown" ? ScriptEvent::Kind::MouseDown : ScriptEvent::Kind::MouseUp;
        e.code = static_cast<int>(a);
        e.x = static_cast<int>(x);
        e.y = static_cast<int>(y);
    } else if (name == "axis") {
        if (!need(4) || !ParseInt(w[2], a) || a < 0 || a > 7 || !ParseFloat(w[3], e.value) || e.value < -1 ||
            e.value > 1)
            return "expected an axis 0..7 and a value -1..1";
        e.kind = ScriptEvent::Kind::Axis;
        e.code = static_cast<int>(a);
    } else if (name == "button") {
        if (!need(4) || !ParseInt(w[2], a) || a < 0 || a > 127 || (w[3] != "down" && w[3] != "up"))
            return "expected a button 0..127 and down or up";
        e.kind = ScriptEvent::Kind::Button;
        e.code = static_cast<int>(a);
        e.down = w[3] == "down";
    } else if (name == "close") {
        if (!need(2)) return "close takes no arguments";
        e.kind = ScriptEvent::Kind::Close;
    } else {
        return "unknown event '" + name + "'";
    }
    return {};
}

}  // namespace

ScriptParseResult ParseInputScript(std::string_view text) {
    ScriptParseResult result;
    std::istringstream lines{std::string(text)};
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        long frame = 0;
        ScriptEvent event;
        std::string error;
        if (w.size() < 2 || !ParseInt(w[0], frame) || frame < 0) error = "expected FRAME EVENT";
        else error = ParseEvent(w, event);
        if (!error.empty()) {
            result.errors.push_back("line " + std::to_string(lineNumber) + ": " + error);
            continue;
        }
        event.frame = static_cast<uint64_t>(frame);
        result.events.push_back(event);
    }
    std::stable_sort(result.events.begin(), result.events.end(),
                     [](const ScriptEvent& x, const ScriptEvent& y) { return x.frame < y.frame; });
    return result;
}

}  // namespace plat
