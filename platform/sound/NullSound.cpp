#include "platform/sound/NullSound.h"

#include <algorithm>

namespace snd {

namespace {

std::vector<Buffer*>& LiveBuffers() {
    static std::vector<Buffer*> buffers;
    return buffers;
}

void Record(const char* call) {
    std::lock_guard<std::mutex> lock(NullBackendMutex());
    std::vector<std::string>& calls = NullBackend().calls;
    if (calls.size() < NullScript::kMaxCalls) calls.emplace_back(call);
}

class NullBuffer final : public Buffer {
public:
    NullBuffer(Device& device, const BufferDesc& desc) : Buffer(device, desc) {
        std::lock_guard<std::mutex> lock(NullBackendMutex());
        LiveBuffers().push_back(this);
    }
    ~NullBuffer() override {
        std::lock_guard<std::mutex> lock(NullBackendMutex());
        auto& list = LiveBuffers();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

    void Advance(uint32_t bytes) {
        if (!m_playing || m_data.empty()) return;
        uint64_t next = uint64_t{m_cursor} + bytes;
        if (m_looping) {
            m_cursor = static_cast<uint32_t>(next % m_data.size());
        } else if (next >= m_data.size()) {
            m_cursor = 0;
            m_finished = true;
        } else {
            m_cursor = static_cast<uint32_t>(next);
        }
    }

protected:
    void StartPlayback() override {
        m_finished = false;
        Record("Play");
    }
    void StopPlayback() override { Record("Stop"); }
    bool StillPlaying() override { return !m_finished; }

private:
    bool m_finished = false;
};

class NullDevice final : public Device {
protected:
    std::unique_ptr<Buffer> NewBuffer(const BufferDesc& desc) override {
        Record(desc.flags & BUFFER_PRIMARY ? "CreatePrimaryBuffer" : "CreateSoundBuffer");
        {
            std::lock_guard<std::mutex> lock(NullBackendMutex());
            NullScript& script = NullBackend();
            if ((desc.flags & BUFFER_PRIMARY) && (desc.flags & BUFFER_CTRL3D) && script.noListener) return nullptr;
            if (!(desc.flags & BUFFER_PRIMARY) && script.bufferFailures > 0) {
                --script.bufferFailures;
                return nullptr;
            }
        }
        if (desc.flags & BUFFER_PRIMARY) return std::make_unique<Buffer>(*this, desc);
        return std::make_unique<NullBuffer>(*this, desc);
    }
    void ApplyListener() override { Record("Commit"); }
};

}  // namespace

NullScript& NullBackend() {
    static NullScript script;
    return script;
}

std::mutex& NullBackendMutex() {
    static std::mutex mutex;
    return mutex;
}

void ResetNullSoundBackend() {
    std::lock_guard<std::mutex> lock(NullBackendMutex());
    NullBackend() = NullScript{};
}

int CountNullCalls(const std::string& call) {
    std::lock_guard<std::mutex> lock(NullBackendMutex());
    const auto& calls = NullBackend().calls;
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

void AdvanceNullPlayback(uint32_t bytes) {
    std::lock_guard<std::mutex> lock(NullBackendMutex());
    for (Buffer* b : LiveBuffers()) static_cast<NullBuffer*>(b)->Advance(bytes);
}

void LoseNullBuffers() {
    std::lock_guard<std::mutex> lock(NullBackendMutex());
    for (Buffer* b : LiveBuffers()) b->MarkLost();
}

Result CreateNullDevice(std::unique_ptr<Device>& device) {
    Record("CreateDevice");
    {
        std::lock_guard<std::mutex> lock(NullBackendMutex());
        if (NullBackend().noDevice) return ERR_NODRIVER;
    }
    device = std::make_unique<NullDevice>();
    return OK;
}

}  // namespace snd
