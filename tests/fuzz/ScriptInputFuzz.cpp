// The input script parser on arbitrary text.
#include <string_view>

#include "platform/input/ScriptInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plat::ParseInputScript(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
