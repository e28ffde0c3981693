// Script lines: reading lines, keywords and words, and the report-file appender.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/ETextMgr.h"
#include "core/ScriptLine.h"
#include "platform/os/Files.h"
#include "support/TestSupport.h"

namespace {

// Reads every line of `content` with the given reader until the stream's end.
template <class Reader>
std::vector<std::string> ReadAll(const std::string& content, Reader read) {
    std::vector<std::string> lines;
    FILE* f = fmemopen(const_cast<char*>(content.data()), content.size(), "r");
    char buffer[64];
    for (int guard = 0; guard < 100 && !std::feof(f); ++guard) {
        read(f, buffer);
        lines.emplace_back(buffer);
    }
    std::fclose(f);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(IsKeywordTest, TheFirstWordAsAWholeWordIgnoringCase) {
    struct Case {
        const char* line;
        const char* keyword;
        bool expected;
    } cases[] = {
        {"mesh   tractor.x  ", "mesh", true},
        {"MESH tractor.x", "mesh", true},
        {"Mesh\ttractor.x", "mesh", true},
        {"mesh", "MeSh", true},
        {"Meshes tractor.x", "mesh", false},  // the keyword is only a prefix of the word
        {"mes tractor.x", "mesh", false},
        {" mesh tractor.x", "mesh", false},   // no leading blanks are skipped
        {"", "mesh", false},
        {"\xA5la x", "\xB9la", false},         // Polish letters are not folded here
        {nullptr, "mesh", false},
        {"mesh", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "(null)");
        EXPECT_EQ(IsKeyword(c.line, c.keyword), c.expected);
    }
}

TEST(IsKeywordTest, TheFirstWordIsCutAt127Characters) {
    std::string word(130, 'k');
    EXPECT_TRUE(IsKeyword((word + " v").c_str(), std::string(127, 'K').c_str()));
    EXPECT_FALSE(IsKeyword((word + " v").c_str(), word.c_str()));
}

TEST(GetKeywordValueTest, TheRestOfTheLineWithoutSurroundingBlanks) {
    struct Case {
        const char* line;
        const char* expected;
    } cases[] = {
        {"mesh   tractor.x  ", "tractor.x"},
        {"mesh\ttractor.x\t", "tractor.x"},
        {"  mesh  a  b \t", "a  b"},
        {"mesh", ""},
        {"mesh   ", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "(null)");
        EXPECT_STREQ(GetKeywordValue(c.line), c.expected);
    }
}

TEST(GetKeywordValueTest, ALineOf512CharactersIsTooLong) {
    std::string fits = "name " + std::string(506, 'v');  // 511 characters
    EXPECT_EQ(std::string(GetKeywordValue(fits.c_str())), std::string(506, 'v'));
    std::string tooLong = fits + "v";  // 512 characters
    EXPECT_STREQ(GetKeywordValue(tooLong.c_str()), "_string too long!");
    EXPECT_EQ(GetKeywordValue(tooLong.c_str()), kStringTooLong);
    EXPECT_STREQ(GetWord(tooLong.c_str(), 1), "_string too long!");
    EXPECT_STREQ(kStringTooLong, "_string too long!");
}

TEST(GetWordTest, WordsCountFromTheKeyword) {
    const char* line = "mesh   tractor.x  ";
    struct Case {
        const char* line;
        int n;
        const char* expected;
    } cases[] = {
        {line, 0, "mesh"},
        {line, 1, "tractor.x"},
        {line, 2, ""},
        {" \t a  b\t\tc  ", 0, "a"},
        {" \t a  b\t\tc  ", 1, "b"},
        {" \t a  b\t\tc  ", 2, "c"},
        {" \t a  b\t\tc  ", 7, ""},
        {"", 0, ""},
        {nullptr, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line ? c.line : "(null)") + " #" + std::to_string(c.n));
        EXPECT_STREQ(GetWord(c.line, c.n), c.expected);
    }
}

TEST(GetWordTest, EachFunctionOwnsOneBufferThatTheNextCallOverwrites) {
    const char* first = GetWord("a b", 1);
    const char* value = GetKeywordValue("key value");
    EXPECT_STREQ(first, "b");  // not touched by the other function
    GetWord("x y", 1);
    EXPECT_STREQ(first, "y");
    EXPECT_STREQ(value, "value");
}

TEST(GetWordTest, APreviousResultCanBeSplitFurther) {
    const char* value = GetKeywordValue("pos 1 2 3");
    EXPECT_STREQ(GetKeywordValue(value), "2 3");
    const char* word = GetWord("a  b c", 1);
    EXPECT_STREQ(GetWord(word, 0), "b");
}

TEST(StringToDVTest, TheFirstThreeWordsAsNumbers) {
    struct Case {
        const char* text;
        DV expected;
    } cases[] = {
        {"1 2 3", {1.0f, 2.0f, 3.0f}},
        {"  -1.5\t 2e1   0.25  ", {-1.5f, 20.0f, 0.25f}},
        {"4 5 6 7", {4.0f, 5.0f, 6.0f}},
        {"7.5m x 3,5", {7.5f, 0.0f, 3.0f}},  // the leading numeric part of each word
        {"8", {8.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DV v{9.0f, 9.0f, 9.0f};
        StringToDV(c.text, &v);
        EXPECT_EQ(v, c.expected);
    }
    DV untouched{9.0f, 9.0f, 9.0f};
    StringToDV("", &untouched);
    StringToDV(nullptr, &untouched);
    EXPECT_EQ(untouched, (DV{9.0f, 9.0f, 9.0f}));
    StringToDV("1 2 3", nullptr);
}

TEST(ReadLineTest, TabsBecomeBlanksAndTheLineFeedIsDropped) {
    auto read = [](FILE* f, char* b) { ReadLine(f, b, 40, 64); };
    EXPECT_EQ(ReadAll("mesh\ta.x\nsecond\n", read), (Lines{"mesh a.x", "second", ""}));
}

TEST(ReadLineTest, TheLastLineWithoutALineFeedComesBackWhole) {
    auto read = [](FILE* f, char* b) { ReadLine(f, b, 40, 64); };
    EXPECT_EQ(ReadAll("one\ntwo", read), (Lines{"one", "two"}));
    EXPECT_EQ(ReadAll("", read), (Lines{""}));
}

TEST(ReadLineTest, AnOverlongLineIsSplitWithoutLosingACharacter) {
    auto read = [](FILE* f, char* b) { ReadLinePlain(f, b, 4); };
    EXPECT_EQ(ReadAll("abcdefghij\nxy\n", read), (Lines{"abcd", "efgh", "ij", "xy", ""}));
    // A line of exactly the limit consumes its line feed.
    EXPECT_EQ(ReadAll("abcd\nef", read), (Lines{"abcd", "ef"}));
}

TEST(ReadLineTest, RawAndNoTabsKeepTabs) {
    auto raw = [](FILE* f, char* b) { ReadLineRaw(f, b, 40); };
    EXPECT_EQ(ReadAll("a\tb\n", raw), (Lines{"a\tb", ""}));
    auto noTabs = [](FILE* f, char* b) { ReadLineNoTabs(f, b, 40, 64); };
    EXPECT_EQ(ReadAll("a\tb", noTabs), (Lines{"a\tb"}));
}

TEST(ReadLineTest, NullStreamGivesAnEmptyLine) {
    char buffer[8] = "junk";
    ReadLine(nullptr, buffer, 7);
    EXPECT_STREQ(buffer, "");
    ReadLine(nullptr, nullptr, 7);
}

class ScriptLineFilesTest : public test::StartDirTest {
protected:
    void TearDown() override {
        g_TextMgr.Load();  // the keys of the temporary directory are gone with it
        StartDirTest::TearDown();
        g_TextMgr.Load();
    }
};

TEST_F(ScriptLineFilesTest, TextModeFilesLoseTheirCarriageReturnsAndSplitLongLinesToo) {
    WriteFile("scripts\\a.txt", "abcdefg\r\nmesh x\r\n");
    FILE* f = plat::OpenFile("scripts\\a.txt", "rt");
    ASSERT_NE(f, nullptr);
    char buffer[8];
    std::vector<std::string> lines;
    while (!std::feof(f)) {
        ReadLine(f, buffer, 6);
        lines.emplace_back(buffer);
    }
    std::fclose(f);
    EXPECT_EQ(lines, (Lines{"abcdef", "g", "mesh x", ""}));
}

TEST_F(ScriptLineFilesTest, ReadLineReplacesTextKeysAndTheOtherReadersDoNot) {
    WriteFile("scripts\\text_keys.txt", ">Tractor Red tractor\n");
    g_TextMgr.Load();
    auto read = [](FILE* f, char* b) { ReadLine(f, b, 40, 64); };
    EXPECT_EQ(ReadAll("name >Tractor here\n", read), (Lines{"name Red tractor here", ""}));
    auto plain = [](FILE* f, char* b) { ReadLinePlain(f, b, 40); };
    EXPECT_EQ(ReadAll("name >Tractor here", plain), (Lines{"name >Tractor here"}));
    auto raw = [](FILE* f, char* b) { ReadLineRaw(f, b, 40); };
    EXPECT_EQ(ReadAll("name >Tractor", raw), (Lines{"name >Tractor"}));
}

TEST_F(ScriptLineFilesTest, AnExpandedLineIsCutToTheCallersBuffer) {
    WriteFile("scripts\\text_keys.txt", ">K " + std::string(100, 'x') + "\n");
    g_TextMgr.Load();
    std::string content = "a >K b\n";
    FILE* f = fmemopen(content.data(), content.size(), "r");
    struct {
        char line[9];
        char guard[8];
    } buffer;
    std::memset(buffer.guard, 'G', sizeof buffer.guard);
    ReadLine(f, buffer.line, 8);  // the buffer holds limit + 1 bytes
    std::fclose(f);
    EXPECT_EQ(std::string(buffer.line), "a xxxxxx");
    EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard), std::string(8, 'G'));
}

TEST(WriteLineTest, AtMostTheLimitThenALineFeed) {
    char out[64] = {};
    FILE* f = fmemopen(out, sizeof out, "w");
    WriteLine(f, "abcdef", 3);
    WriteLine(f, "xy", 10);
    WriteLineCopy(f, "", 10);
    WriteLine(nullptr, "nothing", 3);
    std::fclose(f);
    EXPECT_STREQ(out, "abc\nxy\n\n");
}

class LogErrorTest : public test::StartDirTest {};

TEST_F(LogErrorTest, AppendsOneLinePerCallToErrorTxtByDefault) {
    LogError("first");
    LogError("second");
    EXPECT_EQ(ReadFile("!error.txt"), "first\nsecond\n");
    LogError("x", "!labels.txt");
    EXPECT_EQ(ReadFile("!labels.txt"), "x\n");
    LogError(nullptr);
    EXPECT_EQ(ReadFile("!error.txt"), "first\nsecond\n");
}

TEST_F(LogErrorTest, KeepsAtMost256Characters) {
    LogError(std::string(300, 'e').c_str());
    EXPECT_EQ(ReadFile("!error.txt"), std::string(256, 'e') + "\n");
}

TEST_F(LogErrorTest, WritesToTheStartDirectoryWhateverTheCurrentDirectory) {
    test::TempDir elsewhere;
    {
        test::CurrentDirectory inside(elsewhere.path());
        LogError("from elsewhere", "!subsets.txt");
    }
    EXPECT_EQ(ReadFile("!subsets.txt"), "from elsewhere\n");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "!subsets.txt"));
}

}  // namespace
