#include "core/ScriptLine.h"

#include <cstdlib>
#include <cstring>

#include "core/ETextMgr.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"

const char* const kStringTooLong = "_string too long!";

namespace {

constexpr int kFirstWordMax = 127;
constexpr int kLogLineMax = 256;
constexpr const char* kDefaultLogFile = "!error.txt";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The common reader. A fetched character ends the read in three cases, tested in this order: it
// is a line feed (dropped), `limit` characters are already stored (it goes back to the stream for
// the next read), or the stream is at its end.
void ReadChars(FILE* stream, char* buffer, int limit, bool tabsToBlanks) {
    if (!buffer) return;
    buffer[0] = 0;
    if (!stream || limit < 0) return;
    int stored = 0;
    for (;;) {
        int c = std::fgetc(stream);
        if (c == '\n') break;
        if (stored >= limit) {
            if (c != EOF) std::ungetc(c, stream);
            break;
        }
        if (c == EOF) break;
        if (c == '\t' && tabsToBlanks) c = ' ';
        buffer[stored++] = static_cast<char>(c);
    }
    buffer[stored] = 0;
}

// Copies the line (at most 511 characters) into `out` without its leading blanks and tabs and
// without its trailing ones; false when the line is too long. The line may be a previous result
// lying in `out` itself.
bool CopyTrimmed(const char* line, char* out) {
    if (std::strlen(line) >= static_cast<size_t>(kScriptLineMax)) return false;
    while (IsBlank(*line)) ++line;
    std::memmove(out, line, std::strlen(line) + 1);
    TrimRight(out);
    return true;
}

template <class Char>
Char* SkipWord(Char* p) {
    while (*p && !IsBlank(*p)) ++p;
    return p;
}

template <class Char>
Char* SkipBlanks(Char* p) {
    while (IsBlank(*p)) ++p;
    return p;
}

}  // namespace

void ReadLine(FILE* stream, char* buffer, int limit) {
    ReadLine(stream, buffer, limit, static_cast<size_t>(limit < 0 ? 1 : limit + 1));
}

void ReadLine(FILE* stream, char* buffer, int limit, size_t capacity) {
    ReadChars(stream, buffer, limit, true);
    if (buffer) g_TextMgr.ReplaceKeysInLine(buffer, capacity);
}

void ReadLineRaw(FILE* stream, char* buffer, int limit) { ReadChars(stream, buffer, limit, false); }

void ReadLinePlain(FILE* stream, char* buffer, int limit) { ReadChars(stream, buffer, limit, true); }

void ReadLineNoTabs(FILE* stream, char* buffer, int limit, size_t capacity) {
    ReadChars(stream, buffer, limit, false);
    if (buffer) g_TextMgr.ReplaceKeysInLine(buffer, capacity);
}

void WriteLine(FILE* stream, const char* text, int limit) {
    if (!stream) return;
    if (text)
        for (int i = 0; i < limit && text[i]; ++i) std::fputc(text[i], stream);
    std::fputc('\n', stream);
}

void WriteLineCopy(FILE* stream, const char* text, int limit) { WriteLine(stream, text, limit); }

void LogError(const char* text, const char* fileName) {
    if (!text) return;
    // Relative game paths resolve against the start directory, never the current directory, so
    // the report lands beside the program whichever directory a loader has made current.
    FILE* file = plat::OpenFile(fileName ? fileName : kDefaultLogFile, "a+t");
    if (!file) return;
    WriteLine(file, text, kLogLineMax);
    std::fclose(file);
}

bool IsKeyword(const char* line, const char* keyword) {
    if (!line || !keyword) return false;
    char word[kFirstWordMax + 1];
    int n = 0;
    while (n < kFirstWordMax && line[n] && !IsBlank(line[n])) {
        word[n] = line[n];
        ++n;
    }
    word[n] = 0;
    return StrICmp(word, keyword) == 0;
}

const char* GetKeywordValue(const char* line) {
    static char buffer[kScriptLineMax];
    if (!line) return "";
    if (!CopyTrimmed(line, buffer)) return kStringTooLong;
    return SkipBlanks(SkipWord(buffer));
}

const char* GetWord(const char* line, int n) {
    static char buffer[kScriptLineMax];
    if (!line) return "";
    if (!CopyTrimmed(line, buffer)) return kStringTooLong;
    char* p = buffer;
    for (int i = 0; i < n; ++i) p = SkipBlanks(SkipWord(p));
    *SkipWord(p) = 0;
    return p;
}

void StringToDV(const char* text, DV* out) {
    if (!text || !*text || !out) return;
    out->x = static_cast<float>(std::atof(text));
    const char* rest = GetKeywordValue(text);
    out->y = static_cast<float>(std::atof(rest));
    out->z = static_cast<float>(std::atof(GetKeywordValue(rest)));
}
