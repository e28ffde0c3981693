#pragma once
// A temporary start directory with the recording sound backend, fresh sound globals and an open
// console log, plus writers of small wave and Ogg files.
#include <string>
#include <vector>

#include "audio/AudioHooks.h"
#include "audio/CMusicPlaylist.h"
#include "audio/CSoundCache.h"
#include "audio/CSoundMgr.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/sound/NullSound.h"
#include "support/TestSupport.h"
#include "tools/SoundSynth.h"

// The main game's frame count and the engine's level time, as the sound components' hooks read
// them in these tests.
struct SoundGameState {
    uint32_t frame = 0;
    float levelTime = 0;
};
inline SoundGameState g_SoundGame;

class SoundTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        snd::ResetNullSoundBackend();
        test::ResetGlobal(g_Settings);
        g_SoundGame = SoundGameState{};
        g_FrameFacts = FrameFacts{};
        g_AudioHooks.gameFrame = [] { return g_SoundGame.frame; };
        g_AudioHooks.levelTime = [] { return g_SoundGame.levelTime; };
        test::ResetGlobal(g_SoundMgr);
        test::ResetGlobal(g_SoundCache);
        test::ResetGlobal(g_MusicPlaylist);
        g_Console.OpenLog();
    }
    void TearDown() override {
        g_SoundMgr.Release();
        g_AudioHooks = AudioHooks{};
        g_FrameFacts = FrameFacts{};
        g_Console.CloseLog();
        StartDirTest::TearDown();
    }

    std::string Log() const { return ReadFile("!console.txt"); }
    bool Logged(const std::string& line) const { return Log().find(line + "\n") != std::string::npos; }

    // A 16-bit wave of `frames` frames of a ramp, so every byte position is recognisable.
    void WriteWave(const std::string& path, uint16_t channels = 1, uint32_t rate = 22050, uint32_t frames = 200) const {
        std::vector<float> samples(frames * channels);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(i % 200) / 400.0f;
        WriteFile(path, synth::Wave(channels, rate, 16, synth::Pcm16(samples)));
    }

    void WriteTrack(const std::string& path, float seconds = 0.2f, int channels = 1, int rate = 44100) const {
        WriteFile(path, synth::OggVorbis(channels, rate, synth::Sine(channels, rate, 440.0f, seconds)));
    }
};
