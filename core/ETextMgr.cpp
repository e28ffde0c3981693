#include "core/ETextMgr.h"

#include <cstdio>
#include <cstring>

#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"

ETextMgr g_TextMgr;

namespace {

constexpr const char* kTextKeysFile = "scripts\\text_keys.txt";
constexpr const char* kLabelsReport = "!labels.txt";
constexpr const char* kErrorReport = "!error.txt";
constexpr int kFileLineMax = 512;
constexpr size_t kKeyMax = 255;
constexpr size_t kTokenMax = 127;
constexpr size_t kWorkBufferSize = 4096;

bool EndsToken(char c) { return c == 0 || c == ' ' || c == '\t'; }

bool IsMark(char c) { return c && std::strchr("?!.,;:", c); }

// A text as loaded: without a leading '=', with typographic apostrophes made plain and, in one
// left-to-right pass, the blank before each punctuation mark removed.
std::string CleanText(const char* value) {
    std::string text(value);
    if (!text.empty() && text[0] == '=') text.erase(0, 1);
    for (char& c : text)
        if (static_cast<unsigned char>(c) == 0x92) c = '\'';
    if (text.size() > 1) {
        for (size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == ' ' && IsMark(text[i + 1])) text.erase(i, 1);
    }
    return text;
}

}  // namespace

ETextMgr::ETextMgr() { Load(); }

ETextMgr::~ETextMgr() = default;

void ETextMgr::Load() {
    m_entries.clear();
    m_reportedMissing.clear();
    FILE* file = plat::OpenFile(kTextKeysFile, "rt");
    if (!file) return;
    char line[kFileLineMax + 1];
    while (!std::feof(file)) {
        ReadLineRaw(file, line, kFileLineMax);
        if (line[0] != '>') continue;
        size_t keyLength = 0;
        while (keyLength < kKeyMax && !EndsToken(line[keyLength])) ++keyLength;
        std::string key(line, keyLength);
        std::string text = CleanText(GetKeywordValue(line));
        for (const Entry& e : m_entries) {
            if (StrICmp(e.key.c_str(), key.c_str()) == 0) {
                char report[kKeyMax + 32];
                std::snprintf(report, sizeof report, "Duplicate label %s", key.c_str());
                LogError(report, kLabelsReport);
            }
        }
        m_entries.push_back(Entry{std::move(key), std::move(text)});
    }
    std::fclose(file);
}

const char* ETextMgr::GetText(const char* key) const {
    if (!key) return "";
    if (const char* text = FindText(key)) return text;
    ReportMissing(key);
    return "";
}

const char* ETextMgr::FindText(const char* key) const {
    if (!key) return nullptr;
    for (auto e = m_entries.rbegin(); e != m_entries.rend(); ++e)
        if (StrICmp(e->key.c_str(), key) == 0) return e->text.c_str();
    return nullptr;
}

// Once per key: a prompt drawn every frame asks for its key every frame.
void ETextMgr::ReportMissing(const char* key) const {
    if (m_entries.empty()) return;
    for (const std::string& reported : m_reportedMissing)
        if (StrICmp(reported.c_str(), key) == 0) return;
    m_reportedMissing.emplace_back(key);
    char report[kKeyMax + 64];
    std::snprintf(report, sizeof report, "Text key %.*s is missing from %s", static_cast<int>(kKeyMax), key,
                  kTextKeysFile);
    LogError(report, kErrorReport);
}

const ETextMgr::Entry* ETextMgr::FindExact(const char* key, size_t length) const {
    for (auto e = m_entries.rbegin(); e != m_entries.rend(); ++e)
        if (e->key.size() == length && std::memcmp(e->key.data(), key, length) == 0) return &*e;
    return nullptr;
}

void ETextMgr::ReplaceKeysInLine(char* line, size_t capacity) const {
    if (!line || capacity == 0) return;
    if (!*line || std::strchr(line, '>') == nullptr) return;
    size_t room = (capacity < kWorkBufferSize ? capacity : kWorkBufferSize) - 1;
    char out[kWorkBufferSize];
    size_t n = 0;
    auto put = [&](char c) {
        if (n < room) out[n++] = c;
    };
    const char* p = line;
    while (*p) {
        if (*p != '>') {
            put(*p++);
            continue;
        }
        size_t length = 0;
        while (length < kTokenMax && !EndsToken(p[length])) ++length;
        const Entry* entry = FindExact(p, length);
        if (!entry) {
            put(*p++);
            continue;
        }
        for (char c : entry->text) put(c);
        p += length;
        if (!*p) break;
        put(*p++);
    }
    out[n] = 0;
    std::memcpy(line, out, n + 1);
}
