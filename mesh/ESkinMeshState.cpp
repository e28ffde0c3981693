// The state record of a skinned instance in the engine's state file: controllers, channels,
// placement and every node's pose, little-endian. Nothing in the game writes or reads it.
#include <cstring>

#include <string>

#include "core/BinaryStream.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "mesh/ECharacterRagDoll.h"
#include "mesh/ESkinMesh.h"
#include "mesh/SkinMeshPrint.h"
#include "platform/os/Files.h"

namespace {

constexpr size_t kChannelBytes = 200;

// Where each field of a channel lies in its 200 bytes.
struct ChannelLayout {
    static constexpr size_t clip = 0, loop = 4, step = 8, time = 16, finished = 24, blendTime = 32, blendLeft = 40,
                            maskMode = 48, loopCount = 52, previousLoopCount = 56, localTime = 64, name = 72;
};

template <class T>
void Put(uint8_t* block, size_t offset, const T& value) {
    std::memcpy(block + offset, &value, sizeof value);
}

template <class T>
void Take(const uint8_t* block, size_t offset, T& value) {
    std::memcpy(&value, block + offset, sizeof value);
}

// Both directions of one record: each call moves one field to or from the file.
class StateFile {
public:
    StateFile(FILE* file, bool writing) : m_file(file), m_writing(writing) {}
    bool Reading() const { return !m_writing; }

    template <class T>
    void Value(T& v) {
        if (m_writing) FileWrite(m_file, &v, sizeof v);
        else FileRead(m_file, &v, sizeof v);
    }
    void Vector(DV& v) { Value(v); }
    void RagDoll(ECharacterRagDoll& r) {
        if (m_writing) r.SaveState(m_file);
        else r.LoadState(m_file);
    }
    void Matrix(pmath::Matrix& m) { Value(m); }
    void Rotation(pmath::Quaternion& q) { Value(q); }
    void Orientation(EOrientation& o) {
        if (m_writing) FileWriteOrientation(m_file, o);
        else FileReadOrientation(m_file, &o);
    }
    void Channel(strAnimPlayingParams& c) {
        using L = ChannelLayout;
        uint8_t block[kChannelBytes] = {};
        if (m_writing) {
            Put(block, L::clip, c.iAktAnim), Put(block, L::loop, c.bLoop), Put(block, L::step, c.dStep);
            Put(block, L::time, c.dTime), Put(block, L::finished, c.bFinished), Put(block, L::blendTime, c.dBlendTime);
            Put(block, L::blendLeft, c.dBlendLeft), Put(block, L::maskMode, c.uMaskMode);
            Put(block, L::loopCount, c.iLoopCount), Put(block, L::previousLoopCount, c.iPrevLoopCount);
            Put(block, L::localTime, c.dLocalTime);
            std::memcpy(block + L::name, c.szName, sizeof c.szName);
            FileWrite(m_file, block, sizeof block);
            return;
        }
        FileRead(m_file, block, sizeof block);
        Take(block, L::clip, c.iAktAnim), Take(block, L::loop, c.bLoop), Take(block, L::step, c.dStep);
        Take(block, L::time, c.dTime), Take(block, L::finished, c.bFinished), Take(block, L::blendTime, c.dBlendTime);
        Take(block, L::blendLeft, c.dBlendLeft), Take(block, L::maskMode, c.uMaskMode);
        Take(block, L::loopCount, c.iLoopCount), Take(block, L::previousLoopCount, c.iPrevLoopCount);
        Take(block, L::localTime, c.dLocalTime);
        std::memcpy(c.szName, block + L::name, sizeof c.szName);
        c.szName[sizeof c.szName - 1] = '\0';
    }

private:
    FILE* m_file;
    bool m_writing;
};

// The record's fields in their order; the words that carry nothing of this instance are written
// as zero and skipped when read.
template <class Instance>
void Transfer(StateFile& f, Instance& s) {
    f.Value(s.m_dFrameDelta);  // the whole f64
    for (double& v : s.m_dSpineLook) f.Value(v);
    f.Value(s.m_dSpineBend);
    f.Value(s.m_dSpineTwist);
    f.Value(s.m_dArmCompensation);
    f.Value(s.m_bLegsMeasured);
    for (double& v : s.m_dHeadLook) f.Value(v);
    for (double& v : s.m_dRightHandController) f.Value(v);
    f.Value(s.m_dHeadNod);
    f.Value(s.m_dLeftHand);
    f.Value(s.m_dRightHand);
    f.Value(s.m_dLeftFoot);
    f.Value(s.m_dRightFoot);
    for (strAnimPlayingParams& c : s.m_AnimPlayingParams) f.Channel(c);
    f.Vector(s.m_vPosition);
    f.Orientation(s.m_Orientation);
    f.Vector(s.m_vScale);
    // The record keeps the created flag, but never decides whether this instance holds its
    // model: a record saying "not created" would make the instance keep its model forever.
    uint8_t created = s.m_bCreated;
    f.Value(created);
    float radius = static_cast<float>(s.m_dRadius);
    uint32_t unused = 0;
    DV unusedVector;
    uint8_t unusedByte = 0;
    f.Value(radius);
    f.Value(unused), f.Value(unused);
    f.Vector(unusedVector);
    f.Vector(s.m_vCollisionMin);
    f.Vector(s.m_vCollisionMax);
    f.Value(unusedByte);
    f.Value(unused), f.Value(unused);
    f.Matrix(s.m_WorldMatrix);
    for (uint32_t& state : s.m_uChannelState) f.Value(state);
    f.Value(s.m_bDrawInReducedMode);
    f.Value(s.m_bAdvanceTime);
    if (f.Reading()) s.m_dRadius = radius;
    for (auto& n : s.m_pNodes) {
        for (DV& v : n.control.vRest) f.Vector(v);
        f.Value(n.control.fValue);
        f.Value(n.control.bFlag);
        f.Matrix(n.mLoad);
        f.Matrix(n.control.mControl[0]);
        f.Matrix(n.control.mControl[1]);
        f.Vector(n.vFromT), f.Rotation(n.qFrom), f.Vector(n.vFromS);
        f.Vector(n.vToT), f.Rotation(n.qTo), f.Vector(n.vToS);
        f.Matrix(n.mLocal);
        f.Matrix(n.mCombined);
        f.Vector(n.vT), f.Rotation(n.qR), f.Vector(n.vS);
    }
    uint32_t ragdoll = s.m_pRagDoll ? 1 : 0;
    f.Value(ragdoll);
    if (ragdoll && s.m_pRagDoll) f.RagDoll(*s.m_pRagDoll);
}

}  // namespace

