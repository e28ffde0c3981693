#include "core/FileCacheManager.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "platform/os/Files.h"

FileCacheManager g_FileCacheManager;

namespace {

constexpr const char* kDataTag = "m_Cache[i].pData";

bool Readable(const FileCacheManager::Handle* handle) { return handle && handle->m_bUsed && handle->m_pFile; }

void PrintWithPath(const char* format, const char* path) {
    char line[FileCacheManager::kNameLength + 96];
    std::snprintf(line, sizeof line, format, path);
    g_Console.Print(line);
}

}  // namespace

FileCacheManager::CachedFile* FileCacheManager::Find(const char* path) {
    for (CachedFile& file : m_Cache)
        if (file.m_bUsed && !strcasecmp(file.m_szName, path)) return &file;
    return nullptr;
}

int FileCacheManager::LoadFile(const char* path) {
    if (!path) return -1;
    int index = 0;
    while (index < kFiles && m_Cache[index].m_bUsed) ++index;
    if (index == kFiles) {
        PrintWithPath("ERROR in FileCacheManager: no more free space in cache! file: %s", path);
        return -1;
    }
    // A name that does not fit would never be found again, and every open would load another copy.
    if (std::strlen(path) >= kNameLength) return -1;
    CachedFile& file = m_Cache[index];
    if (!plat::ReadFileBytes(path, file.m_Data)) return -1;
    g_Debug.AddAlloc(kDataTag);
    std::snprintf(file.m_szName, kNameLength, "%s", path);
    file.m_bUsed = 1;
    return index;
}

FileCacheManager::Handle* FileCacheManager::Open(const char* path) {
    if (!path) return nullptr;
    CachedFile* file = Find(path);
    if (!file) {
        int index = LoadFile(path);
        if (index < 0) return nullptr;
        file = &m_Cache[index];
    }
    for (Handle& handle : m_Handles) {
        if (handle.m_bUsed) continue;
        handle = Handle{1, file, 0};
        return &handle;
    }
    PrintWithPath("ERROR in FileCacheManager: no more free file handles! file: %s", path);
    return nullptr;
}

// Lines end with CR LF, LF alone or the end of the data; a CR takes the character after it along
// as its LF. At most n - 1 characters are stored, so the buffer always ends with a terminator.
void FileCacheManager::ReadLine(Handle* handle, char* buffer, uint32_t n) {
    if (!Readable(handle) || !buffer || n == 0) return;
    const std::vector<char>& data = handle->m_pFile->m_Data;
    const uint32_t size = static_cast<uint32_t>(data.size());
    uint32_t& position = handle->m_uPosition;
    uint32_t stored = 0;
    while (stored + 1 < n) {
        if (position >= size) {
            position = size;
            break;
        }
        char c = data[position];
        if (c == '\r') {
            position = position + 2 < size ? position + 2 : size;
            break;
        }
        if (c == '\n') {
            ++position;
            break;
        }
        buffer[stored++] = c;
        ++position;
    }
    buffer[stored] = 0;
}

bool FileCacheManager::Eof(Handle* handle) {
    if (!Readable(handle)) return false;
    uint32_t size = static_cast<uint32_t>(handle->m_pFile->m_Data.size());
    if (handle->m_uPosition < size) return false;
    handle->m_uPosition = size;
    return true;
}

void FileCacheManager::Close(Handle* handle) {
    if (handle) handle->m_bUsed = 0;
}

void FileCacheManager::FreeFile(const char* path) {
    if (!path) return;
    CachedFile* file = Find(path);
    if (!file) return;
    for (Handle& handle : m_Handles)
        if (handle.m_pFile == file) handle = Handle{};
    std::vector<char>().swap(file->m_Data);
    g_Debug.RemoveAlloc(kDataTag);
    file->m_bUsed = 0;
    file->m_szName[0] = 0;
}
