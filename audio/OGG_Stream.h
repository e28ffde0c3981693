#pragma once
// Decodes one Ogg Vorbis file held by a music source into interleaved signed 16-bit samples,
// driving libogg and libvorbis at the page and packet level, reading 4096 bytes at a time.
#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstdint>

class CMusicSource;

class OGG_Stream {
public:
    explicit OGG_Stream(CMusicSource* source);
    virtual ~OGG_Stream();
    OGG_Stream(const OGG_Stream&) = delete;
    OGG_Stream& operator=(const OGG_Stream&) = delete;

    virtual bool IsEOF();
    virtual void Stop();
    virtual bool Rewind();
    virtual bool Seek(uint32_t offset);
    // Fills whole frames; returns the bytes written.
    virtual uint32_t Read(void* destination, uint32_t bytes);
    virtual int32_t GetRate();

    void Open();
    void Close();
    bool IsOpen() const { return m_bOpen != 0; }
    // The channel count of the identification header; 0 when the stream did not open.
    int GetChannels() const { return m_bOpen ? m_vi.channels : 0; }

    uint8_t m_bOpen;
    uint32_t m_uDataStart;
    CMusicSource* m_pSource;
    uint8_t m_bEof;
    ogg_sync_state m_oy;
    ogg_stream_state m_os;
    ogg_page m_og;
    ogg_packet m_op;
    vorbis_info m_vi;
    vorbis_comment m_vc;
    vorbis_dsp_state m_vd;
    vorbis_block m_vb;

private:
    int ReadChunk();
    bool ReadHeaders();
    bool DecodeNextPacket();
};
