#include "audio/CSoundMgr.h"

#include <cmath>

#include <strings.h>

#include "audio/CMusicThread.h"
#include "core/EDebug.h"
#include "SoundFixture.h"

namespace {

class SoundMgrTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        g_SoundMgr.Initialize(nullptr);
        WriteWave("sounds\\mono.wav");
        WriteWave("sounds\\stereo.wav", 2);
    }
    static int32_t Volume(SoundRecord* s) {
        int32_t v = 1;
        s->m_pBuffer->GetVolume(&v);
        return v;
    }
    static uint32_t Frequency(SoundRecord* s) {
        uint32_t f = 0;
        s->m_pBuffer->GetFrequency(&f);
        return f;
    }
    static int Count() {
        int n = 0;
        for (SoundRecord* s = g_SoundMgr.m_pSounds; s; s = s->m_pNext) ++n;
        return n;
    }
};

TEST_F(SoundMgrTest, TheVolumeCurveIsPiecewiseLinearInDecibels) {
    SoundRecord* sound = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    ASSERT_NE(sound, nullptr);
    const struct {
        float volume;
        int32_t buffer;
    } cases[] = {{1.0f, 0},      {0.75f, -1000}, {0.5f, -2000}, {0.375f, -3250}, {0.25f, -4500},
                 {0.125f, -7000}, {0.0625f, -8500}, {0.0f, -10000}, {-1.0f, -10000}, {2.0f, 0}};
    for (const auto& c : cases) {
        g_SoundMgr.SetVolume(sound, c.volume);
        EXPECT_EQ(Volume(sound), c.buffer) << c.volume;
    }
    g_SoundMgr.SetSoundBaseVolume(sound, 0.5f);
    g_SoundMgr.SetVolume(sound, 1.0f);
    EXPECT_EQ(Volume(sound), -2000);
    g_SoundMgr.SetVolumeDb(sound, 33.5);
    EXPECT_EQ(Volume(sound), -3350);
    g_SoundMgr.SetVolumeDb(sound, 150.0);
    EXPECT_EQ(Volume(sound), -10000);
}

TEST_F(SoundMgrTest, ThreeDSoundsFadeLinearlyWithDistance) {
    SoundRecord* sound = g_SoundMgr.CreateSound3D("sounds\\mono.wav", false);
    ASSERT_NE(sound, nullptr);
    g_SoundMgr.SetSoundDistance(sound, 40.0f);
    g_SoundMgr.SetListenerPosition({10.0f, 0.0f, 0.0f});
    const struct {
        float distance;
        int32_t buffer;
    } cases[] = {{0.0f, 0}, {2.0f, 0}, {20.0f, -1799}, {36.0f, -7359}, {37.0f, -10000}, {40.0f, -10000}, {80.0f, -10000}};
    for (const auto& c : cases) {
        g_SoundMgr.SetSoundPosition(sound, {10.0f, 0.0f, c.distance});
        EXPECT_EQ(Volume(sound), c.buffer) << c.distance;
    }
}

TEST_F(SoundMgrTest, SoundDistanceIsAtLeastOneAndSetsBothDeviceDistances) {
    SoundRecord* sound = g_SoundMgr.CreateSound3D("sounds\\mono.wav", false);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->m_fDistance, 40.0f);
    g_SoundMgr.SetSoundDistance(sound, 0.5f);
    EXPECT_EQ(sound->m_fDistance, 1.0f);
    EXPECT_EQ(sound->m_p3DBuffer->Pending().maxDistance, 1.0f);
    EXPECT_EQ(sound->m_p3DBuffer->Pending().minDistance, 1.0f);
    // Deferred until the listener commits.
    EXPECT_NE(sound->m_p3DBuffer->Current().maxDistance, 1.0f);
    g_SoundMgr.CommitListener();
    EXPECT_EQ(sound->m_p3DBuffer->Current().maxDistance, 1.0f);
}

