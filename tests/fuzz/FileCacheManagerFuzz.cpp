// Cached files read line by line into buffers of a size the first byte picks.
#include <vector>

#include "FuzzSupport.h"
#include "core/FileCacheManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::WriteInput("cached.txt", data, size);
    std::vector<char> line(size ? 1 + data[0] % 300 : 1);
    FileCacheManager::Handle* handle = g_FileCacheManager.Open("cached.txt");
    if (!handle) return 0;
    while (!g_FileCacheManager.Eof(handle)) g_FileCacheManager.ReadLine(handle, line.data(), line.size());
    g_FileCacheManager.Close(handle);
    g_FileCacheManager.FreeFile("cached.txt");
    return 0;
}
