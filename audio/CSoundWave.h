#pragma once
// A RIFF WAVE file read into memory: its format block and its sample data, which the sound
// manager copies into a sound buffer and the sound cache keeps. Chunks may come in any order;
// unknown chunks are skipped. The format is taken as it stands: the device refuses what it
// cannot play when the buffer is made.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/sound/SoundTypes.h"

class CSoundWave {
public:
    CSoundWave();
    ~CSoundWave();
    CSoundWave(const CSoundWave&) = delete;
    CSoundWave& operator=(const CSoundWave&) = delete;

    bool LoadWaveFromFile(const char* path);
    void Clear();
    bool ReadFormatChunk(uint32_t id, uint32_t size, FILE* file);
    bool ReadDataChunk(uint32_t id, uint32_t size, FILE* file);

    char m_szName[260];
    snd::WaveFormat m_Format;
    uint32_t m_uDataSize;
    std::unique_ptr<uint8_t[]> m_pData;

private:
    void FreeData();
};
