#include "platform/xfile/MeshLoader.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/os/Files.h"
#include "platform/xfile/MeshAssembly.h"
#include "platform/xfile/XFileDocument.h"

namespace xfile {

gfx::Result LoadMeshFromXInMemory(const uint8_t* data, size_t size, uint32_t options, gfx::Device* device,
                                  std::vector<ExtendedMaterial>& materials, std::shared_ptr<Mesh>& mesh,
                                  std::string* error) {
    std::string reason;
    XFileDocument document;
    gfx::Result r = gfx::ERR_INVALIDDATA;
    if (document.Parse(data, size, reason)) {
        MeshAssembly assembly(document, reason);
        if (assembly.AddTopLevel()) r = assembly.Build(options, device, materials, mesh);
    }
    if (gfx::Failed(r) && error) *error = reason;
    return r;
}

gfx::Result LoadMeshFromX(std::string_view gamePath, uint32_t options, gfx::Device* device,
                          std::vector<ExtendedMaterial>& materials, std::shared_ptr<Mesh>& mesh, std::string* error) {
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(gamePath, bytes)) {
        if (error) *error = std::string("the file cannot be read: ") + std::strerror(errno);
        return ERR_FILENOTFOUND;
    }
    return LoadMeshFromXInMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), options, device,
                                 materials, mesh, error);
}

}  // namespace xfile
