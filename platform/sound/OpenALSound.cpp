#include "platform/sound/OpenALSound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace snd {

namespace {

struct LoopbackChoice {
    bool use = false;
    uint32_t rate = 44100;
    ALCdevice* open = nullptr;
};

LoopbackChoice& Loopback() {
    static LoopbackChoice choice;
    return choice;
}

float GainOf(int32_t hundredthsDb) {
    if (hundredthsDb <= VOLUME_MIN) return 0.0f;
    return std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
}

ALenum AlFormatOf(const WaveFormat& f) {
    if (f.bitsPerSample == 8) return f.channels == 1 ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8;
    return f.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
}

// OpenAL is right-handed with -z forward; the game is left-handed with +z forward.
void SetVector(ALuint source, ALenum param, const Vector3& v) { alSource3f(source, param, v.x, v.y, -v.z); }

float Distance(const Vector3& a, const Vector3& b) {
    float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The common part of both kinds of secondary buffer: the source and its mix.
class ALSourceBuffer : public Buffer {
public:
    ALSourceBuffer(Device& device, const BufferDesc& desc) : Buffer(device, desc) {
        alGetError();
        alGenSources(1, &m_source);
        m_ok = alGetError() == AL_NO_ERROR;
        if (m_ok) ApplyMix();
    }
    ~ALSourceBuffer() override {
        if (m_ok) {
            alSourceStop(m_source);
            alSourcei(m_source, AL_BUFFER, 0);
            alDeleteSources(1, &m_source);
        }
    }
    bool Ok() const { return m_ok; }

protected:
    void ApplyMix() override {
        float gain = GainOf(m_volume);
        if (m_3d) {
            const Buffer3D::Params& p = m_3d->Current();
            const Listener::Params& listener = m_device.ListenerParams();
            bool relative = p.mode != MODE3D_NORMAL;
            alSourcei(m_source, AL_SOURCE_RELATIVE, relative ? AL_TRUE : AL_FALSE);
            SetVector(m_source, AL_POSITION, p.mode == MODE3D_DISABLE ? Vector3{} : p.position);
            alSourcef(m_source, AL_REFERENCE_DISTANCE, p.minDistance);
            alSourcef(m_source, AL_MAX_DISTANCE, p.maxDistance);
            alSourcef(m_source, AL_ROLLOFF_FACTOR, listener.rolloffFactor);
            float r = relative ? Distance(p.position, Vector3{}) : Distance(p.position, listener.position);
            if ((m_flags & BUFFER_MUTE3DATMAXDISTANCE) && r > p.maxDistance) gain = 0.0f;
        } else {
            // A pan moves a mono sound round the listener; stereo samples keep their sides.
            float side = static_cast<float>(m_pan) / PAN_RIGHT;
            alSourcei(m_source, AL_SOURCE_RELATIVE, AL_TRUE);
            alSourcef(m_source, AL_ROLLOFF_FACTOR, 0.0f);
            alSource3f(m_source, AL_POSITION, side, 0.0f, -std::sqrt(1.0f - side * side));
        }
        alSourcef(m_source, AL_GAIN, gain);
    }
    void ApplyFrequency() override {
        alSourcef(m_source, AL_PITCH, static_cast<float>(m_frequency) / static_cast<float>(m_format.samplesPerSec));
    }
    ALint State() const {
        ALint state = AL_STOPPED;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        return state;
    }

    ALuint m_source = 0;
    bool m_ok = false;
};

// Samples written once, played once or looped.
class ALStaticBuffer final : public ALSourceBuffer {
public:
    ALStaticBuffer(Device& device, const BufferDesc& desc) : ALSourceBuffer(device, desc) {
        if (!m_ok) return;
        alGenBuffers(1, &m_buffer);
        m_ok = alGetError() == AL_NO_ERROR;
    }
    ~ALStaticBuffer() override {
        if (m_buffer) {
            alSourceStop(m_source);
            alSourcei(m_source, AL_BUFFER, 0);
            alDeleteBuffers(1, &m_buffer);
        }
    }

protected:
    void Upload(uint32_t, uint32_t) override { m_dirty = true; }
    void StartPlayback() override {
        if (m_dirty) {
            alSourceStop(m_source);
            alSourcei(m_source, AL_BUFFER, 0);
            alBufferData(m_buffer, AlFormatOf(m_format), m_data.data(), static_cast<ALsizei>(m_data.size()),
                         static_cast<ALsizei>(m_format.samplesPerSec));
            alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_buffer));
            m_dirty = false;
        }
        alSourcei(m_source, AL_LOOPING, m_looping ? AL_TRUE : AL_FALSE);
        if (State() == AL_PLAYING) return;
        alSourcePlay(m_source);
        alSourcei(m_source, AL_BYTE_OFFSET, static_cast<ALint>(m_cursor));
    }
    void StopPlayback() override {
        m_cursor = PlayCursor();
        alSourceStop(m_source);
    }
    bool StillPlaying() override {
        if (State() == AL_PLAYING) return true;
        m_cursor = 0;  // a buffer played once to its end starts again from the beginning
        return false;
    }
    uint32_t PlayCursor() override {
        if (!m_playing || State() != AL_PLAYING) return m_cursor;
        ALint offset = 0;
        alGetSourcei(m_source, AL_BYTE_OFFSET, &offset);
        return static_cast<uint32_t>(offset);
    }
    void MoveCursor(uint32_t position) override {
        m_cursor = position;
        if (m_playing && State() == AL_PLAYING) alSourcei(m_source, AL_BYTE_OFFSET, static_cast<ALint>(position));
    }

private:
    ALuint m_buffer = 0;
    bool m_dirty = true;
};

