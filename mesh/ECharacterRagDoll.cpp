// The ragdoll's model: particles, constraint lists, the bone-particle map, the definition files
// and the state record.
#include "mesh/ECharacterRagDoll.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/BinaryStream.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/FileCacheManager.h"
#include "core/StringHelpers.h"
#include "mesh/MeshHooks.h"

namespace {

constexpr const char* kParticleTag = "ZParticle";
constexpr const char* kDistanceTag = "strDistanceConstraint";
constexpr const char* kSelfCollisionTag = "strSelfCollisionConstraint";
constexpr const char* kTrianglesTag = "m_pCharacterCollisionTrojkaty";
constexpr uint32_t kLineLength = 2000;
constexpr size_t kStateNameSize = ZParticle::kNameSize;

// Words of a definition line: separated by the space character only (a tab belongs to its word);
// a missing word is empty.
class LineWords {
public:
    explicit LineWords(const char* line) {
        for (const char* p = line; *p;) {
            while (*p == ' ') ++p;
            const char* start = p;
            while (*p && *p != ' ') ++p;
            if (p > start) m_words.emplace_back(start, p);
        }
    }
    const char* Text(size_t i) const { return i < m_words.size() ? m_words[i].c_str() : ""; }
    float Number(size_t i) const { return std::strtof(Text(i), nullptr); }
    int Integer(size_t i) const { return std::atoi(Text(i)); }

private:
    std::vector<std::string> m_words;
};

// False when the file cannot be opened.
template <class Visit>
bool ForEachCachedLine(const std::string& path, Visit&& visit) {
    FileCacheManager::Handle* file = g_FileCacheManager.Open(path.c_str());
    if (!file) return false;
    std::vector<char> line(kLineLength + 1);
    while (!g_FileCacheManager.Eof(file)) {
        line[0] = '\0';
        g_FileCacheManager.ReadLine(file, line.data(), kLineLength + 1);
        visit(LineWords(line.data()));
    }
    g_FileCacheManager.Close(file);
    return true;
}

// Names from the files are cut to the record's field.
template <size_t N>
void CopyName(char (&to)[N], const char* from) {
    std::snprintf(to, N, "%s", from ? from : "");
}

bool SamePair(const ZParticle* a, const ZParticle* b, const char* nameA, const char* nameB) {
    return (StrICmp(a->m_szName, nameA) == 0 && StrICmp(b->m_szName, nameB) == 0) ||
           (StrICmp(a->m_szName, nameB) == 0 && StrICmp(b->m_szName, nameA) == 0);
}

void WriteName(FILE* file, const char* name) {
    char block[kStateNameSize] = {};
    std::snprintf(block, sizeof block, "%s", name);
    FileWrite(file, block, sizeof block);
}

std::string ReadName(FILE* file) {
    char block[kStateNameSize] = {};
    FileRead(file, block, sizeof block);
    block[kStateNameSize - 1] = '\0';
    return block;
}

template <class T>
void Put(FILE* file, const T& value) {
    FileWrite(file, &value, sizeof value);
}

template <class T>
void Get(FILE* file, T& value) {
    FileRead(file, &value, sizeof value);
}

}  // namespace

ZParticle::ZParticle() { g_Debug.AddAlloc(kParticleTag); }

ZParticle::~ZParticle() { g_Debug.RemoveAlloc(kParticleTag); }

void ZParticle::Clear() {
    m_szName[0] = m_szSecondName[0] = '\0';
    m_pNode = nullptr;
    m_bFlag = 0;
    m_fRadius = 0.0f;
    m_vPosition = m_vOldPosition = m_vSolved = m_vSubStepStart = m_vInterpStart = m_vInterpEnd = DV{};
    m_uRestart = 0;
    m_pNext = nullptr;
}

ECharacterRagDoll::ECharacterRagDoll() : m_pParticles(&m_Particles[0]) {}

ECharacterRagDoll::~ECharacterRagDoll() {
    FreeConstraints();
    if (m_pCharacterCollisionTrojkaty) {
        delete[] m_pCharacterCollisionTrojkaty;
        g_Debug.RemoveAlloc(kTrianglesTag);
    }
    FreeSDCTable();
    FreeSSCDCTable();
    RemoveCollisionFinder();
}

void ECharacterRagDoll::FreeConstraints() {
    while (strDistanceConstraint* c = m_pDistanceConstraints) {
        m_pDistanceConstraints = c->m_pNext;
        delete c;
        g_Debug.RemoveAlloc(kDistanceTag);
    }
    while (strSelfCollisionConstraint* c = m_pSelfCollisionConstraints) {
        m_pSelfCollisionConstraints = c->m_pNext;
        delete c;
        g_Debug.RemoveAlloc(kSelfCollisionTag);
    }
}

