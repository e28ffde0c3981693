#include "audio/CSoundMgr.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "audio/CMusicThread.h"
#include "audio/CSoundCache.h"
#include "audio/CSoundWave.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "core/NumericHelpers.h"
#include "platform/os/Files.h"

CSoundMgr g_SoundMgr;

namespace {

constexpr uint32_t kSound2DFlags = snd::BUFFER_CTRLVOLUME | snd::BUFFER_CTRLPAN;
constexpr uint32_t kSound3DFlags = snd::BUFFER_MUTE3DATMAXDISTANCE | snd::BUFFER_CTRLVOLUME | snd::BUFFER_CTRL3D;
constexpr float kDefault3DDistance = 40.0f;
constexpr float kListenerRolloff = 0.4f;

// Holds the music thread's semaphore while a music thread exists, so that the manager's buffer
// and listener calls never run while the thread fills its buffer.
class SoundLock {
public:
    explicit SoundLock(const CSoundMgr& mgr) : m_music(mgr.m_pMusic.get()) {
        if (m_music) m_music->WaitSemaphore();
    }
    ~SoundLock() {
        if (m_music) m_music->ReleaseSemaphore();
    }
    SoundLock(const SoundLock&) = delete;
    SoundLock& operator=(const SoundLock&) = delete;

private:
    CMusicThread* m_music;
};

const char* ErrorName(snd::Result r) {
    struct Name {
        snd::Result result;
        const char* text;
    };
    static constexpr Name kNames[] = {
        {snd::ERR_ALLOCATED, "DSERR_ALLOCATED"},       {snd::ERR_BADFORMAT, "DSERR_BADFORMAT"},
        {snd::ERR_BUFFERTOOSMALL, "DSERR_BUFFERTOOSMALL"}, {snd::ERR_CONTROLUNAVAIL, "DSERR_CONTROLUNAVAIL"},
        {snd::ERR_DS8_REQUIRED, "DSERR_DS8_REQUIRED"}, {snd::ERR_INVALIDCALL, "DSERR_INVALIDCALL"},
        {snd::ERR_INVALIDPARAM, "DSERR_INVALIDPARAM"}, {snd::ERR_NOAGGREGATION, "DSERR_NOAGGREGATION"},
        {snd::ERR_OUTOFMEMORY, "DSERR_OUTOFMEMORY"},   {snd::ERR_UNINITIALIZED, "DSERR_UNINITIALIZED"},
        {snd::ERR_UNSUPPORTED, "DSERR_UNSUPPORTED"},
    };
    for (const Name& n : kNames)
        if (n.result == r) return n.text;
    return nullptr;
}

void LogCreateFailure(const char* name, snd::Result r, uint32_t flags, const snd::WaveFormat& format) {
    g_Console.Print(" ");
    g_Console.Print("ERROR in SoundMgr:");
    g_Console.PrintStr2("WaveFileName: ", name);
    g_Console.Print("CreateSoundBuffer() failed...");
    if (const char* text = ErrorName(r)) g_Console.Print(text);
    if ((flags & snd::BUFFER_CTRL3D) && format.channels != 1) g_Console.Print("---> 3D Sound has to be mono!");
    g_Console.Print(" ");
}

// Linear volume to attenuation in decibels: four straight pieces, full at 0 dB, a half at
// -20 dB, a quarter at -45 dB, an eighth at -70 dB, nothing at -100 dB.
double AttenuationOf(double x) {
    if (x > 0.5) return std::clamp(40.0 * (1.0 - x), 0.0, 20.0);
    if (x > 0.25) return std::clamp(70.0 - 100.0 * x, 20.0, 45.0);
    if (x > 0.125) return std::clamp(95.0 - 200.0 * x, 45.0, 70.0);
    return std::clamp(100.0 - 240.0 * x, 70.0, 100.0);
}

int32_t BufferVolumeOf(double attenuationDb) {
    double v = std::trunc(-100.0 * attenuationDb);
    return static_cast<int32_t>(std::clamp(v, double{snd::VOLUME_MIN}, double{snd::VOLUME_MAX}));
}

snd::Vector3 ToSoundVector(const DV& v) { return {v.x, v.y, v.z}; }

}  // namespace

SoundRecord::SoundRecord() { g_Debug.AddAlloc("strSound"); }

SoundRecord::~SoundRecord() { g_Debug.RemoveAlloc("strSound"); }

CSoundMgr::CSoundMgr() = default;

CSoundMgr::~CSoundMgr() { Release(); }

