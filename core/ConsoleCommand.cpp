#include "core/ConsoleCommand.h"

#include <climits>
#include <cstdlib>

#include "core/EConsole.h"
#include "core/EOrientation.h"
#include "core/ScriptLine.h"

namespace command {

namespace {
constexpr float kDegrees = 3.14159265358979f / 180.0f;
}

int IntValue(const char* text) {
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

float FloatValue(const char* text) { return static_cast<float>(std::atof(text)); }

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
