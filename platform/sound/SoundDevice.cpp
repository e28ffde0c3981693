#include "platform/sound/SoundDevice.h"

#include <algorithm>
#include <cstring>

#include "platform/os/Backends.h"
#include "platform/sound/NullSound.h"
#include "platform/sound/OpenALSound.h"

namespace snd {

WaveFormat Pcm16Format(uint16_t channels, uint32_t samplesPerSec) {
    WaveFormat f;
    f.formatTag = FORMAT_PCM;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = 16;
    f.blockAlign = static_cast<uint16_t>(2 * channels);
    f.avgBytesPerSec = samplesPerSec * f.blockAlign;
    return f;
}

namespace {

bool IsPlayableFormat(const WaveFormat& f) {
    if (f.formatTag != FORMAT_PCM) return false;
    if (f.channels < 1 || f.channels > 2) return false;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
    if (f.blockAlign != f.channels * f.bitsPerSample / 8) return false;
    return f.samplesPerSec >= FREQUENCY_MIN && f.samplesPerSec <= FREQUENCY_MAX;
}

constexpr uint32_t kLargestBuffer = 0x0FFFFFFF;

}  // namespace

// ---- 3-D buffer ----

Result Buffer3D::Finish(uint32_t apply) {
    if (apply == APPLY_IMMEDIATE) Commit();
    return OK;
}

void Buffer3D::Commit() {
    m_current = m_pending;
    m_owner.ApplyMix();
}

Result Buffer3D::SetPosition(const Vector3& position, uint32_t apply) {
    m_pending.position = position;
    return Finish(apply);
}

Result Buffer3D::SetVelocity(const Vector3& velocity, uint32_t apply) {
    m_pending.velocity = velocity;
    return Finish(apply);
}

Result Buffer3D::SetMode(uint32_t mode, uint32_t apply) {
    if (mode > MODE3D_DISABLE) return ERR_INVALIDPARAM;
    m_pending.mode = mode;
    return Finish(apply);
}

Result Buffer3D::SetMinDistance(float distance, uint32_t apply) {
    if (!(distance > 0.0f)) return ERR_INVALIDPARAM;
    m_pending.minDistance = distance;
    return Finish(apply);
}

Result Buffer3D::SetMaxDistance(float distance, uint32_t apply) {
    if (!(distance > 0.0f)) return ERR_INVALIDPARAM;
    m_pending.maxDistance = distance;
    return Finish(apply);
}

// ---- listener ----

Result Listener::Finish(uint32_t apply) {
    if (apply == APPLY_IMMEDIATE) {
        m_current = m_pending;
        m_device.ApplyListener();
    }
    return OK;
}

Result Listener::SetPosition(const Vector3& position, uint32_t apply) {
    m_pending.position = position;
    return Finish(apply);
}

Result Listener::SetVelocity(const Vector3& velocity, uint32_t apply) {
    m_pending.velocity = velocity;
    return Finish(apply);
}

Result Listener::SetOrientation(const Vector3& front, const Vector3& top, uint32_t apply) {
    m_pending.front = front;
    m_pending.top = top;
    return Finish(apply);
}

Result Listener::SetDistanceFactor(float factor, uint32_t apply) {
    if (!(factor > 0.0f)) return ERR_INVALIDPARAM;
    m_pending.distanceFactor = factor;
    return Finish(apply);
}

Result Listener::SetRolloffFactor(float factor, uint32_t apply) {
    if (!(factor >= 0.0f && factor <= 10.0f)) return ERR_INVALIDPARAM;
    m_pending.rolloffFactor = factor;
    return Finish(apply);
}

Result Listener::CommitDeferredSettings() {
    m_current = m_pending;
    m_device.ApplyListener();
    m_device.Commit3D();
    return OK;
}

// ---- buffer ----

Buffer::Buffer(Device& device, const BufferDesc& desc) : m_device(device), m_flags(desc.flags) {
    if (desc.format) m_format = *desc.format;
    m_frequency = m_format.samplesPerSec;
    m_data.assign(desc.bytes, 0);
    if ((m_flags & BUFFER_CTRL3D) && !(m_flags & BUFFER_PRIMARY)) {
        m_3d = std::make_unique<Buffer3D>(*this);
        m_device.m_3dBuffers.push_back(this);
    }
}

Buffer::~Buffer() {
    auto& list = m_device.m_3dBuffers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

Result Buffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2,
                    uint32_t flags) {
    if (!part1 || !bytes1 || (m_flags & BUFFER_PRIMARY) || m_data.empty()) return ERR_INVALIDPARAM;
    if (m_locked) return ERR_INVALIDCALL;
    if (m_lost) return ERR_BUFFERLOST;
    if (flags & LOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = Size();
    }
    if (offset >= Size() || bytes == 0 || bytes > Size()) return ERR_INVALIDPARAM;
    uint32_t first = std::min(bytes, Size() - offset);
    uint32_t second = bytes - first;
    if (second && (!part2 || !bytes2)) return ERR_INVALIDPARAM;
    *part1 = m_data.data() + offset;
    *bytes1 = first;
    if (part2) *part2 = second ? m_data.data() : nullptr;
    if (bytes2) *bytes2 = second;
    m_locked = true;
    return OK;
}

Result Buffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
    if (!m_locked) return ERR_INVALIDCALL;
    m_locked = false;
    uint8_t* base = m_data.data();
    auto inside = [&](void* p, uint32_t n) {
        auto* b = static_cast<uint8_t*>(p);
        return b >= base && b + n <= base + m_data.size();
    };
    if (!part1 || !inside(part1, bytes1) || (part2 && !inside(part2, bytes2))) return ERR_INVALIDPARAM;
    Upload(static_cast<uint32_t>(static_cast<uint8_t*>(part1) - base), bytes1);
    if (part2 && bytes2) Upload(0, bytes2);
    return OK;
}