// ---- start and end ----

void CSoundMgr::Initialize(plat::WindowHandle window) {
    Release();
    m_fUpdateTimer = 0.0f;
    if (snd::Failed(snd::CreateDevice(m_pDS))) {
        g_Console.Print("Sound Initialize Failed... (DirectSoundCreate8)");
        Release();
        return;
    }
    if (snd::Failed(m_pDS->SetCooperativeLevel(window, snd::COOPERATIVE_PRIORITY))) {
        g_Console.Print("Sound Initialize Failed... (SetCooperativeLevel)");
        Release();
        return;
    }
    std::unique_ptr<snd::Buffer> primary;
    if (snd::Failed(m_pDS->CreateSoundBuffer({snd::BUFFER_PRIMARY, 0, nullptr}, primary))) {
        g_Console.Print("Sound Initialize Failed (Create Primary Buffer)...");
        Release();
        return;
    }
    if (snd::Failed(primary->SetFormat(snd::Pcm16Format(2, 44100)))) {
        g_Console.Print("Sound Initialize Failed (SetPrimaryBufferFormat)...");
        Release();
        return;
    }
    primary.reset();
    InitListener();
    CommitListener();
    m_fMasterVolume = 1.0f;
    m_fMusicVolume = 1.0f;
}

// Without the primary buffer of 3-D control there is no listener and 3-D sounds still play,
// faded by the distance rule alone.
bool CSoundMgr::InitListener() {
    std::unique_ptr<snd::Buffer> primary;
    if (snd::Failed(m_pDS->CreateSoundBuffer({snd::BUFFER_PRIMARY | snd::BUFFER_CTRL3D, 0, nullptr}, primary)))
        return false;
    m_pDSListener = primary->GetListener();
    if (!m_pDSListener) return false;
    g_Debug.AddAlloc("m_pDSListener");
    m_pDSListener->SetVelocity({}, snd::APPLY_DEFERRED);
    m_pDSListener->SetDistanceFactor(1.0f, snd::APPLY_DEFERRED);
    m_pDSListener->SetRolloffFactor(kListenerRolloff, snd::APPLY_DEFERRED);
    return true;
}

void CSoundMgr::Release() {
    ReleaseAllSounds();
    ClearSoundCache();
    if (m_pDSListener) g_Debug.RemoveAlloc("m_pDSListener");
    m_pDSListener = nullptr;
    Music_Release();
    m_pDS.reset();
}

// ---- creating and playing ----

SoundRecord* CSoundMgr::CreateSoundBuffer(const char* name, uint32_t flags) {
    if (!g_Settings.m_bSound) return nullptr;
    ReleaseFinishedSounds();
    if (!m_pDS || !name || !*name) return nullptr;

    SoundLock lock(*this);
    auto sound = std::make_unique<SoundRecord>();
    sound->m_pNext = m_pSounds;
    std::strncpy(sound->m_szFileName, name, sizeof sound->m_szFileName - 1);

    const CSoundCache::Entry* cached = nullptr;
    std::unique_ptr<CSoundWave> ownWave;
    const CSoundWave* wave = nullptr;
    if (g_SoundCache.Find(name, cached)) {
        wave = cached->m_pWave.get();
    } else {
        ownWave = std::make_unique<CSoundWave>();
        if (!ownWave->LoadWaveFromFile(name)) {
            g_Console.Print("ERROR: SoundMgr  *** Sound loading problem!");
            g_Console.PrintStr2("WaveFileName: ", name);
            g_Console.Print(" ");
            return nullptr;
        }
        wave = ownWave.get();
    }

    sound->m_Format = wave->m_Format;
    snd::Result r = m_pDS->CreateSoundBuffer({flags, wave->m_uDataSize, &wave->m_Format}, sound->m_pBuffer);
    if (snd::Failed(r)) {
        LogCreateFailure(name, r, flags, wave->m_Format);
        return nullptr;
    }
    FillSoundBuffer(sound.get(), wave);
    m_pSounds = sound.release();
    return m_pSounds;
}

bool CSoundMgr::FillSoundBuffer(SoundRecord* sound, const CSoundWave* wave) {
    if (!wave || !sound->m_pBuffer) return false;
    snd::Buffer* buffer = sound->m_pBuffer.get();
    RestoreBuffer(buffer);
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    if (snd::Failed(buffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, snd::LOCK_ENTIREBUFFER))) return false;
    std::memset(part1, wave->m_Format.bitsPerSample == 8 ? 128 : 0, bytes1);
    std::memcpy(part1, wave->m_pData.get(), std::min(bytes1, wave->m_uDataSize));
    buffer->Unlock(part1, bytes1, part2, bytes2);
    return true;
}

