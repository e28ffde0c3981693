#include "audio/CMusicSource.h"

#include <algorithm>
#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "platform/os/Files.h"

namespace {
constexpr const char* kDataTag = "MusicSource.m_pData";
}  // namespace

CMusicSource::CMusicSource() : m_szName{}, m_uSize(0), m_uPosition(0), m_bOpen(0), m_bEnded(0) {
    g_Debug.AddAlloc("CMusicSource");
}

CMusicSource::~CMusicSource() {
    Close();
    g_Debug.RemoveAlloc("CMusicSource");
}

int CMusicSource::Open(const char* path) {
    g_Console.Print("CMusicSource::Open");
    // A source opened again gives up the file it held.
    Close();
    if (!path) return -1;
    std::vector<char> data;
    if (!plat::ReadFileBytes(path, data)) return -1;
    std::strncpy(m_szName, path, sizeof m_szName - 1);
    g_Console.Print("CMusicSource::Open przed allokacja");
    m_Data = std::move(data);
    m_uSize = static_cast<uint32_t>(m_Data.size());
    g_Console.Print("CMusicSource::Open po allokacji");
    g_Debug.AddAlloc(kDataTag);
    m_uPosition = 0;
    m_bOpen = 1;
    g_Console.Print("exiting CMusicSource::Open");
    return 0;
}

int CMusicSource::Read(void* dst, int n) {
    if (!dst || !m_bOpen || n < 1) return 0;
    m_bEnded = 0;
    if (int64_t{m_uPosition} + n >= m_uSize) {
        n = static_cast<int>(m_uSize - m_uPosition);
        m_bEnded = 1;
    }
    // Nothing is left to copy at the end, and an empty file holds no data at all to copy from.
    if (n > 0) std::memcpy(dst, m_Data.data() + m_uPosition, static_cast<size_t>(n));
    m_uPosition += static_cast<uint32_t>(n);
    return n;
}

void CMusicSource::Seek(uint32_t position) { m_uPosition = std::min(position, m_uSize); }

void CMusicSource::Close() {
    // The data exists exactly while the source is open.
    if (m_bOpen) g_Debug.RemoveAlloc(kDataTag);
    m_Data = {};
    m_uSize = 0;
    m_uPosition = 0;
    m_bOpen = 0;
    m_bEnded = 0;
    m_szName[0] = 0;
}
