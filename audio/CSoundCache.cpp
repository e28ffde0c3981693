#include "audio/CSoundCache.h"

#include <strings.h>

#include <cstring>

#include "audio/AudioHooks.h"
#include "core/EConsole.h"

CSoundCache g_SoundCache;

bool CSoundCache::IsCached(const char* name) const {
    const Entry* entry = nullptr;
    return Find(name, entry);
}

bool CSoundCache::Find(const char* name, const Entry*& entry) const {
    if (!name) return false;
    for (const Entry& e : m_Entries) {
        if (e.m_bUsed && !strcasecmp(e.m_szName, name)) {
            entry = &e;
            return true;
        }
    }
    return false;
}

void CSoundCache::ReleaseEntry(uint32_t index) {
    if (index >= kEntries || !m_Entries[index].m_bUsed) return;
    m_Entries[index] = Entry{};
}

void CSoundCache::ReleaseAll() {
    for (uint32_t i = 0; i < kEntries; ++i) ReleaseEntry(i);
}

int CSoundCache::FreeOrOldestEntry() {
    int oldest = 0;
    for (int i = 0; i < kEntries; ++i) {
        if (!m_Entries[i].m_bUsed) return i;
        if (m_Entries[i].m_dLoadTime < m_Entries[oldest].m_dLoadTime) oldest = i;
    }
    ReleaseEntry(static_cast<uint32_t>(oldest));
    return oldest;
}

bool CSoundCache::LoadToCache(const char* name) {
    if (!name) return false;
    if (IsCached(name)) return true;
    Entry& entry = m_Entries[FreeOrOldestEntry()];
    auto wave = std::make_unique<CSoundWave>();
    if (!wave->LoadWaveFromFile(name)) {
        g_Console.Print("ERROR in CSoundCache::LoadToCache(): LoadWaveFromFile() failed...");
        g_Console.Print(name);
        return false;
    }
    entry.m_bUsed = 1;
    std::strncpy(entry.m_szName, name, 255);
    entry.m_szName[255] = 0;
    entry.m_pWave = std::move(wave);
    entry.m_dLoadTime = g_AudioHooks.levelTime();
    return true;
}

bool PreloadSound(const char* path) {
    if (!path) return false;
    return g_SoundCache.LoadToCache(path);
}

void ClearSoundCache() { g_SoundCache.ReleaseAll(); }
