#include "audio/CMusicThread.h"

#include "audio/CMusicSource.h"
#include "audio/OGG_Stream.h"
#include "SoundFixture.h"

namespace {

// The recording device's play cursor moves only when set, so the fills below are exact. The test
// holds the semaphore while it drives the fills, and the thread waits meanwhile.
class MusicThreadTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_EQ(snd::CreateDevice(m_device), snd::OK);
    }
    void TearDown() override {
        m_music.reset();
        m_device.reset();
        SoundTest::TearDown();
    }
    CMusicThread& Load(const std::string& path) {
        m_music = std::make_unique<CMusicThread>(m_device.get());
        EXPECT_TRUE(m_music->Load(path.c_str()));
        return *m_music;
    }
    // One fill with the play cursor at `cursor`.
    void FillAt(uint32_t cursor) {
        ASSERT_EQ(m_music->m_pBuffer->SetCurrentPosition(cursor), snd::OK);
        m_music->FillBuffer();
    }

    std::unique_ptr<snd::Device> m_device;
    std::unique_ptr<CMusicThread> m_music;
};

TEST_F(MusicThreadTest, LoadRefusesWhatCannotBePlayed) {
    WriteFile("Music\\text.ogg", std::string(3000, 't'));
    WriteTrack("Music\\ok.ogg");
    CMusicThread music(m_device.get());
    EXPECT_FALSE(music.Load("Music\\none.ogg"));
    EXPECT_FALSE(music.Load("Music\\text.ogg"));
    snd::NullBackend().bufferFailures = 1;
    EXPECT_FALSE(music.Load("Music\\ok.ogg"));
    EXPECT_EQ(music.m_bLoaded, 0);
    EXPECT_EQ(music.m_pBuffer, nullptr);
    music.Play(1.0, 0.0, 1);
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_TRUE(music.Load("Music\\ok.ogg"));
    EXPECT_FALSE(music.Load("Music\\ok.ogg"));
}

TEST_F(MusicThreadTest, TheBufferTakesTheStreamsChannelsAndRate) {
    const struct {
        int channels;
        int rate;
    } cases[] = {{1, 44100}, {2, 48000}, {2, 22050}};
    for (const auto& c : cases) {
        std::string path = "Music\\" + std::to_string(c.rate) + ".ogg";
        WriteTrack(path, 0.1f, c.channels, c.rate);
        CMusicThread& music = Load(path);
        snd::WaveFormat format;
        music.m_pBuffer->GetFormat(&format);
        EXPECT_EQ(format.samplesPerSec, static_cast<uint32_t>(c.rate));
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(music.m_pBuffer->Size(), static_cast<uint32_t>(c.channels * 18432));
    }
}

// A track shorter than the buffer: the stream runs out during the first fills, and the play
// cursor then has to wrap before it reaches the end marker.
TEST_F(MusicThreadTest, ATrackShorterThanTheBufferStopsOrRestartsAtItsEnd) {
    WriteTrack("Music\\short.ogg", 0.1f);  // 8820 bytes of mono audio, the buffer holds 18432
    for (uint8_t loop : {0, 1}) {
        CMusicThread& music = Load("Music\\short.ogg");
        music.Play(1.0, 0.0, loop);
        music.WaitSemaphore();
        FillAt(1024);
        // The stream ran out while writing 0..511 after the wrap: the marker lies behind the cursor.
        EXPECT_EQ(music.m_iEndMarker, 512);
        EXPECT_TRUE(music.m_bWrapPending);
        FillAt(10000);
        FillAt(300);  // wrapped, still short of the marker
        EXPECT_FALSE(music.m_bWrapPending);
        EXPECT_TRUE(music.m_bPlaying);
        FillAt(2000);
        EXPECT_EQ(music.m_bPlaying, loop);
        // Looping, the stream was rewound and the fill went on with the track's start.
        EXPECT_EQ(music.m_iEndMarker, loop ? -1 : 512);
        music.ReleaseSemaphore();
        EXPECT_EQ(music.IsPlaying(), loop != 0);
    }
}

TEST_F(MusicThreadTest, PlayingAgainRestartsFromTheBeginning) {
    WriteTrack("Music\\long.ogg", 1.0f);
    CMusicThread& music = Load("Music\\long.ogg");
    music.Play(1.0, 0.0, 1);
    music.WaitSemaphore();
    FillAt(1024);
    std::vector<uint8_t> start(music.m_pBuffer->Data().begin() + 512, music.m_pBuffer->Data().begin() + 3584);
    FillAt(9000);
    FillAt(17000);
    FillAt(5000);
    EXPECT_NE(std::vector<uint8_t>(music.m_pBuffer->Data().begin() + 512, music.m_pBuffer->Data().begin() + 3584),
              start);
    music.ReleaseSemaphore();

    music.Play(1.0, 0.0, 1);
    music.WaitSemaphore();
    FillAt(1024);
    EXPECT_EQ(music.m_iWriteCursor, 512);
    EXPECT_EQ(std::vector<uint8_t>(music.m_pBuffer->Data().begin() + 512, music.m_pBuffer->Data().begin() + 3584),
              start);
    music.ReleaseSemaphore();
}

TEST_F(MusicThreadTest, PauseAndResumeStopAndRestartTheBuffer) {
    WriteTrack("Music\\long.ogg", 1.0f);
    CMusicThread& music = Load("Music\\long.ogg");
    music.Play(0.5, -0.25, 1);
    int32_t volume = 0, pan = 0;
    music.m_pBuffer->GetVolume(&volume);
    music.m_pBuffer->GetPan(&pan);
    EXPECT_EQ(volume, -2500);
    EXPECT_EQ(pan, -2500);
    music.Pause();
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_EQ(music.m_bPlaying, 0);
    music.Resume();
    EXPECT_TRUE(music.IsPlaying());
    EXPECT_EQ(music.m_bPlaying, 1);
    music.SetVolume(0.04);
    music.m_pBuffer->GetVolume(&volume);
    EXPECT_EQ(volume, -10000);
}

}  // namespace
