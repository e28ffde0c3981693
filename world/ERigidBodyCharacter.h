#pragma once
// A character's body made of ten rigid boxes, one per body segment, tied by joints of the engine's
// own rigid-body simulation; the boxes are engine objects made from one scaled prefab.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;
class ERigidBodyPhysics;
class ECollisionFinder;
class ESkinMesh;

class ERigidBodyCharacter {
public:
    static constexpr int kLimbs = 10;
    enum Limb { TULOW, GLOWA, LEWE_RAMIE, PRAWE_RAMIE, LEWE_PRZEDRAMIE, PRAWE_PRZEDRAMIE, LEWE_UDO, PRAWE_UDO,
                LEWA_LYDKA, PRAWA_LYDKA };

    explicit ERigidBodyCharacter(ESkinMesh* owner = nullptr) : m_pSkinMesh(owner) {}

    // Makes the ten boxes at the point with their bodies and joints; false when any of them cannot
    // be made, and then nothing made is left behind.
    bool Create(const DV& point);
    // Once a frame while active: puts the bodies to sleep after five seconds.
    void Update();
    // Removes the bodies, the boxes and the finder of a created body; nothing otherwise.
    void Release();
    void ReleaseHook() {}

    uint8_t m_bCreated = 0;
    EObjectSlot* m_hLimbs[kLimbs] = {};
    ERigidBodyPhysics* m_pBodies[kLimbs] = {};
    double m_dTime[2] = {};
    ESkinMesh* m_pSkinMesh = nullptr;
    uint8_t m_bActive = 0;
    ECollisionFinder* m_pFinder = nullptr;

private:
    bool CreateLimbs(const DV& point);
    bool CreateLimbBodies();
    void CreateLimbJoints();
    // Runs the joint pass as the simulation's frame does, then puts the boxes where their bodies are.
    void SettleJoints();
    void CreateFinder();
    void RemoveAll();
};
