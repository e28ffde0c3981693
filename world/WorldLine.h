#pragma once
// One line of a world file: its keyword (the first word after any leading blanks) and its
// arguments, words counted from 1 after the keyword. A missing word reads as empty and as 0.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class WorldLine {
public:
    // Room for a line of 2999 characters whose text keys were replaced by longer texts.
    static constexpr size_t kCapacity = 3101;

    // Tabs are read as blanks; a line holding ">" has its text keys replaced first.
    explicit WorldLine(std::string_view text);
    WorldLine(const WorldLine&) = delete;
    WorldLine& operator=(const WorldLine&) = delete;

    std::string_view Keyword() const { return m_words.empty() ? std::string_view{} : m_words[0]; }
    std::string_view Word(int n) const;
    // The leading integer of the word (0 when it has none), wrapped to 32 bits: "4294967295" and
    // "-1" are the same word of flags.
    int32_t Int(int n) const;
    uint32_t Uint(int n) const { return static_cast<uint32_t>(Int(n)); }
    bool Bool(int n) const { return Int(n) != 0; }
    float Float(int n) const;
    // The text after the keyword and the blanks after it, trailing blanks removed.
    std::string_view Rest() const { return m_rest; }

private:
    char m_text[kCapacity];
    std::vector<std::string_view> m_words;
    std::string_view m_rest;
};

// The leading number of the text as a float, 0 when it has none. A number a float cannot hold
// (an overflow, "inf", "nan") also reads as 0, so no file can put a non-finite value into a
// position, a speed or a time.
float ParseFloat(const char* text);
// The leading integer of the text, 0 when it has none, wrapped to 32 bits.
int32_t ParseInt(const char* text);

// A list line whose entry lies outside its list is dropped with this console line, rather than
// written past the list.
void ReportIndexOutOfRange(std::string_view keyword, int index);

// The two lines of a text too long for its field, on the console and in "!error.txt".
void ReportStringTooLong(const char* field);
// Copies the text into a field of `size` bytes. A text of `size` characters or more does not fit:
// the two lines above name the field, and the field is left empty. False then.
bool CopyField(char* out, size_t size, std::string_view text, const char* field);
template <size_t N>
bool CopyField(char (&out)[N], std::string_view text, const char* field) {
    return CopyField(out, N, text, field);
}
