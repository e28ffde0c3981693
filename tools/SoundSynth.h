#pragma once
// Small writers of the demo's sound formats, shared by the asset generator and the tests:
// RIFF WAVE files of 8- or 16-bit PCM and Ogg Vorbis streams encoded with libvorbisenc.
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace synth {

inline void PutU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

inline void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void PutChunk(std::string& out, const char* id, const std::string& body) {
    out.append(id, 4);
    PutU32(out, static_cast<uint32_t>(body.size()));
    out += body;
    if (body.size() & 1) out += '\0';
}

inline std::string FormatBody(uint16_t channels, uint32_t rate, uint16_t bits) {
    std::string fmt;
    uint16_t block = static_cast<uint16_t>(channels * bits / 8);
    PutU16(fmt, 1);
    PutU16(fmt, channels);
    PutU32(fmt, rate);
    PutU32(fmt, rate * block);
    PutU16(fmt, block);
    PutU16(fmt, bits);
    return fmt;
}

// Interleaved samples in -1..1 as 16-bit PCM.
inline std::string Pcm16(const std::vector<float>& samples) {
    std::string pcm;
    pcm.reserve(samples.size() * 2);
    for (float s : samples) {
        auto v = static_cast<int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
        PutU16(pcm, static_cast<uint16_t>(v));
    }
    return pcm;
}

inline std::string Wave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& data) {
    std::string body = "WAVE";
    PutChunk(body, "fmt ", FormatBody(channels, rate, bits));
    PutChunk(body, "data", data);
    std::string file = "RIFF";
    PutU32(file, static_cast<uint32_t>(body.size()));
    return file + body;
}

// Interleaved samples in -1..1 as an Ogg Vorbis stream; empty on an encoder failure.
inline std::string OggVorbis(int channels, int rate, const std::vector<float>& samples, float quality = 0.3f) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return {};
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1234);

    std::string out;
    ogg_page og;
    auto putPage = [&](const ogg_page& page) {
        out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
        out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
    };
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    while (ogg_stream_flush(&os, &og)) putPage(og);

    const size_t frames = samples.size() / static_cast<size_t>(channels);
    const size_t step = 1024;
    for (size_t done = 0;; done += step) {
        size_t n = std::min(step, frames - std::min(done, frames));
        if (n) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t j = 0; j < n; ++j)
                for (int c = 0; c < channels; ++c) buffer[c][j] = samples[(done + j) * channels + c];
        }
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &og)) putPage(og);
            }
        }
        if (!n) break;
    }
    while (ogg_stream_flush(&os, &og)) putPage(og);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

// A sine of `hertz` for `seconds`, the same in every channel.
inline std::vector<float> Sine(int channels, int rate, float hertz, float seconds, float amplitude = 0.5f) {
    size_t frames = static_cast<size_t>(seconds * static_cast<float>(rate));
    std::vector<float> out(frames * static_cast<size_t>(channels));
    for (size_t j = 0; j < frames; ++j) {
        float v = amplitude * std::sin(6.2831853f * hertz * static_cast<float>(j) / static_cast<float>(rate));
        for (int c = 0; c < channels; ++c) out[j * channels + c] = v;
    }
    return out;
}

}  // namespace synth
