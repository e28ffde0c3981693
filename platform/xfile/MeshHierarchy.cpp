#include "platform/xfile/MeshHierarchy.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/os/Files.h"
#include "platform/xfile/MeshLoader.h"
#include "platform/xfile/MeshAssembly.h"
#include "platform/xfile/XFileDocument.h"

namespace xfile {

namespace {

// Appends item to the chain that starts at head, following next.
template <class T>
void Append(T*& head, T* item, T* T::*next) {
    T** at = &head;
    while (*at) at = &((*at)->*next);
    *at = item;
}

class HierarchyBuilder {
public:
    HierarchyBuilder(const XFileDocument& document, uint32_t options, gfx::Device* device, AllocateHierarchy* allocator,
                     std::string& error)
        : m_document(document), m_options(options), m_device(device), m_allocator(allocator), m_error(error) {}

    // The top-level frames (and lone meshes, each in an unnamed frame) as the root's siblings.
    // On failure root holds whatever was made, for the caller to free.
    gfx::Result Build(Frame** root) {
        for (const auto& object : m_document.Objects()) {
            const bool frame = object->type == "Frame";
            if (!frame && object->type != "Mesh") continue;
            Frame* made = nullptr;
            gfx::Result r = m_allocator->CreateFrame(frame ? object->name.c_str() : "", &made);
            if (gfx::Failed(r)) return r;
            if (!made) return Fail("the allocator made no frame");
            Append(*root, made, &Frame::pFrameSibling);
            r = frame ? FillFrame(*made, *object) : AddContainer(*made, *object);
            if (gfx::Failed(r)) return r;
        }
        if (!*root) return Fail("the file holds no frame and no mesh");
        return gfx::OK;
    }

private:
    gfx::Result Fail(const std::string& why) {
        m_error = why;
        return gfx::ERR_INVALIDDATA;
    }

    gfx::Result FillFrame(Frame& frame, const XObject& object) {
        for (const XChild& child : object.children) {
            const XObject* o = m_document.Resolve(child);
            if (!o) continue;
            if (o->type == "FrameTransformMatrix" && child.object) {
                ObjectValues values(*o, m_error);
                if (!values.Floats(&frame.TransformationMatrix.m[0][0], 16, "matrix")) return gfx::ERR_INVALIDDATA;
            } else if (o->type == "Mesh") {
                gfx::Result r = AddContainer(frame, *o);
                if (gfx::Failed(r)) return r;
            } else if (o->type == "Frame" && child.object) {
                Frame* made = nullptr;
                gfx::Result r = m_allocator->CreateFrame(o->name.c_str(), &made);
                if (gfx::Failed(r)) return r;
                if (!made) return Fail("the allocator made no frame");
                Append(frame.pFrameFirstChild, made, &Frame::pFrameSibling);
                r = FillFrame(*made, *o);
                if (gfx::Failed(r)) return r;
            }
        }
        return gfx::OK;
    }

    gfx::Result AddContainer(Frame& frame, const XObject& object) {
        MeshAssembly assembly(m_document, m_error);
        if (!assembly.AddMesh(object, pmath::Identity(), true)) return gfx::ERR_INVALIDDATA;
        MeshData data;
        std::vector<ExtendedMaterial> materials;
        std::vector<uint32_t> adjacency;
        if (!assembly.Empty()) {
            gfx::Result r = assembly.Build(m_options, m_device, materials, data.pMesh);
            if (gfx::Failed(r)) return r;
            adjacency.resize(data.pMesh->GetNumFaces() * 3);
            data.pMesh->GenerateAdjacency(0.0f, adjacency.data());
        }
        std::shared_ptr<SkinInfo> skin;
        if (!ReadSkin(object, assembly, skin)) return gfx::ERR_INVALIDDATA;
        MeshContainer* container = nullptr;
        gfx::Result r = m_allocator->CreateMeshContainer(object.name.c_str(), data, materials.data(),
                                                         static_cast<uint32_t>(materials.size()),
                                                         adjacency.empty() ? nullptr : adjacency.data(), skin, &container);
        if (gfx::Failed(r)) return r;
        if (container) Append(frame.pMeshContainer, container, &MeshContainer::pNextMeshContainer);
        return gfx::OK;
    }

