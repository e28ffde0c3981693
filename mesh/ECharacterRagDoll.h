#pragma once
// The particle ragdoll of a skinned character: up to 160 named point particles laid over the
// body, distance constraints that keep pairs at their start distance, self-collision constraints
// that keep pairs within a length measured from another pair, and a buffer of world triangles
// gathered around the character. Each skinned instance owns at most one, loaded from the three
// text files of its model's "death" folder. Started from the animated pose, it is stepped with a
// Verlet integration, relaxed over flat constraint tables, held by plane-rule joint limits,
// pushed out of the world's triangles, and its pose is written back into the skeleton's node
// targets.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "core/DV.h"
#include "mesh/CharacterCollisionTriangle.h"
#include "mesh/ESkinMesh.h"

struct ZParticle {
    static constexpr int kNameSize = 64;

    ZParticle();
    ~ZParticle();
    ZParticle(const ZParticle&) = delete;
    ZParticle& operator=(const ZParticle&) = delete;
    // Every vector and counter zero, both names empty, no node and no successor.
    void Clear();

    char m_szName[kNameSize] = {};
    ESkinMesh::strNode* m_pNode = nullptr;
    uint8_t m_bFlag = 0;
    float m_fRadius = 0.0f;
    char m_szSecondName[kNameSize] = {};
    DV m_vPosition;
    DV m_vOldPosition;
    // When nonzero the next integration step starts the particle from rest.
    uint32_t m_uRestart = 0;
    DV m_vSolved;
    DV m_vSubStepStart;
    DV m_vInterpStart;
    DV m_vInterpEnd;
    ZParticle* m_pNext = nullptr;
};

struct strDistanceConstraint {
    ZParticle* m_pA = nullptr;
    ZParticle* m_pB = nullptr;
    float m_fRestLength = 0.0f;
    float m_fRestLength2 = 0.0f;
    float m_fWeightA = 0.0f;
    float m_fWeightB = 0.0f;
    float m_fInitialWeightA = 0.0f;
    float m_fInitialWeightB = 0.0f;
    uint8_t m_bFlag = 0;
    uint32_t m_uInteger = 0;
    float m_fNumber = 0.0f;
    char m_szName[ZParticle::kNameSize] = {};
    strDistanceConstraint* m_pNext = nullptr;
};

// Keeps A and B no farther apart than the start distance of the two reference particles plus
// the margin; a closer pair is left alone.
struct strSelfCollisionConstraint {
    ZParticle* m_pA = nullptr;
    ZParticle* m_pB = nullptr;
    float m_fLimit = 0.0f;
    float m_fLimit2 = 0.0f;
    float m_fValue1 = 0.0f;
    float m_fValue2 = 0.0f;
    ZParticle* m_pRef1 = nullptr;
    ZParticle* m_pRef2 = nullptr;
    float m_fMargin = 0.0f;
    strSelfCollisionConstraint* m_pNext = nullptr;
};

// One entry of a flat constraint table: the squared limit and the two positions it relaxes.
struct strConstraintTableEntry {
    float fLimit2 = 0.0f;
    DV* pA = nullptr;
    DV* pB = nullptr;
};

