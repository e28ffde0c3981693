#pragma once
// Whole text files kept in memory, so that files read for every character created come from
// disk only once. Readers open a cached file by name, read lines through a handle and close it;
// the bytes stay until the file is freed by name.
#include <cstdint>
#include <vector>

class FileCacheManager {
public:
    static constexpr int kFiles = 500;
    static constexpr int kHandles = 500;
    static constexpr int kNameLength = 263;

    struct CachedFile {
        uint8_t m_bUsed = 0;
        char m_szName[kNameLength] = {};
        // The whole file; registered as "m_Cache[i].pData" while held.
        std::vector<char> m_Data;
    };

    struct Handle {
        uint8_t m_bUsed = 0;
        CachedFile* m_pFile = nullptr;
        uint32_t m_uPosition = 0;
    };

    // The index of the newly cached file, or -1 when the cache is full or the file unreadable.
    int LoadFile(const char* path);
    // A handle at the start of the file (loaded first when not cached), or null.
    Handle* Open(const char* path);
    // The next line without its line end; a line longer than the buffer continues at the next call.
    void ReadLine(Handle* handle, char* buffer, uint32_t n);
    bool Eof(Handle* handle);
    void Close(Handle* handle);
    // Drops the file's bytes; handles still open on it are closed with it.
    void FreeFile(const char* path);

    CachedFile m_Cache[kFiles];
    Handle m_Handles[kHandles];

private:
    CachedFile* Find(const char* path);
};

extern FileCacheManager g_FileCacheManager;
