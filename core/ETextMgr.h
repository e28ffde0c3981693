#pragma once
// The text keys: every user-visible text is named by a key beginning with '>' (">GameName") and
// looked up here. The global manager loads "scripts\text_keys.txt" from the start directory while
// globals are constructed, so texts exist before the entry point runs.
#include <cstddef>
#include <string>
#include <vector>

class ETextMgr {
public:
    ETextMgr();
    virtual ~ETextMgr();

    // Forgets every entry and loads "scripts\text_keys.txt" again (the constructor does this once;
    // tests call it after changing the start directory). A missing file leaves no entries.
    void Load();

    // The text of a key compared ignoring ASCII case; "" (never null) when there is none. Of
    // several entries with the same key the one read last wins. The text lives until the next Load.
    // A key the loaded file lacks is named once in the run's error report "!error.txt", so a
    // caption that shows nothing can be traced to its key (with no file loaded at all, nothing is
    // named: every key is missing then, and the start says why).
    const char* GetText(const char* key) const;
    // The same look-up for a key that may be absent by design (the loading tips: a group shows
    // only the lines it has): null when there is none, and nothing is reported.
    const char* FindText(const char* key) const;

    // Replaces, in place, every key token of the line (from a '>' up to a NUL, blank or tab, at most
    // 127 characters) whose key matches exactly, case-sensitive, by its text; an undefined token
    // stays as written and a replaced text is not searched again. The line's buffer holds `capacity`
    // bytes: the expanded line is cut to fit it and the 4096-byte work buffer.
    void ReplaceKeysInLine(char* line, size_t capacity) const;

    size_t Count() const { return m_entries.size(); }

private:
    struct Entry {
        std::string key;
        std::string text;
    };
    // In file order: searched from the back, so the entry read last is found first.
    std::vector<Entry> m_entries;

    // The keys already named in the report since the last Load.
    mutable std::vector<std::string> m_reportedMissing;

    const Entry* FindExact(const char* key, size_t length) const;
    void ReportMissing(const char* key) const;
};

extern ETextMgr g_TextMgr;
