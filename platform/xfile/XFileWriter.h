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

// The adjacency is not written (the reader makes its own).
gfx::Result SaveMeshToX(std::string_view gamePath, const Mesh& mesh, const uint32_t* adjacency,
                        const ExtendedMaterial* materials, uint32_t materialCount, uint32_t format);

}  // namespace xfile
