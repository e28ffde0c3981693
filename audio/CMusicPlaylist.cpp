#include "audio/CMusicPlaylist.h"

#include <cstdio>
#include <cstring>

#include "audio/AudioHooks.h"
#include "audio/CSoundMgr.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"

CMusicPlaylist g_MusicPlaylist;

namespace {

constexpr const char* kMusicDirectory = "Music";
constexpr const char* kIntroTrack = "music\\1.ogg";
constexpr float kSilentVolume = 0.04f;
constexpr uint32_t kFirstMusicFrame = 220;
constexpr float kLongestCountedFrame = 0.1f;
constexpr float kWaitBetweenTracks = 2.0f;

}  // namespace

void CMusicPlaylist::Init() {
    m_uCount = 0;
    m_uCurrent = kNone;
    Scan();
}

void CMusicPlaylist::Scan() {
    m_uCount = 0;
    char path[256];
    for (const std::string& name : plat::ListDirectory(kMusicDirectory, "*.ogg")) {
        if (name[0] == '.') continue;
        std::snprintf(path, sizeof path, "%s\\%s", kMusicDirectory, name.c_str());
        Add(path);
    }
}

void CMusicPlaylist::Add(const char* path) {
    if (!path || std::strlen(path) < 4 || m_uCount >= kMaxEntries) return;
    std::strncpy(m_szEntries[m_uCount], path, sizeof m_szEntries[0] - 1);
    ++m_uCount;
}

void CMusicPlaylist::Reset() {
    g_SoundMgr.Music_Stop();
    g_SoundMgr.Music_Release();
    m_uCurrent = kNone;
}

void CMusicPlaylist::Stop() {
    g_SoundMgr.Music_Stop();
    g_SoundMgr.Music_Release();
}

void CMusicPlaylist::Next() {
    if (m_bPaused || m_uCount == 0) return;
    g_SoundMgr.Music_Stop();
    g_SoundMgr.Music_Release();
    if (++m_uCurrent >= m_uCount) m_uCurrent = 0;
    const char* entry = m_szEntries[m_uCurrent];
    g_SoundMgr.Music_Play(g_Settings.m_bGameMode ? kIntroTrack : entry, false);
    g_Console.PrintStr2("Playing ", entry);
}

// Plays the entry before the current one, once, like every other track: looped, it would hold the
// playlist on that track for good. With none chosen yet it starts from the last entry.
void CMusicPlaylist::Previous() {
    if (m_bPaused || m_uCount == 0) return;
    g_SoundMgr.Music_Stop();
    g_SoundMgr.Music_Release();
    m_uCurrent = (m_uCurrent == 0 || m_uCurrent >= m_uCount ? m_uCount : m_uCurrent) - 1;
    g_SoundMgr.Music_Play(m_szEntries[m_uCurrent], false);
    m_fTimer = 0.0f;
}

void CMusicPlaylist::Update() {
    const float volume = g_Settings.m_fMusicVolume;
    g_SoundMgr.Music_SetVolume(volume);
    if (volume < kSilentVolume) {
        if (!m_bPaused) {
            g_SoundMgr.Music_Pause();
            m_bPaused = 1;
        } else if (g_SoundMgr.Music_IsPlaying()) {
            g_SoundMgr.Music_Pause();
        }
    } else if (m_bPaused) {
        g_SoundMgr.Music_Resume();
        m_bPaused = 0;
    }

    if (g_AudioHooks.gameFrame() < kFirstMusicFrame || m_bPaused || g_FrameFacts.frameTime > kLongestCountedFrame)
        return;
    m_fTimer += g_FrameFacts.frameTime;
    // Without a sound device no track can play: stepping through them every 2 s would only
    // repeat the sound manager's complaint.
    if (g_SoundMgr.Music_IsPlaying() || m_uCount == 0 || !g_SoundMgr.HasDevice()) return;
    if (m_uCurrent == kNone) m_uCurrent = static_cast<uint32_t>(plat::Random()) % m_uCount;
    if (m_fTimer >= kWaitBetweenTracks) {
        m_fTimer = 0.0f;
        Next();
    }
}

void CMusicPlaylist::Render() {}