void ECharacterRagDoll::RemoveCollisionFinder() {
    if (m_pCollisionFinder) g_MeshHooks.removeTriangleFinder(m_pCollisionFinder);
    m_pCollisionFinder = nullptr;
}

// ---- Files ----------------------------------------------------------------------------------------

bool ECharacterRagDoll::Load(const char* folder, ESkinMesh* owner) {
    if (!folder || !owner) return false;
    m_pOwner = owner;
    const std::string base(folder);
    if (!ReadParticles((base + "\\particles.txt").c_str())) return false;
    ReadDistanceConstraints((base + "\\distance_constraints.txt").c_str());
    ReadSelfCollisionConstraints((base + "\\selfcollision_constraints.txt").c_str());
    m_pCharacterCollisionTrojkaty = new CharacterCollisionTriangle[kMaxTriangles];
    g_Debug.AddAlloc(kTrianglesTag);
    m_uNumTriangles = 0;
    MapBoneParticles();
    BuildSDCTable();
    BuildSSCDCTable();
    return true;
}

bool ECharacterRagDoll::ReadParticles(const char* path) {
    return ForEachCachedLine(path, [&](const LineWords& w) {
        if (!*w.Text(0)) return;
        AddParticle(w.Text(0), w.Text(1), w.Integer(2) != 0, w.Number(3), w.Text(4));
    });
}

void ECharacterRagDoll::ReadDistanceConstraints(const char* path) {
    ForEachCachedLine(path, [&](const LineWords& w) {
        if (FindDistanceConstraint(w.Text(0), w.Text(1))) return;
        AddDistanceConstraint(w.Text(0), w.Text(1), w.Number(2), w.Number(3), w.Integer(4) != 0,
                              static_cast<uint32_t>(w.Integer(5)), w.Number(6), w.Text(7));
    });
}

void ECharacterRagDoll::ReadSelfCollisionConstraints(const char* path) {
    ForEachCachedLine(path, [&](const LineWords& w) {
        AddSelfCollisionConstraint(w.Text(0), w.Text(1), w.Number(2), w.Number(3), w.Text(4), w.Text(5), w.Number(6));
    });
}

bool ECharacterRagDoll::AddParticle(const char* name, const char* nodeName, uint8_t flag, float radius,
                                    const char* secondName) {
    if (m_iNumParticles >= kMaxParticles) {
        g_Console.Print("Too Many Particles In RagDoll!");
        return false;
    }
    ZParticle& p = m_Particles[m_iNumParticles];
    if (m_iNumParticles > 0) m_Particles[m_iNumParticles - 1].m_pNext = &p;
    ++m_iNumParticles;
    p.Clear();
    CopyName(p.m_szName, name);
    p.m_pNode = m_pOwner && nodeName && *nodeName ? m_pOwner->FindNode(nodeName) : nullptr;
    p.m_bFlag = flag ? 1 : 0;
    p.m_fRadius = radius;
    CopyName(p.m_szSecondName, secondName);
    return true;
}

ZParticle* ECharacterRagDoll::FindParticle(const char* name) {
    if (!name) return nullptr;
    for (ZParticle* p = m_iNumParticles ? m_pParticles : nullptr; p; p = p->m_pNext)
        if (StrICmp(p->m_szName, name) == 0) return p;
    return nullptr;
}

bool ECharacterRagDoll::AddDistanceConstraint(const char* nameA, const char* nameB, float weightA, float weightB,
                                              uint8_t flag, uint32_t integer, float number, const char* name) {
    ZParticle* a = nameA && *nameA ? FindParticle(nameA) : nullptr;
    ZParticle* b = nameB && *nameB ? FindParticle(nameB) : nullptr;
    if (!a || !b) return false;
    auto* c = new strDistanceConstraint;
    g_Debug.AddAlloc(kDistanceTag);
    c->m_pA = a;
    c->m_pB = b;
    c->m_fWeightA = c->m_fInitialWeightA = weightA;
    c->m_fWeightB = c->m_fInitialWeightB = weightB;
    c->m_bFlag = flag ? 1 : 0;
    c->m_uInteger = integer;
    c->m_fNumber = number;
    CopyName(c->m_szName, name);
    c->m_pNext = m_pDistanceConstraints;
    m_pDistanceConstraints = c;
    return true;
}

