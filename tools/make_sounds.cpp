// Writes the demo game's sound effects (sounds\*.wav) and music tracks (Music\*.ogg) into the
// directory given, the assembled game. Everything is synthesised, so the content is our own.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/SoundSynth.h"

namespace fs = std::filesystem;

namespace {

constexpr float kTau = 6.2831853f;
constexpr int kEffectRate = 22050;
constexpr int kMusicRate = 44100;

// A repeatable noise source, so every build writes the same bytes.
class Noise {
public:
    float Next() {
        m_state = m_state * 1103515245u + 12345u;
        return static_cast<float>((m_state >> 9) & 0x7FFF) / 16383.5f - 1.0f;
    }

private:
    uint32_t m_state = 20240601u;
};

bool Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

std::vector<float> Samples(float seconds, int rate = kEffectRate) {
    return std::vector<float>(static_cast<size_t>(seconds * static_cast<float>(rate)));
}

// Whole cycles of every partial in one second, so the loop has no seam; the base frequency is a
// whole number of hertz.
std::vector<float> EngineHum(float base) {
    std::vector<float> s = Samples(1.0f);
    const float partials[][2] = {{base, 0.45f}, {2 * base, 0.25f}, {3 * base, 0.12f}, {4 * base, 0.08f}};
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kEffectRate;
        for (const auto& p : partials) s[i] += p[1] * std::sin(kTau * p[0] * t);
        s[i] *= 0.8f + 0.2f * std::sin(kTau * 5.0f * t);
    }
    return s;
}

std::vector<float> Horn() {
    std::vector<float> s = Samples(0.8f);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kEffectRate;
        float envelope = std::min(1.0f, t / 0.03f) * std::min(1.0f, (0.8f - t) / 0.1f);
        float tone = std::sin(kTau * 392.0f * t) + std::sin(kTau * 494.0f * t);
        s[i] = 0.35f * envelope * std::tanh(2.5f * tone);
    }
    return s;
}

// A starter cranking the engine until it catches and settles into its hum.
std::vector<float> EngineStart() {
    std::vector<float> s = Samples(1.2f);
    float phase = 0.0f;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kEffectRate;
        float caught = std::min(1.0f, std::max(0.0f, (t - 0.5f) / 0.3f));
        float base = 22.0f + 33.0f * caught;
        phase += kTau * base / kEffectRate;
        float crank = 0.5f + 0.5f * std::sin(kTau * 7.0f * t);
        float fade = std::min(1.0f, (1.2f - t) / 0.15f);
        s[i] = fade * (0.45f * std::sin(phase) + 0.2f * std::sin(2 * phase)) * (caught + (1 - caught) * crank);
    }
    return s;
}

std::vector<float> Hit(float thumpHz, float seconds, Noise& noise) {
    std::vector<float> s = Samples(seconds);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kEffectRate;
        s[i] = std::exp(-t * 18.0f) * (0.5f * noise.Next() + 0.6f * std::sin(kTau * thumpHz * t));
    }
    return s;
}

std::vector<float> Mowing(Noise& noise) {
    std::vector<float> s = Samples(1.0f);
    float smooth = 0.0f;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kEffectRate;
        smooth += 0.2f * (noise.Next() - smooth);
        s[i] = 0.5f * smooth + 0.25f * std::sin(kTau * 120.0f * t) * (0.7f + 0.3f * std::sin(kTau * 9.0f * t));
    }
    return s;
}

// A short tune of plucked notes over a drone, stereo, the notes leaning left and right in turn.
std::vector<float> Tune(const std::vector<float>& notes, float noteSeconds, float droneHz, int rate) {
    size_t frames = static_cast<size_t>(notes.size() * noteSeconds * rate);
    std::vector<float> s(frames * 2);
    for (size_t j = 0; j < frames; ++j) {
        float t = static_cast<float>(j) / static_cast<float>(rate);
        size_t n = static_cast<size_t>(t / noteSeconds);
        float local = t - static_cast<float>(n) * noteSeconds;
        float note = 0.4f * std::exp(-local * 4.0f) * std::sin(kTau * notes[n] * t);
        float drone = 0.12f * std::sin(kTau * droneHz * t);
        float fade = std::min(1.0f, (static_cast<float>(frames - j) / static_cast<float>(rate)) / 0.2f);
        float lean = n % 2 ? 0.35f : -0.35f;
        s[2 * j] = fade * (drone + note * (1.0f - lean));
        s[2 * j + 1] = fade * (drone + note * (1.0f + lean));
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds GAME_DIR\n");
        return 2;
    }
    fs::path game = argv[1];
    Noise noise;
    bool ok = true;
    auto effect = [&](const char* name, const std::vector<float>& samples) {
        ok &= Write(game / "sounds" / name, synth::Wave(1, kEffectRate, 16, synth::Pcm16(samples)));
    };
    effect("engine.wav", EngineHum(55));
    effect("engine_racer.wav", EngineHum(83));
    effect("horn.wav", Horn());
    // A new machine's own horn, starter and idle in every profile.
    effect("horn1.wav", Horn());
    effect("engine_start01.wav", EngineStart());
    effect("engine_idle02.wav", EngineHum(48));
    effect("hit1.wav", Hit(70.0f, 0.35f, noise));
    effect("hit2.wav", Hit(110.0f, 0.25f, noise));
    // Machines knocking into each other: duller and brighter knocks, picked at random.
    effect("hit3.wav", Hit(55.0f, 0.4f, noise));
    effect("hit4.wav", Hit(90.0f, 0.3f, noise));
    effect("hit5.wav", Hit(140.0f, 0.2f, noise));
    effect("mowing.wav", Mowing(noise));
    // A mower behind the tractor and a combine's cutter bar.
    effect("tractor_mowing.wav", Mowing(noise));
    effect("combine_mowing.wav", Mowing(noise));
    // The clunks of a hand-shifted gear.
    effect("zmiana_biegu_04c.wav", Hit(180.0f, 0.12f, noise));
    effect("zmiana_biegu_05c.wav", Hit(150.0f, 0.14f, noise));

    auto track = [&](const char* name, const std::vector<float>& notes, float noteSeconds, float drone, int rate) {
        std::string ogg = synth::OggVorbis(2, rate, Tune(notes, noteSeconds, drone, rate));
        ok &= !ogg.empty() && Write(game / "Music" / name, ogg);
    };
    track("1.ogg", {262, 330, 392, 523, 392, 330, 262, 196}, 0.4f, 131, kMusicRate);
    track("2.ogg", {294, 370, 440, 370, 294, 220, 294, 440}, 0.35f, 147, kMusicRate);
    track("3.ogg", {330, 392, 494, 659, 494, 392, 330, 247}, 0.45f, 165, 48000);
    return ok ? 0 : 1;
}
