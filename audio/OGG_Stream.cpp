#include "audio/OGG_Stream.h"

#include <algorithm>
#include <cmath>

#include "audio/CMusicSource.h"
#include "core/EDebug.h"

namespace {
constexpr int kChunkBytes = 4096;
}  // namespace

OGG_Stream::OGG_Stream(CMusicSource* source)
    : m_bOpen(0), m_uDataStart(0), m_pSource(source), m_bEof(0), m_oy{}, m_os{}, m_og{}, m_op{}, m_vi{}, m_vc{},
      m_vd{}, m_vb{} {
    g_Debug.AddAlloc("OGG_Stream");
    Open();
}

OGG_Stream::~OGG_Stream() {
    Close();
    g_Debug.RemoveAlloc("OGG_Stream");
}

int OGG_Stream::ReadChunk() {
    char* buffer = ogg_sync_buffer(&m_oy, kChunkBytes);
    int bytes = m_pSource->Read(buffer, kChunkBytes);
    ogg_sync_wrote(&m_oy, bytes);
    return bytes;
}

void OGG_Stream::Open() {
    if (m_bOpen || !m_pSource) return;
    m_pSource->Seek(0);
    ogg_sync_init(&m_oy);
    ReadChunk();
    if (ogg_sync_pageout(&m_oy, &m_og) == 1) {
        ogg_stream_init(&m_os, ogg_page_serialno(&m_og));
        vorbis_info_init(&m_vi);
        vorbis_comment_init(&m_vc);
        if (ReadHeaders() && vorbis_synthesis_init(&m_vd, &m_vi) == 0) {
            vorbis_block_init(&m_vd, &m_vb);
            m_uDataStart = m_pSource->Tell();
            m_bOpen = 1;
            return;
        }
        // Not Ogg Vorbis, or corrupt: give back what the headers took.
        ogg_stream_clear(&m_os);
        vorbis_comment_clear(&m_vc);
        vorbis_info_clear(&m_vi);
    }
    ogg_sync_clear(&m_oy);
}

// The identification header is in the first page; the comment and setup headers follow.
bool OGG_Stream::ReadHeaders() {
    if (ogg_stream_pagein(&m_os, &m_og) < 0) return false;
    if (ogg_stream_packetout(&m_os, &m_op) != 1) return false;
    if (vorbis_synthesis_headerin(&m_vi, &m_vc, &m_op) < 0) return false;
    int headers = 0;
    while (headers < 2) {
        while (headers < 2) {
            int page = ogg_sync_pageout(&m_oy, &m_og);
            if (page == 0) break;
            if (page < 0) continue;
            ogg_stream_pagein(&m_os, &m_og);
            while (headers < 2) {
                int packet = ogg_stream_packetout(&m_os, &m_op);
                if (packet == 0) break;
                if (packet < 0) return false;
                if (vorbis_synthesis_headerin(&m_vi, &m_vc, &m_op) < 0) return false;
                ++headers;
            }
        }
        if (ReadChunk() == 0 && headers < 2) return false;
    }
    return true;
}

void OGG_Stream::Close() {
    if (!m_bOpen) return;
    m_bEof = 0;
    m_bOpen = 0;
    ogg_stream_clear(&m_os);
    vorbis_block_clear(&m_vb);
    vorbis_dsp_clear(&m_vd);
    vorbis_comment_clear(&m_vc);
    vorbis_info_clear(&m_vi);
    ogg_sync_clear(&m_oy);
    Seek(0);
}

bool OGG_Stream::Rewind() {
    Close();
    Open();
    Seek(0);
    return true;
}

bool OGG_Stream::Seek(uint32_t offset) {
    if (m_pSource) m_pSource->Seek(m_uDataStart + offset);
    m_bEof = 0;
    return false;
}

bool OGG_Stream::IsEOF() { return m_bEof != 0; }

void OGG_Stream::Stop() {}

int32_t OGG_Stream::GetRate() { return m_bOpen ? static_cast<int32_t>(m_vi.rate) : 0; }

bool OGG_Stream::DecodeNextPacket() {
    bool ok = true;
    if (m_bEof) return ok;
    while (ogg_stream_packetout(&m_os, &m_op) <= 0) {
        while (!m_bEof) {
            int page = ogg_sync_pageout(&m_oy, &m_og);
            if (page == 1) {
                ogg_stream_pagein(&m_os, &m_og);
                break;
            }
            if (page == 0 && ReadChunk() == 0) {
                ok = false;
                m_bEof = 1;
            }
        }
        if (m_bEof) return ok;
    }
    if (vorbis_synthesis(&m_vb, &m_op) == 0) vorbis_synthesis_blockin(&m_vd, &m_vb);
    return ok;
}

uint32_t OGG_Stream::Read(void* destination, uint32_t bytes) {
    if (!m_bOpen || !destination) return 0;
    const int channels = m_vi.channels;
    const uint32_t wanted = bytes / (static_cast<uint32_t>(channels) * 2);
    uint32_t left = wanted;
    if (m_bEof) return 0;
    auto* out = static_cast<uint8_t*>(destination);
    while (left >= 1) {
        float** pcm = nullptr;
        int frames = vorbis_synthesis_pcmout(&m_vd, &pcm);
        if (frames >= 1) {
            uint32_t m = std::min(static_cast<uint32_t>(frames), left);
            for (uint32_t j = 0; j < m; ++j) {
                for (int c = 0; c < channels; ++c) {
                    double v = std::clamp(std::trunc(pcm[c][j] * 32767.0), -32767.0, 32767.0);
                    auto sample = static_cast<uint16_t>(static_cast<int16_t>(v));
                    *out++ = static_cast<uint8_t>(sample & 0xFF);
                    *out++ = static_cast<uint8_t>(sample >> 8);
                }
            }
            vorbis_synthesis_read(&m_vd, static_cast<int>(m));
            left -= m;
        } else {
            DecodeNextPacket();
        }
        if (m_bEof) break;
    }
    return (wanted - left) * static_cast<uint32_t>(channels) * 2;
}