bool CSoundMgr::RestoreBuffer(snd::Buffer* buffer) {
    uint32_t status = 0;
    buffer->GetStatus(&status);
    if (!(status & snd::STATUS_BUFFERLOST)) return false;
    while (buffer->Restore() == snd::ERR_BUFFERLOST) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return true;
}

SoundRecord* CSoundMgr::CreateSound(const char* name, bool frequencyControl) {
    SoundRecord* sound =
        CreateSoundBuffer(name, kSound2DFlags | (frequencyControl ? snd::BUFFER_CTRLFREQUENCY : 0));
    if (!sound) return nullptr;
    SetVolume(sound, 1.0f);
    sound->m_bFrequencyControl = frequencyControl;
    return sound;
}

SoundRecord* CSoundMgr::CreateSound3D(const char* name, bool frequencyControl) {
    SoundRecord* sound =
        CreateSoundBuffer(name, kSound3DFlags | (frequencyControl ? snd::BUFFER_CTRLFREQUENCY : 0));
    if (!sound) {
        // With sound switched off, or no device since a failed start (reported then), every
        // request is refused in silence; only a real failure is news.
        if (g_Settings.m_bSound && m_pDS) g_Console.PrintStr2("Failed to create Sound3D ", name ? name : "");
        return nullptr;
    }
    sound->m_fDistance = kDefault3DDistance;
    sound->m_b3D = 1;
    sound->m_bFrequencyControl = frequencyControl;
    SetVolume(sound, 1.0f);
    {
        SoundLock lock(*this);
        sound->m_p3DBuffer = sound->m_pBuffer->Get3DBuffer();
        if (!sound->m_p3DBuffer) {
            g_Console.Print("ERROR in CSoundMgr::CreateSound3D() problems with 3D buffer...");
        } else {
            sound->m_p3DBuffer->SetMode(snd::MODE3D_NORMAL, snd::APPLY_DEFERRED);
            sound->m_p3DBuffer->SetVelocity({}, snd::APPLY_DEFERRED);
        }
    }
    CommitListener();
    return sound;
}

void CSoundMgr::PlaySound(SoundRecord* sound, bool loop) {
    if (!g_Settings.m_bSound || !sound || !sound->m_pBuffer) return;
    {
        SoundLock lock(*this);
        sound->m_bLooping = loop;
        if (RestoreBuffer(sound->m_pBuffer.get())) {
            // A restored buffer has lost its samples: write them again.
            const CSoundCache::Entry* cached = nullptr;
            CSoundWave reloaded;
            if (g_SoundCache.Find(sound->m_szFileName, cached)) {
                FillSoundBuffer(sound, cached->m_pWave.get());
            } else if (reloaded.LoadWaveFromFile(sound->m_szFileName)) {
                FillSoundBuffer(sound, &reloaded);
            } else {
                g_Console.Print("ERROR in CSoundMgr::PlaySound(): Sound loading problem!");
                g_Console.PrintStr2("WaveFileName: ", sound->m_szFileName);
            }
        }
        sound->m_pBuffer->Play(loop ? snd::PLAY_LOOPING : 0);
    }
    if (sound->m_b3D) {
        UpdateSoundVolume(sound);
        CommitListener();
    }
}

void CSoundMgr::PlaySound3DAt(const char* name, const DV* position, float distance) {
    if (!g_Settings.m_bSound) return;
    SoundRecord* sound = CreateSound3D(name, false);
    if (!sound) return;
    sound->m_bAutoRelease = 1;
    if (position) SetSoundPosition(sound, *position);
    SetSoundDistance(sound, distance);
    SetVolume(sound, 1.0f);
    PlaySound(sound, false);
    CommitListener();
}

void CSoundMgr::PlaySound2D(const char* name, float volume, float pan) {
    if (!g_Settings.m_bSound) return;
    SoundRecord* sound = CreateSound(name, false);
    if (!sound) return;
    sound->m_bAutoRelease = 1;
    SetVolume(sound, volume);
    SetPan(sound, pan);
    PlaySound(sound, false);
}

SoundRecord* CSoundMgr::CreatePlayingSound3D(const char* name, const DV* position, float distance,
                                             bool play, bool loop, bool frequencyControl) {
    if (!name || !position || !plat::FileExists(name)) return nullptr;
    SoundRecord* sound = CreateSound3D(name, frequencyControl);
    if (!sound) return nullptr;
    SetSoundPosition(sound, *position);
    SetSoundDistance(sound, distance);
    if (play) {
        PlaySound(sound, loop);
        CommitListener();
    }
    return sound;
}