class ECharacterRagDoll {
public:
    static constexpr int kMaxParticles = 160;
    static constexpr int kMaxTriangles = 1000;
    static constexpr int kMapSize = 122;
    static constexpr int kImpulseSlots = 12;
    static constexpr float kSubStep = 0.0215f;
    static constexpr float kGravityPerStep = 0.10489729f;
    // The particles the body-part code addresses, in the map's fixed order.
    static constexpr const char* kMapNames[kMapSize] = {
    "glowa1", "glowa2", "glowa3", "glowa4", "glowa5", "glowa6", "glowa7", "glowa8", "miednica5", "miednica6",
    "L_tulow1", "L_tulow2", "L_tulow3", "L_tulow4", "L_miednica2", "L_miednica3", "L_poldupek1", "L_poldupek2",
    "L_poldupek3", "L_poldupek4", "L_poldupek5", "L_poldupek6", "L_udo1", "L_udo2", "L_udo3", "L_udo4", "L_udo5",
    "L_udo6", "L_udo8", "L_udo9", "L_kolano1", "L_kolano2", "L_kolano3", "L_kolano4", "L_kolano5", "L_kolano6",
    "L_lydka1", "L_lydka2", "L_lydka3", "L_lydka4", "L_lydka5", "L_lydka6", "L_lydka7", "L_lydka8", "P_tulow1",
    "P_tulow2", "P_tulow3", "P_tulow4", "P_miednica1", "P_miednica4", "P_poldupek1", "P_poldupek2", "P_poldupek3",
    "P_poldupek4", "P_poldupek5", "P_poldupek6", "P_udo1", "P_udo2", "P_udo3", "P_udo4", "P_udo5", "P_udo6",
    "P_udo8", "P_udo9", "P_kolano1", "P_kolano2", "P_kolano3", "P_kolano4", "P_kolano5", "P_kolano6", "P_lydka1",
    "P_lydka2", "P_lydka3", "P_lydka4", "P_lydka5", "P_lydka6", "P_lydka7", "P_lydka8", "L_ramie1", "L_ramie2",
    "L_ramie3", "L_ramie4", "L_ramie5", "L_ramie6", "L_ramie7", "L_ramie8", "L_lokiec1", "L_lokiec2", "L_lokiec3",
    "L_lokiec4", "L_lokiec5", "L_lokiec6", "L_przedramie1", "L_przedramie2", "L_przedramie3", "L_przedramie4",
    "L_przedramie5", "L_przedramie6", "L_przedramie7", "L_przedramie8", "P_ramie1", "P_ramie2", "P_ramie3",
    "P_ramie4", "P_ramie5", "P_ramie6", "P_ramie7", "P_ramie8", "P_lokiec1", "P_lokiec2", "P_lokiec3", "P_lokiec4",
    "P_lokiec5", "P_lokiec6", "P_przedramie1", "P_przedramie2", "P_przedramie3", "P_przedramie4", "P_przedramie5",
    "P_przedramie6", "P_przedramie7", "P_przedramie8",
};
    // The map entry of a name of the table, found when the code is compiled.
    static consteval int Slot(std::string_view name) {
        for (int i = 0; i < kMapSize; ++i)
            if (name == kMapNames[i]) return i;
        throw "not a name of the bone-particle map";
    }

    ECharacterRagDoll();
    ~ECharacterRagDoll();
    ECharacterRagDoll(const ECharacterRagDoll&) = delete;
    ECharacterRagDoll& operator=(const ECharacterRagDoll&) = delete;

    // ---- Model and files ----
    // Reads the three files of the folder through the file cache; false without a folder, an
    // owner or a readable "particles.txt".
    bool Load(const char* folder, ESkinMesh* owner);
    bool AddParticle(const char* name, const char* nodeName, uint8_t flag, float radius, const char* secondName);
    ZParticle* FindParticle(const char* name);
    bool AddDistanceConstraint(const char* nameA, const char* nameB, float weightA, float weightB, uint8_t flag,
                               uint32_t integer, float number, const char* name);
    strDistanceConstraint* FindDistanceConstraint(const char* nameA, const char* nameB);
    bool AddSelfCollisionConstraint(const char* nameA, const char* nameB, float value1, float value2,
                                    const char* refName1, const char* refName2, float margin);
    strSelfCollisionConstraint* FindSelfCollisionConstraint(const char* nameA, const char* nameB);
    // Binds every map name to its particle; false, after one line naming the first missing one,
    // when the particles lack any of them.
    bool MapBoneParticles();
    bool IsMapComplete() const { return m_bMapComplete != 0; }
    void SaveState(FILE* file) const;
    void LoadState(FILE* file);
    void PinParticle(const char* name, const DV& point);
    void FollowPoint(const DV& point);
    // Run by the skinned mesh just before it destroys the ragdoll.
    void BeforeRelease() {}

    // ---- Start and hits ----
    // Lays the particles over the owner's pose and resets the simulation; false, after a line,
    // when a map particle or a skeleton node it needs is missing.
    bool Start(float factor, bool detailed);
    void Activate();
    void Deactivate() { m_bActive = 0; }
    void ApplyHit(const char* partName, const DV& direction);
    void ApplyLowerBodyHit(const DV& direction);
    void PushAll(const DV& velocity);
    bool IsLyingFlat() const;
    void ApplyPendingImpulses();
    void PlaceParticlesFromSkeleton();

    // ---- Frame update and write-back ----
    void UpdatePhysics();
    void Step();
    // The replay between the interpolation ends.
    void Update();
    void UpdateSkeleton();
    void GatherCollisionTriangles();
    void CollideConstraintsWithTriangles();
    bool IntersectsCollisionTriangles(const DV& a, const DV& b) const;

