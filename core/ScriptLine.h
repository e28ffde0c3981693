#pragma once
// Script lines: every text data file is read a line at a time with ReadLine, its first word tested
// with IsKeyword and its value taken with GetKeywordValue (the rest of the line) or GetWord (the
// n-th word). LogError appends one line to a "!" report file in the start directory.
#include <cstddef>
#include <cstdio>

#include "core/DV.h"

// Longest line GetKeywordValue and GetWord accept: a line of this many characters or more gives
// kStringTooLong instead of a result.
constexpr int kScriptLineMax = 512;
extern const char* const kStringTooLong;  // "_string too long!"

// Reads one line of at most `limit` characters: up to a line feed (consumed, not stored), until
// `limit` characters are stored, or to the end of the file. A line longer than the limit is split:
// the character after the first `limit` ones is left in the stream and begins the next read. A
// tab is stored as a blank, and every text key in the line is replaced by its text. The buffer
// holds `capacity` bytes (at least limit + 1; the short form assumes exactly limit + 1); a line
// whose texts would not fit is cut at the capacity. A read at the end of the file gives "".
void ReadLine(FILE* stream, char* buffer, int limit);
void ReadLine(FILE* stream, char* buffer, int limit, size_t capacity);
// As ReadLine, but tabs stay tabs and no key is replaced (the text-key loader's reader).
void ReadLineRaw(FILE* stream, char* buffer, int limit);
// Tabs become blanks, no key is replaced.
void ReadLinePlain(FILE* stream, char* buffer, int limit);
// Tabs stay tabs, keys are replaced (buffer as for ReadLine).
void ReadLineNoTabs(FILE* stream, char* buffer, int limit, size_t capacity);

// Writes at most `limit` characters of the text, then a line feed.
void WriteLine(FILE* stream, const char* text, int limit);
void WriteLineCopy(FILE* stream, const char* text, int limit);

// Appends at most 256 characters of the text and a line feed to the file (default "!error.txt")
// in the start directory, whatever the current directory is; the file is opened and closed for
// every line. A file that cannot be opened loses the line silently.
void LogError(const char* text, const char* fileName = nullptr);

// True when the line's first word (from its very first character up to a NUL, blank or tab, at
// most 127 characters) equals the keyword ignoring ASCII case: "Mesh x" matches "mesh", "Meshes"
// does not, and a line beginning with a blank matches nothing.
bool IsKeyword(const char* line, const char* keyword);

// The rest of the line after its first word, with the blanks and tabs around it removed; "" for a
// line holding only its keyword. The result lies in a static buffer that the next call overwrites;
// a line of 512 characters or more gives kStringTooLong.
const char* GetKeywordValue(const char* line);

// Word n of the line counting from 0 (the keyword), words being separated by blanks and tabs; ""
// past the last word. Static buffer and overlong lines as for GetKeywordValue.
const char* GetWord(const char* line, int n);

// The first three blank-separated words of the text as numbers (the leading numeric part of each
// word, 0 when there is none) into x, y and z. Nothing for a null or empty text or a null out. The
// words are found with GetKeywordValue, so the text must stay below 512 characters.
void StringToDV(const char* text, DV* out);