// ---- per-sound settings ----

void CSoundMgr::SetVolume(SoundRecord* sound, float volume) {
    if (!sound || !sound->m_pBuffer) return;
    double x = std::clamp(double{volume} * sound->m_fBaseVolume, 0.0, 1.0);
    x = std::clamp(x * m_fMasterVolume, 0.0, 1.0);
    SoundLock lock(*this);
    sound->m_pBuffer->SetVolume(BufferVolumeOf(AttenuationOf(x)));
}

void CSoundMgr::SetVolumeDb(SoundRecord* sound, double attenuationDb) {
    if (!sound || !sound->m_pBuffer) return;
    SoundLock lock(*this);
    sound->m_pBuffer->SetVolume(BufferVolumeOf(std::clamp(attenuationDb, 0.0, 100.0)));
}

void CSoundMgr::SetSoundBaseVolume(SoundRecord* sound, float volume) {
    if (!sound) return;
    sound->m_fBaseVolume = std::clamp(volume, 0.0f, 1.0f);
}

void CSoundMgr::SetPan(SoundRecord* sound, float pan) {
    if (!sound || !sound->m_pBuffer) return;
    float p = std::clamp(pan, -1.0f, 1.0f);
    SoundLock lock(*this);
    sound->m_pBuffer->SetPan(static_cast<int32_t>(std::trunc(p * 10000.0f)));
}

void CSoundMgr::SetFrequency(SoundRecord* sound, float hertz) {
    if (!sound || !sound->m_pBuffer || !sound->m_bFrequencyControl) return;
    // Below zero counts as a very large unsigned value, so it ends at the top of the range.
    constexpr double kLowest = 100.0;
    constexpr double kHighest = 100000.0;
    double t = std::trunc(double{hertz});
    uint32_t hz = !(t >= 0.0) || t > kHighest ? uint32_t(kHighest) : t < kLowest ? uint32_t(kLowest) : uint32_t(t);
    sound->m_pBuffer->SetFrequency(hz);
}

void CSoundMgr::SetSoundPosition(SoundRecord* sound, const DV& position) {
    if (!sound || !sound->m_b3D || !sound->m_p3DBuffer) return;
    {
        SoundLock lock(*this);
        sound->m_p3DBuffer->SetPosition(ToSoundVector(position), snd::APPLY_DEFERRED);
        sound->m_vPosition = position;
    }
    UpdateSoundVolume(sound);
}

// Minimum and maximum distance alike: the device applies no roll-off of its own and mutes the
// sound beyond it; the fading is the manager's distance rule.
void CSoundMgr::SetSoundDistance(SoundRecord* sound, float distance) {
    if (!sound || !sound->m_b3D || !sound->m_p3DBuffer) return;
    float d = std::max(distance, 1.0f);
    SoundLock lock(*this);
    sound->m_p3DBuffer->SetMaxDistance(d, snd::APPLY_DEFERRED);
    sound->m_p3DBuffer->SetMinDistance(d, snd::APPLY_DEFERRED);
    sound->m_fDistance = d;
}

bool CSoundMgr::IsPlaying(SoundRecord* sound) {
    if (!sound || !sound->m_pBuffer) return false;
    SoundLock lock(*this);
    uint32_t status = 0;
    sound->m_pBuffer->GetStatus(&status);
    return (status & snd::STATUS_PLAYING) != 0;
}

void CSoundMgr::StopSound(SoundRecord* sound) {
    if (!sound || !sound->m_pBuffer) return;
    SoundLock lock(*this);
    sound->m_pBuffer->Stop();
}

void CSoundMgr::ReleaseSound(SoundRecord* sound) {
    if (!sound) return;
    SoundLock lock(*this);
    if (sound->m_pBuffer) sound->m_pBuffer->Stop();
    sound->m_p3DBuffer = nullptr;
    sound->m_pBuffer.reset();
    Unlink(sound);
    delete sound;
}

void CSoundMgr::Unlink(SoundRecord* sound) {
    SoundRecord** link = &m_pSounds;
    while (*link && *link != sound) link = &(*link)->m_pNext;
    if (*link) *link = sound->m_pNext;
}

