#pragma once
// String helpers shared by every loader: name comparison, fragment tests, case conversion with the
// Polish letters of Windows-1250, trimming, name validation and fixed-decimal formatting.
//
// Two kinds of case folding are used on purpose:
//  - StrICmp and CharEqualsNoCase fold the ASCII letters A-Z only (names, keywords, variables,
//    text keys, allocation tags);
//  - ToLowerPL / ToUpperPL, StrIContains and StrICmpPL also fold the nine Polish letters.
// Characters are single bytes in Windows-1250 throughout.
#include <string>

// The Windows-1250 case tables: entry i of one table is the other case of entry i of the other
// (26 ASCII letters, then the nine Polish letters).
constexpr int kCaseTableSize = 35;
extern const unsigned char kUpperCaseTable[kCaseTableSize];
extern const unsigned char kLowerCaseTable[kCaseTableSize];

// True when text begins with prefix, case-sensitive; an empty prefix gives true, null gives false.
bool StrStartsWith(const char* text, const char* prefix);

// 1 when part occurs in text, both folded with the Polish tables, else 0. An empty (or null) text
// gives 0; an empty part gives 1 unless text is empty. The callers' strings are never changed:
// the comparison works on copies, because callers pass object names that must keep their case
// and string literals that cannot be written.
int StrIContains(const char* text, const char* part);

// Index of the first occurrence of part in text, case-sensitive; -1 when absent or when text is
// empty or null; an empty part gives 0.
int StrFind(const char* text, const char* part);

// Byte-wise comparison with A-Z folded to lower case and no other letter folded: 0 when equal,
// -1 when a sorts first (also when a is a proper prefix of b), 1 otherwise. Bytes compare as
// signed values, so bytes above 0x7F sort before ASCII. A null string counts as empty.
int StrICmp(const char* a, const char* b);

// Comparison with both strings folded by the Polish tables (on copies): 0 when equal, -1 or 1
// by the folded bytes taken as unsigned.
int StrICmpPL(const char* a, const char* b);

// True when the two characters are equal with A-Z folded to lower case.
bool CharEqualsNoCase(char c1, char c2);

// In-place case conversion through the two tables; other bytes stay. Null is ignored.
void ToUpperPL(char* text);
void ToLowerPL(char* text);

// Removes trailing blanks and tabs in place; null is ignored.
void TrimRight(char* text);
// Ends the string at its first blank; null is ignored.
void CutAtFirstBlank(char* text);

// True when every character is a digit, an ASCII letter or one of ! _ \ . - ; null gives false,
// an empty string true. Texture and mesh file names must pass it.
bool IsValidName(const char* name);
// What a player is told of a name that fails IsValidName: "The <what> file name "<name>" holds a
// character ...".
std::string InvalidNameReason(const char* what, const char* name);

// False for a null or empty path; true when the file opens for binary reading.
bool FileExists(const char* path);

// The value with exactly `decimals` decimals (negative counts as 0, at most 32), the last kept
// digit rounded half up from the value's decimal digits, a leading '-' for negative values. The
// text lies in a static buffer that the next call overwrites.
const char* FormatFloat(float value, int decimals);
// The decimal digits of |value| in fixed notation (the shortest digits that read back as the same
// float), e.g. "2.675" or "100"; "inf" or "nan" for those values. Writes at most size bytes.
void FloatToFixedText(float value, char* out, int size);
// Appends zeros (and a point when there is none) until the text has `decimals` decimals; a
// text with more decimals is left alone. The buffer holds size bytes.
void PadDecimals(char* text, int size, int decimals);
