#include "world/TextLines.h"

#include <cstring>

#include "core/ETextMgr.h"

bool TextLines::Next(std::string_view& line) {
    const size_t size = m_text.size();
    if (m_position >= size) return false;
    const size_t start = m_position;
    size_t end = start;
    while (end < size && end - start < m_limit && m_text[end] != '\r' && m_text[end] != '\n') ++end;
    line = m_text.substr(start, end - start);
    m_position = end;
    // A CR takes the LF after it along, and nothing else.
    if (end < size && m_text[end] == '\r') {
        ++m_position;
        if (m_position < size && m_text[m_position] == '\n') ++m_position;
    } else if (end < size && m_text[end] == '\n') {
        ++m_position;
    }
    return true;
}

bool TextLines::NextScriptLine(char* buffer, size_t capacity) {
    std::string_view line;
    if (capacity == 0 || !Next(line)) return false;
    const size_t length = line.size() < capacity ? line.size() : capacity - 1;
    std::memcpy(buffer, line.data(), length);
    buffer[length] = 0;
    for (size_t i = 0; i < length; ++i)
        if (buffer[i] == '\t') buffer[i] = ' ';
    g_TextMgr.ReplaceKeysInLine(buffer, capacity);
    return true;
}