TEST_F(SoundMgrTest, FrequencyIsClampedAndNeedsFrequencyControl) {
    SoundRecord* sound = g_SoundMgr.CreateSound("sounds\\mono.wav", true);
    ASSERT_NE(sound, nullptr);
    const struct {
        float hertz;
        uint32_t set;
    } cases[] = {{50.0f, 100}, {200000.0f, 100000}, {-5.0f, 100000}, {11025.7f, 11025}, {100000.0f, 100000}};
    for (const auto& c : cases) {
        g_SoundMgr.SetFrequency(sound, c.hertz);
        EXPECT_EQ(Frequency(sound), c.set) << c.hertz;
    }
    SoundRecord* fixed = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    g_SoundMgr.SetFrequency(fixed, 8000.0f);
    EXPECT_EQ(Frequency(fixed), 22050u);
}

TEST_F(SoundMgrTest, MasterVolumeResetsEverySoundToItsBaseVolume) {
    SoundRecord* a = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    SoundRecord* b = g_SoundMgr.CreateSound3D("sounds\\mono.wav", false);
    g_SoundMgr.SetVolume(a, 0.1f);
    g_SoundMgr.SetSoundBaseVolume(b, 0.5f);
    g_SoundMgr.SetMasterVolume(0.25f);
    EXPECT_FLOAT_EQ(g_SoundMgr.m_fMasterVolume, 0.5f);
    EXPECT_EQ(Volume(a), -2000);
    EXPECT_EQ(Volume(b), -4500);
}

TEST_F(SoundMgrTest, PanIsClampedToTheSides) {
    SoundRecord* sound = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    for (auto [pan, expected] : {std::pair{-3.0f, -10000}, {0.25f, 2500}, {1.5f, 10000}}) {
        g_SoundMgr.SetPan(sound, pan);
        int32_t set = 0;
        sound->m_pBuffer->GetPan(&set);
        EXPECT_EQ(set, expected) << pan;
    }
}

TEST_F(SoundMgrTest, AStereoWaveCannotBeAThreeDSound) {
    EXPECT_EQ(g_SoundMgr.CreateSound3D("sounds\\stereo.wav", false), nullptr);
    EXPECT_TRUE(Logged("CreateSoundBuffer() failed..."));
    EXPECT_TRUE(Logged("DSERR_INVALIDPARAM"));
    EXPECT_TRUE(Logged("---> 3D Sound has to be mono!"));
    EXPECT_TRUE(Logged("Failed to create Sound3D sounds\\stereo.wav"));
    EXPECT_EQ(Count(), 0);
    EXPECT_NE(g_SoundMgr.CreateSound("sounds\\stereo.wav", false), nullptr);
}

TEST_F(SoundMgrTest, RefusedRequestsGiveNullAndLeaveNoRecord) {
    EXPECT_EQ(g_SoundMgr.CreateSound("sounds\\none.wav", false), nullptr);
    EXPECT_TRUE(Logged("ERROR: SoundMgr  *** Sound loading problem!"));
    EXPECT_TRUE(Logged("WaveFileName: sounds\\none.wav"));
    EXPECT_EQ(g_SoundMgr.CreateSound("", false), nullptr);
    snd::NullBackend().bufferFailures = 1;
    EXPECT_EQ(g_SoundMgr.CreateSound("sounds\\mono.wav", false), nullptr);
    EXPECT_TRUE(Logged("DSERR_OUTOFMEMORY"));
    EXPECT_EQ(g_SoundMgr.CreatePlayingSound3D("sounds\\none.wav", &g_SoundMgr.m_vListenerPosition, 10, true, false,
                                              false),
              nullptr);
    EXPECT_EQ(g_SoundMgr.CreatePlayingSound3D("sounds\\mono.wav", nullptr, 10, true, false, false), nullptr);
    g_Settings.m_bSound = 0;
    EXPECT_EQ(g_SoundMgr.CreateSound("sounds\\mono.wav", false), nullptr);
    // Switched off, a 3-D sound is refused silently too.
    EXPECT_EQ(g_SoundMgr.CreateSound3D("sounds\\mono.wav", false), nullptr);
    EXPECT_FALSE(Logged("Failed to create Sound3D sounds\\mono.wav"));
    g_SoundMgr.PlaySound2D("sounds\\mono.wav", 1.0f, 0.0f);
    EXPECT_EQ(Count(), 0);
}

