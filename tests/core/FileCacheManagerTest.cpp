#include "core/FileCacheManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "support/ConsoleLogTest.h"

namespace {

using Lines = std::vector<std::string>;

class FileCacheManagerTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_FileCacheManager);
    }
    void TearDown() override {
        test::ResetGlobal(g_FileCacheManager);
        ConsoleLogTest::TearDown();
    }

    // Every line up to the end of the file, read through a buffer of n bytes.
    static Lines ReadAll(FileCacheManager::Handle* handle, uint32_t n = 256) {
        Lines lines;
        std::vector<char> buffer(n);
        while (!g_FileCacheManager.Eof(handle) && lines.size() < 100) {
            g_FileCacheManager.ReadLine(handle, buffer.data(), n);
            lines.emplace_back(buffer.data());
        }
        return lines;
    }
};

TEST_F(FileCacheManagerTest, ReadsLinesEndedByCrLfLfOrTheEndOfTheFile) {
    struct Case {
        const char* content;
        Lines lines;
    };
    const Case cases[] = {
        {"mesh body.x\r\nscale 1.5\r\n", {"mesh body.x", "scale 1.5"}},
        {"first\nsecond\n\nfourth", {"first", "second", "", "fourth"}},
        {"no line break", {"no line break"}},
        // A carriage return takes the character after it along as its line feed.
        {"ab\rXcd\n", {"ab", "cd"}},
        // A last carriage return has nothing after it to take.
        {"ab\r", {"ab"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        WriteFile("models\\bone.txt", c.content);
        FileCacheManager::Handle* handle = g_FileCacheManager.Open("models\\bone.txt");
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(ReadAll(handle), c.lines) << c.content;
        EXPECT_EQ(handle->m_uPosition, std::strlen(c.content)) << c.content;
        g_FileCacheManager.Close(handle);
        g_FileCacheManager.FreeFile("models\\bone.txt");
    }
}

TEST_F(FileCacheManagerTest, ALineLongerThanTheBufferIsTerminatedAndContinuesAtTheNextRead) {
    WriteFile("a.txt", "abcdefg\nhi\n");
    FileCacheManager::Handle* handle = g_FileCacheManager.Open("a.txt");
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    g_FileCacheManager.ReadLine(handle, buffer, 4);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], '#');
    EXPECT_EQ(ReadAll(handle, 4), (Lines{"def", "g", "hi"}));
}

TEST_F(FileCacheManagerTest, ATrailingCarriageReturnLeavesThePositionAtTheEnd) {
    WriteFile("a.txt", "ab\r");
    FileCacheManager::Handle* handle = g_FileCacheManager.Open("a.txt");
    char buffer[8];
    g_FileCacheManager.ReadLine(handle, buffer, sizeof buffer);
    EXPECT_EQ(handle->m_uPosition, 3u);
    g_FileCacheManager.ReadLine(handle, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(g_FileCacheManager.Eof(handle));
}

TEST_F(FileCacheManagerTest, HandlesAreIndependentOnOneCopyFoundIgnoringCase) {
    WriteFile("Models\\Farmer\\Bones.txt", "one\ntwo\n");
    FileCacheManager::Handle* first = g_FileCacheManager.Open("models\\farmer\\bones.txt");
    ASSERT_NE(first, nullptr);
    // Gone from disk: the second open has to come from memory.
    std::filesystem::remove(Path("Models\\Farmer\\Bones.txt"));
    FileCacheManager::Handle* second = g_FileCacheManager.Open("MODELS\\FARMER\\BONES.TXT");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->m_pFile, second->m_pFile);
    char buffer[16];
    g_FileCacheManager.ReadLine(first, buffer, sizeof buffer);
    EXPECT_EQ(ReadAll(second), (Lines{"one", "two"}));
    EXPECT_EQ(ReadAll(first), (Lines{"two"}));
}

TEST_F(FileCacheManagerTest, AFreedFileIsReadFromDiskAgainAndItsHandlesClose) {
    g_Settings.m_iSystemDebug = 1;
    WriteFile("ragdoll.txt", "old\n");
    FileCacheManager::Handle* stale = g_FileCacheManager.Open("ragdoll.txt");
    WriteFile("ragdoll.txt", "new\n");
    EXPECT_EQ(ReadAll(g_FileCacheManager.Open("ragdoll.txt")), (Lines{"old"}));

    g_FileCacheManager.FreeFile("RAGDOLL.TXT");
    EXPECT_FALSE(stale->m_bUsed);
    char buffer[8] = "keep";
    g_FileCacheManager.ReadLine(stale, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(ReadAll(g_FileCacheManager.Open("ragdoll.txt")), (Lines{"new"}));

    g_FileCacheManager.FreeFile("ragdoll.txt");
    g_FileCacheManager.FreeFile("never loaded.txt");
    g_Debug.DumpAllocs();
    EXPECT_EQ(ConsoleLines(), (Lines{"*** Current memory allocations:", "m_Cache[i].pData: 0"}));
}

TEST_F(FileCacheManagerTest, AMissingFileGivesNothingAndSaysNothing) {
    EXPECT_EQ(g_FileCacheManager.LoadFile("missing.txt"), -1);
    EXPECT_EQ(g_FileCacheManager.Open("missing.txt"), nullptr);
    EXPECT_EQ(g_FileCacheManager.LoadFile(std::string(FileCacheManager::kNameLength, 'a').c_str()), -1);
    EXPECT_TRUE(ConsoleLines().empty());
}

TEST_F(FileCacheManagerTest, FullTablesRefuseWithAConsoleLine) {
    WriteFile("a.txt", "a\n");
    WriteFile("b.txt", "b\n");
    for (int i = 0; i < FileCacheManager::kHandles; ++i) ASSERT_NE(g_FileCacheManager.Open("a.txt"), nullptr);
    EXPECT_EQ(g_FileCacheManager.Open("a.txt"), nullptr);
    for (int i = 1; i < FileCacheManager::kFiles; ++i) ASSERT_EQ(g_FileCacheManager.LoadFile("a.txt"), i);
    EXPECT_EQ(g_FileCacheManager.Open("b.txt"), nullptr);
    EXPECT_EQ(ConsoleLines(),
              (Lines{"ERROR in FileCacheManager: no more free file handles! file: a.txt",
                     "ERROR in FileCacheManager: no more free space in cache! file: b.txt"}));
}

TEST_F(FileCacheManagerTest, NullOrClosedHandlesReadNothing) {
    WriteFile("a.txt", "line\n");
    FileCacheManager::Handle* handle = g_FileCacheManager.Open("a.txt");
    g_FileCacheManager.Close(handle);
    g_FileCacheManager.Close(nullptr);
    char buffer[8] = "keep";
    for (FileCacheManager::Handle* h : {handle, static_cast<FileCacheManager::Handle*>(nullptr)}) {
        g_FileCacheManager.ReadLine(h, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, "keep");
        EXPECT_FALSE(g_FileCacheManager.Eof(h));
    }
}

}  // namespace
