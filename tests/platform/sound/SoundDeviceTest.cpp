#include "platform/sound/SoundDevice.h"

#include "platform/sound/NullSound.h"
#include "support/TestSupport.h"

namespace {

class SoundDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetPlatform();
        snd::ResetNullSoundBackend();
        ASSERT_EQ(snd::CreateDevice(m_device), snd::OK);
    }
    std::unique_ptr<snd::Buffer> Make(uint32_t flags, uint16_t channels = 1, uint32_t bytes = 1000) {
        snd::WaveFormat format = snd::Pcm16Format(channels, 22050);
        std::unique_ptr<snd::Buffer> buffer;
        m_result = m_device->CreateSoundBuffer({flags, bytes, &format}, buffer);
        return buffer;
    }

    std::unique_ptr<snd::Device> m_device;
    snd::Result m_result = snd::OK;
};

TEST_F(SoundDeviceTest, ALockPastTheEndWrapsIntoASecondRegion) {
    auto buffer = Make(snd::BUFFER_CTRLVOLUME);
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(800, 500, &p1, &n1, &p2, &n2, 0), snd::OK);
    EXPECT_EQ(n1, 200u);
    EXPECT_EQ(n2, 300u);
    EXPECT_EQ(static_cast<uint8_t*>(p2), buffer->Data().data());
    EXPECT_EQ(buffer->Lock(0, 10, &p1, &n1, &p2, &n2, 0), snd::ERR_INVALIDCALL);  // already locked
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), snd::OK);
    ASSERT_EQ(buffer->Lock(100, 100, &p1, &n1, &p2, &n2, 0), snd::OK);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(p2, nullptr);
    buffer->Unlock(p1, n1, p2, n2);
    for (auto [offset, bytes] : {std::pair{1000u, 10u}, {0u, 0u}, {0u, 1001u}})
        EXPECT_EQ(buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0), snd::ERR_INVALIDPARAM) << offset << " " << bytes;
}

TEST_F(SoundDeviceTest, ControlsNeedTheirCreationFlags) {
    auto plain = Make(0);
    EXPECT_EQ(plain->SetVolume(-100), snd::ERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), snd::ERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(8000), snd::ERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->Get3DBuffer(), nullptr);
    auto full = Make(snd::BUFFER_CTRLVOLUME | snd::BUFFER_CTRLPAN | snd::BUFFER_CTRLFREQUENCY);
    EXPECT_EQ(full->SetVolume(-10001), snd::ERR_INVALIDPARAM);
    EXPECT_EQ(full->SetVolume(1), snd::ERR_INVALIDPARAM);
    EXPECT_EQ(full->SetPan(10001), snd::ERR_INVALIDPARAM);
    EXPECT_EQ(full->SetFrequency(99), snd::ERR_INVALIDPARAM);
    EXPECT_EQ(full->SetFrequency(44100), snd::OK);
}

TEST_F(SoundDeviceTest, ThreeDBuffersAreMonoOnlyAndCommitWithTheListener) {
    Make(snd::BUFFER_CTRL3D, 2);
    EXPECT_EQ(m_result, snd::ERR_INVALIDPARAM);
    auto buffer = Make(snd::BUFFER_CTRL3D);
    ASSERT_EQ(m_result, snd::OK);
    std::unique_ptr<snd::Buffer> primary;
    ASSERT_EQ(m_device->CreateSoundBuffer({snd::BUFFER_PRIMARY | snd::BUFFER_CTRL3D, 0, nullptr}, primary), snd::OK);
    snd::Listener* listener = primary->GetListener();
    ASSERT_NE(listener, nullptr);
    snd::Buffer3D* b3d = buffer->Get3DBuffer();
    b3d->SetPosition({1, 2, 3}, snd::APPLY_DEFERRED);
    listener->SetPosition({4, 5, 6}, snd::APPLY_DEFERRED);
    EXPECT_EQ(b3d->Current().position.z, 0.0f);
    EXPECT_EQ(listener->Current().position.z, 0.0f);
    listener->CommitDeferredSettings();
    EXPECT_EQ(b3d->Current().position.z, 3.0f);
    EXPECT_EQ(listener->Current().position.z, 6.0f);
    b3d->SetPosition({7, 8, 9}, snd::APPLY_IMMEDIATE);
    EXPECT_EQ(b3d->Current().position.z, 9.0f);
}

// A headless game commits its listener every frame; the record of calls stops growing at its bound.
TEST_F(SoundDeviceTest, TheNullRecordOfCallsStopsGrowingAtItsBound) {
    std::unique_ptr<snd::Buffer> primary;
    ASSERT_EQ(m_device->CreateSoundBuffer({snd::BUFFER_PRIMARY | snd::BUFFER_CTRL3D, 0, nullptr}, primary), snd::OK);
    for (size_t i = 0; i < snd::NullScript::kMaxCalls + 100; ++i) primary->GetListener()->CommitDeferredSettings();
    EXPECT_EQ(snd::NullBackend().calls.size(), snd::NullScript::kMaxCalls);
}

TEST_F(SoundDeviceTest, FormatsTheDeviceCannotPlayAreRefused) {
    const struct {
        uint16_t tag, channels, bits;
        uint32_t rate;
    } cases[] = {{3, 1, 32, 44100}, {1, 6, 16, 44100}, {1, 1, 24, 44100}, {1, 0, 16, 44100}, {1, 1, 16, 50}};
    for (const auto& c : cases) {
        snd::WaveFormat f = snd::Pcm16Format(c.channels, c.rate);
        f.formatTag = c.tag;
        f.bitsPerSample = c.bits;
        f.blockAlign = static_cast<uint16_t>(c.channels * c.bits / 8);
        std::unique_ptr<snd::Buffer> buffer;
        EXPECT_EQ(m_device->CreateSoundBuffer({0, 1000, &f}, buffer), snd::ERR_BADFORMAT) << c.channels << " " << c.bits;
        EXPECT_EQ(buffer, nullptr);
    }
}

TEST_F(SoundDeviceTest, PlayedOnceABufferStopsAtItsEndAndStartsAgainFromTheBeginning) {
    auto buffer = Make(0);
    buffer->Play(0);
    snd::AdvanceNullPlayback(600);
    uint32_t status = 0, cursor = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, snd::STATUS_PLAYING);
    snd::AdvanceNullPlayback(600);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    buffer->GetCurrentPosition(&cursor, nullptr);
    EXPECT_EQ(cursor, 0u);
    buffer->Play(snd::PLAY_LOOPING);
    snd::AdvanceNullPlayback(1500);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, snd::STATUS_PLAYING | snd::STATUS_LOOPING);
    buffer->GetCurrentPosition(&cursor, nullptr);
    EXPECT_EQ(cursor, 500u);
    buffer->Stop();
    snd::AdvanceNullPlayback(100);
    buffer->GetCurrentPosition(&cursor, nullptr);
    EXPECT_EQ(cursor, 500u);
}

}  // namespace
