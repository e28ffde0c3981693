#pragma once
// One compressed music file held whole in memory, so the music thread never touches the disk.
#include <cstdint>
#include <vector>

class CMusicSource {
public:
    CMusicSource();
    ~CMusicSource();
    CMusicSource(const CMusicSource&) = delete;
    CMusicSource& operator=(const CMusicSource&) = delete;

    // 0 on success, -1 when the file cannot be read.
    int Open(const char* path);
    // Copies up to n bytes from the position on; the ended flag tells that the data ran out.
    int Read(void* dst, int n);
    uint32_t Tell() const { return m_uPosition; }
    void Seek(uint32_t position);
    void Close();

    char m_szName[260];
    uint32_t m_uSize;
    std::vector<char> m_Data;
    uint32_t m_uPosition;
    uint8_t m_bOpen;
    uint8_t m_bEnded;
};
