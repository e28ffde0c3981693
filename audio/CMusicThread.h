#pragma once
// Streams one music track: a music source holds the compressed file, an Ogg stream decodes it,
// and the thread keeps a small looping sound buffer topped up behind its play cursor. An end
// marker remembers where the last real data was written; when the play cursor passes it the
// track stops, or starts again when looping.
#include <cstdint>
#include <memory>

#include "audio/Thread.h"
#include "platform/sound/SoundDevice.h"

class CMusicSource;
class OGG_Stream;

class CMusicThread : public Thread {
public:
    // Bytes per channel of the streaming buffer: 9216 frames of 16-bit samples.
    static constexpr int kBytesPerChannel = 18432;
    static constexpr int kGap = 512;

    explicit CMusicThread(snd::Device* device);
    ~CMusicThread() override;

    bool Load(const char* path);
    void Play(double volume, double pan, uint8_t loop);
    void Stop();
    bool IsPlaying();
    void Resume();
    void Pause();
    void SetVolume(double volume);
    void SetPan(double pan);
    void Unload();
    uint32_t Run() override;
    // Writes decoded samples behind the play cursor; the caller holds the semaphore.
    void FillBuffer();

    snd::Device* m_pDS;
    uint8_t m_bPadded;
    int32_t m_iWriteCursor;
    int32_t m_iLastFillSize;
    int32_t m_iGap;
    int32_t m_iEndMarker;
    int32_t m_bWrapPending;
    std::unique_ptr<snd::Buffer> m_pBuffer;
    uint8_t m_bPlaying;
    uint8_t m_bLooping;
    double m_dVolume;
    uint8_t m_bLoaded;
    std::unique_ptr<OGG_Stream> m_pStream;
    std::unique_ptr<CMusicSource> m_pSource;

private:
    bool CreateStreamBuffer();
    int32_t BufferBytes() const;
    bool WriteRegion(void* region, uint32_t bytes);
};