strDistanceConstraint* ECharacterRagDoll::FindDistanceConstraint(const char* nameA, const char* nameB) {
    for (strDistanceConstraint* c = m_pDistanceConstraints; c; c = c->m_pNext)
        if (SamePair(c->m_pA, c->m_pB, nameA, nameB)) return c;
    return nullptr;
}

bool ECharacterRagDoll::AddSelfCollisionConstraint(const char* nameA, const char* nameB, float value1, float value2,
                                                   const char* refName1, const char* refName2, float margin) {
    ZParticle* p[4] = {};
    const char* names[4] = {nameA, nameB, refName1, refName2};
    for (int i = 0; i < 4; ++i) {
        p[i] = names[i] && *names[i] ? FindParticle(names[i]) : nullptr;
        if (!p[i]) return false;
    }
    auto* c = new strSelfCollisionConstraint;
    g_Debug.AddAlloc(kSelfCollisionTag);
    c->m_pA = p[0];
    c->m_pB = p[1];
    c->m_fValue1 = value1;
    c->m_fValue2 = value2;
    c->m_pRef1 = p[2];
    c->m_pRef2 = p[3];
    c->m_fMargin = margin;
    c->m_pNext = m_pSelfCollisionConstraints;
    m_pSelfCollisionConstraints = c;
    return true;
}

strSelfCollisionConstraint* ECharacterRagDoll::FindSelfCollisionConstraint(const char* nameA, const char* nameB) {
    for (strSelfCollisionConstraint* c = m_pSelfCollisionConstraints; c; c = c->m_pNext)
        if (SamePair(c->m_pA, c->m_pB, nameA, nameB)) return c;
    return nullptr;
}

// The placement, the pushes, the limits and the write-back address the particles only through
// this map, so a particles file lacking one of its names makes the ragdoll unusable.
bool ECharacterRagDoll::MapBoneParticles() {
    const char* missing = nullptr;
    for (int i = 0; i < kMapSize; ++i) {
        m_pMap[i] = FindParticle(kMapNames[i]);
        m_pMapPositions[i] = m_pMap[i] ? &m_pMap[i]->m_vPosition : nullptr;
        if (!m_pMap[i] && !missing) missing = kMapNames[i];
    }
    m_bMapComplete = missing ? 0 : 1;
    if (missing) g_Console.PrintStr3("ERROR in RagDoll: particle <", missing, "> missing, the ragdoll cannot start!");
    return !missing;
}

void ECharacterRagDoll::PinParticle(const char* name, const DV& point) {
    ZParticle* p = FindParticle(name);
    if (!p) return;
    p->m_vPosition = p->m_vOldPosition = point;
    for (strDistanceConstraint* c = m_pDistanceConstraints; c; c = c->m_pNext) {
        if (c->m_pA == p) c->m_fWeightA = 0.0f, c->m_fWeightB = 1.0f;
        else if (c->m_pB == p) c->m_fWeightB = 0.0f, c->m_fWeightA = 1.0f;
    }
}

void ECharacterRagDoll::FollowPoint(const DV& point) {
    const DV shift = point - m_vFollowPoint;
    if (pmath::Length(shift) > 15.0f)
        for (uint32_t i = 0; i < m_iNumParticles; ++i) {
            m_Particles[i].m_vPosition += shift;
            m_Particles[i].m_vOldPosition += shift;
        }
    m_vFollowPoint = point;
}

// ---- State record ---------------------------------------------------------------------------------

