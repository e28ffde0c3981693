#pragma once
// The TrueType faces a font can be made from: files the game adds for its run, by family name,
// and the faces installed on the machine. A face that neither has is drawn with the stand-in
// family, which the build's dependencies install.
#include <cstdint>
#include <string>

namespace gfx {

constexpr const char* kStandInFace = "DejaVu Sans";

// A face file and the index of the face inside it.
struct FaceFile {
    std::string path;  // a real path, ready for FreeType
    long index = 0;
};

// Adds every face of a font file (a game path) for this process; the number of faces added, 0 for
// a file that is missing or no font.
int AddFontResource(const char* gamePath);
// Forgets the faces of a file added before; false when it had added none.
bool RemoveFontResource(const char* gamePath);

// The face of a family (compared ignoring case) closest to the weight: the game's files first,
// then the machine's. Weight 0 takes any face, the game's first; from 600 up a bold face is
// preferred, below 600 a regular one. False when no face has the family.
bool FindFace(const std::string& family, uint32_t weight, FaceFile& out);

// Where the machine's faces are looked for; tests point it at a directory of their own.
void SetMachineFontDirectory(const std::string& directory);

}  // namespace gfx
