// Force-feedback effect files; what parses is written out again.
#include <vector>

#include "platform/input/EffectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> bytes(data, data + size);
    std::vector<plat::EffectDesc> effects;
    if (plat::ParseEffectFile(bytes, effects)) plat::WriteEffectFile(effects);
    return 0;
}
