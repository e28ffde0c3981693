#pragma once
// The one object through which the game makes sound: it owns the sound device and the 3-D
// listener, keeps every live sound effect in a list, makes 2-D and 3-D sounds from wave files
// (from the sound cache or straight from the file), fades 3-D sounds by a linear distance rule of
// its own and fronts the music thread. Volumes handed in are linear factors 0..1.
//
// While a music thread exists, its semaphore is taken around every buffer and listener call of
// the manager (frequency changes excepted: the music thread never touches effect buffers).
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "platform/os/Message.h"
#include "platform/sound/SoundDevice.h"

class CMusicThread;
class CSoundWave;

// One live sound effect, handed to callers as a handle and released through the manager.
struct SoundRecord {
    SoundRecord();
    ~SoundRecord();
    SoundRecord(const SoundRecord&) = delete;
    SoundRecord& operator=(const SoundRecord&) = delete;

    char m_szFileName[256] = {};
    std::unique_ptr<snd::Buffer> m_pBuffer;
    snd::WaveFormat m_Format;
    uint8_t m_bAutoRelease = 0;  // freed by the manager once it has stopped playing
    uint8_t m_bLooping = 0;
    float m_fStoredVolume = 1.0f;
    float m_fBaseVolume = 1.0f;
    uint8_t m_b3D = 0;
    DV m_vPosition;
    float m_fDistance = 0.0f;  // a 3-D sound is silent beyond it
    uint8_t m_bFrequencyControl = 0;
    snd::Buffer3D* m_p3DBuffer = nullptr;
    SoundRecord* m_pNext = nullptr;
};

class CSoundMgr {
public:
    CSoundMgr();
    ~CSoundMgr();
    CSoundMgr(const CSoundMgr&) = delete;
    CSoundMgr& operator=(const CSoundMgr&) = delete;

    void Initialize(plat::WindowHandle window);
    void Release();
    // A device was made: without one (a failed Initialize) nothing can sound.
    bool HasDevice() const { return m_pDS != nullptr; }

    SoundRecord* CreateSound(const char* name, bool frequencyControl);
    SoundRecord* CreateSound3D(const char* name, bool frequencyControl);
    void PlaySound(SoundRecord* sound, bool loop);
    void PlaySound3DAt(const char* name, const DV* position, float distance);
    void PlaySound2D(const char* name, float volume, float pan);
    // The caller owns the sound; null when the name or position is missing or there is no file.
    SoundRecord* CreatePlayingSound3D(const char* name, const DV* position, float distance, bool play,
                                      bool loop, bool frequencyControl);

    void SetVolume(SoundRecord* sound, float volume);
    void SetVolumeDb(SoundRecord* sound, double attenuationDb);
    void SetSoundBaseVolume(SoundRecord* sound, float volume);
    void SetPan(SoundRecord* sound, float pan);
    void SetFrequency(SoundRecord* sound, float hertz);
    void SetSoundPosition(SoundRecord* sound, const DV& position);
    void SetSoundDistance(SoundRecord* sound, float distance);
    bool IsPlaying(SoundRecord* sound);
    void StopSound(SoundRecord* sound);
    void ReleaseSound(SoundRecord* sound);
    void UpdateSoundVolume(SoundRecord* sound);

    void SetListenerPosition(const DV& position);
    void SetListenerOrientation(const DV& front, const DV& top);
    void CommitListener();
    void ReleaseAllSounds();
    void StopAllSounds();
    void ReleaseFinishedSounds();
    void SetMasterVolume(float volume);
    // The randomised distance pass; once per frame from the main game.
    void Update();

    void Music_Play(const char* path, bool loop);
    void Music_SetVolume(float volume);
    void Music_Pause();
    void Music_Resume();
    void Music_Stop();
    bool Music_IsPlaying();
    void Music_Release();

    std::unique_ptr<snd::Device> m_pDS;
    snd::Listener* m_pDSListener = nullptr;
    SoundRecord* m_pSounds = nullptr;
    float m_fMasterVolume = 0.0f;
    std::unique_ptr<CMusicThread> m_pMusic;
    float m_fMusicVolume = 0.0f;
    DV m_vListenerPosition;
    float m_fUpdateTimer = 0.0f;

private:
    SoundRecord* CreateSoundBuffer(const char* name, uint32_t flags);
    bool FillSoundBuffer(SoundRecord* sound, const CSoundWave* wave);
    bool RestoreBuffer(snd::Buffer* buffer);
    bool InitListener();
    void Unlink(SoundRecord* sound);
};

extern CSoundMgr g_SoundMgr;
