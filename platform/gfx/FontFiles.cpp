#include "platform/gfx/FontFiles.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/gfx/FreeTypeLibrary.h"
#include "platform/os/Files.h"

namespace gfx {
namespace {

struct Face {
    std::string family;
    bool bold = false;
    bool italic = false;
    FaceFile file;
    std::string addedAs;  // the game path that added it; empty for the machine's faces
};

struct Registry {
    std::vector<Face> added;
    std::vector<Face> machine;
    bool machineScanned = false;
    std::string machineDirectory = "/usr/share/fonts";
};

Registry& Faces() {
    static Registry registry;
    return registry;
}

bool SameFamily(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Every face of the file at a real path.
std::vector<Face> ReadFaces(const std::string& path) {
    std::vector<Face> faces;
    FT_Library library = FreeTypeLibrary();
    if (!library) return faces;
    long count = 1;
    for (long index = 0; index < count; ++index) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), index, &face) != 0) break;
        count = face->num_faces;
        if (face->family_name)
            faces.push_back(Face{face->family_name, (face->style_flags & FT_STYLE_FLAG_BOLD) != 0,
                                 (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0, FaceFile{path, index}, {}});
        FT_Done_Face(face);
    }
    return faces;
}

bool IsFontFile(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".ttf" || ext == ".otf" || ext == ".ttc";
}

// The machine's faces are read once, when a family is first looked for there.
const std::vector<Face>& MachineFaces() {
    Registry& r = Faces();
    if (r.machineScanned) return r.machine;
    r.machineScanned = true;
    std::error_code error;
    std::vector<std::string> files;
    for (std::filesystem::recursive_directory_iterator it(r.machineDirectory, error), end; !error && it != end;
         it.increment(error))
        if (it->is_regular_file(error) && IsFontFile(it->path())) files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    for (const std::string& file : files)
        for (Face& face : ReadFaces(file)) r.machine.push_back(std::move(face));
    return r.machine;
}

// Lower is better: regular before italic, and the weight's own style before the other.
int Mismatch(const Face& face, uint32_t weight) {
    int score = face.italic ? 2 : 0;
    if (weight != 0 && face.bold != (weight >= 600)) score += 1;
    return score;
}

const Face* Best(const std::vector<Face>& faces, const std::string& family, uint32_t weight) {
    const Face* best = nullptr;
    for (const Face& face : faces)
        if (SameFamily(face.family, family) && (!best || Mismatch(face, weight) < Mismatch(*best, weight)))
            best = &face;
    return best;
}

}  // namespace

int AddFontResource(const char* gamePath) {
    if (!gamePath || !*gamePath || !plat::FileExists(gamePath)) return 0;
    std::vector<Face> faces = ReadFaces(plat::ResolvePath(gamePath).string());
    for (Face& face : faces) {
        face.addedAs = gamePath;
        Faces().added.push_back(std::move(face));
    }
    return static_cast<int>(faces.size());
}

bool RemoveFontResource(const char* gamePath) {
    if (!gamePath) return false;
    std::vector<Face>& added = Faces().added;
    auto gone = std::remove_if(added.begin(), added.end(), [gamePath](const Face& f) { return f.addedAs == gamePath; });
    bool removed = gone != added.end();
    added.erase(gone, added.end());
    return removed;
}

bool FindFace(const std::string& family, uint32_t weight, FaceFile& out) {
    const Face* face = Best(Faces().added, family, weight);
    if (!face) face = Best(MachineFaces(), family, weight);
    if (!face) return false;
    out = face->file;
    return true;
}

void SetMachineFontDirectory(const std::string& directory) {
    Registry& r = Faces();
    r.machineDirectory = directory;
    r.machine.clear();
    r.machineScanned = false;
}

}  // namespace gfx
