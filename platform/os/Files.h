#pragma once
// Files and paths. The game names its files with Windows paths (backslashes, any letter case),
// relative to the start directory (the current directory when the program started) or absolute.
// Each component is matched against the directory's entries ignoring case, so data made on a
// case-insensitive file system loads unchanged; a new file takes the spelling of an existing
// one, else the spelling given. Text-mode reads drop CR; listings are sorted ignoring case.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// The directory every relative game path is resolved against. Fixed on first use to the current
// directory; tests point it at a temporary directory.
const std::filesystem::path& StartDirectory();
void SetStartDirectory(const std::filesystem::path& dir);

// The real path of a game path: existing components take their on-disk spelling, missing ones
// keep the given spelling.
std::filesystem::path ResolvePath(std::string_view gamePath);

// fopen with game paths. Reading in text mode (no 'b' in the mode) drops every CR. Only a regular
// file opens for reading: a folder is refused with errno EISDIR (as on Windows), a pipe or a
// device with EINVAL.
FILE* OpenFile(std::string_view gamePath, const char* mode);
bool FileExists(std::string_view gamePath);
bool DirectoryExists(std::string_view gamePath);
// Removes a file; false when there was none or it could not be removed.
bool DeleteFile(std::string_view gamePath);
bool CreateDirectory(std::string_view gamePath);
bool CopyFile(std::string_view fromGamePath, std::string_view toGamePath);
bool RenameFile(std::string_view fromGamePath, std::string_view toGamePath);
// The names (not paths) of the entries of a directory whose names match a pattern with the
// wildcards * and ? (ignoring case), files only or directories only, sorted ignoring case.
std::vector<std::string> ListDirectory(std::string_view gameDir, std::string_view pattern, bool directories = false);
// A whole file's bytes; false (with errno saying why) when it cannot be read or is not a regular
// file, as OpenFile.
bool ReadFileBytes(std::string_view gamePath, std::vector<char>& out);

// Files held in memory, for fuzzing readers at full speed: while a game path is set here, reading
// it (OpenFile in a read mode, ReadFileBytes, FileExists, CopyFile from it) gives these bytes and
// never touches the disk. Writing it still goes to the disk (unless writes are kept in memory,
// below), and directory listings do not show it. The bytes are not copied and must outlive the
// setting. Paths match ignoring case and separators, as on disk.
void SetMemoryFile(std::string_view gamePath, const void* data, size_t size);
// Forgets the memory files, those written into memory too.
void ClearMemoryFiles();
// While set, what the game writes stays in memory too, for readers that write reports or copies:
// a file opened for writing (or appending, after what memory holds of it), a copy or a renamed
// file becomes a memory file, and deleting removes memory files only: no file on the disk is
// written or removed.
void KeepWritesInMemory(bool keep);

// Wildcard match of * and ? ignoring ASCII case.
bool MatchWildcard(std::string_view pattern, std::string_view name);

}  // namespace plat