    // ---- Solver ----
    void BuildSDCTable();
    void BuildSSCDCTable();
    void FreeSDCTable();
    void FreeSSCDCTable();
    void MeasureDistanceConstraints();
    void MeasureSelfCollisionConstraints();
    void CopyDistanceLimits();
    void CopySelfCollisionLimits();
    void Integrate();
    void RelaxDistanceTable();
    void RelaxSelfCollisionTable();
    void MarkNodeChain(uint32_t node);

    // ---- Joint limits and pose corrections ----
    void LimitLeftKnee();
    void LimitRightKnee();
    void LimitLeftHip();
    void LimitRightHip();
    void LimitLeftElbow();
    void LimitRightElbow();
    void LimitTorso();
    void LimitHead();
    void LimitLeftCalf();
    void LimitLeftThigh();
    void LimitRightCalf();
    void LimitRightThigh();
    void LimitLeftForearm();
    void LimitLeftUpperArm();
    void LimitRightForearm();
    void LimitRightUpperArm();
    void RollOffSide();
    void CheckTwist();

    // The map particle's position.
    DV& At(int index) { return *m_pMapPositions[index]; }
    const DV& At(int index) const { return *m_pMapPositions[index]; }
    // The mean position of map particles.
    template <size_t N>
    DV MeanOf(const int (&slots)[N]) const {
        DV sum;
        for (int s : slots) sum += At(s);
        return sum * (1.0f / static_cast<float>(N));
    }

    ESkinMesh* m_pOwner = nullptr;
    float m_fStartFactor = 0.0f;
    float m_fStartScale = 0.0f;
    float m_fTimeAccumulator = 0.0f;
    uint8_t m_bStartCleared = 0;
    float m_fReplayPeriod = 0.0f;
    float m_fReplayElapsed = 0.0f;
    uint8_t m_bDetailedCollisions = 1;
    float m_fSubStep = 0.0f;
    float m_fSimulatedTime = 0.0f;
    uint8_t m_bStepped = 0;
    ZParticle* m_pParticles = nullptr;
    uint32_t m_iNumParticles = 0;
    ZParticle m_Particles[kMaxParticles];
    strDistanceConstraint* m_pDistanceConstraints = nullptr;
    uint32_t m_uSDCTableCount = 0;
    strConstraintTableEntry* m_SDCTable = nullptr;
    strSelfCollisionConstraint* m_pSelfCollisionConstraints = nullptr;
    uint32_t m_uSSCDCTableCount = 0;
    strConstraintTableEntry* m_SSCDCTable = nullptr;
    // The box finder around the character, kept by the collision side; null until the first
    // gathering.
    void* m_pCollisionFinder = nullptr;
    uint8_t m_bSavedByte = 0;
    uint32_t m_uNumTriangles = 0;
    CharacterCollisionTriangle* m_pCharacterCollisionTrojkaty = nullptr;
    uint32_t m_uConstraintStamp = 0;
    ZParticle* m_pMap[kMapSize] = {};
    DV* m_pMapPositions[kMapSize] = {};
    uint32_t m_uTorsoLimitCount = 0;
    uint32_t m_uHeadLimitCount = 0;
    uint32_t m_uSavedWord = 0;
    DV m_vImpulse[kImpulseSlots];
    float m_fImpulseTime[kImpulseSlots] = {};
    uint8_t m_bNoLegSpread = 0;
    DV m_vFollowPoint;
    uint8_t m_bStartLyingFlat = 0;
    uint8_t m_bNeverStopEarly = 0;
    uint32_t m_uRollDirection = 0;
    uint8_t m_bEarlyPoseFault = 0;
    uint8_t m_bSkipEarlyChecks = 0;
    uint8_t m_bActive = 0;
    double m_dRestTimer = 0.0;
    DV m_vRootHistory[3];
    uint8_t m_bMapComplete = 0;

private:
    // False when the file cannot be opened.
    bool ReadParticles(const char* path);
    void ReadDistanceConstraints(const char* path);
    void ReadSelfCollisionConstraints(const char* path);
    void FreeConstraints();
    void RemoveCollisionFinder();
    void ClearImpulses();
    // A body that started lying flat is pushed less and shorter for its first 3 s.
    void DampImpulsesWhenLyingFlat();
    // One step of the rest test; whether the body is still active.
    bool RestTest();
    bool RootAtRest(float threshold);
};
