#include "platform/sound/OpenALSound.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "support/TestSupport.h"

namespace {

constexpr uint32_t kRate = 44100;

class OpenALSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!snd::LoopbackAvailable()) GTEST_SKIP() << "no OpenAL loopback device";
        test::ResetPlatform();
        test::UseLoopbackAudio(kRate);
        ASSERT_EQ(snd::CreateDevice(m_device), snd::OK);
    }
    void TearDown() override {
        m_device.reset();
        snd::UseLoopbackDevice(false);
    }
    // A mono 16-bit sine of 1 s.
    std::unique_ptr<snd::Buffer> Sine(uint32_t flags) {
        snd::WaveFormat format = snd::Pcm16Format(1, kRate);
        std::unique_ptr<snd::Buffer> buffer;
        EXPECT_EQ(m_device->CreateSoundBuffer({flags, kRate * 2, &format}, buffer), snd::OK);
        void *p1 = nullptr, *p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        buffer->Lock(0, 0, &p1, &n1, &p2, &n2, snd::LOCK_ENTIREBUFFER);
        auto* s = static_cast<int16_t*>(p1);
        for (uint32_t i = 0; i < n1 / 2; ++i) s[i] = static_cast<int16_t>(12000 * std::sin(6.2831853 * 1000.0 * i / kRate));
        buffer->Unlock(p1, n1, p2, n2);
        return buffer;
    }
    // The loudest sample of the next `frames` frames of the mix.
    static int Peak(uint32_t frames) {
        std::vector<int16_t> out(frames * 2);
        EXPECT_TRUE(snd::RenderLoopback(out.data(), frames));
        int peak = 0;
        for (int16_t v : out) peak = std::max(peak, std::abs(int{v}));
        return peak;
    }

    // Gain changes are faded in over a short while, and the output is dithered.
    static void Settle() { Peak(8192); }
    static constexpr int kSilent = 50;

    std::unique_ptr<snd::Device> m_device;
};

TEST_F(OpenALSoundTest, APlayingBufferIsHeardAndSilencedByVolumeAndStop) {
    auto buffer = Sine(snd::BUFFER_CTRLVOLUME);
    EXPECT_LT(Peak(2048), kSilent);
    buffer->Play(snd::PLAY_LOOPING);
    Settle();
    int loud = Peak(2048);
    EXPECT_GT(loud, 3000);
    buffer->SetVolume(-2000);  // a tenth of the amplitude
    Settle();
    int quiet = Peak(4096);
    EXPECT_GT(quiet, loud / 20);
    EXPECT_LT(quiet, loud / 5);
    buffer->SetVolume(snd::VOLUME_MIN);
    Settle();
    EXPECT_LT(Peak(4096), kSilent);
    buffer->SetVolume(0);
    buffer->Stop();
    Settle();
    EXPECT_LT(Peak(2048), kSilent);
}

TEST_F(OpenALSoundTest, AThreeDBufferIsMutedBeyondItsMaximumDistance) {
    auto buffer = Sine(snd::BUFFER_CTRL3D | snd::BUFFER_CTRLVOLUME | snd::BUFFER_MUTE3DATMAXDISTANCE);
    std::unique_ptr<snd::Buffer> primary;
    ASSERT_EQ(m_device->CreateSoundBuffer({snd::BUFFER_PRIMARY | snd::BUFFER_CTRL3D, 0, nullptr}, primary), snd::OK);
    snd::Listener* listener = primary->GetListener();
    snd::Buffer3D* b3d = buffer->Get3DBuffer();
    b3d->SetMinDistance(10.0f, snd::APPLY_DEFERRED);
    b3d->SetMaxDistance(10.0f, snd::APPLY_DEFERRED);
    b3d->SetPosition({0, 0, 5}, snd::APPLY_DEFERRED);
    listener->CommitDeferredSettings();
    buffer->Play(snd::PLAY_LOOPING);
    EXPECT_GT(Peak(2048), 3000);
    b3d->SetPosition({0, 0, 12}, snd::APPLY_DEFERRED);
    listener->CommitDeferredSettings();
    Settle();
    EXPECT_LT(Peak(2048), kSilent);
}

// The streaming buffer's cursor is where the ring has been handed on for playing: read as often
// as its owner reads it, it runs on with the mix rendered, and stays when stopped.
TEST_F(OpenALSoundTest, TheStreamingCursorAdvancesWithPlayback) {
    auto buffer = Sine(snd::BUFFER_GETCURRENTPOSITION2 | snd::BUFFER_CTRLVOLUME);
    buffer->SetCurrentPosition(1024);
    buffer->Play(snd::PLAY_LOOPING);
    uint32_t previous = 0;
    buffer->GetCurrentPosition(&previous, nullptr);
    uint64_t moved = 0;
    int peak = 0;
    for (int block = 0; block < 50; ++block) {  // half a second in blocks of 10 ms
        peak = std::max(peak, Peak(kRate / 100));
        uint32_t cursor = 0;
        buffer->GetCurrentPosition(&cursor, nullptr);
        moved += (cursor + buffer->Size() - previous) % buffer->Size();
        previous = cursor;
    }
    EXPECT_GT(peak, 3000);
    EXPECT_NEAR(static_cast<double>(moved), kRate, kRate * 0.1);  // 2-byte frames
    buffer->Stop();
    uint32_t stopped = 0;
    buffer->GetCurrentPosition(&stopped, nullptr);
    Peak(4096);
    uint32_t still = 0;
    buffer->GetCurrentPosition(&still, nullptr);
    EXPECT_EQ(still, stopped);
}

}  // namespace
