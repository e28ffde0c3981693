#include "core/ETextMgr.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "platform/os/Files.h"

ETextMgr g_TextMgr;

ETextMgr::ETextMgr() { Load(); }

ETextMgr::~ETextMgr() = default;

void ETextMgr::Load() {
    m_entries.clear();
    FILE* file = plat::OpenFile("scripts\\text_keys.txt", "rt");
    if (!file) return;
    char line[512];
    while (std::fgets(line, sizeof line, file)) {
        line[std::strcspn(line, "\n")] = 0;
        if (line[0] != '>') continue;
        size_t keyLength = std::strcspn(line, " \t");
        std::string key(line, keyLength);
        const char* text = line + keyLength;
        while (*text == ' ' || *text == '\t') ++text;
        if (*text == '=') ++text;
        std::string value(text);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        m_entries.insert(m_entries.begin(), Entry{key, value});
    }
    std::fclose(file);
}

const char* ETextMgr::GetText(const char* key) const {
    if (!key) return "";
    for (const Entry& e : m_entries)
        if (strcasecmp(e.key.c_str(), key) == 0) return e.text.c_str();
    return "";
}
