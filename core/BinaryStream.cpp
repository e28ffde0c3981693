#include "core/BinaryStream.h"

#include <cstring>

#include "core/EOrientation.h"
#include "core/ESettings.h"
#include "platform/os/Files.h"

void FileWrite(FILE* stream, const void* data, int n) {
    if (!stream || !data || n <= 0) return;
    std::fwrite(data, 1, static_cast<size_t>(n), stream);
    g_Settings.m_uBytesWritten += static_cast<u32>(n);
}

size_t FileRead(FILE* stream, void* data, int n) {
    if (!stream || !data || n <= 0) return 0;
    size_t got = std::fread(data, 1, static_cast<size_t>(n), stream);
    // A short read leaves no stale bytes in the target.
    if (got < static_cast<size_t>(n)) std::memset(static_cast<char*>(data) + got, 0, static_cast<size_t>(n) - got);
    g_Settings.m_uBytesRead += static_cast<u32>(n);
    return got;
}

void FileWriteBool(FILE* stream, bool value) {
    uint8_t byte = value ? 1 : 0;
    FileWrite(stream, &byte, 1);
}

void FileReadBool(FILE* stream, bool* value) {
    if (!stream || !value) return;
    uint8_t byte = 0;
    FileRead(stream, &byte, 1);
    *value = byte != 0;
}

void FileWriteInt(FILE* stream, int32_t value) { FileWrite(stream, &value, sizeof value); }

void FileReadInt(FILE* stream, int32_t* value) { FileRead(stream, value, sizeof *value); }

void FileWriteFloat(FILE* stream, float value) { FileWrite(stream, &value, sizeof value); }

void FileReadFloat(FILE* stream, float* value) { FileRead(stream, value, sizeof *value); }

void FileWriteOrientation(FILE* stream, const EOrientation& orientation) {
    uint8_t bytes[kOrientationBytes];
    OrientationToBytes(orientation, bytes);
    FileWrite(stream, bytes, static_cast<int>(kOrientationBytes));
}

void FileReadOrientation(FILE* stream, EOrientation* orientation) {
    if (!stream || !orientation) return;
    uint8_t bytes[kOrientationBytes];
    FileRead(stream, bytes, static_cast<int>(kOrientationBytes));
    *orientation = OrientationFromBytes(bytes);
}

void FileWriteString(FILE* stream, const char* text) {
    if (!stream) return;
    if (!text) text = "";
    int32_t length = static_cast<int32_t>(std::strlen(text));
    FileWriteInt(stream, length);
    FileWrite(stream, text, length);
}

namespace {

// Reads `length` characters into the string, a block at a time, stopping early at the end of the
// stream so that a damaged length cannot make the reader allocate or loop without bound.
void ReadCharacters(FILE* stream, int32_t length, std::string& out) {
    char block[4096];
    while (length > 0) {
        int n = length < static_cast<int32_t>(sizeof block) ? length : static_cast<int>(sizeof block);
        size_t got = FileRead(stream, block, n);
        out.append(block, got);
        if (got < static_cast<size_t>(n)) break;
        length -= n;
    }
}

}  // namespace

void FileReadString(FILE* stream, char* buffer, int capacity) {
    if (!stream || !buffer || capacity <= 0) return;
    std::string text;
    FileReadString(stream, &text);
    size_t kept = text.size() < static_cast<size_t>(capacity - 1) ? text.size() : static_cast<size_t>(capacity - 1);
    std::memcpy(buffer, text.data(), kept);
    buffer[kept] = 0;
}

void FileReadString(FILE* stream, std::string* text) {
    if (!stream || !text) return;
    int32_t length = 0;
    FileReadInt(stream, &length);
    text->clear();
    ReadCharacters(stream, length, *text);
}

uint32_t FileChecksum(const char* path) {
    if (!path || !*path) return 0;
    FILE* file = plat::OpenFile(path, "rb");
    if (!file) return 0;
    // FNV-1a over the bytes, fed a 4096-byte block at a time.
    uint32_t hash = 2166136261u;
    unsigned char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        for (size_t i = 0; i < got; ++i) hash = (hash ^ block[i]) * 16777619u;
    std::fclose(file);
    return hash;
}
