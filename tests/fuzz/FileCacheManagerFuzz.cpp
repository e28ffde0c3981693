// Cached files read line by line into buffers of a size the first byte picks. A buffer holds at
// least one character: a one-byte buffer has room for nothing and so never gets past a line.
#include <vector>

#include "FuzzSupport.h"
#include "core/FileCacheManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input("cached.txt", data, size);
    std::vector<char> line(2 + (size ? data[0] % 300 : 0));
    FileCacheManager::Handle* handle = g_FileCacheManager.Open("cached.txt");
    if (!handle) return 0;
    while (!g_FileCacheManager.Eof(handle)) g_FileCacheManager.ReadLine(handle, line.data(), line.size());
    g_FileCacheManager.Close(handle);
    g_FileCacheManager.FreeFile("cached.txt");
    return 0;
}
