#pragma once
// A character's body made of ten rigid boxes, one per body segment, tied by joints of the engine's
// own rigid-body simulation; the boxes are engine objects made from one scaled prefab, sized and
// turned after the skinned mesh's skeleton, and their pose is copied back onto that skeleton.
#include <cstdint>

#include "collision/ERigidBodyPhysics.h"
#include "core/DV.h"
#include "core/SegmentHit.h"

class EObjectSlot;
class ERigidBodyPhysics;
class ECollisionFinder;
class ESkinMesh;

class ERigidBodyCharacter {
public:
    static constexpr int kLimbs = 10;
    // The most world triangles one finder query delivers.
    static constexpr uint32_t kFinderCapacity = 1000;
    enum Limb { TULOW, GLOWA, LEWE_RAMIE, PRAWE_RAMIE, LEWE_PRZEDRAMIE, PRAWE_PRZEDRAMIE, LEWE_UDO, PRAWE_UDO,
                LEWA_LYDKA, PRAWA_LYDKA };

    explicit ERigidBodyCharacter(ESkinMesh* owner = nullptr) : m_pSkinMesh(owner) {}
    ~ERigidBodyCharacter() { Release(); }
    ERigidBodyCharacter(const ERigidBodyCharacter&) = delete;
    ERigidBodyCharacter& operator=(const ERigidBodyCharacter&) = delete;

    // Makes the ten boxes at the point, sized and turned after the skinned mesh's skeleton, with
    // their bodies and joints, and keeps the shot that felled the character (when given); false
    // when any of them cannot be made, and then nothing made is left behind.
    bool Create(const DV& point, const SegmentHit* shot = nullptr);
    // Once a frame while active: the pose goes to the skeleton; the bodies sleep after five seconds.
    void Update();
    // Removes the bodies, the boxes and the finder of a created body; nothing otherwise.
    void Release();
    void ReleaseHook() {}
    // The shot pushes the limbs it crosses, then the whole body along its line; once.
    void ApplyShot();
    // Moves the finder round the torso and asks it for the world's triangles there.
    void UpdateFinder();
    // The skeleton's node targets from the boxes.
    void TransferPose();
    // The skinned mesh is being torn down: the body it owns goes with it.
    static void ReleaseOwnedBy(const ESkinMesh* mesh);

    uint8_t m_bCreated = 0;
    EObjectSlot* m_hLimbs[kLimbs] = {};
    ERigidBodyPhysics* m_pBodies[kLimbs] = {};
    // How far apart the front and back hand sockets sit; nothing sets it, and 0 lays them together.
    float m_fHandSocketSpacing = 0.0f;
    uint8_t m_bShotApplied = 0;
    SegmentHit m_Shot;
    double m_dTime[2] = {};
    ESkinMesh* m_pSkinMesh = nullptr;
    uint8_t m_bActive = 0;
    ECollisionFinder* m_pFinder = nullptr;
    // The last finder query: the triangles it delivered, and 1 when there were any.
    uint32_t m_uFinderResult[2] = {};
    // What the last finder query gathered, which every limb's body takes as the world around it.
    RigidBodyOwnerFaces m_OwnerFaces;

    // What the skeleton measured at creation: the boxes' sizes, the lengths of the pelvis and the
    // two lower spine nodes from the root, and of the neck.
    DV m_vSizes[kLimbs];
    float m_fSpineOffsets[3] = {};
    float m_fNeckLength = 0.0f;
    // The value the front hand sockets take for their depth: how far the shoulders sit in front of
    // the neck, in the torso box's own units.
    float m_fShoulderDepth = 0.0f;

private:
    bool CreateBodies(const DV& point);
    bool MeasureSkeleton();
    bool CreateLimb(int limb, const DV& point);
    void PlaceHandSockets();
    void AlignLimbs();
    bool CreateLimbBodies();
    void CreateLimbJoints();
    // Runs the joint pass as the simulation's frame does, then puts the boxes where their bodies are.
    void SettleJoints();
    void CreateFinder();
    // The socket of the limb in the world; false after saying so when the box has no such socket.
    bool SocketAt(int limb, const char* name, DV* out) const;
    // Node i, its later siblings and their first children reach on from their parents, each along
    // the line from its grandparent.
    void ExtendNodeChain(int32_t i);
    void RemoveAll();
    void Unlink();

    // The created bodies, so that a skinned mesh's teardown finds its own.
    ERigidBodyCharacter* m_pNextCreated = nullptr;
    static ERigidBodyCharacter* s_pFirstCreated;
};
