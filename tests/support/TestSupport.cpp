#include "support/TestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/gfx/NullSystem.h"
#include "platform/input/InputPump.h"
#include "platform/input/InputState.h"
#include "platform/os/Backends.h"
#include "platform/os/Clock.h"
#include "platform/os/Files.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "platform/sound/OpenALSound.h"

namespace fs = std::filesystem;

namespace test {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "furrow-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    m_path = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

void ResetPlatform() {
    plat::BackendChoice choice;
    choice.video = plat::VideoBackend::Null;
    choice.audio = plat::AudioBackend::Null;
    choice.input = plat::InputBackend::Sdl;
    choice.clock = plat::ClockBackend::Fixed;
    choice.fixedFramesPerSecond = 60;
    plat::SetBackends(choice);
    plat::ResetWindows();
    plat::ResetMessageQueue();
    plat::ResetInputPump();
    plat::ResetInput();
    plat::ResetClock();
    gfx::ResetNullBackend();
    snd::UseLoopbackDevice(false);
    plat::ClearMemoryFiles();
    plat::KeepWritesInMemory(false);
}

void UseLoopbackAudio(uint32_t rate) {
    plat::BackendChoice choice = plat::Backends();
    choice.audio = plat::AudioBackend::OpenAL;
    plat::SetBackends(choice);
    snd::UseLoopbackDevice(true, rate);
}

void StartDirTest::SetUp() {
    ResetPlatform();
    plat::SetStartDirectory(m_dir.path());
}

void StartDirTest::TearDown() {
    plat::ResetWindows();
    plat::SetStartDirectory(fs::current_path());
}

fs::path StartDirTest::Path(const std::string& gamePath) const {
    std::string p = gamePath;
    for (char& c : p)
        if (c == '\\') c = '/';
    return m_dir.path() / p;
}

void StartDirTest::WriteFile(const std::string& gamePath, const std::string& content) const {
    WriteWholeFile(Path(gamePath), content);
}

std::string StartDirTest::ReadFile(const std::string& gamePath) const { return ReadWholeFile(Path(gamePath)); }

std::vector<std::string> StartDirTest::ReadLines(const std::string& gamePath) const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(gamePath));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool StartDirTest::Exists(const std::string& gamePath) const { return fs::exists(Path(gamePath)); }

CurrentDirectory::CurrentDirectory(const fs::path& dir) : m_saved(fs::current_path()) { fs::current_path(dir); }

CurrentDirectory::~CurrentDirectory() {
    std::error_code ec;
    fs::current_path(m_saved, ec);
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteWholeFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// What a run of the game leaves in its folder (reports and the log, screenshots, saves, caches):
// a developer's ./run.sh in build/game must not change what the tests start from.
namespace {
bool IsLeftByARun(const fs::path& name) {
    const std::string s = name.string();
    return s.starts_with("!") || s == "save" || (s.starts_with("qv_screen") && s.ends_with(".bmp"));
}
}  // namespace

void CopyShippedGameTo(const fs::path& dir) {
    fs::create_directories(dir);
    for (const fs::directory_entry& entry : fs::directory_iterator(FURROW_GAME_DIR)) {
        if (IsLeftByARun(entry.path().filename())) continue;
        fs::copy(entry.path(), dir / entry.path().filename(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
}

void CopyGameTo(const fs::path& dir) {
    CopyShippedGameTo(dir);
    // The configuration's last word on a setting wins.
    WriteWholeFile(dir / "qv.cfg", ReadWholeFile(dir / "qv.cfg") + "StartMenu 0\n");
}

ProgramRun RunProgram(const fs::path& dir, const std::map<std::string, std::string>& env, int timeoutSeconds,
                      const ProgramSignal& signal) {
    ProgramRun run;
    fs::path outputPath = dir.string() + ".output";
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        int fd = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }
        // Each run keeps its single-instance lock in its own directory, so runs in parallel
        // (other tests, other checkouts) never take each other for a second start.
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        // Mesa's driver leaves a block of its own behind when it unloads: a sanitizer build checks the
        // program's leaks only where it draws nothing.
        auto video = env.find("FURROW_VIDEO");
        if (video == env.end() || video->second != "null") ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        ::execl(FURROW_PROGRAM, FURROW_PROGRAM, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    bool signalled = signal.number == 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (!signalled && signal.ready()) {
            ::kill(pid, signal.number);
            signalled = true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!run.timedOut && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.output = ReadWholeFile(outputPath);
    fs::remove(outputPath);
    return run;
}

}  // namespace test
