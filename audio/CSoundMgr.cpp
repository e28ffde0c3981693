#include "audio/CSoundMgr.h"

CSoundMgr g_SoundMgr;

CSoundMgr::CSoundMgr() : m_fMusicVolume(1.0f), m_bMusicPaused(0) {}

CSoundMgr::~CSoundMgr() = default;

void CSoundMgr::Music_SetVolume(float volume) { m_fMusicVolume = volume; }

void CSoundMgr::Music_Pause() { m_bMusicPaused = 1; }

void CSoundMgr::Music_Resume() { m_bMusicPaused = 0; }
