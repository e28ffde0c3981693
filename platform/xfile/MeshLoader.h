#pragma once
// Loads the meshes of a .x file as one mesh. Every Mesh of the file, at the top or inside Frames,
// is placed by the product of its frames' transforms and appended in file order, its materials
// after those of the meshes before it (its faces' attributes offset to match). Polygons become
// fans of triangles; a position used with several normals becomes one vertex per normal; a mesh
// without a material list gets one grey material without a texture. The result has the vertex
// format the file's content calls for (position, then normal, colour and texture coordinates
// where any mesh has them; missing ones zero), 16-bit indices and its faces sorted by attribute
// with a valid attribute table.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/xfile/ExtendedMaterial.h"
#include "platform/xfile/Mesh.h"

namespace xfile {

constexpr gfx::Result ERR_FILENOTFOUND = static_cast<gfx::Result>(0x88760385);

// gfx::ERR_INVALIDCALL for more than 65,535 vertices, ERR_FILENOTFOUND for a file that cannot be
// read and gfx::ERR_INVALIDDATA for content that is not a well-formed mesh; error (when given)
// then says why in one line.
gfx::Result LoadMeshFromX(std::string_view gamePath, uint32_t options, gfx::Device* device,
                          std::vector<ExtendedMaterial>& materials, std::shared_ptr<Mesh>& mesh,
                          std::string* error = nullptr);
gfx::Result LoadMeshFromXInMemory(const uint8_t* data, size_t size, uint32_t options, gfx::Device* device,
                                  std::vector<ExtendedMaterial>& materials, std::shared_ptr<Mesh>& mesh,
                                  std::string* error = nullptr);

}  // namespace xfile
