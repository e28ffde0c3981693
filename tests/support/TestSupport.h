#pragma once
// Shared test helpers: temporary start directories, fresh globals, running the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace test {

// A directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Puts a global component back into its start state.
template <class T>
void ResetGlobal(T& global) {
    global.~T();
    new (&global) T();
}

// Null video, null audio, no scripted input, fixed clock at 60 frames per second, a fresh
// message queue, no windows, clock at frame 0, no in-memory files, writes to the disk.
void ResetPlatform();

// The OpenAL backend on its loopback device of this output rate (tests labelled audio).
void UseLoopbackAudio(uint32_t rate);

// Every test of this fixture runs in an empty temporary start directory on the null backends.
class StartDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes a file below the start directory (folders are made as needed); '\' in the name is a
    // folder separator as in the game's paths.
    void WriteFile(const std::string& gamePath, const std::string& content) const;
    std::string ReadFile(const std::string& gamePath) const;
    // The file's lines without their line ends; none when the file is missing.
    std::vector<std::string> ReadLines(const std::string& gamePath) const;
    bool Exists(const std::string& gamePath) const;
    std::filesystem::path Path(const std::string& gamePath) const;

    TempDir m_dir;
};

// Makes dir the current directory for its lifetime (the start directory stays as it is).
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& dir);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path m_saved;
};

std::string ReadWholeFile(const std::filesystem::path& path);
// The lines of a text, each ended by a line feed (a last line without one is left out).
std::vector<std::string> LinesOf(const std::string& text);
void WriteWholeFile(const std::filesystem::path& path, const std::string& content);

struct ProgramRun {
    int exitCode = -1;
    bool timedOut = false;
    std::string output;  // stdout and stderr together
};

// A signal sent to the running program once ready() answers true (asked while it runs).
struct ProgramSignal {
    int number = 0;
    std::function<bool()> ready;
};

// Copies the assembled game (build/game) into dir, without what runs of the game left there.
// The game starts straight in the world its qv.cfg names ("StartMenu 0"), not at the menu.
void CopyGameTo(const std::filesystem::path& dir);
// The assembled game as it ships: it starts at the menu.
void CopyShippedGameTo(const std::filesystem::path& dir);
// Runs the program with dir as its start directory and these environment variables added.
ProgramRun RunProgram(const std::filesystem::path& dir, const std::map<std::string, std::string>& env,
                      int timeoutSeconds = 60, const ProgramSignal& signal = {});

}  // namespace test
