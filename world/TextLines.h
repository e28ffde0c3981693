#pragma once
// The lines of a text file held in memory. The world, path and route files are written on
// Windows, by hand or by tools, so a line may end with CR LF, a bare LF or a bare CR; each ends the
// line, and no character of the next line is lost. A line longer than the limit is cut there and
// its rest read as the next line.
#include <cstddef>
#include <string_view>

class TextLines {
public:
    TextLines(std::string_view text, size_t limit) : m_text(text), m_limit(limit) {}

    // The next line, without its line end; false when the text is used up. The last line may end
    // at the end of the text.
    bool Next(std::string_view& line);
    // The next line as the script files are read: terminated in a buffer of limit + 1 bytes (or
    // more), tabs as blanks and every text key replaced by its text (cut to the buffer).
    bool NextScriptLine(char* buffer, size_t capacity);

private:
    std::string_view m_text;
    size_t m_limit;
    size_t m_position = 0;
};