Result Buffer::Play(uint32_t flags) {
    if (m_flags & BUFFER_PRIMARY) return ERR_INVALIDCALL;
    if (m_lost) return ERR_BUFFERLOST;
    m_looping = (flags & PLAY_LOOPING) != 0;
    m_playing = true;
    StartPlayback();
    return OK;
}

Result Buffer::Stop() {
    if (m_playing) StopPlayback();
    m_playing = false;
    return OK;
}

Result Buffer::GetStatus(uint32_t* status) {
    if (!status) return ERR_INVALIDPARAM;
    if (m_playing && !StillPlaying()) m_playing = false;
    *status = 0;
    if (m_playing) *status |= STATUS_PLAYING | (m_looping ? STATUS_LOOPING : 0);
    if (m_lost) *status |= STATUS_BUFFERLOST;
    return OK;
}

Result Buffer::SetVolume(int32_t hundredthsDb) {
    if (!(m_flags & BUFFER_CTRLVOLUME)) return ERR_CONTROLUNAVAIL;
    if (hundredthsDb < VOLUME_MIN || hundredthsDb > VOLUME_MAX) return ERR_INVALIDPARAM;
    m_volume = hundredthsDb;
    ApplyMix();
    return OK;
}

Result Buffer::GetVolume(int32_t* hundredthsDb) const {
    if (!hundredthsDb) return ERR_INVALIDPARAM;
    *hundredthsDb = m_volume;
    return OK;
}

Result Buffer::SetPan(int32_t pan) {
    if (!(m_flags & BUFFER_CTRLPAN)) return ERR_CONTROLUNAVAIL;
    if (pan < PAN_LEFT || pan > PAN_RIGHT) return ERR_INVALIDPARAM;
    m_pan = pan;
    ApplyMix();
    return OK;
}

Result Buffer::GetPan(int32_t* pan) const {
    if (!pan) return ERR_INVALIDPARAM;
    *pan = m_pan;
    return OK;
}

Result Buffer::SetFrequency(uint32_t hertz) {
    if (!(m_flags & BUFFER_CTRLFREQUENCY)) return ERR_CONTROLUNAVAIL;
    if (hertz == 0) hertz = m_format.samplesPerSec;  // 0 means the format's own rate
    if (hertz < FREQUENCY_MIN || hertz > FREQUENCY_MAX) return ERR_INVALIDPARAM;
    m_frequency = hertz;
    ApplyFrequency();
    return OK;
}

Result Buffer::GetFrequency(uint32_t* hertz) const {
    if (!hertz) return ERR_INVALIDPARAM;
    *hertz = m_frequency;
    return OK;
}

Result Buffer::GetCurrentPosition(uint32_t* play, uint32_t* write) {
    if (m_flags & BUFFER_PRIMARY) return ERR_INVALIDCALL;
    uint32_t cursor = PlayCursor();
    if (play) *play = cursor;
    if (write) *write = cursor;
    return OK;
}

Result Buffer::SetCurrentPosition(uint32_t position) {
    if (m_flags & BUFFER_PRIMARY) return ERR_INVALIDCALL;
    if (position >= Size()) return ERR_INVALIDPARAM;
    position -= position % std::max<uint32_t>(1, m_format.blockAlign);
    MoveCursor(position);
    return OK;
}

Result Buffer::Restore() {
    if (m_lost) {
        m_lost = false;
        std::fill(m_data.begin(), m_data.end(), uint8_t{0});
        if (!m_data.empty()) Upload(0, Size());
    }
    return OK;
}

Result Buffer::SetFormat(const WaveFormat& format) {
    if (!(m_flags & BUFFER_PRIMARY)) return ERR_INVALIDCALL;
    if (!IsPlayableFormat(format)) return ERR_BADFORMAT;
    m_format = format;
    return OK;
}

Result Buffer::GetFormat(WaveFormat* format) const {
    if (!format) return ERR_INVALIDPARAM;
    *format = m_format;
    return OK;
}

Buffer3D* Buffer::Get3DBuffer() { return m_3d.get(); }

Listener* Buffer::GetListener() {
    if ((m_flags & (BUFFER_PRIMARY | BUFFER_CTRL3D)) != (BUFFER_PRIMARY | BUFFER_CTRL3D)) return nullptr;
    return &m_device.m_listener;
}

// ---- device ----

Device::Device() : m_listener(*this) {}

Device::~Device() = default;

Result Device::SetCooperativeLevel(plat::WindowHandle, uint32_t level) {
    return level >= 1 && level <= 3 ? OK : ERR_INVALIDPARAM;
}

Result Device::CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<Buffer>& buffer) {
    buffer.reset();
    if (desc.flags & BUFFER_PRIMARY) {
        if (desc.bytes || desc.format) return ERR_INVALIDPARAM;
    } else {
        if (!desc.format || desc.bytes < 4 || desc.bytes > kLargestBuffer) return ERR_INVALIDPARAM;
        if (!IsPlayableFormat(*desc.format)) return ERR_BADFORMAT;
        if ((desc.flags & BUFFER_CTRL3D) && (desc.format->channels != 1 || (desc.flags & BUFFER_CTRLPAN)))
            return ERR_INVALIDPARAM;
    }
    buffer = NewBuffer(desc);
    return buffer ? OK : ERR_OUTOFMEMORY;
}

void Device::Commit3D() {
    for (Buffer* b : m_3dBuffers) b->m_3d->Commit();
}

Result CreateDevice(std::unique_ptr<Device>& device) {
    if (plat::Backends().audio == plat::AudioBackend::Null) return CreateNullDevice(device);
    return CreateOpenALDevice(device);
}

}  // namespace snd
