// Script lines: every line of the input read with each reader, then split into words.
#include <cstdio>

#include "FuzzSupport.h"
#include "core/ScriptLine.h"

namespace {

constexpr int kLimit = 600;  // longer than the longest line the word functions accept

void SplitLine(const char* line) {
    IsKeyword(line, "texture");
    GetKeywordValue(line);
    for (int n = 0; n < 4; ++n) GetWord(line, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("lines.txt", data, size);
    // The first byte picks the reader and a short limit, so splitting of long lines is reached too.
    const int limit = size ? 1 + data[0] % kLimit : kLimit;
    const int reader = size ? data[0] % 4 : 0;
    FILE* f = plat::OpenFile("lines.txt", "r");
    if (!f) return 0;
    char line[kLimit + 1];
    while (!std::feof(f)) {
        switch (reader) {
            case 0: ReadLine(f, line, limit); break;
            case 1: ReadLineRaw(f, line, limit); break;
            case 2: ReadLinePlain(f, line, limit); break;
            default: ReadLineNoTabs(f, line, limit, static_cast<size_t>(limit) + 1); break;
        }
        SplitLine(line);
    }
    std::fclose(f);
    return 0;
}
