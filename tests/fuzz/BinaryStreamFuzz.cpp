// Binary stream values read until the stream ends: strings into small buffers and into strings,
// with integers, booleans, floats and vectors between them.
#include <cstdio>
#include <string>

#include "FuzzSupport.h"
#include "core/BinaryStream.h"

namespace {
struct Vec {
    float x, y, z;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("stream.bin", data, size);
    FILE* f = plat::OpenFile("stream.bin", "rb");
    if (!f) return 0;
    char small[8];
    std::string text;
    int32_t i;
    bool b;
    Vec v;
    while (!std::feof(f)) {
        FileReadString(f, small, sizeof small);
        FileReadString(f, &text);
        FileReadInt(f, &i);
        FileReadBool(f, &b);
        FileReadDV(f, &v);
    }
    std::fclose(f);
    return 0;
}
