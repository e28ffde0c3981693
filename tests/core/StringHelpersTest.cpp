// Name comparison, fragment tests, Windows-1250 case folding, name checks and fixed decimals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/StringHelpers.h"
#include "support/TestSupport.h"

namespace {

TEST(StrICmpTest, FoldsAsciiLettersOnlyAndOrdersPrefixesFirst) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"abc", "ABC", 0},
        {"MeSh", "mesh", 0},
        {"abc", "abd", -1},
        {"abd", "ABC", 1},
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"", "", 0},
        {"", "a", -1},
        {"Z", "a", 1},           // 'z' after 'a' once folded
        {"[", "A", -1},          // '[' (0x5B) before 'a' (0x61): A is folded, '[' is not
        {"\xA5", "\xB9", -1},    // Polish capital and small a with ogonek differ: 0xA5 < 0xB9 as signed
        {"\xE9", "a", -1},       // bytes above 0x7F sort before ASCII
        {"a", "\xE9", 1},
        {"ab", "ab\xA5", -1},    // a proper prefix sorts first even before a high byte
        {"ab\xA5", "ab", 1},
        {nullptr, "", 0},
        {nullptr, "a", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " vs " + c.b);
        EXPECT_EQ(StrICmp(c.a, c.b), c.expected);
    }
}

TEST(StrIContainsTest, FindsFragmentsIgnoringCaseWithPolishLetters) {
    struct Case {
        const char* text;
        const char* part;
        int expected;
    } cases[] = {
        {"C:\\Meshes\\Windows_01.x", "windows", 1},
        {"Engine.WAV", ".wav", 1},
        {"Podium_big", "PODIUM", 1},
        {"abc", "abd", 0},
        {"abc", "", 1},
        {"", "", 0},
        {"", "a", 0},
        {"\xA5LA", "\xB9la", 1},   // the Polish letters fold here
        {"\x8C" "CIANA", "\x9C" "ciana", 1},
        {"abc", nullptr, 1},
        {nullptr, "a", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text ? c.text : "(null)") + " / " + (c.part ? c.part : "(null)"));
        EXPECT_EQ(StrIContains(c.text, c.part), c.expected);
    }
}

TEST(StrIContainsTest, LeavesTheCallersStringsAlone) {
    char text[] = "PODIUM_\xA5";
    char part[] = "DIUM";
    EXPECT_EQ(StrIContains(text, part), 1);
    EXPECT_STREQ(text, "PODIUM_\xA5");
    EXPECT_STREQ(part, "DIUM");
    // String constants are fine too: nothing is written into them.
    EXPECT_EQ(StrIContains("WINDOWS", "Windows"), 1);
}

TEST(StrICmpPLTest, FoldsPolishLettersOnCopies) {
    char a[] = "\xA3\xD3\xAF\x4B";  // capitals
    char b[] = "\xB3\xF3\xBF\x6B";  // small letters
    EXPECT_EQ(StrICmpPL(a, b), 0);
    EXPECT_STREQ(a, "\xA3\xD3\xAF\x4B");
    EXPECT_EQ(StrICmpPL("a", "b"), -1);
    EXPECT_EQ(StrICmpPL("B", "a"), 1);
    EXPECT_NE(StrICmp(a, b), 0);
}

TEST(CaseTablesTest, EveryLetterConvertsBothWaysAndOtherBytesStay) {
    std::string upper(reinterpret_cast<const char*>(kUpperCaseTable), kCaseTableSize);
    std::string lower(reinterpret_cast<const char*>(kLowerCaseTable), kCaseTableSize);
    std::string text = upper;
    ToLowerPL(text.data());
    EXPECT_EQ(text, lower);
    ToUpperPL(text.data());
    EXPECT_EQ(text, upper);

    char others[] = "0123 _-!\x92\xE9";
    ToLowerPL(others);
    EXPECT_STREQ(others, "0123 _-!\x92\xE9");
    ToUpperPL(others);
    EXPECT_STREQ(others, "0123 _-!\x92\xE9");
    ToLowerPL(nullptr);
    ToUpperPL(nullptr);
}

TEST(StrStartsWithTest, CaseSensitivePrefix) {
    EXPECT_TRUE(StrStartsWith("mesh a.x", "mesh"));
    EXPECT_FALSE(StrStartsWith("Mesh a.x", "mesh"));
    EXPECT_TRUE(StrStartsWith("abc", ""));
    EXPECT_TRUE(StrStartsWith("", ""));
    EXPECT_FALSE(StrStartsWith("ab", "abc"));
    EXPECT_FALSE(StrStartsWith(nullptr, "a"));
    EXPECT_FALSE(StrStartsWith("a", nullptr));
}

