// The text-keys file, then its keys replaced in the file's first line.
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "core/ETextMgr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("scripts\\text_keys.txt", data, size);
    ETextMgr texts;  // loads the file
    std::string first(reinterpret_cast<const char*>(data), size);
    first = first.substr(0, first.find_first_of(std::string("\n\0", 2)));
    texts.GetText(first.c_str());
    // A buffer just big enough for the line: every replacement has to be cut to fit.
    std::string line = first + '\0';
    texts.ReplaceKeysInLine(line.data(), line.size());
    return 0;
}
