// Runs a fuzz target without the fuzzing engine: the empty input, then every file named on the
// command line, or every file of a named directory, is fed once to the target. CTest uses it to
// replay the seed corpus.
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// As the fuzzing engine does: the target gets a heap block of exactly the input's size, so a read
// past the end is caught, and a valid pointer even for no bytes.
void Feed(const std::vector<uint8_t>& bytes) {
    std::unique_ptr<uint8_t[]> input(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), input.get());
    LLVMFuzzerTestOneInput(input.get(), bytes.size());
}

void Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s\n", file.string().c_str());
    std::fflush(stdout);
    Feed(bytes);
}

// Like the fuzzer's memory limit: a reader that lets a few bytes of input claim gigabytes fails here
// rather than passing slowly. AddressSanitizer reserves its shadow memory as address space, so
// sanitizer builds go without the limit.
void LimitMemory() {
#if !defined(__SANITIZE_ADDRESS__)
    constexpr rlim_t kLimit = rlim_t{2} << 30;
    rlimit limit{kLimit, kLimit};
    setrlimit(RLIMIT_AS, &limit);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    LimitMemory();
    std::printf("(empty input)\n");
    Feed({});
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        if (!std::filesystem::exists(argv[i])) {
            std::fprintf(stderr, "%s: no such file or directory\n", argv[i]);
            return 1;
        }
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(argv[i]);
        }
        for (const auto& file : files) Replay(file);
        replayed += static_cast<int>(files.size());
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