TEST(StrFindTest, IndexOfTheFirstOccurrence) {
    EXPECT_EQ(StrFind("abcabc", "ca"), 2);
    EXPECT_EQ(StrFind("abc", "C"), -1);
    EXPECT_EQ(StrFind("abc", ""), 0);
    EXPECT_EQ(StrFind("", ""), -1);
    EXPECT_EQ(StrFind("", "a"), -1);
    EXPECT_EQ(StrFind(nullptr, "a"), -1);
}

TEST(CharEqualsNoCaseTest, AsciiOnly) {
    EXPECT_TRUE(CharEqualsNoCase('a', 'A'));
    EXPECT_TRUE(CharEqualsNoCase('Q', 'Q'));
    EXPECT_FALSE(CharEqualsNoCase('a', 'b'));
    EXPECT_FALSE(CharEqualsNoCase('\xA5', '\xB9'));
}

TEST(TrimTest, TrimRightAndCutAtFirstBlank) {
    char a[] = "name \t \t";
    TrimRight(a);
    EXPECT_STREQ(a, "name");
    char b[] = " \t";
    TrimRight(b);
    EXPECT_STREQ(b, "");
    char c[] = "one two three";
    CutAtFirstBlank(c);
    EXPECT_STREQ(c, "one");
    char d[] = "one\ttwo";
    CutAtFirstBlank(d);
    EXPECT_STREQ(d, "one\ttwo");
    TrimRight(nullptr);
    CutAtFirstBlank(nullptr);
}

TEST(IsValidNameTest, LettersDigitsAndFiveMarks) {
    struct Case {
        const char* name;
        bool expected;
    } cases[] = {
        {"textures\\Grass_01.tga", true}, {"!error.txt", true}, {"a-b.c", true}, {"", true},
        {"with blank.tga", false},        {"a/b", false},        {"\xB9", false}, {"a+b", false},
        {nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_EQ(IsValidName(c.name), c.expected);
    }
}

class FileExistsTest : public test::StartDirTest {};

TEST_F(FileExistsTest, TrueOnlyForAFileThatOpens) {
    WriteFile("scripts\\a.txt", "x");
    EXPECT_TRUE(FileExists("scripts\\a.txt"));
    EXPECT_TRUE(FileExists("SCRIPTS\\A.TXT"));
    EXPECT_FALSE(FileExists("scripts\\b.txt"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
}

TEST(FormatFloatTest, ExactDecimalsRoundedHalfUp) {
    struct Case {
        float value;
        int decimals;
        const char* expected;
    } cases[] = {
        {1.5f, 2, "1.50"},
        {2.675f, 2, "2.68"},      // the value's digits are 2.675: the dropped 5 rounds up
        {0.125f, 2, "0.13"},
        {0.124f, 2, "0.12"},
        {9.995f, 2, "10.00"},     // carry into the integer part
        {99.96f, 1, "100.0"},
        {-1.25f, 1, "-1.3"},
        {-0.004f, 2, "-0.00"},
        {3.0f, 0, "3"},
        {2.5f, 0, "3"},
        {2.4f, 0, "2"},
        {0.1f, 3, "0.100"},
        {0.0f, 2, "0.00"},
        {123456.0f, 2, "123456.00"},
        {0.0005f, 3, "0.001"},
        {1e-5f, 3, "0.000"},
        {1.0f, -2, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " to " + std::to_string(c.decimals));
        EXPECT_STREQ(FormatFloat(c.value, c.decimals), c.expected);
    }
}

TEST(FormatFloatTest, ItsPartsWorkAlone) {
    char text[32];
    FloatToFixedText(-2.5f, text, sizeof text);
    EXPECT_STREQ(text, "2.5");
    FloatToFixedText(100.0f, text, sizeof text);
    EXPECT_STREQ(text, "100");

    std::strcpy(text, "1");
    PadDecimals(text, sizeof text, 2);
    EXPECT_STREQ(text, "1.00");
    std::strcpy(text, "1.5");
    PadDecimals(text, sizeof text, 3);
    EXPECT_STREQ(text, "1.500");
    std::strcpy(text, "1.2345");
    PadDecimals(text, sizeof text, 2);
    EXPECT_STREQ(text, "1.2345");
    char small[4] = "1";
    PadDecimals(small, sizeof small, 5);
    EXPECT_STREQ(small, "1.0");
}

}  // namespace
