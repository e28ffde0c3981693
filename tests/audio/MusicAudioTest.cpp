#include <chrono>
#include <thread>

#include "SoundFixture.h"
#include "platform/sound/OpenALSound.h"

namespace {

constexpr uint32_t kOutputRate = 44100;

class MusicAudioTest : public SoundTest {
protected:
    void SetUp() override {
        if (!snd::LoopbackAvailable()) GTEST_SKIP() << "no OpenAL loopback device";
        SoundTest::SetUp();
        test::UseLoopbackAudio(kOutputRate);
        g_SoundMgr.Initialize(nullptr);
        ASSERT_NE(g_SoundMgr.m_pDS, nullptr);
    }
    void TearDown() override {
        SoundTest::TearDown();
        snd::UseLoopbackDevice(false);
    }

    // The frequency heard in `seconds` of the mix, rendered at the pace of real time so that the
    // music thread keeps up; blocks that the thread left silent, wholly or in part (a busy machine
    // can starve it for a moment), are not counted.
    static double HeardFrequency(double seconds) {
        constexpr uint32_t kBlock = kOutputRate / 100;
        int16_t out[kBlock * 2];
        uint64_t crossings = 0, frames = 0;
        bool positive = true;
        for (int b = 0; b < static_cast<int>(seconds * 100); ++b) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_TRUE(snd::RenderLoopback(out, kBlock));
            int peak = 0, blockCrossings = 0, quietRun = 0, longestQuietRun = 0;
            for (uint32_t i = 0; i < kBlock; ++i) {
                int v = out[2 * i];
                peak = std::max(peak, std::abs(v));
                quietRun = std::abs(v) < 1000 ? quietRun + 1 : 0;
                longestQuietRun = std::max(longestQuietRun, quietRun);
                // Counted with hysteresis, so noise round zero adds nothing.
                if ((positive && v < -1000) || (!positive && v > 1000)) {
                    positive = !positive;
                    ++blockCrossings;
                }
            }
            // The first 0.2 s fade in; a sine this loud is near zero for a few samples at a time only.
            if (b < 20 || peak < 2000 || longestQuietRun > 8) continue;
            crossings += blockCrossings;
            frames += kBlock;
        }
        EXPECT_GT(frames, kOutputRate / 4);
        return frames ? crossings / 2.0 / (static_cast<double>(frames) / kOutputRate) : 0.0;
    }
};

// A track at 48 kHz keeps its pitch on a 44.1 kHz output.
TEST_F(MusicAudioTest, MusicPlaysAtItsOwnSampleRate) {
    for (int rate : {48000, 22050}) {
        std::string path = "Music\\" + std::to_string(rate) + ".ogg";
        WriteFile(path, synth::OggVorbis(2, rate, synth::Sine(2, rate, 1000.0f, 2.0f), 0.6f));
        g_SoundMgr.Music_Play(path.c_str(), true);
        ASSERT_TRUE(g_SoundMgr.Music_IsPlaying());
        EXPECT_NEAR(HeardFrequency(1.0), 1000.0, 15.0) << rate;
        g_SoundMgr.Music_Stop();
    }
}

}  // namespace
