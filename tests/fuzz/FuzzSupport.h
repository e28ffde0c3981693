#pragma once
// Shared by the fuzz targets: one temporary start directory per process on the null backends,
// and the input written to a game path below it for readers that take a file name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/os/Files.h"
#include "support/TestSupport.h"

namespace fuzz {

// Made on first use and removed when the process ends.
inline const std::filesystem::path& StartDirectory() {
    static test::TempDir dir;
    static const bool ready = [] {
        test::ResetPlatform();
        plat::SetStartDirectory(dir.path());
        return true;
    }();
    (void)ready;
    return dir.path();
}

// Replaces the file at the game path (folders are made as needed) with the input's bytes.
inline void WriteInput(const char* gamePath, const uint8_t* data, size_t size) {
    StartDirectory();
    std::filesystem::create_directories(plat::ResolvePath(gamePath).parent_path());
    FILE* f = plat::OpenFile(gamePath, "wb");
    if (!f) return;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace fuzz
