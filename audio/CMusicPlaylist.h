#pragma once
// The background-music jukebox: the Ogg files of the "Music" directory, played one after another
// through the sound manager, paused while the music volume setting is practically zero. The
// player skips with Next and Previous (bound to the next- and previous-track key commands).
#include <cstdint>

class CMusicPlaylist {
public:
    static constexpr uint32_t kSlots = 64;
    static constexpr uint32_t kMaxEntries = 63;
    static constexpr uint32_t kNone = 64;

    void Init();
    void Scan();
    void Add(const char* path);
    void Reset();
    void Stop();
    void Next();
    void Previous();
    void Update();
    void Render();

    uint8_t m_bPaused = 0;
    char m_szEntries[kSlots][256] = {};
    uint32_t m_uCount = 0;
    uint32_t m_uCurrent = 0;
    float m_fTimer = 0.0f;
};

extern CMusicPlaylist g_MusicPlaylist;
