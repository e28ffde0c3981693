#pragma once
// The sound device with DirectSound semantics: secondary buffers that hold samples and play them
// once or looped with a volume in hundredths of a decibel, a pan and a frequency; 3-D buffers
// (mono only) placed relative to one listener, whose settings may be deferred until a commit;
// a primary buffer that carries the output format and the listener; lock regions that wrap at
// the end of a buffer; and the streaming kind of buffer (BUFFER_GETCURRENTPOSITION2), played
// looped while its owner writes behind the play cursor.
//
// Buffer keeps the bookkeeping every backend shares (samples, lock state, volume, pan,
// frequency, play state and cursor); a backend overrides the hooks that make it audible.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/os/Message.h"
#include "platform/sound/SoundTypes.h"

namespace snd {

class Buffer;
class Device;

class Buffer3D {
public:
    struct Params {
        Vector3 position;
        Vector3 velocity;
        float minDistance = 1.0f;
        float maxDistance = 1.0e9f;
        uint32_t mode = MODE3D_NORMAL;
    };

    explicit Buffer3D(Buffer& owner) : m_owner(owner) {}
    Result SetPosition(const Vector3& position, uint32_t apply);
    Result SetVelocity(const Vector3& velocity, uint32_t apply);
    Result SetMode(uint32_t mode, uint32_t apply);
    Result SetMinDistance(float distance, uint32_t apply);
    Result SetMaxDistance(float distance, uint32_t apply);
    // The settings in effect, and those waiting for the listener's commit.
    const Params& Current() const { return m_current; }
    const Params& Pending() const { return m_pending; }

private:
    friend class Device;
    Result Finish(uint32_t apply);
    void Commit();

    Buffer& m_owner;
    Params m_current;
    Params m_pending;
};

class Listener {
public:
    struct Params {
        Vector3 position;
        Vector3 velocity;
        Vector3 front{0.0f, 0.0f, 1.0f};
        Vector3 top{0.0f, 1.0f, 0.0f};
        float distanceFactor = 1.0f;
        float rolloffFactor = 1.0f;
    };

    explicit Listener(Device& device) : m_device(device) {}
    Result SetPosition(const Vector3& position, uint32_t apply);
    Result SetVelocity(const Vector3& velocity, uint32_t apply);
    Result SetOrientation(const Vector3& front, const Vector3& top, uint32_t apply);
    Result SetDistanceFactor(float factor, uint32_t apply);
    Result SetRolloffFactor(float factor, uint32_t apply);
    // Applies every deferred setting of the listener and of the device's 3-D buffers.
    Result CommitDeferredSettings();
    const Params& Current() const { return m_current; }
    const Params& Pending() const { return m_pending; }

private:
    Result Finish(uint32_t apply);

    Device& m_device;
    Params m_current;
    Params m_pending;
};

class Buffer {
public:
    Buffer(Device& device, const BufferDesc& desc);
    virtual ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // A region of `bytes` from `offset`; a region that runs past the end continues at the start
    // as the second part (second pointer null and length 0 when it does not wrap).
    Result Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2,
                uint32_t flags);
    Result Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);
    // Plays from the current position, once or looped.
    Result Play(uint32_t flags);
    // Stops and keeps the position; the next Play continues from it.
    Result Stop();
    Result GetStatus(uint32_t* status);
    Result SetVolume(int32_t hundredthsDb);
    Result GetVolume(int32_t* hundredthsDb) const;
    Result SetPan(int32_t pan);
    Result GetPan(int32_t* pan) const;
    Result SetFrequency(uint32_t hertz);
    Result GetFrequency(uint32_t* hertz) const;
    // The play cursor; the write cursor is where writing is safe from (here the same).
    Result GetCurrentPosition(uint32_t* play, uint32_t* write);
    Result SetCurrentPosition(uint32_t position);
    // A lost buffer comes back with its samples gone.
    Result Restore();
    // Primary buffer only: the output format.
    Result SetFormat(const WaveFormat& format);
    Result GetFormat(WaveFormat* format) const;
    // The buffer's 3-D interface: only a buffer made with BUFFER_CTRL3D has one.
    Buffer3D* Get3DBuffer();
    // The listener: only from a primary buffer made with BUFFER_CTRL3D.
    Listener* GetListener();

    uint32_t Flags() const { return m_flags; }
    uint32_t Size() const { return static_cast<uint32_t>(m_data.size()); }
    // The samples as the owner wrote them (tests read what a buffer holds).
    const std::vector<uint8_t>& Data() const { return m_data; }
    bool Is3D() const { return m_3d != nullptr; }
    // Lost buffers report STATUS_BUFFERLOST until restored (the recording backend scripts it).
    void MarkLost() { m_lost = true; }

protected:
    friend class Buffer3D;
    friend class Device;

    // Backend hooks; the defaults keep the bookkeeping only.
    virtual void Upload(uint32_t offset, uint32_t bytes) {}
    virtual void StartPlayback() {}
    virtual void StopPlayback() {}
    // False once a buffer played once has reached its end.
    virtual bool StillPlaying() { return true; }
    virtual uint32_t PlayCursor() { return m_cursor; }
    virtual void MoveCursor(uint32_t position) { m_cursor = position; }
    // Volume, pan or 3-D placement changed.
    virtual void ApplyMix() {}
    virtual void ApplyFrequency() {}

    Device& m_device;
    uint32_t m_flags;
    WaveFormat m_format;
    std::vector<uint8_t> m_data;
    bool m_locked = false;
    bool m_lost = false;
    bool m_playing = false;
    bool m_looping = false;
    uint32_t m_cursor = 0;
    int32_t m_volume = VOLUME_MAX;
    int32_t m_pan = 0;
    uint32_t m_frequency = 0;
    std::unique_ptr<Buffer3D> m_3d;
};

class Device {
public:
    Device();
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    Result SetCooperativeLevel(plat::WindowHandle window, uint32_t level);
    Result CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<Buffer>& buffer);

    const Listener::Params& ListenerParams() const { return m_listener.Current(); }

protected:
    friend class Buffer;
    friend class Listener;

    virtual std::unique_ptr<Buffer> NewBuffer(const BufferDesc& desc) = 0;
    virtual void ApplyListener() {}
    void Commit3D();

    Listener m_listener;
    std::vector<Buffer*> m_3dBuffers;
};

// The device of the selected backend. ERR_NODRIVER when there is no audio device at all.
Result CreateDevice(std::unique_ptr<Device>& device);

}  // namespace snd