TEST_F(SoundMgrTest, OneShotSoundsAreReleasedOnceFinished) {
    g_SoundMgr.PlaySound2D("sounds\\mono.wav", 1.0f, 0.0f);
    DV at{1, 2, 3};
    g_SoundMgr.PlaySound3DAt("sounds\\mono.wav", &at, 30.0f);
    SoundRecord* kept = g_SoundMgr.CreatePlayingSound3D("sounds\\mono.wav", &at, 30.0f, true, false, false);
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(g_SoundMgr.m_pSounds->m_pNext->m_vPosition.z, 3.0f);
    g_FrameFacts.frameTime = 1.0f;
    g_SoundMgr.Update();
    EXPECT_EQ(Count(), 3);

    snd::AdvanceNullPlayback(400);  // the whole wave
    g_SoundMgr.Update();
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(g_SoundMgr.m_pSounds, kept);
    EXPECT_FALSE(g_SoundMgr.IsPlaying(kept));
    EXPECT_GT(g_SoundMgr.m_fUpdateTimer, 0.1f - 1e-6f);
    EXPECT_LE(g_SoundMgr.m_fUpdateTimer, 0.2f);
}

TEST_F(SoundMgrTest, ReleasingASoundKeepsTheRestOfTheList) {
    SoundRecord* a = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    SoundRecord* b = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    SoundRecord* c = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    g_SoundMgr.ReleaseSound(b);
    EXPECT_EQ(g_SoundMgr.m_pSounds, c);
    EXPECT_EQ(c->m_pNext, a);
    g_SoundMgr.ReleaseSound(c);
    EXPECT_EQ(g_SoundMgr.m_pSounds, a);
    g_SoundMgr.ReleaseAllSounds();
    EXPECT_EQ(g_SoundMgr.m_pSounds, nullptr);
}

TEST_F(SoundMgrTest, ALostBufferGetsItsSamplesBackWhenPlayed) {
    SoundRecord* sound = g_SoundMgr.CreateSound("sounds\\mono.wav", false);
    std::vector<uint8_t> samples = sound->m_pBuffer->Data();
    snd::LoseNullBuffers();
    g_SoundMgr.PlaySound(sound, false);
    EXPECT_TRUE(g_SoundMgr.IsPlaying(sound));
    EXPECT_EQ(sound->m_pBuffer->Data(), samples);
}

TEST_F(SoundMgrTest, WithoutADeviceEverythingIsSilentlyRefused) {
    g_SoundMgr.Release();
    snd::NullBackend().noDevice = true;
    g_SoundMgr.Initialize(nullptr);
    EXPECT_TRUE(Logged("Sound Initialize Failed... (DirectSoundCreate8)"));
    EXPECT_FALSE(g_SoundMgr.HasDevice());
    EXPECT_EQ(g_SoundMgr.CreateSound("sounds\\mono.wav", false), nullptr);
    // The machines ask for their engine sounds: refused without a word, the start said why.
    EXPECT_EQ(g_SoundMgr.CreateSound3D("sounds\\mono.wav", false), nullptr);
    EXPECT_FALSE(Logged("Failed to create Sound3D sounds\\mono.wav"));
    g_SoundMgr.PlaySound2D("sounds\\mono.wav", 1.0f, 0.0f);
    g_SoundMgr.Update();
    WriteTrack("Music\\1.ogg");
    g_SoundMgr.Music_Play("Music\\1.ogg", false);
    EXPECT_TRUE(Logged("Music_Play !m_pDS"));
    EXPECT_FALSE(g_SoundMgr.Music_IsPlaying());
}

