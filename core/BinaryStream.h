#pragma once
// Binary stream helpers: every binary save and cache file is written and read with them. Values go
// in memory order (little-endian) with no tags and nothing between them; every byte written or read
// is counted in g_Settings.m_uBytesWritten / m_uBytesRead. A null stream or target does nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class EOrientation;

// n raw bytes when n > 0; the counter grows by n. FileRead answers how many bytes the stream had
// and zero-fills the rest of the target.
void FileWrite(FILE* stream, const void* data, int n);
size_t FileRead(FILE* stream, void* data, int n);

// One byte, 1 for true and 0 for false; any non-zero byte reads as true.
void FileWriteBool(FILE* stream, bool value);
void FileReadBool(FILE* stream, bool* value);

// A 4-byte integer.
void FileWriteInt(FILE* stream, int32_t value);
void FileReadInt(FILE* stream, int32_t* value);

// A 4-byte float.
void FileWriteFloat(FILE* stream, float value);
void FileReadFloat(FILE* stream, float* value);

// A vector as its three 4-byte floats x, y, z (any type with float members x, y and z).
template <class Vec>
void FileWriteDV(FILE* stream, const Vec& v) {
    FileWriteFloat(stream, v.x);
    FileWriteFloat(stream, v.y);
    FileWriteFloat(stream, v.z);
}
template <class Vec>
void FileReadDV(FILE* stream, Vec* v) {
    if (!v) return;
    FileReadFloat(stream, &v->x);
    FileReadFloat(stream, &v->y);
    FileReadFloat(stream, &v->z);
}

// An orientation as its quaternion, its matrix and its front, side and up axes: 116 bytes.
void FileWriteOrientation(FILE* stream, const EOrientation& orientation);
void FileReadOrientation(FILE* stream, EOrientation* orientation);

// A 4-byte length, then that many characters without a terminator. Reading always terminates the
// string; into a buffer of `capacity` bytes it keeps at most capacity - 1 characters (the whole
// string is still read, so the stream stays in step). A negative length reads as "", a file that
// ends early gives the characters it has.
void FileWriteString(FILE* stream, const char* text);
void FileReadString(FILE* stream, char* buffer, int capacity);
void FileReadString(FILE* stream, std::string* text);

// A 32-bit checksum of a whole file (0 when it cannot be opened), read in 4096-byte blocks.
uint32_t FileChecksum(const char* path);