// A ring written behind its play cursor while it plays looped; cut into segments that are
// queued a few ahead.
class ALStreamBuffer final : public ALSourceBuffer {
public:
    static constexpr int kSegments = 16;
    static constexpr int kQueuedAhead = 4;

    ALStreamBuffer(Device& device, const BufferDesc& desc) : ALSourceBuffer(device, desc) {
        if (!m_ok) return;
        uint32_t align = std::max<uint32_t>(1, m_format.blockAlign);
        m_segment = std::max<uint32_t>(align, Size() / kSegments / align * align);
        m_scratch.resize(m_segment);
        alGenBuffers(kSegments, m_buffers);
        m_ok = alGetError() == AL_NO_ERROR;
        m_free.reserve(kSegments);
        ResetQueue();
    }
    ~ALStreamBuffer() override {
        if (m_ok) {
            alSourceStop(m_source);
            alSourcei(m_source, AL_BUFFER, 0);
            alDeleteBuffers(kSegments, m_buffers);
        }
    }

protected:
    // The owner writes ahead of the play cursor only after playback starts, so at first just
    // one segment is handed on; later pumps keep several queued.
    void StartPlayback() override { Pump(1); }
    void StopPlayback() override { Flush(); }
    uint32_t PlayCursor() override {
        Pump();
        return m_cursor;
    }
    void MoveCursor(uint32_t position) override {
        if (m_playing) Flush();
        m_cursor = position;
        Pump();
    }

private:
    void ResetQueue() {
        m_free.assign(m_buffers, m_buffers + kSegments);
        m_queued = 0;
    }

    void Pump(int ahead = kQueuedAhead) {
        if (!m_playing) return;
        ALint processed = 0;
        alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
        for (ALint i = 0; i < processed; ++i) {
            ALuint done = 0;
            alSourceUnqueueBuffers(m_source, 1, &done);
            m_free.push_back(done);
            --m_queued;
        }
        while (m_queued < ahead && !m_free.empty()) {
            ALuint next = m_free.back();
            m_free.pop_back();
            CopyRing(m_cursor, m_scratch.data(), m_segment);
            alBufferData(next, AlFormatOf(m_format), m_scratch.data(), static_cast<ALsizei>(m_segment),
                         static_cast<ALsizei>(m_format.samplesPerSec));
            alSourceQueueBuffers(m_source, 1, &next);
            ++m_queued;
            m_cursor = (m_cursor + m_segment) % Size();
        }
        if (State() != AL_PLAYING) alSourcePlay(m_source);
    }

