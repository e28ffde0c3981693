#pragma once
// The screenshots of a scripted run: 24-bit BMP files read back pixel by pixel.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace test {

using Colour = std::array<double, 3>;  // red, green, blue

inline uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    if (at + 4 <= bytes.size()) std::memcpy(&value, &bytes[at], 4);
    return value;
}

// A screenshot: a 24-bit BMP, rows bottom-up, blue first.
class Picture {
public:
    explicit Picture(std::string bytes) : m_bytes(std::move(bytes)) {
        if (m_bytes.size() < 54 || m_bytes.compare(0, 2, "BM") != 0 || m_bytes[28] != 24) return;
        m_width = static_cast<int>(U32(m_bytes, 18));
        m_height = static_cast<int>(U32(m_bytes, 22));
        m_stride = (m_width * 3 + 3) / 4 * 4;
        m_offset = U32(m_bytes, 10);
        if (m_offset + size_t(m_stride) * m_height > m_bytes.size()) m_width = m_height = 0;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // y counts from the top of the picture.
    Colour At(int x, int y) const {
        const size_t i = m_offset + size_t(m_height - 1 - y) * m_stride + size_t(x) * 3;
        return {double(uint8_t(m_bytes[i + 2])), double(uint8_t(m_bytes[i + 1])), double(uint8_t(m_bytes[i]))};
    }

private:
    std::string m_bytes;
    int m_width = 0, m_height = 0, m_stride = 0;
    size_t m_offset = 0;
};

}  // namespace test
