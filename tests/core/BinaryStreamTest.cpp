// Binary stream helpers: exact bytes, little-endian, no tags, and the byte counters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/BinaryStream.h"
#include "core/EOrientation.h"
#include "core/ESettings.h"
#include "support/TestSupport.h"

namespace {

struct Vec3 {
    float x, y, z;
};

std::vector<unsigned char> Contents(FILE* f) {
    std::fflush(f);
    long size = std::ftell(f);
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    std::rewind(f);
    size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    bytes.resize(got);
    std::rewind(f);
    return bytes;
}

class BinaryStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = std::tmpfile();
        ASSERT_NE(m_file, nullptr);
        m_read0 = g_Settings.m_uBytesRead;
        m_written0 = g_Settings.m_uBytesWritten;
    }
    void TearDown() override { std::fclose(m_file); }

    u32 Written() const { return g_Settings.m_uBytesWritten - m_written0; }
    u32 Read() const { return g_Settings.m_uBytesRead - m_read0; }

    FILE* m_file = nullptr;
    u32 m_read0 = 0;
    u32 m_written0 = 0;
};

TEST_F(BinaryStreamTest, WritesValuesInMemoryOrderWithNothingBetween) {
    FileWriteBool(m_file, true);
    FileWriteBool(m_file, false);
    FileWriteInt(m_file, 0x01020304);
    FileWriteInt(m_file, -2);
    FileWriteFloat(m_file, 1.0f);
    FileWriteString(m_file, "ab");
    FileWriteDV(m_file, Vec3{1.0f, -2.0f, 0.5f});
    std::vector<unsigned char> expected = {
        1, 0,                    // bools
        4, 3, 2, 1,              // int, little-endian
        0xFE, 0xFF, 0xFF, 0xFF,  // -2
        0, 0, 0x80, 0x3F,        // 1.0f
        2, 0, 0, 0, 'a', 'b',    // length-prefixed string without terminator
        0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0, 0, 0, 0, 0x3F,  // x, y, z
    };
    EXPECT_EQ(Contents(m_file), expected);
    EXPECT_EQ(Written(), expected.size());
}

TEST_F(BinaryStreamTest, ReadsBackWhatWasWrittenAndCountsTheBytes) {
    FileWriteBool(m_file, true);
    FileWriteInt(m_file, -123456);
    FileWriteFloat(m_file, 3.25f);
    FileWriteString(m_file, "tractor");
    FileWriteString(m_file, "");
    FileWriteDV(m_file, Vec3{4.0f, 5.0f, 6.0f});
    std::rewind(m_file);

    bool b = false;
    int32_t i = 0;
    float f = 0;
    char text[32] = "junk";
    std::string empty = "junk";
    Vec3 v{};
    FileReadBool(m_file, &b);
    FileReadInt(m_file, &i);
    FileReadFloat(m_file, &f);
    FileReadString(m_file, text, sizeof text);
    FileReadString(m_file, &empty);
    FileReadDV(m_file, &v);
    EXPECT_TRUE(b);
    EXPECT_EQ(i, -123456);
    EXPECT_EQ(f, 3.25f);
    EXPECT_STREQ(text, "tractor");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(v.x, 4.0f);
    EXPECT_EQ(v.y, 5.0f);
    EXPECT_EQ(v.z, 6.0f);
    EXPECT_EQ(Read(), 1u + 4 + 4 + (4 + 7) + 4 + 12);
    EXPECT_EQ(Read(), Written());
}

TEST_F(BinaryStreamTest, AnOrientationTakesItsBinaryFormAndReadsBackExactly) {
    const DV direction{0.3f, -0.8f, 0.52f};
    const EOrientation o = EOrientation::EOrientationFromDirection(&direction);
    FileWriteOrientation(m_file, o);
    FileWriteInt(m_file, 42);
    std::vector<unsigned char> bytes = Contents(m_file);
    std::vector<unsigned char> form(kOrientationBytes);
    OrientationToBytes(o, form.data());
    ASSERT_EQ(bytes.size(), kOrientationBytes + 4);
    EXPECT_TRUE(std::equal(form.begin(), form.end(), bytes.begin()));

    EOrientation back;
    int32_t after = 0;
    FileReadOrientation(m_file, &back);
    FileReadInt(m_file, &after);
    EXPECT_EQ(std::memcmp(&back, &o, sizeof o), 0);
    EXPECT_EQ(after, 42);
    EXPECT_EQ(Read(), kOrientationBytes + 4);
    EXPECT_EQ(Written(), kOrientationBytes + 4);
}

TEST_F(BinaryStreamTest, AnyNonZeroByteReadsAsTrue) {
    unsigned char bytes[] = {7, 0};
    FileWrite(m_file, bytes, 2);
    std::rewind(m_file);
    bool a = false, b = true;
    FileReadBool(m_file, &a);
    FileReadBool(m_file, &b);
    EXPECT_TRUE(a);
    EXPECT_FALSE(b);
}

TEST_F(BinaryStreamTest, AStringLongerThanTheBufferKeepsTheStreamInStep) {
    FileWriteString(m_file, "abcdefgh");
    FileWriteInt(m_file, 42);
    std::rewind(m_file);
    char small[4];
    FileReadString(m_file, small, sizeof small);
    int32_t after = 0;
    FileReadInt(m_file, &after);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(after, 42);
}

TEST_F(BinaryStreamTest, DamagedLengthsReadSafely) {
    FileWriteInt(m_file, -5);
    FileWriteInt(m_file, 1000000);  // more characters than the file holds
    FileWrite(m_file, "xyz", 3);
    std::rewind(m_file);
    std::string negative = "junk";
    std::string truncated;
    FileReadString(m_file, &negative);
    FileReadString(m_file, &truncated);
    EXPECT_EQ(negative, "");
    EXPECT_EQ(truncated, "xyz");
}

TEST_F(BinaryStreamTest, NullStreamsAndTargetsDoNothing) {
    FileWriteInt(nullptr, 1);
    FileWriteBool(nullptr, true);
    FileWriteString(nullptr, "a");
    FileWrite(m_file, "abc", 0);
    FileWrite(m_file, "abc", -1);
    bool b = false;
    FileReadBool(nullptr, &b);
    FileReadBool(m_file, nullptr);
    FileReadInt(m_file, nullptr);
    FileWriteOrientation(nullptr, EOrientation());
    FileReadOrientation(m_file, nullptr);
    EXPECT_EQ(Written(), 0u);
    EXPECT_EQ(Read(), 0u);
    EXPECT_TRUE(Contents(m_file).empty());
}

class FileChecksumTest : public test::StartDirTest {};

TEST_F(FileChecksumTest, DependsOnEveryByte) {
    WriteFile("a.bin", std::string(10000, 'a'));
    WriteFile("b.bin", std::string(9999, 'a') + "b");
    WriteFile("c.bin", std::string(10000, 'a'));
    EXPECT_NE(FileChecksum("a.bin"), FileChecksum("b.bin"));
    EXPECT_EQ(FileChecksum("a.bin"), FileChecksum("c.bin"));
    EXPECT_EQ(FileChecksum("missing.bin"), 0u);
}

}  // namespace
