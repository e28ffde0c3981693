#pragma once
// The sound manager: sound effects and the music track.
#include <cstdint>

class CSoundMgr {
public:
    CSoundMgr();
    virtual ~CSoundMgr();

    // Volume factor 0..1 of the music.
    void Music_SetVolume(float volume);
    void Music_Pause();
    void Music_Resume();

    float m_fMusicVolume;
    uint8_t m_bMusicPaused;
};

extern CSoundMgr g_SoundMgr;
