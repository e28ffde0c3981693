// Text keys: loading "scripts\text_keys.txt" with its rules, look-ups and in-line substitution.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/ETextMgr.h"
#include "support/TestSupport.h"

namespace {

class ETextMgrTest : public test::StartDirTest {
protected:
    void TearDown() override {
        StartDirTest::TearDown();
        g_TextMgr.Load();
    }

    void Load(const std::string& content) {
        WriteFile("scripts\\text_keys.txt", content);
        m_mgr.Load();
    }

    std::string Replace(const std::string& line, size_t capacity = 512) const {
        std::string buffer = line;
        buffer.resize(capacity > line.size() ? capacity : line.size() + 1, '\0');
        m_mgr.ReplaceKeysInLine(buffer.data(), capacity);
        return buffer.c_str();
    }

    ETextMgr m_mgr;
};

TEST_F(ETextMgrTest, LoadsKeysAndTextsWithEveryRule) {
    Load("Notes at the top are ignored.\n"
         "  >Indented is a note too\n"
         ">Plain Hello field\n"
         ">Tabbed\t\tText after tabs  \t\n"
         ">Equals =Direct text\n"
         ">EqualsBlank = Kept blank\n"
         ">Quote Farmer\x92s barn\n"
         ">Marks Ready , set ! Go ?Yes ; no : maybe .\n"
         ">TwoBlanks End  .\n"
         ">Empty\n"
         ">EmptyBlanks    \n"
         ">OneChar =\n"
         "\n");
    EXPECT_STREQ(m_mgr.GetText(">Plain"), "Hello field");
    EXPECT_STREQ(m_mgr.GetText(">Tabbed"), "Text after tabs");
    EXPECT_STREQ(m_mgr.GetText(">Equals"), "Direct text");
    EXPECT_STREQ(m_mgr.GetText(">EqualsBlank"), " Kept blank");
    EXPECT_STREQ(m_mgr.GetText(">Quote"), "Farmer's barn");
    EXPECT_STREQ(m_mgr.GetText(">Marks"), "Ready, set! Go?Yes; no: maybe.");
    EXPECT_STREQ(m_mgr.GetText(">TwoBlanks"), "End .");
    EXPECT_STREQ(m_mgr.GetText(">Empty"), "");
    EXPECT_STREQ(m_mgr.GetText(">EmptyBlanks"), "");
    EXPECT_STREQ(m_mgr.GetText(">OneChar"), "");
    EXPECT_STREQ(m_mgr.GetText(">Indented"), "");
    EXPECT_EQ(m_mgr.Count(), 10u);
    EXPECT_FALSE(Exists("!labels.txt"));
}

TEST_F(ETextMgrTest, GetTextIgnoresCaseAndNeverGivesNull) {
    Load(">GameName Furrow Cup\n");
    EXPECT_STREQ(m_mgr.GetText(">gamename"), "Furrow Cup");
    EXPECT_STREQ(m_mgr.GetText(">GAMENAME"), "Furrow Cup");
    ASSERT_NE(m_mgr.GetText(">Missing"), nullptr);
    EXPECT_STREQ(m_mgr.GetText(">Missing"), "");
    EXPECT_STREQ(m_mgr.GetText(nullptr), "");
}

TEST_F(ETextMgrTest, AKeyTheFileLacksIsNamedOnceInTheErrorReport) {
    Load(">GameName Furrow Cup\n");
    // Asked every frame, and in another case: one line.
    for (int frame = 0; frame < 3; ++frame) EXPECT_STREQ(m_mgr.GetText(">MCount"), "");
    EXPECT_STREQ(m_mgr.GetText(">mcount"), "");
    EXPECT_STREQ(m_mgr.GetText(">GameName"), "Furrow Cup");
    // A key that may be absent by design is looked up without a report.
    EXPECT_EQ(m_mgr.FindText(">LL9T5"), nullptr);
    EXPECT_STREQ(m_mgr.FindText(">gamename"), "Furrow Cup");
    EXPECT_EQ(ReadFile("!error.txt"), "Text key >MCount is missing from scripts\\text_keys.txt\n");

    // A new load starts a new record: the key is named again.
    m_mgr.Load();
    m_mgr.GetText(">MCount");
    EXPECT_EQ(test::LinesOf(ReadFile("!error.txt")).size(), 2u);
}

TEST_F(ETextMgrTest, WithoutAFileNothingIsReported) {
    ETextMgr empty;
    EXPECT_EQ(empty.Count(), 0u);
    EXPECT_STREQ(empty.GetText(">GameName"), "");
    EXPECT_FALSE(Exists("!error.txt"));
}

TEST_F(ETextMgrTest, DuplicatesAreReportedAndTheLastOneWins) {
    Load(">Dup first\n>DUP second\n>dup third\n>Other x\n");
    EXPECT_EQ(ReadFile("!labels.txt"), "Duplicate label >DUP\nDuplicate label >dup\nDuplicate label >dup\n");
    EXPECT_STREQ(m_mgr.GetText(">Dup"), "third");
    EXPECT_STREQ(m_mgr.GetText(">DUP"), "third");
    // Substitution matches the key exactly in case.
    EXPECT_EQ(Replace("a >Dup b >DUP c >dup"), "a first b second c third");
}

TEST_F(ETextMgrTest, TheLabelsReportAccumulatesOverLoads) {
    Load(">A 1\n>a 2\n");
    m_mgr.Load();
    EXPECT_EQ(ReadFile("!labels.txt"), "Duplicate label >a\nDuplicate label >a\n");
}

TEST_F(ETextMgrTest, AnOverlongFileLineGetsTheOverflowText) {
    Load(">Long " + std::string(520, 'x') + "\n>Next ok\n");
    EXPECT_STREQ(m_mgr.GetText(">Long"), "_string too long!");
    EXPECT_STREQ(m_mgr.GetText(">Next"), "ok");
}

TEST_F(ETextMgrTest, CarriageReturnsOfTheFileAreDropped) {
    Load(">A Alpha\r\n>B Beta\r\n");
    EXPECT_STREQ(m_mgr.GetText(">A"), "Alpha");
    EXPECT_STREQ(m_mgr.GetText(">B"), "Beta");
}

TEST_F(ETextMgrTest, AMissingFileLeavesNoEntriesAndNoReport) {
    m_mgr.Load();
    EXPECT_EQ(m_mgr.Count(), 0u);
    EXPECT_STREQ(m_mgr.GetText(">GameName"), "");
    EXPECT_FALSE(Exists("!labels.txt"));
}

TEST_F(ETextMgrTest, LoadsFromTheStartDirectoryWhateverTheCurrentDirectory) {
    WriteFile("scripts\\text_keys.txt", ">Where start\n");
    test::TempDir elsewhere;
    test::WriteWholeFile(elsewhere.path() / "scripts" / "text_keys.txt", ">Where elsewhere\n");
    {
        test::CurrentDirectory inside(elsewhere.path());
        m_mgr.Load();
    }
    EXPECT_STREQ(m_mgr.GetText(">Where"), "start");
}

TEST_F(ETextMgrTest, ReplacesKeysInLines) {
    Load(">A Alpha\n>B Beta text\n>Nested says >A\n>Empty\n");
    struct Case {
        const char* line;
        const char* expected;
    } cases[] = {
        {"one >A two", "one Alpha two"},
        {">A", "Alpha"},
        {">A\t>B", "Alpha\tBeta text"},
        {"x>A y", "xAlpha y"},                // a '>' inside a word starts a token too
        {"one >Undefined two", "one >Undefined two"},
        {"one >a two", "one >a two"},         // case-sensitive
        {">AB", ">AB"},                        // the whole token must match
        {"q >Nested", "q says >A"},           // a text is not searched again
        {"[>Empty]", "[>Empty]"},             // "]" belongs to the token
        {"a >Empty b", "a  b"},
        {">> >A", ">> Alpha"},
        {"", ""},
        {"no keys here", "no keys here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Replace(c.line), c.expected);
    }
}

TEST_F(ETextMgrTest, SubstitutionRespectsTheBufferCapacity) {
    Load(">K " + std::string(300, 'k') + "\n");
    struct {
        char line[16];
        char guard[16];
    } buffer;
    std::memset(buffer.guard, 'G', sizeof buffer.guard);
    std::strcpy(buffer.line, "a >K b");
    m_mgr.ReplaceKeysInLine(buffer.line, sizeof buffer.line);
    EXPECT_EQ(std::string(buffer.line), "a " + std::string(13, 'k'));
    EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard), std::string(16, 'G'));
}

TEST_F(ETextMgrTest, AnExpandedLineStopsAt4095Characters) {
    Load(">K " + std::string(500, 'k') + "\n");
    std::string line;
    for (int i = 0; i < 10; ++i) line += ">K ";
    std::string big(8192, '\0');
    std::memcpy(big.data(), line.data(), line.size());
    m_mgr.ReplaceKeysInLine(big.data(), big.size());
    EXPECT_EQ(std::strlen(big.c_str()), 4095u);
}

TEST_F(ETextMgrTest, TheGlobalLoadsTheGameData) {
    // The global manager was filled while globals were constructed; here it is filled again from
    // the bundled data, as the program sees it.
    WriteFile("scripts\\text_keys.txt",
              test::ReadWholeFile(std::filesystem::path(FURROW_GAME_DIR) / "scripts" / "text_keys.txt"));
    g_TextMgr.Load();
    EXPECT_STREQ(g_TextMgr.GetText(">GameName"), "Furrow Cup");
    EXPECT_STRNE(g_TextMgr.GetText(">TD01"), "");
    EXPECT_FALSE(Exists("!labels.txt")) << ReadFile("!labels.txt");
}

}  // namespace
