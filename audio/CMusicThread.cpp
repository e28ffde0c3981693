#include "audio/CMusicThread.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "audio/CMusicSource.h"
#include "audio/OGG_Stream.h"

namespace {

constexpr uint32_t kStreamBufferFlags =
    snd::BUFFER_GETCURRENTPOSITION2 | snd::BUFFER_CTRLVOLUME | snd::BUFFER_CTRLPAN | snd::BUFFER_STATIC;
// The first fill starts with the play cursor here, so it writes this much less the gap.
constexpr uint32_t kFirstFillCursor = 4096;
// Playback starts here: the first bytes decoded are skipped.
constexpr uint32_t kStartCursor = 1024;

void GiveTurn(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

CMusicThread::CMusicThread(snd::Device* device)
    : m_pDS(device), m_bPadded(0), m_iWriteCursor(0), m_iLastFillSize(0), m_iGap(0), m_iEndMarker(-1),
      m_bWrapPending(0), m_bPlaying(0), m_bLooping(0), m_dVolume(0.0), m_bLoaded(0) {}

CMusicThread::~CMusicThread() {
    Thread::Stop();
    Unload();
}

bool CMusicThread::Load(const char* path) {
    if (m_bLoaded) return false;
    WaitSemaphore();
    m_pSource = std::make_unique<CMusicSource>();
    bool ok = m_pSource->Open(path) == 0;
    if (ok) {
        m_pStream = std::make_unique<OGG_Stream>(m_pSource.get());
        // A file that is not Ogg Vorbis has no channel count to size the buffer by.
        ok = m_pStream->IsOpen() && CreateStreamBuffer();
    }
    if (!ok) {
        m_pStream.reset();
        m_pSource.reset();
        ReleaseSemaphore();
        return false;
    }
    m_dVolume = 0.0;
    m_bPlaying = 0;
    m_bPadded = 0;
    m_bLooping = 1;
    m_bLoaded = 1;
    ReleaseSemaphore();
    GiveTurn(20);
    Start();
    return true;
}

// 16-bit samples at the stream's own rate, so a track of any rate plays at its pitch.
bool CMusicThread::CreateStreamBuffer() {
    if (!m_pDS) return false;
    int channels = m_pStream->GetChannels();
    snd::WaveFormat format = snd::Pcm16Format(static_cast<uint16_t>(channels), static_cast<uint32_t>(m_pStream->GetRate()));
    snd::BufferDesc desc{kStreamBufferFlags, static_cast<uint32_t>(channels * kBytesPerChannel), &format};
    return !snd::Failed(m_pDS->CreateSoundBuffer(desc, m_pBuffer));
}

int32_t CMusicThread::BufferBytes() const { return m_pStream->GetChannels() * kBytesPerChannel; }

void CMusicThread::Play(double volume, double pan, uint8_t loop) {
    if (!m_bLoaded) return;
    Stop();
    WaitSemaphore();
    m_iEndMarker = -1;
    m_bLooping = loop;
    m_iGap = kGap;
    m_iWriteCursor = 0;
    SetVolume(volume);
    SetPan(pan);
    m_bPadded = 0;
    m_pBuffer->SetCurrentPosition(kFirstFillCursor);
    m_pStream->Rewind();
    FillBuffer();
    m_pBuffer->SetCurrentPosition(kStartCursor);
    m_pBuffer->Play(snd::PLAY_LOOPING);
    m_pBuffer->SetCurrentPosition(kStartCursor);
    m_bPlaying = 1;
    ReleaseSemaphore();
    GiveTurn(20);
}

void CMusicThread::Stop() {
    if (!m_bLoaded) return;
    WaitSemaphore();
    m_bPlaying = 0;
    m_pStream->Stop();
    m_pBuffer->Stop();
    ReleaseSemaphore();
    GiveTurn(20);
}

bool CMusicThread::IsPlaying() {
    if (!m_bLoaded) return false;
    WaitSemaphore();
    uint32_t status = 0;
    bool playing = m_pBuffer && !snd::Failed(m_pBuffer->GetStatus(&status)) && (status & snd::STATUS_PLAYING);
    ReleaseSemaphore();
    return playing;
}

// Pause and resume hold the semaphore too: the thread reads the playing flag and drives the
// buffer while it fills.
void CMusicThread::Resume() {
    if (!m_pBuffer) return;
    WaitSemaphore();
    m_pBuffer->Play(snd::PLAY_LOOPING);
    m_bPlaying = 1;
    ReleaseSemaphore();
}

void CMusicThread::Pause() {
    if (!m_pBuffer) return;
    WaitSemaphore();
    m_pBuffer->Stop();
    m_bPlaying = 0;
    ReleaseSemaphore();
}

void CMusicThread::SetVolume(double volume) {
    if (!m_bLoaded) return;
    int32_t hundredthsDb = volume >= 0.05 ? static_cast<int32_t>(std::trunc((1.0 - volume) * -5000.0)) : snd::VOLUME_MIN;
    m_pBuffer->SetVolume(hundredthsDb);
    m_dVolume = volume;
}

void CMusicThread::SetPan(double pan) {
    if (!m_bLoaded) return;
    m_pBuffer->SetPan(static_cast<int32_t>(std::trunc(pan * 10000.0)));
}

void CMusicThread::Unload() {
    Stop();
    WaitSemaphore();
    m_bLoaded = 0;
    m_bPlaying = 0;
    m_bPadded = 0;
    if (m_pBuffer) m_pBuffer->Stop();
    m_pBuffer.reset();
    m_pStream.reset();
    m_pSource.reset();
    ReleaseSemaphore();
    GiveTurn(20);
}

uint32_t CMusicThread::Run() {
    WaitSemaphore();
    while (m_bRunning) {
        int pause = 20;
        if (m_bPlaying) {
            FillBuffer();
            // Near the end of the track the end marker is checked every millisecond.
            if (m_iEndMarker != -1) pause = 1;
        }
        ReleaseSemaphore();
        GiveTurn(pause);
        WaitSemaphore();
    }
    ReleaseSemaphore();
    return 0;
}

bool CMusicThread::WriteRegion(void* region, uint32_t bytes) {
    uint32_t written = m_pStream->Read(region, bytes);
    if (written >= bytes) return true;
    std::memset(static_cast<uint8_t*>(region) + written, 0, bytes - written);
    m_bPadded = 1;
    return false;
}

void CMusicThread::FillBuffer() {
    if (!m_pBuffer) return;
    const int32_t size = BufferBytes();
    for (;;) {
        uint32_t cursor = 0;
        if (snd::Failed(m_pBuffer->GetCurrentPosition(&cursor, nullptr))) return;
        const int32_t play = static_cast<int32_t>(cursor);
        int32_t free = play - m_iGap - m_iWriteCursor;
        if (play <= m_iWriteCursor) free += size;
        m_iLastFillSize = free;
        if (free <= m_iGap) return;

        void* part1 = nullptr;
        void* part2 = nullptr;
        uint32_t bytes1 = 0;
        uint32_t bytes2 = 0;
        if (snd::Failed(m_pBuffer->Lock(static_cast<uint32_t>(m_iWriteCursor), static_cast<uint32_t>(free), &part1,
                                        &bytes1, &part2, &bytes2, 0)))
            return;
        if (!WriteRegion(part1, bytes1)) {
            if (part2) std::memset(part2, 0, bytes2);
        } else if (part2) {
            WriteRegion(part2, bytes2);
        }
        m_pBuffer->Unlock(part1, bytes1, part2, bytes2);

        m_iWriteCursor += free;
        if (m_iWriteCursor >= size) m_iWriteCursor -= size;

        if ((m_pStream->IsEOF() || m_bPadded) && m_iEndMarker == -1) {
            m_iEndMarker = m_iWriteCursor;
            m_bWrapPending = play >= m_iEndMarker;
        }
        if (m_iEndMarker == -1) return;
        if (m_bWrapPending && play < m_iEndMarker) m_bWrapPending = 0;
        if (m_bWrapPending || play < m_iEndMarker) return;

        // The play cursor has reached the end of the real data.
        if (!m_bLooping) {
            m_pBuffer->Stop();
            m_bPlaying = 0;
            return;
        }
        m_pStream->Rewind();
        m_iEndMarker = -1;
        m_bPadded = 0;
    }
}
