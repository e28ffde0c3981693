#include "layering/LayeringCheck.h"

#include <algorithm>
#include <fstream>
#include <regex>

namespace layering {

namespace {

namespace fs = std::filesystem;

struct Folder {
    const char* name;
    int floor;
};

constexpr Folder kFolders[] = {
    {"platform", 1}, {"core", 2},  {"audio", 3},    {"render", 3}, {"mesh", 3},
    {"collision", 3}, {"world", 4}, {"vehicles", 5}, {"game", 6},   {"app", 7},
};

// Includes across folders of one floor that are allowed: mesh draws through render, collision
// tests meshes.
constexpr std::pair<const char*, const char*> kSameFloor[] = {
    {"mesh", "render"}, {"collision", "mesh"}, {"collision", "render"}};

// The top-level folder of a path relative to the root, or "" when it lies outside.
std::string TopFolder(const fs::path& relative) {
    if (relative.empty() || *relative.begin() == "..") return "";
    return relative.begin()->string();
}

// The top-level folder an include names: a path that begins with a source folder is taken from
// the root (the build's include directory); any other is resolved beside the including file.
std::string IncludedFolder(const fs::path& root, const fs::path& file, const std::string& included) {
    fs::path path(included);
    if (!path.empty() && FloorOf(path.begin()->string()) != 0) return path.begin()->string();
    fs::path resolved = (file.parent_path() / path).lexically_normal();
    return TopFolder(resolved.lexically_relative(root));
}

bool IsSource(const fs::path& file) {
    std::string ext = file.extension().string();
    return ext == ".cpp" || ext == ".h" || ext == ".hpp";
}

void CheckFile(const fs::path& root, const fs::path& file, const std::string& from, std::vector<Violation>& out) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*["<]([^">]+)[">])");
    std::ifstream in(file);
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        std::smatch match;
        if (!std::regex_search(text, match, kInclude)) continue;
        std::string to = IncludedFolder(root, file, match[1].str());
        if (to.empty() || FloorOf(to) == 0) continue;
        std::string why = ForbiddenInclude(from, to);
        if (why.empty()) continue;
        out.push_back({file.lexically_relative(root).generic_string(), line, "includes " + match[1].str() + ": " + why});
    }
}

}  // namespace

int FloorOf(const std::string& folder) {
    for (const Folder& f : kFolders)
        if (folder == f.name) return f.floor;
    return 0;
}

std::string ForbiddenInclude(const std::string& from, const std::string& to) {
    if (from == to) return "";
    int fromFloor = FloorOf(from);
    int toFloor = FloorOf(to);
    if (toFloor < fromFloor) return "";
    if (toFloor > fromFloor)
        return to + "/ is floor " + std::to_string(toFloor) + ", above " + from + "/ on floor " +
               std::to_string(fromFloor);
    for (const auto& [a, b] : kSameFloor)
        if (from == a && to == b) return "";
    return to + "/ is on the same floor as " + from + "/ (" + std::to_string(toFloor) + ") and not open to it";
}

std::vector<Violation> CheckTree(const fs::path& root) {
    std::vector<Violation> out;
    for (const Folder& folder : kFolders) {
        fs::path top = root / folder.name;
        if (!fs::is_directory(top)) continue;
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(top))
            if (entry.is_regular_file() && IsSource(entry.path())) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) CheckFile(root, file, folder.name, out);
    }
    return out;
}

}  // namespace layering