bool ESkinMesh::SaveState(FILE* file) const {
    if (!file) return false;
    StateFile f(file, true);
    // The writer reads every field through the same transfer as the reader.
    Transfer(f, const_cast<ESkinMesh&>(*this));
    return true;
}

bool ESkinMesh::ReadState(FILE* file) {
    if (!file) return false;
    StateFile f(file, false);
    Transfer(f, *this);
    for (strAnimPlayingParams& c : m_AnimPlayingParams)
        if (c.szName[0]) c.iAktAnim = FindAnimationAndLoadIfNotPresent(c.szName);
    return true;
}

bool ESkinMesh::ExportAnimation(const char* path) const {
    const xfile::AnimationController* controller = m_pSkinMeshBase ? m_pSkinMeshBase->m_pAnimController.get() : nullptr;
    if (!controller || controller->GetNumAnimationSets() == 0) {
        g_Console.Print("ERROR: there's no animations!");
        return false;
    }
    return ExportAnimationSet(controller->GetAnimationSet(0), path);
}

void ESkinMesh::ExportFolderAnimations(const char* folder) {
    // The models' animation sets are kept only in the reduced mode.
    const uint8_t reduced = g_Settings.m_bReducedMode;
    g_Settings.m_bReducedMode = 1;
    for (const std::string& file : plat::ListDirectory(folder, "*.x")) {
        const std::string path = std::string(folder) + "\\" + file;
        ESkinMesh temporary;
        if (!temporary.Create(path.c_str()) ||
            !temporary.ExportAnimation((path.substr(0, path.size() - 2) + ".bin").c_str()))
            SkinMeshPrint("ERROR#2 in EXPORT Animation! problem with %s", path.c_str());
    }
    g_Settings.m_bReducedMode = reduced;
}

bool ESkinMesh::SaveHeldClip(const char* path) const {
    const strSkinMeshAnimation* held = m_uChannelState[0] == CHANNEL_HOLD ? Clip(m_AnimPlayingParams[0].iAktAnim) : nullptr;
    if (!held) return false;
    strSkinMeshAnimation copy;
    copy.dTicksPerSecond = held->dTicksPerSecond;
    copy.dPeriod = held->dPeriod;
    for (const tNodeAnim& track : held->tTracks) {
        if (!track.pLinkField) {
            g_Console.Print("srcA->tNodeAnim[iNode].pLinkField is NULL!");
            SkinMeshPrint("srcA->tNodeAnim[iNode].szNodeName: %s", track.szNodeName);
            continue;
        }
        copy.tTracks.push_back(track);
    }
    copy.iNumTracks = static_cast<uint32_t>(copy.tTracks.size());
    return Save_Animation_To_Bin_File(&copy, path);
}
