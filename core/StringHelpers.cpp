#include "core/StringHelpers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/os/Files.h"

const unsigned char kUpperCaseTable[kCaseTableSize] = {
    'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R',
    'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', 0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF};
const unsigned char kLowerCaseTable[kCaseTableSize] = {
    'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q', 'r',
    's', 't', 'u', 'v', 'w', 'x', 'y', 'z', 0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void ConvertThroughTables(char* text, const unsigned char* from, const unsigned char* to) {
    if (!text) return;
    for (char* p = text; *p; ++p) {
        const void* hit = std::memchr(from, static_cast<unsigned char>(*p), kCaseTableSize);
        if (hit) *p = static_cast<char>(to[static_cast<const unsigned char*>(hit) - from]);
    }
}

std::string LowerPLCopy(const char* text) {
    std::string copy(text ? text : "");
    ConvertThroughTables(copy.data(), kUpperCaseTable, kLowerCaseTable);
    return copy;
}

}  // namespace

bool StrStartsWith(const char* text, const char* prefix) {
    if (!text || !prefix) return false;
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

int StrIContains(const char* text, const char* part) {
    if (!text || !*text) return 0;
    if (!part || !*part) return 1;
    std::string t = LowerPLCopy(text);
    std::string p = LowerPLCopy(part);
    return t.find(p) != std::string::npos ? 1 : 0;
}

int StrFind(const char* text, const char* part) {
    if (!text || !*text || !part) return -1;
    const char* hit = std::strstr(text, part);
    return hit ? static_cast<int>(hit - text) : -1;
}

int StrICmp(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    for (; *a && *b; ++a, ++b) {
        signed char ca = static_cast<signed char>(FoldAscii(*a));
        signed char cb = static_cast<signed char>(FoldAscii(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (!*a && !*b) return 0;
    return !*a ? -1 : 1;
}

int StrICmpPL(const char* a, const char* b) {
    int c = std::strcmp(LowerPLCopy(a).c_str(), LowerPLCopy(b).c_str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool CharEqualsNoCase(char c1, char c2) { return FoldAscii(c1) == FoldAscii(c2); }

void ToUpperPL(char* text) { ConvertThroughTables(text, kLowerCaseTable, kUpperCaseTable); }

void ToLowerPL(char* text) { ConvertThroughTables(text, kUpperCaseTable, kLowerCaseTable); }

void TrimRight(char* text) {
    if (!text) return;
    size_t n = std::strlen(text);
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t')) text[--n] = 0;
}

void CutAtFirstBlank(char* text) {
    if (!text) return;
    if (char* blank = std::strchr(text, ' ')) *blank = 0;
}

bool IsValidName(const char* name) {
    if (!name) return false;
    for (const char* p = name; *p; ++p) {
        char c = *p;
        bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '!' ||
                  c == '_' || c == '\\' || c == '.' || c == '-';
        if (!ok) return false;
    }
    return true;
}

std::string InvalidNameReason(const char* what, const char* name) {
    return std::string("The ") + what + " file name \"" + (name ? name : "") +
           "\" holds a character a game file name cannot: only letters, digits and ! _ - . \\ are allowed.";
}

bool FileExists(const char* path) {
    if (!path || !*path) return false;
    FILE* file = plat::OpenFile(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

void FloatToFixedText(float value, char* out, int size) {
    if (!out || size <= 0) return;
    value = std::fabs(value);
    char digits[128];
    if (std::isnan(value)) std::strcpy(digits, "nan");
    else if (std::isinf(value)) std::strcpy(digits, "inf");
    else {
        auto result = std::to_chars(digits, digits + sizeof digits - 1, value, std::chars_format::fixed);
        *result.ptr = 0;
    }
    std::snprintf(out, static_cast<size_t>(size), "%s", digits);
}

void PadDecimals(char* text, int size, int decimals) {
    if (!text || size <= 0 || decimals <= 0) return;
    size_t length = std::strlen(text);
    const char* point = std::strchr(text, '.');
    int have = point ? static_cast<int>(length - (point - text) - 1) : 0;
    if (!point && length + 1 < static_cast<size_t>(size)) text[length++] = '.';
    for (; have < decimals && length + 1 < static_cast<size_t>(size); ++have) text[length++] = '0';
    text[length] = 0;
}

const char* FormatFloat(float value, int decimals) {
    static char result[128];
    if (decimals < 0) decimals = 0;
    if (decimals > 32) decimals = 32;

    char text[128];
    FloatToFixedText(value, text, sizeof text);
    bool negative = value < 0;
    if (std::isnan(value) || std::isinf(value)) {
        std::snprintf(result, sizeof result, "%s%s", negative ? "-" : "", text);
        return result;
    }

    // Split into the integer digits and the decimal digits.
    std::string integer(text);
    std::string fraction;
    if (size_t point = integer.find('.'); point != std::string::npos) {
        fraction = integer.substr(point + 1);
        integer.resize(point);
    }
    if (static_cast<int>(fraction.size()) > decimals) {
        bool roundUp = fraction[decimals] >= '5';
        fraction.resize(decimals);
        if (roundUp) {
            // Add one to the last kept digit, carrying through the decimals into the integer part.
            std::string kept = integer + fraction;
            int i = static_cast<int>(kept.size()) - 1;
            for (; i >= 0; --i) {
                if (kept[i] == '9') {
                    kept[i] = '0';
                } else {
                    ++kept[i];
                    break;
                }
            }
            if (i < 0) kept.insert(kept.begin(), '1');
            integer = kept.substr(0, kept.size() - fraction.size());
            fraction = kept.substr(kept.size() - fraction.size());
        }
    }
    std::snprintf(result, sizeof result, "%s%s%s%s", negative ? "-" : "", integer.c_str(), decimals > 0 ? "." : "",
                  fraction.c_str());
    PadDecimals(result, sizeof result, decimals);
    return result;
}
