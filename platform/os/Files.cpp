#include "platform/os/Files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <system_error>

namespace plat {
namespace fs = std::filesystem;
namespace {

std::optional<fs::path>& StartDir() {
    static std::optional<fs::path> dir;
    return dir;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

// Directory entries cached by directory path, valid while the directory's modification time
// stays the same (any entry added, removed or renamed changes it).
struct CachedDirectory {
    timespec modified{};
    std::vector<std::string> names;
};

std::map<std::string, CachedDirectory>& DirectoryCache() {
    static std::map<std::string, CachedDirectory> cache;
    return cache;
}

const std::vector<std::string>* EntriesOf(const fs::path& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
    auto& cached = DirectoryCache()[dir.string()];
    if (cached.modified.tv_sec != st.st_mtim.tv_sec || cached.modified.tv_nsec != st.st_mtim.tv_nsec ||
        cached.names.empty()) {
        cached.names.clear();
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            cached.names.push_back(it->path().filename().string());
        cached.modified = st.st_mtim;
    }
    return &cached.names;
}

std::vector<std::string> SplitGamePath(std::string_view gamePath) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : gamePath) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

bool IsAbsolute(std::string_view p) { return !p.empty() && (p[0] == '/' || p[0] == '\\'); }

struct MemoryFile {
    const void* data;
    size_t size;
};

std::map<std::string, MemoryFile>& MemoryFiles() {
    static std::map<std::string, MemoryFile> files;
    return files;
}

// One spelling for every way of naming a file: "Save/./Keys.CFG" and "save\\keys.cfg" are one.
std::string MemoryKey(std::string_view gamePath) {
    std::vector<std::string> parts;
    for (std::string& part : SplitGamePath(gamePath)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(std::move(part));
    }
    std::string key = IsAbsolute(gamePath) ? "\\" : "";
    for (const std::string& part : parts) key += part + '\\';
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

const MemoryFile* FindMemoryFile(std::string_view gamePath) {
    auto& files = MemoryFiles();
    if (files.empty()) return nullptr;
    auto found = files.find(MemoryKey(gamePath));
    return found == files.end() ? nullptr : &found->second;
}

// Files written while writes are kept in memory: their bytes, owned here, by memory key. Each is
// also a memory file, so reading it finds these bytes.
std::map<std::string, std::string>& WrittenFiles() {
    static std::map<std::string, std::string> files;
    return files;
}

bool& KeepingWrites() {
    static bool keep = false;
    return keep;
}

// Makes the kept bytes of a written file the memory file of its key.
void ShowWritten(const std::string& key) {
    const std::string& kept = WrittenFiles()[key];
    MemoryFiles()[key] = MemoryFile{kept.data(), kept.size()};
}

void KeepWritten(const std::string& key, std::string bytes) {
    WrittenFiles()[key] = std::move(bytes);
    ShowWritten(key);
}

// A file being written into memory, found by its key at every write: appending costs the new
// bytes only, and a file deleted while open comes back with what is written after.
struct MemoryWriter {
    std::string key;
};

ssize_t WriteToMemory(void* cookie, const char* buffer, size_t size) {
    const std::string& key = static_cast<MemoryWriter*>(cookie)->key;
    WrittenFiles()[key].append(buffer, size);
    ShowWritten(key);  // the bytes may have moved
    return static_cast<ssize_t>(size);
}

int CloseMemoryWriter(void* cookie) {
    delete static_cast<MemoryWriter*>(cookie);
    return 0;
}

// A file written into memory: from nothing ("w") or after what the memory holds of it ("a").
FILE* OpenMemoryWriter(std::string_view gamePath, bool append) {
    auto* writer = new MemoryWriter{MemoryKey(gamePath)};
    const MemoryFile* old = append ? FindMemoryFile(gamePath) : nullptr;
    // An input's bytes are not ours to grow: a copy of them is.
    if (!old || !WrittenFiles().count(writer->key))
        KeepWritten(writer->key, old ? std::string(static_cast<const char*>(old->data), old->size) : std::string());
    cookie_io_functions_t functions{nullptr, WriteToMemory, nullptr, CloseMemoryWriter};
    FILE* file = fopencookie(writer, append ? "a" : "w", functions);
    if (!file) delete writer;
    return file;
}

FILE* OpenMemoryFile(const MemoryFile& file) {
    // fmemopen wants a buffer even for no bytes; in read mode it never writes to it.
    static char empty[1];
    void* bytes = file.size ? const_cast<void*>(file.data) : empty;
    return fmemopen(bytes, file.size, "r");
}

// Text-mode reading through a FILE that drops CR, so every reader sees Unix line ends.
struct CrDroppingReader {
    FILE* file;
};

ssize_t ReadDroppingCr(void* cookie, char* buffer, size_t size) {
    auto* reader = static_cast<CrDroppingReader*>(cookie);
    size_t produced = 0;
    while (produced == 0) {
        size_t got = std::fread(buffer, 1, size, reader->file);
        if (got == 0) return std::ferror(reader->file) ? -1 : 0;
        for (size_t i = 0; i < got; ++i)
            if (buffer[i] != '\r') buffer[produced++] = buffer[i];
    }
    return static_cast<ssize_t>(produced);
}

// Only a regular file is read as a game file. A folder opens for reading but never reads and
// never ends, so a reader looping until the end of the file would hang on it; a pipe blocks the
// open until a writer comes; a device may never end; and none of them has a size to trust. They
// are refused before the open, as Windows refuses a folder: errno EISDIR for a folder, EINVAL for
// anything else. A missing file is left to the open to report.
bool RefusedForReading(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return false;
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return true;
}

// Appends everything left in a file; false on a read error or when the bytes do not fit in memory.
bool AppendRest(FILE* file, std::vector<char>& out) {
    try {
        // The size the file system gives is only a first guess (the file may change while it is
        // read), and never a position found by seeking: a reserve of a wrong size would end the game.
        struct stat info {};
        if (::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
            out.reserve(static_cast<size_t>(info.st_size));
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) out.insert(out.end(), buffer, buffer + got);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
    return !std::ferror(file);
}

int CloseReader(void* cookie) {
    auto* reader = static_cast<CrDroppingReader*>(cookie);
    int result = std::fclose(reader->file);
    delete reader;
    return result;
}

}  // namespace

const fs::path& StartDirectory() {
    auto& dir = StartDir();
    if (!dir) {
        std::error_code ec;
        dir = fs::current_path(ec);
    }
    return *dir;
}

void SetStartDirectory(const fs::path& dir) {
    StartDir() = dir;
    DirectoryCache().clear();
}

fs::path ResolvePath(std::string_view gamePath) {
    fs::path resolved = IsAbsolute(gamePath) ? fs::path("/") : StartDirectory();
    bool exists = true;
    for (const std::string& part : SplitGamePath(gamePath)) {
        if (part == ".") continue;
        if (part == "..") {
            resolved = resolved.parent_path();
            continue;
        }
        const std::vector<std::string>* entries = exists ? EntriesOf(resolved) : nullptr;
        std::string name = part;
        bool found = false;
        if (entries) {
            for (const std::string& entry : *entries) {
                if (entry == part) { found = true; break; }
            }
            if (!found) {
                for (const std::string& entry : *entries) {
                    if (EqualIgnoringCase(entry, part)) { name = entry; found = true; break; }
                }
            }
        }
        exists = found;
        resolved /= name;
    }
    return resolved;
}

FILE* OpenFile(std::string_view gamePath, const char* mode) {
    if (gamePath.empty() || !mode) return nullptr;
    bool binary = std::strchr(mode, 'b') != nullptr;
    bool reading = mode[0] == 'r' && !std::strchr(mode, '+');
    if (!reading && KeepingWrites()) return OpenMemoryWriter(gamePath, mode[0] != 'w');
    FILE* file = nullptr;
    if (const MemoryFile* memory = reading ? FindMemoryFile(gamePath) : nullptr) {
        file = OpenMemoryFile(*memory);
    } else {
        std::string realMode;
        for (const char* m = mode; *m; ++m)
            if (*m != 't') realMode += *m;
        if (!binary) realMode += 'b';
        const fs::path path = ResolvePath(gamePath);
        if (reading && RefusedForReading(path)) return nullptr;
        file = std::fopen(path.c_str(), realMode.c_str());
    }
    if (!file || binary || !reading) return file;
    auto* reader = new CrDroppingReader{file};
    cookie_io_functions_t functions{ReadDroppingCr, nullptr, nullptr, CloseReader};
    FILE* filtered = fopencookie(reader, "r", functions);
    if (!filtered) {
        std::fclose(file);
        delete reader;
    }
    return filtered;
}

bool FileExists(std::string_view gamePath) {
    if (FindMemoryFile(gamePath)) return true;
    std::error_code ec;
    return fs::is_regular_file(ResolvePath(gamePath), ec);
}

bool DirectoryExists(std::string_view gamePath) {
    std::error_code ec;
    return fs::is_directory(ResolvePath(gamePath), ec);
}

bool DeleteFile(std::string_view gamePath) {
    if (KeepingWrites()) {
        const std::string key = MemoryKey(gamePath);
        WrittenFiles().erase(key);
        return MemoryFiles().erase(key) > 0;
    }
    std::error_code ec;
    fs::path path = ResolvePath(gamePath);
    return fs::is_regular_file(path, ec) && fs::remove(path, ec);
}

bool CreateDirectory(std::string_view gamePath) {
    std::error_code ec;
    return fs::create_directory(ResolvePath(gamePath), ec);
}

bool CopyFile(std::string_view fromGamePath, std::string_view toGamePath) {
    if (KeepingWrites()) {
        std::vector<char> bytes;
        if (!ReadFileBytes(fromGamePath, bytes)) return false;
        KeepWritten(MemoryKey(toGamePath), std::string(bytes.begin(), bytes.end()));
        return true;
    }
    if (const MemoryFile* memory = FindMemoryFile(fromGamePath)) {
        FILE* to = OpenFile(toGamePath, "wb");
        if (!to) return false;
        const bool written = std::fwrite(memory->data, 1, memory->size, to) == memory->size;
        return std::fclose(to) == 0 && written;
    }
    std::error_code ec;
    return fs::copy_file(ResolvePath(fromGamePath), ResolvePath(toGamePath), fs::copy_options::overwrite_existing,
                         ec);
}

bool RenameFile(std::string_view fromGamePath, std::string_view toGamePath) {
    if (KeepingWrites()) return CopyFile(fromGamePath, toGamePath) && DeleteFile(fromGamePath);
    std::error_code ec;
    fs::rename(ResolvePath(fromGamePath), ResolvePath(toGamePath), ec);
    return !ec;
}

std::vector<std::string> ListDirectory(std::string_view gameDir, std::string_view pattern, bool directories) {
    std::vector<std::string> names;
    fs::path dir = ResolvePath(gameDir);
    const std::vector<std::string>* entries = EntriesOf(dir);
    if (!entries) return names;
    // "*.*" means every name, with or without a dot, as the data's scripts expect.
    if (pattern == "*.*") pattern = "*";
    for (const std::string& name : *entries) {
        std::error_code ec;
        bool isDir = fs::is_directory(dir / name, ec);
        if (isDir == directories && MatchWildcard(pattern, name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int c = CompareIgnoringCase(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

bool ReadFileBytes(std::string_view gamePath, std::vector<char>& out) {
    out.clear();
    if (const MemoryFile* memory = FindMemoryFile(gamePath)) {
        const char* bytes = static_cast<const char*>(memory->data);
        out.assign(bytes, bytes + memory->size);
        return true;
    }
    FILE* file = OpenFile(gamePath, "rb");
    if (!file) return false;
    const bool ok = AppendRest(file, out);
    std::fclose(file);
    return ok;
}

void SetMemoryFile(std::string_view gamePath, const void* data, size_t size) {
    MemoryFiles()[MemoryKey(gamePath)] = MemoryFile{data, size};
}

void ClearMemoryFiles() {
    MemoryFiles().clear();
    WrittenFiles().clear();
}

void KeepWritesInMemory(bool keep) { KeepingWrites() = keep; }

bool MatchWildcard(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' ||
                                   std::tolower(static_cast<unsigned char>(pattern[p])) ==
                                       std::tolower(static_cast<unsigned char>(name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace plat
