#include "core/ConsoleCommand.h"

#include <climits>
#include <cstdlib>

#include "core/EConsole.h"
#include "core/EOrientation.h"
#include "core/ScriptLine.h"

namespace command {

namespace {
constexpr float kDegrees = 3.14159265358979f / 180.0f;

// Set when a reader was given text that does not begin with a number.
bool g_notANumber = false;

void NoteNumber(const char* text, const char* end) {
    if (end == text) g_notANumber = true;
}
}  // namespace

bool TakeNotANumber() {
    const bool met = g_notANumber;
    g_notANumber = false;
    return met;
}

int IntValue(const char* text) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    NoteNumber(text, end);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

float FloatValue(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    NoteNumber(text, end);
    return static_cast<float>(value);
}

uint8_t SwitchValue(const char* text) { return IntValue(text) != 0 ? 1 : 0; }

int TruncatedInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return INT_MAX;
    if (value <= -2147483520.0f) return INT_MIN;
    return static_cast<int>(value);
}

float NumberAt(const char* value, int n) { return FloatValue(GetWord(value, n)); }

DV DirectionFromVariables(const EConsole& console, const char* yawName, const char* pitchName) {
    float yaw = 0;
    float pitch = 0;
    console.GetVariable(yawName, yaw);
    console.GetVariable(pitchName, pitch);
    return EOrientation::EOrientationFromYawPitchRoll(yaw * kDegrees, pitch * kDegrees, 0.0f).m_Front;
}

}  // namespace command
