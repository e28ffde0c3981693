#pragma once
// Force-feedback effect files (".ffe"): a RIFF file of form type "FORC" holding one "LIST" of
// type "efct" per effect. Inside each list, chunks in any order (unknown ones are skipped):
//   "name"  the effect's name, NUL-terminated
//   "id  "  16 bytes: the effect type's GUID (little-endian fields)
//   "data"  14 x u32: structure size (56), flags, duration (us), sample period, gain (0..10000),
//           trigger button, trigger repeat interval, axis count, four reserved words, size of
//           the "prms" block, start delay (us)
//   "axes"  axis count x u32: the axes the effect acts on
//   "dirn"  axis count x i32: the direction (polar: hundredths of a degree; cartesian: per axis)
//   "envl"  optional 5 x u32: structure size (20), attack level, attack time, fade level, fade time
//   "prms"  the type's parameters, i32 each: constant {magnitude}; ramp {start, end}; periodic
//           {magnitude, offset, phase, period}; condition, per axis {offset, positive
//           coefficient, negative coefficient, positive saturation, negative saturation, dead band}
// All numbers are little-endian; a chunk of odd size is followed by one pad byte.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

enum class EffectType { Constant, Ramp, Square, Sine, Triangle, SawtoothUp, SawtoothDown, Spring, Damper, Inertia, Friction };

// Effect flags: how the directions are given.
namespace effectflag {
constexpr uint32_t ObjectIds = 0x01;
constexpr uint32_t ObjectOffsets = 0x02;
constexpr uint32_t Cartesian = 0x10;
constexpr uint32_t Polar = 0x20;
constexpr uint32_t Spherical = 0x40;
}  // namespace effectflag

struct EffectEnvelope {
    uint32_t attackLevel = 0, attackTime = 0, fadeLevel = 0, fadeTime = 0;
};

struct EffectCondition {
    int32_t offset = 0, positiveCoefficient = 0, negativeCoefficient = 0;
    int32_t positiveSaturation = 0, negativeSaturation = 0, deadBand = 0;
};

struct EffectDesc {
    std::string name;
    EffectType type = EffectType::Constant;
    uint32_t flags = 0;
    uint32_t duration = 0;  // microseconds; kInfinite: until stopped
    uint32_t samplePeriod = 0;
    uint32_t gain = 10000;
    uint32_t triggerButton = 0xFFFFFFFFu;  // none
    uint32_t triggerRepeatInterval = 0;
    uint32_t startDelay = 0;
    std::vector<uint32_t> axes;
    std::vector<int32_t> directions;  // one per axis
    bool hasEnvelope = false;
    EffectEnvelope envelope;
    // Parameters by type: constant uses magnitude; ramp rampStart and rampEnd; periodic
    // magnitude, offset, phase and period; conditions one per axis (at most two).
    int32_t magnitude = 0;
    int32_t rampStart = 0, rampEnd = 0;
    int32_t offset = 0, phase = 0, period = 0;
    std::vector<EffectCondition> conditions;
};

bool IsCondition(EffectType type);
bool IsPeriodic(EffectType type);
const char* EffectTypeName(EffectType type);

// Parses a whole effect file. False when it is not an effect file or a chunk runs past its
// container; effects without a known type or without their "data" chunk are left out.
bool ParseEffectFile(const std::vector<char>& bytes, std::vector<EffectDesc>& out);
// The effect file's bytes for these effects.
std::vector<char> WriteEffectFile(const std::vector<EffectDesc>& effects);

}  // namespace plat
