#pragma once
// The floors of the source folders and the check that no #include points to a higher floor, or
// across to a folder of the same floor that the table does not allow.
#include <filesystem>
#include <string>
#include <vector>

namespace layering {

struct Violation {
    std::string file;  // relative to the tree's root, with '/'
    int line = 0;
    std::string message;
};

// The floor of a top-level source folder, or 0 when the folder is not a source folder.
int FloorOf(const std::string& folder);

// Why a file of folder `from` may not include a file of folder `to`; empty when it may.
std::string ForbiddenInclude(const std::string& from, const std::string& to);

// Reads every #include of the .cpp, .h and .hpp files under the tree's source folders.
std::vector<Violation> CheckTree(const std::filesystem::path& root);

}  // namespace layering
