#pragma once
// The processing steps a loaded mesh goes through before it is drawn: cleaning, welding and
// validation.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/xfile/Mesh.h"

namespace xfile {

// Cleaning kinds.
constexpr uint32_t CLEAN_BACKFACING = 0x1;
constexpr uint32_t CLEAN_BOWTIES = 0x2;
constexpr uint32_t CLEAN_SIMPLIFICATION = CLEAN_BACKFACING | CLEAN_BOWTIES;

// Welding flags.
constexpr uint32_t WELDEPSILONS_WELDALL = 0x1;
constexpr uint32_t WELDEPSILONS_WELDPARTIALMATCHES = 0x2;
constexpr uint32_t WELDEPSILONS_DONOTREMOVEVERTICES = 0x4;

// How far apart each component of two vertices may be and still count as equal.
struct WeldEpsilons {
    float Position = 0.0f;
    float BlendWeights = 0.0f;
    float Normal = 0.0f;
    float Diffuse = 0.0f;
    float Specular = 0.0f;
    float Texcoord[8] = {};
};

// Gives vertices of their own where sharing makes the mesh ambiguous: the second of two faces
// that use the same three vertices facing opposite ways (BACKFACING), and every further fan of
// faces that meet at a vertex only through that vertex (BOWTIES). Faces, their order and every
// position stay as they were. out is the input itself when nothing had to change.
gfx::Result CleanMesh(uint32_t cleanType, const std::shared_ptr<Mesh>& mesh, const uint32_t* adjacencyIn,
                      std::shared_ptr<Mesh>& out, uint32_t* adjacencyOut, std::string* errors = nullptr);

// Joins vertices that stand at one point (their positions within 1e-6 and their corners meeting
// across an edge) and whose components all lie within the epsilons of the lowest-numbered such
// vertex; with WELDPARTIALMATCHES the components that lie within are also set to that vertex's.
// Vertices no face uses any more are removed unless DONOTREMOVEVERTICES. Vertices that merely lie
// near each other are never joined. vertexRemap (when given) gives each new vertex its old index.
gfx::Result WeldVertices(Mesh& mesh, uint32_t flags, const WeldEpsilons* epsilons, const uint32_t* adjacencyIn,
                         uint32_t* adjacencyOut, std::vector<uint32_t>* vertexRemap = nullptr);

// ERR_INVALIDMESH when a face uses a vertex the mesh lacks or the adjacency names a face that
// does not exist or does not name the face back; errors then lists the problems.
gfx::Result ValidMesh(const Mesh& mesh, const uint32_t* adjacency, std::string* errors = nullptr);

}  // namespace xfile