void ECharacterRagDoll::SaveState(FILE* file) const {
    if (!file) return;
    Put(file, m_fSubStep), Put(file, m_fStartFactor), Put(file, m_fStartScale), Put(file, m_fTimeAccumulator);
    Put(file, m_bStartCleared), Put(file, m_fReplayPeriod), Put(file, m_fReplayElapsed);
    Put(file, m_bDetailedCollisions), Put(file, m_bStepped);
    Put(file, m_iNumParticles), Put(file, m_bSavedByte), Put(file, m_uSavedWord);
    for (int i = 0; i < kImpulseSlots; ++i) Put(file, m_vImpulse[i]), Put(file, m_fImpulseTime[i]);
    Put(file, m_fSimulatedTime), Put(file, m_bNoLegSpread), Put(file, m_vFollowPoint), Put(file, m_bStartLyingFlat);
    Put(file, m_bEarlyPoseFault), Put(file, m_bSkipEarlyChecks), Put(file, m_bActive), Put(file, m_dRestTimer);
    for (const DV& v : m_vRootHistory) Put(file, v);
    uint32_t count = 0;
    for (const ZParticle* p = m_iNumParticles ? m_pParticles : nullptr; p; p = p->m_pNext) ++count;
    Put(file, count);
    for (const ZParticle* p = m_iNumParticles ? m_pParticles : nullptr; p; p = p->m_pNext) {
        WriteName(file, p->m_szName);
        Put(file, p->m_vPosition), Put(file, p->m_vOldPosition), Put(file, p->m_vSolved);
        Put(file, p->m_vInterpStart), Put(file, p->m_vInterpEnd), Put(file, p->m_uRestart);
    }
    count = 0;
    for (const strDistanceConstraint* c = m_pDistanceConstraints; c; c = c->m_pNext) ++count;
    Put(file, count);
    for (const strDistanceConstraint* c = m_pDistanceConstraints; c; c = c->m_pNext) {
        WriteName(file, c->m_pA->m_szName), WriteName(file, c->m_pB->m_szName);
        Put(file, c->m_fRestLength), Put(file, c->m_fRestLength2);
    }
    count = 0;
    for (const strSelfCollisionConstraint* c = m_pSelfCollisionConstraints; c; c = c->m_pNext) ++count;
    Put(file, count);
    for (const strSelfCollisionConstraint* c = m_pSelfCollisionConstraints; c; c = c->m_pNext) {
        WriteName(file, c->m_pA->m_szName), WriteName(file, c->m_pB->m_szName);
        Put(file, c->m_fLimit), Put(file, c->m_fLimit2);
    }
}

// Records are matched by their names; one without a match is read and dropped.
void ECharacterRagDoll::LoadState(FILE* file) {
    if (!file) return;
    RemoveCollisionFinder();
    uint32_t storedParticles = 0;
    Get(file, m_fSubStep), Get(file, m_fStartFactor), Get(file, m_fStartScale), Get(file, m_fTimeAccumulator);
    Get(file, m_bStartCleared), Get(file, m_fReplayPeriod), Get(file, m_fReplayElapsed);
    Get(file, m_bDetailedCollisions), Get(file, m_bStepped);
    // The count of the file is only informative: the particles come from the definition files.
    Get(file, storedParticles), Get(file, m_bSavedByte), Get(file, m_uSavedWord);
    for (int i = 0; i < kImpulseSlots; ++i) Get(file, m_vImpulse[i]), Get(file, m_fImpulseTime[i]);
    Get(file, m_fSimulatedTime), Get(file, m_bNoLegSpread), Get(file, m_vFollowPoint), Get(file, m_bStartLyingFlat);
    Get(file, m_bEarlyPoseFault), Get(file, m_bSkipEarlyChecks), Get(file, m_bActive), Get(file, m_dRestTimer);
    for (DV& v : m_vRootHistory) Get(file, v);
    // The counts come from the file: a damaged one may say billions, so every loop also ends
    // where the file does.
    auto more = [file] { return !std::feof(file) && !std::ferror(file); };
    uint32_t count = 0;
    Get(file, count);
    for (uint32_t i = 0; i < count && more(); ++i) {
        ZParticle dropped;
        ZParticle* p = FindParticle(ReadName(file).c_str());
        ZParticle& to = p ? *p : dropped;
        Get(file, to.m_vPosition), Get(file, to.m_vOldPosition), Get(file, to.m_vSolved);
        Get(file, to.m_vInterpStart), Get(file, to.m_vInterpEnd), Get(file, to.m_uRestart);
    }
    Get(file, count);
    for (uint32_t i = 0; i < count && more(); ++i) {
        const std::string a = ReadName(file), b = ReadName(file);
        strDistanceConstraint dropped;
        strDistanceConstraint* c = FindDistanceConstraint(a.c_str(), b.c_str());
        strDistanceConstraint& to = c ? *c : dropped;
        Get(file, to.m_fRestLength), Get(file, to.m_fRestLength2);
    }
    Get(file, count);
    for (uint32_t i = 0; i < count && more(); ++i) {
        const std::string a = ReadName(file), b = ReadName(file);
        strSelfCollisionConstraint dropped;
        strSelfCollisionConstraint* c = FindSelfCollisionConstraint(a.c_str(), b.c_str());
        strSelfCollisionConstraint& to = c ? *c : dropped;
        Get(file, to.m_fLimit), Get(file, to.m_fLimit2);
    }
    CopyDistanceLimits();
    CopySelfCollisionLimits();
}
