#include "audio/CSoundWave.h"

#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "platform/os/Files.h"

namespace {

constexpr const char* kDataTag = "m_pReadedWaveData";

constexpr uint32_t FourCC(const char (&id)[5]) {
    return uint32_t(uint8_t(id[0])) | uint32_t(uint8_t(id[1])) << 8 | uint32_t(uint8_t(id[2])) << 16 |
           uint32_t(uint8_t(id[3])) << 24;
}

bool ReadU16(FILE* f, uint16_t& v) {
    uint8_t b[2];
    if (std::fread(b, 1, 2, f) != 2) return false;
    v = static_cast<uint16_t>(b[0] | b[1] << 8);
    return true;
}

bool ReadU32(FILE* f, uint32_t& v) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

long FileSize(FILE* f) {
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    return size;
}

}  // namespace

CSoundWave::CSoundWave() : m_szName{}, m_Format{}, m_uDataSize(0) { g_Debug.AddAlloc("CSoundWave"); }

CSoundWave::~CSoundWave() {
    Clear();
    g_Debug.RemoveAlloc("CSoundWave");
}

void CSoundWave::FreeData() {
    if (!m_pData) return;
    m_pData.reset();
    g_Debug.RemoveAlloc(kDataTag);
}

void CSoundWave::Clear() {
    FreeData();
    m_Format = {};
    m_szName[0] = 0;
    m_uDataSize = 0;
}

bool CSoundWave::ReadFormatChunk(uint32_t, uint32_t, FILE* file) {
    if (!file) return false;
    // A short chunk leaves the rest of the format zero; the device then refuses it.
    ReadU16(file, m_Format.formatTag);
    ReadU16(file, m_Format.channels);
    ReadU32(file, m_Format.samplesPerSec);
    ReadU32(file, m_Format.avgBytesPerSec);
    ReadU16(file, m_Format.blockAlign);
    ReadU16(file, m_Format.bitsPerSample);
    m_Format.extraSize = 0;
    return true;
}

bool CSoundWave::ReadDataChunk(uint32_t, uint32_t size, FILE* file) {
    if (!file) return false;
    FreeData();
    m_pData = std::make_unique<uint8_t[]>(size);
    g_Debug.AddAlloc(kDataTag);
    m_uDataSize = static_cast<uint32_t>(std::fread(m_pData.get(), 1, size, file));
    return true;
}

bool CSoundWave::LoadWaveFromFile(const char* path) {
    FILE* file = path ? plat::OpenFile(path, "rb") : nullptr;
    if (!file) {
        g_Console.Print("ERR #1: There's no disk file!");
        return false;
    }
    long fileSize = FileSize(file);
    Clear();
    std::strncpy(m_szName, path, sizeof m_szName - 1);

    bool formatFound = false;
    bool dataFound = false;
    uint8_t header[12];
    if (std::fread(header, 1, sizeof header, file) == sizeof header) {
        for (;;) {
            long position = std::ftell(file);
            uint32_t id = 0;
            uint32_t size = 0;
            if (position >= fileSize || !ReadU32(file, id) || !ReadU32(file, size)) break;
            long bodyStart = std::ftell(file);
            // A chunk claiming more than the file holds is cut at the end of the file.
            if (size > static_cast<unsigned long>(fileSize - bodyStart)) size = static_cast<uint32_t>(fileSize - bodyStart);
            if (id == FourCC("fmt ")) formatFound = ReadFormatChunk(id, size, file);
            else if (id == FourCC("data")) dataFound = ReadDataChunk(id, size, file);
            long next = bodyStart + static_cast<long>(size) + (size & 1);
            if (next >= fileSize || std::fseek(file, next, SEEK_SET) != 0) break;
        }
    }
    std::fclose(file);

    if (formatFound && dataFound) return true;
    if (!formatFound) g_Console.Print("ERR #2: format chunk wrong");
    if (!dataFound) g_Console.Print("ERR #3: data chunk wrong");
    Clear();
    return false;
}
