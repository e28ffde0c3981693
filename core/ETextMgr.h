#pragma once
// The text keys: every user-visible text is named by a key beginning with '>' and looked up here.
#include <string>
#include <vector>

class ETextMgr {
public:
    ETextMgr();
    virtual ~ETextMgr();

    // Loads "scripts\text_keys.txt" from the start directory (the constructor does this once).
    void Load();
    // The text of a key (ignoring case), or "" when there is none.
    const char* GetText(const char* key) const;

private:
    struct Entry {
        std::string key;
        std::string text;
    };
    std::vector<Entry> m_entries;  // newest first
};

extern ETextMgr g_TextMgr;