// Full up to about 9 % of the sound's distance, then falling linearly to silence at about 91 %.
void CSoundMgr::UpdateSoundVolume(SoundRecord* sound) {
    if (!sound || !sound->m_b3D) return;
    float r = pmath::Length(m_vListenerPosition - sound->m_vPosition);
    float v = (1.0f - r / sound->m_fDistance) * 1.1f;
    if (v < 0.1f) v = 0.0f;
    if (v > 1.0f) v = 1.0f;
    SetVolume(sound, v);
}

// ---- listener and the whole list ----

void CSoundMgr::SetListenerPosition(const DV& position) {
    m_vListenerPosition = position;
    if (!m_pDSListener) return;
    SoundLock lock(*this);
    m_pDSListener->SetPosition(ToSoundVector(position), snd::APPLY_DEFERRED);
}

void CSoundMgr::SetListenerOrientation(const DV& front, const DV& top) {
    if (!m_pDSListener) return;
    SoundLock lock(*this);
    m_pDSListener->SetOrientation(ToSoundVector(front), ToSoundVector(top), snd::APPLY_DEFERRED);
}

void CSoundMgr::CommitListener() {
    if (!m_pDSListener) return;
    SoundLock lock(*this);
    m_pDSListener->CommitDeferredSettings();
}

void CSoundMgr::ReleaseAllSounds() {
    while (m_pSounds) ReleaseSound(m_pSounds);
}

void CSoundMgr::StopAllSounds() {
    for (SoundRecord* s = m_pSounds; s; s = s->m_pNext) StopSound(s);
}

void CSoundMgr::ReleaseFinishedSounds() {
    SoundRecord* s = m_pSounds;
    while (s) {
        SoundRecord* next = s->m_pNext;
        if (s->m_bAutoRelease && !IsPlaying(s)) ReleaseSound(s);
        s = next;
    }
}

void CSoundMgr::SetMasterVolume(float volume) {
    m_fMasterVolume = std::sqrt(std::max(volume, 0.0f));
    for (SoundRecord* s = m_pSounds; s; s = s->m_pNext) SetVolume(s, s->m_fStoredVolume);
}

void CSoundMgr::Update() {
    m_fUpdateTimer -= g_FrameFacts.frameTime;
    if (m_fUpdateTimer > 0.0f) return;
    m_fUpdateTimer = RandomFloat(0.1f) + 0.1f;
    for (SoundRecord* s = m_pSounds; s; s = s->m_pNext)
        if (s->m_b3D) UpdateSoundVolume(s);
    CommitListener();
    ReleaseFinishedSounds();
}

// ---- music ----

void CSoundMgr::Music_Play(const char* path, bool loop) {
    if (!path) return;
    Music_Stop();
    Music_Release();
    FILE* file = plat::OpenFile(path, "rb");
    if (!file) {
        g_Console.Print(" ");
        g_Console.Print("ERROR in CSoundMgr::Music_Play(): Music file doesn't exist!");
        g_Console.PrintStr2("Music File: ", path);
        g_Console.Print(" ");
        return;
    }
    std::fclose(file);
    if (!m_pDS) {
        g_Console.Print("Music_Play !m_pDS");
        return;
    }
    m_pMusic = std::make_unique<CMusicThread>(m_pDS.get());
    g_Debug.AddAlloc("CMusicThread");
    if (m_pMusic->Load(path)) {
        m_pMusic->Play(m_fMusicVolume, 0.0, loop);
        return;
    }
    g_Console.Print(" ");
    g_Console.Print("ERROR in CSoundMgr::Music_Play(): loading failed...");
    g_Console.PrintStr2("Music File: ", path);
    g_Console.Print(" ");
    Music_Release();
}

void CSoundMgr::Music_SetVolume(float volume) {
    if (volume == m_fMusicVolume) return;
    m_fMusicVolume = volume;
    if (!m_pMusic) return;
    SoundLock lock(*this);
    m_pMusic->SetVolume(std::pow(0.3 * volume, 0.25));
}

void CSoundMgr::Music_Pause() {
    if (m_pMusic) m_pMusic->Pause();
}

void CSoundMgr::Music_Resume() {
    if (m_pMusic) m_pMusic->Resume();
}

void CSoundMgr::Music_Stop() {
    if (m_pMusic) m_pMusic->Stop();
}

bool CSoundMgr::Music_IsPlaying() { return m_pMusic && m_pMusic->IsPlaying(); }

void CSoundMgr::Music_Release() {
    if (!m_pMusic) return;
    m_pMusic.reset();
    g_Debug.RemoveAlloc("CMusicThread");
}