TEST_F(SoundMgrTest, WithoutAListenerThreeDSoundsStillPlay) {
    g_SoundMgr.Release();
    snd::NullBackend().noListener = true;
    g_SoundMgr.Initialize(nullptr);
    EXPECT_EQ(g_SoundMgr.m_pDSListener, nullptr);
    SoundRecord* sound = g_SoundMgr.CreateSound3D("sounds\\mono.wav", false);
    ASSERT_NE(sound, nullptr);
    g_SoundMgr.SetListenerPosition({0, 0, 0});
    g_SoundMgr.SetSoundPosition(sound, {0, 0, 20});
    g_SoundMgr.PlaySound(sound, true);
    EXPECT_TRUE(g_SoundMgr.IsPlaying(sound));
    EXPECT_EQ(Volume(sound), -1799);
}

TEST_F(SoundMgrTest, MusicVolumeChangesReachTheThreadOnlyWhenTheyDiffer) {
    WriteTrack("Music\\1.ogg");
    g_SoundMgr.Music_Play("Music\\1.ogg", true);
    ASSERT_TRUE(g_SoundMgr.Music_IsPlaying());
    CMusicThread& music = *g_SoundMgr.m_pMusic;
    // A track starts with the stored volume as it is.
    EXPECT_EQ(music.m_dVolume, 1.0);
    g_SoundMgr.Music_SetVolume(1.0f);
    EXPECT_EQ(music.m_dVolume, 1.0);
    g_SoundMgr.Music_SetVolume(0.5f);
    g_SoundMgr.Music_SetVolume(1.0f);
    EXPECT_NEAR(music.m_dVolume, 0.7401, 1e-4);
    int32_t volume = 0;
    music.m_pBuffer->GetVolume(&volume);
    EXPECT_EQ(volume, -1299);
}

TEST_F(SoundMgrTest, MusicThatCannotBeLoadedIsReported) {
    g_SoundMgr.Music_Play("Music\\none.ogg", false);
    EXPECT_TRUE(Logged("ERROR in CSoundMgr::Music_Play(): Music file doesn't exist!"));
    EXPECT_TRUE(Logged("Music File: Music\\none.ogg"));
    WriteFile("Music\\bad.ogg", "this is not an Ogg stream at all");
    g_SoundMgr.Music_Play("Music\\bad.ogg", false);
    EXPECT_TRUE(Logged("ERROR in CSoundMgr::Music_Play(): loading failed..."));
    EXPECT_EQ(g_SoundMgr.m_pMusic, nullptr);
}

TEST_F(SoundMgrTest, WavesAndMusicAreRegisteredExactlyWhileTheyLive) {
    test::ResetGlobal(g_Debug);
    g_Settings.m_iSystemDebug = 1;
    auto allocs = [](const char* tag) {
        for (int i = 0; i < EDebug::kTagSlots; ++i)
            if (g_Debug.m_bTagUsed[i] && !strcasecmp(g_Debug.m_szTagNames[i], tag)) return g_Debug.m_uTagCounts[i];
        return 0u;
    };
    const char* tags[] = {"CSoundWave", "m_pReadedWaveData", "strSound", "CMusicThread",
                          "CMusicSource", "MusicSource.m_pData", "OGG_Stream"};

    ASSERT_TRUE(PreloadSound("sounds\\mono.wav"));
    // A wave read for one sound only is freed once its buffer is filled.
    ASSERT_NE(g_SoundMgr.CreateSound("sounds\\stereo.wav", false), nullptr);
    EXPECT_EQ(g_SoundMgr.CreateSound("sounds\\missing.wav", false), nullptr);
    WriteFile("Music\\bad.ogg", "this is not an Ogg stream at all");
    g_SoundMgr.Music_Play("Music\\bad.ogg", false);
    WriteTrack("Music\\1.ogg");
    g_SoundMgr.Music_Play("Music\\1.ogg", false);
    for (const char* tag : tags) EXPECT_EQ(allocs(tag), 1u) << tag;

    g_SoundMgr.Release();
    for (const char* tag : tags) EXPECT_EQ(allocs(tag), 0u) << tag;
    EXPECT_FALSE(Logged("Remove CSoundWave nie ma odpowiednika!"));
}

}  // namespace
