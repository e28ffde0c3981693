#pragma once
// Shared by the fuzz targets. Every target hands its input to its reader in memory, never through
// the disk, so the fuzzer runs at full speed:
//   - a reader that takes bytes (ReadDds, ParseEffectFile, ...) is called on them directly;
//   - a reader that opens a game path finds the input there as an in-memory file, read through the
//     platform's file layer like any file on disk:
//
//         extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
//             fuzz::InputFile input("save\\keys.cfg", data, size);
//             g_CommandMgr.LoadKeys();
//             return 0;
//         }
//
// Files a target needs beside its input, the same for every input, are written once below the
// start directory (StartDirectory()). Whatever a reader writes (reports, copies, saved files)
// stays in memory, readable until the input's files go: the disk is never touched.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>

#include "platform/os/Files.h"
#include "support/TestSupport.h"

namespace fuzz {

// A temporary start directory on the null backends, made on first use and removed when the
// process ends; from then on writes are kept in memory. Called as an input begins: the files of
// the input before, and what it wrote, are forgotten, so nothing grows from input to input.
inline const std::filesystem::path& StartDirectory() {
    static test::TempDir dir;
    static const bool ready = [] {
        test::ResetPlatform();
        plat::SetStartDirectory(dir.path());
        plat::KeepWritesInMemory(true);
        return true;
    }();
    (void)ready;
    plat::ClearMemoryFiles();
    return dir.path();
}

// The input as the file at a game path, for as long as this object lives (the bytes are not
// copied). Several may live side by side in one scope, one per path, e.g. for the parts of one
// input: when the first of them goes, every in-memory file goes.
class InputFile {
public:
    InputFile(const char* gamePath, const uint8_t* data, size_t size) {
        StartDirectory();
        plat::SetMemoryFile(gamePath, data, size);
    }
    ~InputFile() { plat::ClearMemoryFiles(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
};

// An input of several files: cut at its NUL bytes, part i becomes the file at gamePaths[i] (the
// last part keeps any further NULs); a path past the input's last part has no file at all.
class InputFiles {
public:
    InputFiles(std::initializer_list<const char*> gamePaths, const uint8_t* data, size_t size) {
        StartDirectory();
        const uint8_t* end = data + size;
        const uint8_t* part = data;
        size_t left = gamePaths.size();
        for (const char* path : gamePaths) {
            if (!part) break;
            const uint8_t* cut = --left ? static_cast<const uint8_t*>(std::memchr(part, 0, end - part)) : nullptr;
            plat::SetMemoryFile(path, part, (cut ? cut : end) - part);
            part = cut ? cut + 1 : nullptr;
        }
    }
    ~InputFiles() { plat::ClearMemoryFiles(); }
    InputFiles(const InputFiles&) = delete;
    InputFiles& operator=(const InputFiles&) = delete;
};

}  // namespace fuzz
