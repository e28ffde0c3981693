#pragma once
// A skinned model file loaded once for every character that uses it: its frame hierarchy with the
// skinnable mesh containers, its clips (its own and the common ones), the clip names found in its
// "animations" folder, the clip descriptions, its sockets and its collision elements.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mesh/ESkinMeshAllocateHierarchy.h"
#include "mesh/ESkinMeshAnimation.h"
#include "mesh/ESkinMeshCollision.h"
#include "platform/gfx/Effect.h"
#include "platform/xfile/KeyframedAnimationSet.h"

// A line of "animations\animations_desc.txt": angles a, b, c in degrees, the speed value d and the
// rotation yaw b, pitch a, roll c.
struct strAnimationDesc {
    char szName[kAnimationNameLength] = {};
    float a = 0.0f, b = 0.0f, c = 0.0f;
    double d = 0.0;
    pmath::Matrix mRotation = pmath::Identity();
};

// A socket of a model: a point in a node's space with a rotation (degrees, as in "sockets.txt").
struct strSkinMeshSocket {
    char szName[64] = {};
    char szNodeName[128] = {};
    // Resolved on first use by an instance; the model's own copy stays unresolved.
    const void* pNode = nullptr;
    float vOffset[3] = {};
    float fAngles[3] = {};
    strSkinMeshSocket* pNext = nullptr;
};

// Takes the socket of that name (ignoring case) out of a list and frees it, counted under the tag.
void RemoveSkinMeshSocket(strSkinMeshSocket*& list, const char* name, const char* tag);

// The effect a skinned draw sets its palette into: the bone-matrix array and the bone count.
struct SkinEffectContext {
    gfx::Effect* effect = nullptr;
    gfx::FxHandle boneMatrices = nullptr;
    gfx::FxHandle boneCount = nullptr;
};

// The rotation of a description or socket: yaw the second angle, pitch the first, roll the third
// (degrees).
pmath::Matrix DescriptionRotation(float first, float second, float third);

class ESkinMeshBase {
public:
    static constexpr int kRandomCounters = 20;
    static constexpr int kMaxDescriptions = 1000;

    ESkinMeshBase() = default;
    ~ESkinMeshBase();
    ESkinMeshBase(const ESkinMeshBase&) = delete;
    ESkinMeshBase& operator=(const ESkinMeshBase&) = delete;

    // Loads the model once; false after logging why.
    bool Create(const char* path);
    // Refused while more than one instance holds the model.
    void Destroy();

    void AddSocket(const strSkinMeshSocket& socket);
    void RemoveSocket(const char* name);
    void RemoveAllSockets();
    // Copies the description of the clip's name (angles, value, rotation) into the clip.
    bool ApplyDescription(strSkinMeshAnimation* clip) const;
    // Draws the container's groups of the attribute whose texture id is the texture.
    void DrawMeshContainer(D3DXMESHCONTAINER_DERIVED* container, const SkinEffectContext& effect, uint32_t attribute,
                           uint32_t texture) const;
    // The clip's slot, or -1.
    int FindAnimation(const char* name) const;
    // Whether the name is one of the clips found in the model's "animations" folder.
    bool HasAnimationName(const char* name) const;
    // Loads the clip from the model's "animations" folder into a slot, with its description.
    int LoadOwnAnimation(const char* name);
    // The frames in the order they are numbered (a frame's siblings before its children), each
    // with its parent's index (-1 for the top chain) and its depth.
    template <class Visit>
    void ForEachFrame(Visit&& visit) const;
    // The name below the model's folder ("death" gives the ragdoll's folder).
    std::string FolderPath(const char* name) const;

    uint8_t m_bCreated = 0;
    uint32_t m_uFrameCounter = 0;
    int32_t m_iRandom[kRandomCounters] = {};
    char m_szKeyPath[1024] = {};
    char m_szFileName[256] = {};
    char m_szFolder[1024] = {};
    D3DXFRAME_DERIVED* m_pFrameRoot = nullptr;
    std::unique_ptr<xfile::AnimationController> m_pAnimController;
    uint32_t m_iReferenceCount = 0;
    int32_t m_iNumAnimations = 0;
    strSkinMeshAnimation* m_tAnimations[MAX_ANIMATIONS_IN_SKINMESHBASE] = {};
    std::vector<std::string> m_szAnimationNames;
    std::vector<strAnimationDesc> m_tDescriptions;
    char m_szDefaultAnimation[kAnimationNameLength] = {};
    strSkinMeshSocket* m_pSockets = nullptr;
    ESkinMeshCollision m_Collisions;

private:
    bool LoadHierarchy();
    bool SetupBoneIndices();
    void ScanAnimations();
    void ReadDescriptions();
    void ReadSockets();
    void ReadCollisionElements();
};

template <class Visit>
void ESkinMeshBase::ForEachFrame(Visit&& visit) const {
    // Each chain of siblings is numbered whole, then the children of its frames, last sibling's
    // first (a stack, so that deep files do not exhaust the call stack).
    struct Chain {
        D3DXFRAME_DERIVED* first;
        int32_t parent;
        int32_t depth;
    };
    std::vector<Chain> chains;
    if (m_pFrameRoot) chains.push_back({m_pFrameRoot, -1, 0});
    while (!chains.empty()) {
        const Chain chain = chains.back();
        chains.pop_back();
        for (auto* frame = chain.first; frame; frame = static_cast<D3DXFRAME_DERIVED*>(frame->pFrameSibling)) {
            visit(*frame, chain.parent, chain.depth);
            if (frame->pFrameFirstChild)
                chains.push_back({static_cast<D3DXFRAME_DERIVED*>(frame->pFrameFirstChild),
                                  static_cast<int32_t>(frame->iFrameIdx), chain.depth + 1});
        }
    }
}
