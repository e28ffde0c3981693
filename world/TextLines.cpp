#include "world/TextLines.h"

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
