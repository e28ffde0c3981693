#pragma once
// Writes a mesh with its materials as a .x file: one Mesh object with its normals, texture
// coordinates, vertex colours and material list, as far as the mesh's layout has them. The
// binary form keeps every value exactly, so reading it back gives the same vertices, faces,
// attributes and materials.
#include <cstdint>
#include <string_view>

#include "platform/gfx/GfxTypes.h"
#include "platform/xfile/ExtendedMaterial.h"
#include "platform/xfile/Mesh.h"

namespace xfile {

constexpr uint32_t FILEFORMAT_BINARY = 0;
constexpr uint32_t FILEFORMAT_TEXT = 1;

// The adjacency is not written (the reader makes its own). A version other than 0 is written
// first, as the major number of a Header object, for ReadHeaderVersion; readers skip the object.
gfx::Result SaveMeshToX(std::string_view gamePath, const Mesh& mesh, const uint32_t* adjacency,
                        const ExtendedMaterial* materials, uint32_t materialCount, uint32_t format,
                        uint32_t version = 0);

// The version a binary file written by SaveMeshToX carries, read from its first bytes only; 0 for
// a file without one, in text form, or that cannot be read.
uint32_t ReadHeaderVersion(std::string_view gamePath);

}  // namespace xfile