    // Stops the source and moves the cursor back over what was queued but not yet heard.
    void Flush() {
        bool ranDry = State() != AL_PLAYING;
        alSourcePause(m_source);
        // The offset counts from the head of the queue, processed buffers included.
        ALint offset = 0;
        alGetSourcei(m_source, AL_BYTE_OFFSET, &offset);
        int64_t unheard = ranDry ? 0 : int64_t{m_queued} * m_segment - offset;
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        ResetQueue();
        int64_t back = (int64_t{m_cursor} - std::max<int64_t>(0, unheard)) % Size();
        m_cursor = static_cast<uint32_t>(back < 0 ? back + Size() : back);
    }

    void CopyRing(uint32_t from, uint8_t* to, uint32_t bytes) const {
        uint32_t first = std::min(bytes, Size() - from);
        std::memcpy(to, m_data.data() + from, first);
        std::memcpy(to + first, m_data.data(), bytes - first);
    }

    ALuint m_buffers[kSegments] = {};
    std::vector<ALuint> m_free;
    std::vector<uint8_t> m_scratch;
    uint32_t m_segment = 0;
    int m_queued = 0;
};

class ALDevice final : public Device {
public:
    ALDevice(ALCdevice* device, ALCcontext* context) : m_alDevice(device), m_context(context) {
        alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
        ApplyListener();
    }
    ~ALDevice() override {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
        alcCloseDevice(m_alDevice);
        if (Loopback().open == m_alDevice) Loopback().open = nullptr;
    }

protected:
    std::unique_ptr<Buffer> NewBuffer(const BufferDesc& desc) override {
        if (desc.flags & BUFFER_PRIMARY) return std::make_unique<Buffer>(*this, desc);
        std::unique_ptr<ALSourceBuffer> buffer;
        if (desc.flags & BUFFER_GETCURRENTPOSITION2) buffer = std::make_unique<ALStreamBuffer>(*this, desc);
        else buffer = std::make_unique<ALStaticBuffer>(*this, desc);
        if (!buffer->Ok()) return nullptr;
        return buffer;
    }
    void ApplyListener() override {
        const Listener::Params& p = m_listener.Current();
        alListener3f(AL_POSITION, p.position.x, p.position.y, -p.position.z);
        alListener3f(AL_VELOCITY, p.velocity.x, p.velocity.y, -p.velocity.z);
        float orientation[6] = {p.front.x, p.front.y, -p.front.z, p.top.x, p.top.y, -p.top.z};
        alListenerfv(AL_ORIENTATION, orientation);
    }

private:
    ALCdevice* m_alDevice;
    ALCcontext* m_context;
};

ALCdevice* OpenLoopback() {
    if (!LoopbackAvailable()) return nullptr;
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    return open ? open(nullptr) : nullptr;
}

}  // namespace

void UseLoopbackDevice(bool use, uint32_t rate) {
    Loopback().use = use;
    Loopback().rate = rate;
}

bool LoopbackAvailable() { return alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") == ALC_TRUE; }

bool RenderLoopback(int16_t* out, uint32_t frames) {
    ALCdevice* device = Loopback().open;
    if (!device) return false;
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    if (!render) return false;
    render(device, out, static_cast<ALCsizei>(frames));
    return true;
}

Result CreateOpenALDevice(std::unique_ptr<Device>& device) {
    bool loopback = Loopback().use;
    ALCdevice* alDevice = loopback ? OpenLoopback() : alcOpenDevice(nullptr);
    if (!alDevice) return ERR_NODRIVER;
    ALCint loopbackAttributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                                   ALC_FREQUENCY, static_cast<ALCint>(Loopback().rate), 0};
    ALCcontext* context = alcCreateContext(alDevice, loopback ? loopbackAttributes : nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(alDevice);
        return ERR_NODRIVER;
    }
    if (loopback) Loopback().open = alDevice;
    device = std::make_unique<ALDevice>(alDevice, context);
    return OK;
}

}  // namespace snd
