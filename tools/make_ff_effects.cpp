// Writes the force-feedback effect files of the demo game into a directory (by default
// data/effects/ff of the current directory): the sliding and gravel rumbles, the centring spring
// and the three collision jolts. All act on the steering axis.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/input/EffectFile.h"
#include "platform/input/InputResult.h"

namespace {

using plat::EffectDesc;
using plat::EffectType;

EffectDesc OnSteering(const char* name, EffectType type, uint32_t durationUs) {
    EffectDesc e;
    e.name = name;
    e.type = type;
    e.flags = plat::effectflag::ObjectOffsets | plat::effectflag::Cartesian;
    e.duration = durationUs;
    e.axes = {0};
    e.directions = {1};
    return e;
}

EffectDesc Rumble(const char* name, EffectType type, int32_t magnitude, int32_t periodUs) {
    EffectDesc e = OnSteering(name, type, plat::kInfinite);
    e.magnitude = magnitude;
    e.period = periodUs;
    return e;
}

EffectDesc Jolt(const char* name, int32_t magnitude, uint32_t durationUs) {
    EffectDesc e = OnSteering(name, EffectType::Constant, durationUs);
    e.magnitude = magnitude;
    e.hasEnvelope = true;
    e.envelope = {10000, 0, 0, durationUs / 2};  // full at once, fading over the second half
    return e;
}

EffectDesc Spring() {
    EffectDesc e = OnSteering("centre", EffectType::Spring, plat::kInfinite);
    e.conditions = {{0, 6000, 6000, 10000, 10000, 300}};
    return e;
}

bool Write(const std::filesystem::path& dir, const char* file, const std::vector<EffectDesc>& effects) {
    std::vector<char> bytes = plat::WriteEffectFile(effects);
    FILE* out = std::fopen((dir / file).string().c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path dir = argc > 1 ? argv[1] : "data/effects/ff";
    std::filesystem::create_directories(dir);
    bool ok = Write(dir, "slizg.ffe", {Rumble("slide", EffectType::Sine, 3000, 60000)}) &&
              Write(dir, "zwir.ffe",
                    {Rumble("gravel", EffectType::Square, 2000, 40000), Rumble("stones", EffectType::Sine, 1500, 90000)}) &&
              Write(dir, "spring.ffe", {Spring()}) && Write(dir, "hit0.ffe", {Jolt("hit left", 6000, 120000)}) &&
              Write(dir, "hit1.ffe", {Jolt("hit right", -6000, 120000)}) &&
              Write(dir, "hitbig.ffe",
                    {Jolt("crash", 10000, 250000), Rumble("crash shake", EffectType::Sine, 5000, 50000)});
    if (!ok) std::fprintf(stderr, "make_ff_effects: cannot write the effect files in %s\n", dir.string().c_str());
    return ok ? 0 : 1;
}