    // The mesh's SkinWeights as bones, each weight given to every vertex made from the file
    // vertex it names. No SkinWeights: no skin.
    bool ReadSkin(const XObject& mesh, const MeshAssembly& assembly, std::shared_ptr<SkinInfo>& skin) {
        const std::vector<uint32_t>& sources = assembly.VertexSources();
        const uint32_t fileVertices = mesh.numbers.empty() ? 0 : static_cast<uint32_t>(mesh.numbers[0]);
        std::vector<std::vector<uint32_t>> copies(fileVertices);
        for (uint32_t v = 0; v < sources.size(); ++v) copies[sources[v]].push_back(v);
        std::vector<SkinBone> bones;
        for (const XChild& child : mesh.children) {
            const XObject* weights = m_document.Resolve(child);
            if (!weights || weights->type != "SkinWeights") continue;
            ObjectValues values(*weights, m_error);
            if (weights->strings.empty()) return values.Fail("names no frame");
            SkinBone bone;
            bone.name = weights->strings.front();
            uint32_t count = 0;
            if (!values.Count(count, "weight count", 2)) return false;
            std::vector<uint32_t> vertices(count);
            std::vector<float> given(count);
            for (uint32_t& v : vertices)
                if (!values.Below(v, fileVertices, "vertex index")) return false;
            if (!values.Floats(given.data(), count, "weights") || !values.Floats(&bone.offset.m[0][0], 16, "offset"))
                return false;
            for (uint32_t i = 0; i < count; ++i)
                for (uint32_t copy : copies[vertices[i]]) {
                    bone.vertices.push_back(copy);
                    bone.weights.push_back(given[i]);
                }
            bones.push_back(std::move(bone));
        }
        if (!bones.empty()) skin = std::make_shared<SkinInfo>(static_cast<uint32_t>(sources.size()), std::move(bones));
        return true;
    }

    const XFileDocument& m_document;
    uint32_t m_options;
    gfx::Device* m_device;
    AllocateHierarchy* m_allocator;
    std::string& m_error;
};

}  // namespace

gfx::Result LoadMeshHierarchyFromXInMemory(const uint8_t* data, size_t size, uint32_t options, gfx::Device* device,
                                           AllocateHierarchy* allocator, Frame** root,
                                           std::unique_ptr<AnimationController>* controller, std::string* error) {
    if (!allocator || !root) return gfx::ERR_INVALIDCALL;
    *root = nullptr;
    if (controller) controller->reset();
    std::string reason;
    XFileDocument document;
    gfx::Result r = gfx::ERR_INVALIDDATA;
    if (document.Parse(data, size, reason)) {
        r = HierarchyBuilder(document, options, device, allocator, reason).Build(root);
        if (!gfx::Failed(r) && controller && !ReadAnimationSets(document, *controller, reason)) r = gfx::ERR_INVALIDDATA;
    }
    if (gfx::Failed(r)) {
        FrameDestroy(*root, allocator);
        *root = nullptr;
        if (controller) controller->reset();
        if (error) *error = reason;
    }
    return r;
}

gfx::Result LoadMeshHierarchyFromX(std::string_view gamePath, uint32_t options, gfx::Device* device,
                                   AllocateHierarchy* allocator, Frame** root,
                                   std::unique_ptr<AnimationController>* controller, std::string* error) {
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(gamePath, bytes)) {
        if (error) *error = std::string("the file cannot be read: ") + std::strerror(errno);
        return ERR_FILENOTFOUND;
    }
    return LoadMeshHierarchyFromXInMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), options,
                                          device, allocator, root, controller, error);
}

gfx::Result FrameDestroy(Frame* root, AllocateHierarchy* allocator) {
    if (!allocator) return gfx::ERR_INVALIDCALL;
    // Siblings iteratively (long chains), children by recursion (as deep as the file nests).
    while (root) {
        Frame* next = root->pFrameSibling;
        for (MeshContainer* c = root->pMeshContainer; c;) {
            MeshContainer* following = c->pNextMeshContainer;
            allocator->DestroyMeshContainer(c);
            c = following;
        }
        FrameDestroy(root->pFrameFirstChild, allocator);
        allocator->DestroyFrame(root);
        root = next;
    }
    return gfx::OK;
}

Frame* FrameFind(Frame* root, std::string_view name) {
    for (; root; root = root->pFrameSibling) {
        if (root->Name == name) return root;
        if (Frame* found = FrameFind(root->pFrameFirstChild, name)) return found;
    }
    return nullptr;
}

}  // namespace xfile
