// Lines of a text in memory end at CR LF, a bare LF or a bare CR, and no character of the next
// line is lost; long lines are cut and go on as the next line.
#include "world/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines Split(std::string_view text, size_t limit = 100) {
    TextLines lines(text, limit);
    Lines out;
    for (std::string_view line; lines.Next(line);) out.emplace_back(line);
    return out;
}

TEST(TextLines, EveryLineEndKeepsTheNextLineWhole) {
    const struct {
        const char* text;
        Lines lines;
    } cases[] = {
        {"mesh a\r\nname b\r\n", {"mesh a", "name b"}},
        {"mesh a\nname b\n", {"mesh a", "name b"}},
        {"mesh a\rname b\r", {"mesh a", "name b"}},
        {"mesh a\r\nname b\nflags 1\rxpos 2", {"mesh a", "name b", "flags 1", "xpos 2"}},
        {"mesh a\r", {"mesh a"}},  // a CR as the very last byte
        {"\r\n\r\nx", {"", "", "x"}},
        {"\n\r", {"", ""}},  // LF, then a CR of its own
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Split(c.text), c.lines) << c.text;
}

TEST(TextLines, ALongLineGoesOnAsTheNextLine) {
    EXPECT_EQ(Split("abcdefg\r\nhi", 3), (Lines{"abc", "def", "g", "hi"}));
    // A line of exactly the limit ends at its own line end, with no empty line after it.
    EXPECT_EQ(Split("abc\r\nde", 3), (Lines{"abc", "de"}));
}

}  // namespace
