#include "platform/os/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "support/TestSupport.h"

namespace {

class FilesTest : public test::StartDirTest {};

TEST_F(FilesTest, ResolvesEveryComponentIgnoringCase) {
    WriteFile("Scripts/Vehicles/Tractor.txt", "x");
    struct Case {
        const char* gamePath;
        const char* expected;  // relative to the start directory
    } cases[] = {
        {"scripts\\vehicles\\tractor.txt", "Scripts/Vehicles/Tractor.txt"},
        {"SCRIPTS\\VEHICLES\\TRACTOR.TXT", "Scripts/Vehicles/Tractor.txt"},
        {"scripts/Vehicles\\tractor.TXT", "Scripts/Vehicles/Tractor.txt"},
        {"scripts\\vehicles\\New.txt", "Scripts/Vehicles/New.txt"},     // new file: given spelling
        {"scripts\\missing\\a.txt", "Scripts/missing/a.txt"},           // below a missing folder
        {".\\scripts\\.\\vehicles\\tractor.txt", "Scripts/Vehicles/Tractor.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::ResolvePath(c.gamePath), m_dir.path() / c.expected) << c.gamePath;
}

TEST_F(FilesTest, PrefersAnExactSpellingWhenTwoEntriesDifferOnlyInCase) {
    WriteFile("data.txt", "lower");
    WriteFile("DATA.txt", "upper");
    EXPECT_EQ(plat::ResolvePath("DATA.txt"), m_dir.path() / "DATA.txt");
    EXPECT_EQ(plat::ResolvePath("data.txt"), m_dir.path() / "data.txt");
}

TEST_F(FilesTest, WritingAnExistingFileUnderOtherCaseReplacesIt) {
    WriteFile("Save/Keys.cfg", "old");
    FILE* f = plat::OpenFile("save\\keys.cfg", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("new", f);
    std::fclose(f);
    EXPECT_EQ(ReadFile("Save/Keys.cfg"), "new");
    EXPECT_EQ(plat::ListDirectory("save", "*").size(), 1u);
}

TEST_F(FilesTest, TextReadsDropCarriageReturnsBinaryReadsKeepThem) {
    WriteFile("a.txt", "one\r\ntwo\r\n\r\nthree");
    char line[64];
    FILE* text = plat::OpenFile("A.TXT", "rt");
    ASSERT_NE(text, nullptr);
    std::string read;
    while (std::fgets(line, sizeof line, text)) read += line;
    std::fclose(text);
    EXPECT_EQ(read, "one\ntwo\n\nthree");

    std::vector<char> bytes;
    ASSERT_TRUE(plat::ReadFileBytes("a.txt", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "one\r\ntwo\r\n\r\nthree");
}

TEST_F(FilesTest, AFolderDoesNotOpenAsAFileForReading) {
    // Opened, a folder would give a reader looping until the end of the file no end at all.
    std::filesystem::create_directories(Path("worlds\\meadow.w"));
    for (const char* mode : {"r", "rt", "rb"}) {
        errno = 0;
        EXPECT_EQ(plat::OpenFile("worlds\\meadow.w", mode), nullptr) << mode;
        EXPECT_EQ(errno, EISDIR) << mode;
    }
    std::vector<char> bytes;
    EXPECT_FALSE(plat::ReadFileBytes("worlds\\meadow.w", bytes));
    EXPECT_FALSE(plat::FileExists("worlds\\meadow.w"));
}

TEST_F(FilesTest, OnlyARegularFileIsReadWhole) {
    // A device or a pipe never ends or blocks the reader, and its size is no size to reserve.
    std::filesystem::create_directories(Path("save"));
    ASSERT_EQ(::mkfifo(Path("save\\pipe").c_str(), 0600), 0);
    for (const char* path : {"/dev/null", "/dev/zero", "save\\pipe"}) {
        std::vector<char> bytes;
        errno = 0;
        EXPECT_FALSE(plat::ReadFileBytes(path, bytes)) << path;
        EXPECT_EQ(errno, EINVAL) << path;
        EXPECT_EQ(plat::OpenFile(path, "rb"), nullptr) << path;
        EXPECT_FALSE(plat::FileExists(path)) << path;
    }
}

TEST_F(FilesTest, ListsMatchingFilesSortedIgnoringCase) {
    for (const char* name : {"b.ogg", "A.ogg", "c.OGG", "notes.txt", "Z.ogg"}) WriteFile(std::string("Music/") + name, "");
    WriteFile("Music/sub.ogg/inner.txt", "");  // a folder is not a file
    std::vector<std::string> expected = {"A.ogg", "b.ogg", "c.OGG", "Z.ogg"};
    EXPECT_EQ(plat::ListDirectory("music", "*.ogg"), expected);
    EXPECT_EQ(plat::ListDirectory("music", "*.*").size(), 5u);
    EXPECT_EQ(plat::ListDirectory("music", "*", true), std::vector<std::string>{"sub.ogg"});
    EXPECT_TRUE(plat::ListDirectory("nothing", "*").empty());
}

TEST_F(FilesTest, SeesFilesAddedAndRemovedBehindItsBack) {
    EXPECT_FALSE(plat::FileExists("late.txt"));
    WriteFile("Late.txt", "x");
    EXPECT_TRUE(plat::FileExists("late.txt"));
    EXPECT_TRUE(plat::DeleteFile("LATE.TXT"));
    EXPECT_FALSE(plat::FileExists("late.txt"));
    EXPECT_FALSE(plat::DeleteFile("late.txt"));
}

TEST_F(FilesTest, AMemoryFileIsReadInsteadOfTheDiskUnderAnySpellingButNeverWritten) {
    WriteFile("Save/Keys.cfg", "on disk");
    const std::string bytes = "in\r\nmemory";
    plat::SetMemoryFile("save/./KEYS.cfg", bytes.data(), bytes.size());
    plat::SetMemoryFile("new\\empty.txt", nullptr, 0);

    std::vector<char> read;
    ASSERT_TRUE(plat::ReadFileBytes("SAVE\\keys.cfg", read));
    EXPECT_EQ(std::string(read.begin(), read.end()), bytes);
    char line[64] = {};
    FILE* text = plat::OpenFile("save\\keys.cfg", "rt");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::fread(line, 1, sizeof line, text), 9u);  // text mode drops the CR here too
    std::fclose(text);
    EXPECT_TRUE(plat::FileExists("new\\Empty.txt"));
    ASSERT_TRUE(plat::ReadFileBytes("new\\empty.txt", read));
    EXPECT_TRUE(read.empty());

    FILE* out = plat::OpenFile("save\\keys.cfg", "wb");  // writing goes to the disk
    ASSERT_NE(out, nullptr);
    std::fputs("written", out);
    std::fclose(out);
    EXPECT_EQ(ReadFile("Save/Keys.cfg"), "written");
    ASSERT_TRUE(plat::ReadFileBytes("save\\keys.cfg", read));
    EXPECT_EQ(std::string(read.begin(), read.end()), bytes);
    // A copy of it is a copy of the bytes in memory, on the disk.
    ASSERT_TRUE(plat::CopyFile("save\\keys.cfg", "save\\keys.bak"));
    EXPECT_EQ(ReadFile("Save/keys.bak"), bytes);

    plat::ClearMemoryFiles();
    EXPECT_FALSE(plat::FileExists("new\\empty.txt"));
    ASSERT_TRUE(plat::ReadFileBytes("save\\keys.cfg", read));
    EXPECT_EQ(std::string(read.begin(), read.end()), "written");
}

TEST_F(FilesTest, KeptInMemoryWritesNeverTouchTheDisk) {
    WriteFile("Reports/log.txt", "on disk\n");
    plat::KeepWritesInMemory(true);
    for (const char* mode : {"w", "a+t"}) {
        FILE* f = plat::OpenFile("reports\\log.txt", mode);
        ASSERT_NE(f, nullptr) << mode;
        std::fputs("line\n", f);
        std::fclose(f);
    }
    std::vector<char> read;
    ASSERT_TRUE(plat::ReadFileBytes("REPORTS\\log.txt", read));
    EXPECT_EQ(std::string(read.begin(), read.end()), "line\nline\n");  // "w" starts afresh, "a" appends
    ASSERT_TRUE(plat::CopyFile("reports\\log.txt", "new\\copy.txt"));
    ASSERT_TRUE(plat::RenameFile("new\\copy.txt", "new\\moved.txt"));
    EXPECT_FALSE(plat::FileExists("new\\copy.txt"));
    ASSERT_TRUE(plat::ReadFileBytes("new\\moved.txt", read));
    EXPECT_EQ(read.size(), 10u);
    EXPECT_TRUE(plat::DeleteFile("reports\\log.txt"));
    EXPECT_FALSE(plat::DeleteFile("reports\\log.txt"));  // the disk's file stays where it was
    // Appending to an input's file grows a copy: the input's own bytes stay as they were.
    const std::string input = "input\n";
    plat::SetMemoryFile("qv.cfg", input.data(), input.size());
    FILE* f = plat::OpenFile("qv.cfg", "a");
    ASSERT_NE(f, nullptr);
    std::fputs("more\n", f);
    std::fclose(f);
    ASSERT_TRUE(plat::ReadFileBytes("qv.cfg", read));
    EXPECT_EQ(std::string(read.begin(), read.end()), "input\nmore\n");
    EXPECT_EQ(input, "input\n");
    plat::KeepWritesInMemory(false);
    plat::ClearMemoryFiles();
    EXPECT_EQ(ReadFile("Reports/log.txt"), "on disk\n");
    EXPECT_FALSE(plat::FileExists("new\\moved.txt"));
    EXPECT_FALSE(std::filesystem::exists(Path("new")));
}

TEST(MatchWildcard, MatchesStarAndQuestionMarkIgnoringCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*", "anything", true},          {"*.txt", "a.TXT", true},      {"*.txt", "a.txt.bak", false},
        {"a?c", "abc", true},             {"a?c", "ac", false},          {"*a*b", "xxaxxb", true},
        {"*a*b", "xxaxxbx", false},       {"", "", true},                {"", "a", false},
        {"track*.ogg", "Track01.ogg", true},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::MatchWildcard(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

}  // namespace
