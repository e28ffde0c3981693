#include "world/WorldLine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/EConsole.h"
#include "core/ETextMgr.h"
#include "core/ScriptLine.h"

WorldLine::WorldLine(std::string_view text) {
    const size_t length = text.size() < kCapacity ? text.size() : kCapacity - 1;
    if (length) std::memcpy(m_text, text.data(), length);
    m_text[length] = 0;
    for (size_t i = 0; i < length; ++i)
        if (m_text[i] == '\t') m_text[i] = ' ';
    if (std::memchr(m_text, '>', length)) g_TextMgr.ReplaceKeysInLine(m_text, kCapacity);

    const char* p = m_text;
    while (*p) {
        while (*p == ' ') ++p;
        if (!*p) break;
        const char* start = p;
        while (*p && *p != ' ') ++p;
        m_words.emplace_back(start, static_cast<size_t>(p - start));
    }
    if (m_words.empty()) return;
    const char* rest = m_words[0].data() + m_words[0].size();
    while (*rest == ' ') ++rest;
    const char* end = rest + std::strlen(rest);
    while (end > rest && end[-1] == ' ') --end;
    m_rest = std::string_view(rest, static_cast<size_t>(end - rest));
}

std::string_view WorldLine::Word(int n) const {
    return n >= 0 && static_cast<size_t>(n) < m_words.size() ? m_words[static_cast<size_t>(n)] : std::string_view{};
}

// The words lie in the terminated line, each ended by a blank or the terminator, where the
// number readers stop.
int32_t WorldLine::Int(int n) const {
    std::string_view word = Word(n);
    return word.empty() ? 0 : ParseInt(word.data());
}

float WorldLine::Float(int n) const {
    std::string_view word = Word(n);
    return word.empty() ? 0.0f : ParseFloat(word.data());
}

float ParseFloat(const char* text) {
    if (!text) return 0.0f;
    const float value = static_cast<float>(std::strtod(text, nullptr));
    return std::isfinite(value) ? value : 0.0f;
}

int32_t ParseInt(const char* text) {
    if (!text) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(std::strtoll(text, nullptr, 10)));
}

void ReportIndexOutOfRange(std::string_view keyword, int index) {
    char line[160];
    std::snprintf(line, sizeof line, "ERROR: %.*s: entry %d is outside the list, line ignored",
                  static_cast<int>(keyword.size() > 100 ? 100 : keyword.size()), keyword.data(), index);
    g_Console.Print(line);
}

void ReportStringTooLong(const char* field) {
    constexpr const char* kLine = "ERROR: safe_string_copy() Source String Too Long!";
    g_Console.Print(kLine);
    g_Console.Print(field);
    LogError(kLine);
    LogError(field);
}

bool CopyField(char* out, size_t size, std::string_view text, const char* field) {
    if (!out || size == 0) return false;
    if (text.size() >= size) {
        ReportStringTooLong(field);
        out[0] = 0;
        return false;
    }
    // A missing word is an empty view of no text: nothing to copy.
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    out[text.size()] = 0;
    return true;
}
