#include "audio/CSoundWave.h"

#include "SoundFixture.h"

namespace {

using synth::PutChunk;

std::string Riff(const std::string& chunks) {
    std::string file = "RIFF";
    synth::PutU32(file, static_cast<uint32_t>(chunks.size() + 4));
    return file + "WAVE" + chunks;
}

std::string Fmt() {
    std::string c;
    PutChunk(c, "fmt ", synth::FormatBody(2, 44100, 16));
    return c;
}

std::string Data(const std::string& bytes) {
    std::string c;
    PutChunk(c, "data", bytes);
    return c;
}

std::string Other(const char* id, const std::string& bytes) {
    std::string c;
    PutChunk(c, id, bytes);
    return c;
}

using WaveFileTest = SoundTest;

TEST_F(WaveFileTest, ReadsTheFormatAndTheDataInAnyChunkOrder) {
    struct Case {
        const char* what;
        std::string file;
    };
    const Case cases[] = {
        {"plain", Riff(Fmt() + Data("abcd"))},
        {"data first", Riff(Data("abcd") + Fmt())},
        {"unknown chunk first", Riff(Other("LIST", "xyz12") + Fmt() + Data("abcd"))},
        {"odd chunk with pad byte", Riff(Fmt() + Other("junk", "odd") + Data("abcd"))},
        {"trailing chunk", Riff(Fmt() + Data("abcd") + Other("cue ", "1234"))},
    };
    for (const Case& c : cases) {
        WriteFile("sounds\\a.wav", c.file);
        CSoundWave wave;
        ASSERT_TRUE(wave.LoadWaveFromFile("SOUNDS\\A.WAV")) << c.what;
        EXPECT_EQ(wave.m_Format.formatTag, 1) << c.what;
        EXPECT_EQ(wave.m_Format.channels, 2) << c.what;
        EXPECT_EQ(wave.m_Format.samplesPerSec, 44100u) << c.what;
        EXPECT_EQ(wave.m_Format.avgBytesPerSec, 176400u) << c.what;
        EXPECT_EQ(wave.m_Format.blockAlign, 4) << c.what;
        EXPECT_EQ(wave.m_Format.bitsPerSample, 16) << c.what;
        ASSERT_EQ(wave.m_uDataSize, 4u) << c.what;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(wave.m_pData.get()), 4), "abcd") << c.what;
        EXPECT_STREQ(wave.m_szName, "SOUNDS\\A.WAV");
    }
}

TEST_F(WaveFileTest, MissingChunksFailWithTheirLines) {
    struct Case {
        const char* what;
        std::string file;
        bool formatLine;
        bool dataLine;
    };
    const Case cases[] = {
        {"no format", Riff(Data("abcd")), true, false},
        {"no data", Riff(Fmt()), false, true},
        {"neither", Riff(Other("LIST", "ab")), true, true},
        {"header only", "RIFF", true, true},
    };
    for (const Case& c : cases) {
        g_Console.OpenLog();
        WriteFile("a.wav", c.file);
        CSoundWave wave;
        EXPECT_FALSE(wave.LoadWaveFromFile("a.wav")) << c.what;
        EXPECT_EQ(Logged("ERR #2: format chunk wrong"), c.formatLine) << c.what;
        EXPECT_EQ(Logged("ERR #3: data chunk wrong"), c.dataLine) << c.what;
        EXPECT_EQ(wave.m_uDataSize, 0u);
        EXPECT_EQ(wave.m_pData, nullptr);
        EXPECT_STREQ(wave.m_szName, "");
    }
}

TEST_F(WaveFileTest, AMissingFileIsReported) {
    CSoundWave wave;
    EXPECT_FALSE(wave.LoadWaveFromFile("sounds\\none.wav"));
    EXPECT_TRUE(Logged("ERR #1: There's no disk file!"));
}

// A size field larger than the file must not make the reader allocate or read beyond it.
TEST_F(WaveFileTest, ADataChunkLongerThanTheFileIsCutAtTheEnd) {
    std::string chunk = "data";
    synth::PutU32(chunk, 0xFFFFFFF0u);
    WriteFile("a.wav", Riff(Fmt() + chunk + "abcdef"));
    CSoundWave wave;
    ASSERT_TRUE(wave.LoadWaveFromFile("a.wav"));
    EXPECT_EQ(wave.m_uDataSize, 6u);
}

}  // namespace
