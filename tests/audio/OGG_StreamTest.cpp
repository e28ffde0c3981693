#include "audio/OGG_Stream.h"

#include <algorithm>

#include "audio/CMusicSource.h"
#include "SoundFixture.h"

namespace {

class OggStreamTest : public SoundTest {
protected:
    // Opens the bytes as a music source and a stream over it.
    OGG_Stream& Open(const std::string& bytes) {
        WriteFile("t.ogg", bytes);
        EXPECT_EQ(m_source.Open("t.ogg"), 0);
        m_stream = std::make_unique<OGG_Stream>(&m_source);
        return *m_stream;
    }
    static std::vector<uint8_t> ReadAll(OGG_Stream& stream) {
        std::vector<uint8_t> all;
        uint8_t chunk[5000];
        while (uint32_t n = stream.Read(chunk, sizeof chunk)) all.insert(all.end(), chunk, chunk + n);
        return all;
    }
    static std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
        std::vector<int16_t> s(bytes.size() / 2);
        for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        return s;
    }

    CMusicSource m_source;
    std::unique_ptr<OGG_Stream> m_stream;
};

TEST_F(OggStreamTest, DecodesEveryFrameOfTheFileThenRaisesEof) {
    OGG_Stream& stream = Open(synth::OggVorbis(2, 48000, synth::Sine(2, 48000, 1000.0f, 0.5f)));
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(stream.GetChannels(), 2);
    EXPECT_EQ(stream.GetRate(), 48000);
    std::vector<uint8_t> all = ReadAll(stream);
    EXPECT_TRUE(stream.IsEOF());
    EXPECT_EQ(all.size(), 24000u * 4);
    std::vector<int16_t> s = Samples(all);
    auto [lo, hi] = std::minmax_element(s.begin(), s.end());
    EXPECT_NEAR(*hi, 16383, 1500);
    EXPECT_NEAR(*lo, -16383, 1500);
    uint8_t more[16];
    EXPECT_EQ(stream.Read(more, sizeof more), 0u);
}

TEST_F(OggStreamTest, RewindStartsAgainWithTheFirstAudio) {
    OGG_Stream& stream = Open(synth::OggVorbis(1, 44100, synth::Sine(1, 44100, 300.0f, 0.3f)));
    std::vector<uint8_t> first = ReadAll(stream);
    ASSERT_TRUE(stream.IsEOF());
    EXPECT_TRUE(stream.Rewind());
    EXPECT_FALSE(stream.IsEOF());
    EXPECT_EQ(ReadAll(stream), first);
}

TEST_F(OggStreamTest, RequestsAreServedInWholeFrames) {
    OGG_Stream& stream = Open(synth::OggVorbis(2, 44100, synth::Sine(2, 44100, 300.0f, 0.2f)));
    uint8_t buffer[7];
    std::fill(std::begin(buffer), std::end(buffer), 0xAB);
    EXPECT_EQ(stream.Read(buffer, 7), 4u);
    EXPECT_EQ(buffer[4], 0xAB);
    EXPECT_EQ(buffer[6], 0xAB);
    EXPECT_EQ(stream.Read(buffer, 3), 0u);
    EXPECT_FALSE(stream.IsEOF());
}

TEST_F(OggStreamTest, SamplesBeyondFullScaleAreClamped) {
    OGG_Stream& stream = Open(synth::OggVorbis(1, 44100, synth::Sine(1, 44100, 500.0f, 0.3f, 1.5f), 0.9f));
    std::vector<int16_t> s = Samples(ReadAll(stream));
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 32767);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), -32767);
}

TEST_F(OggStreamTest, AFileOfOnlyHeadersGivesNothingAndEof) {
    OGG_Stream& stream = Open(synth::OggVorbis(1, 44100, {}));
    ASSERT_TRUE(stream.IsOpen());
    uint8_t buffer[64];
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0u);
    EXPECT_TRUE(stream.IsEOF());
}

// Nothing that is not a whole Ogg Vorbis header set opens, and a stream that did not open has no
// channel count, reads nothing and never divides by it.
TEST_F(OggStreamTest, DataThatIsNotOggVorbisDoesNotOpen) {
    std::string good = synth::OggVorbis(1, 44100, synth::Sine(1, 44100, 300.0f, 0.2f));
    std::string corruptHeader = good;
    corruptHeader[good.find("vorbis") + 1] = 'X';
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", std::string(5000, 'x')},
        {"wave", synth::Wave(1, 22050, 16, std::string(4000, '\0'))},
        {"cut inside the headers", good.substr(0, 200)},
        {"corrupt identification header", corruptHeader},
    };
    for (const auto& c : cases) {
        OGG_Stream& stream = Open(c.bytes);
        EXPECT_FALSE(stream.IsOpen()) << c.what;
        EXPECT_EQ(stream.GetChannels(), 0) << c.what;
        uint8_t buffer[64];
        EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0u) << c.what;
        EXPECT_TRUE(stream.Rewind()) << c.what;
        m_source.Close();
    }
}

TEST_F(OggStreamTest, TheMusicSourceReportsReadingToItsEnd) {
    WriteFile("m.bin", "0123456789");
    ASSERT_EQ(m_source.Open("m.bin"), 0);
    char out[16] = {};
    EXPECT_EQ(m_source.Read(out, 4), 4);
    EXPECT_EQ(m_source.m_bEnded, 0);
    EXPECT_EQ(m_source.Read(out, 6), 6);
    EXPECT_EQ(m_source.m_bEnded, 1);
    EXPECT_EQ(m_source.Read(out, 6), 0);
    m_source.Seek(100);
    EXPECT_EQ(m_source.Tell(), 10u);
    EXPECT_EQ(m_source.Read(nullptr, 4), 0);
    EXPECT_EQ(CMusicSource().Open("none.bin"), -1);
    // An empty file opens and ends at once: there is no data to copy from at all.
    WriteFile("empty.bin", "");
    ASSERT_EQ(m_source.Open("empty.bin"), 0);
    EXPECT_EQ(m_source.Read(out, 4), 0);
    EXPECT_EQ(m_source.m_bEnded, 1);
}

}  // namespace
