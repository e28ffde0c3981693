#pragma once
// Decoded wave files kept in memory by file name, so that sounds made again and again do not
// read their file each time. Filled only by preloading the resources a world lists; emptied at
// world end and world start. When full, the entry loaded earliest makes room.
#include <cstdint>
#include <memory>

#include "audio/CSoundWave.h"

class CSoundCache {
public:
    static constexpr int kEntries = 550;

    struct Entry {
        uint8_t m_bUsed = 0;
        char m_szName[263] = {};
        double m_dLoadTime = 0.0;
        std::unique_ptr<CSoundWave> m_pWave;
    };

    CSoundCache() = default;

    bool LoadToCache(const char* name);
    bool IsCached(const char* name) const;
    // The entry of a cached name; false when there is none.
    bool Find(const char* name, const Entry*& entry) const;
    void ReleaseEntry(uint32_t index);
    void ReleaseAll();

    Entry m_Entries[kEntries];

private:
    int FreeOrOldestEntry();
};

extern CSoundCache g_SoundCache;

// Preloads a sound of the running world into the global cache.
bool PreloadSound(const char* path);
void ClearSoundCache();
