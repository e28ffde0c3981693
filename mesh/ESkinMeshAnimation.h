#pragma once
// Keyframed clips of skinned characters, one clip per ".bin" file: the file format (little-endian,
// packed: "BINA", version 2, the track count, ticks per second and duration as f64, then per track
// a 180-byte header and its key arrays), the clip record, the link fields through which every
// clip writes the sampled transforms of its nodes (one per node name, shared by all models), the
// sampler, and the search for clips below a folder.
#include <cstdint>
#include <string>
#include <vector>

#include "core/DV.h"
#include "platform/math/Matrix.h"
#include "platform/math/Quaternion.h"
#include "platform/xfile/KeyframedAnimationSet.h"

constexpr int MAX_ANIMATIONS_IN_SKINMESHBASE = 1000;
// A folder scan collects at most this many names.
constexpr int kMaxScannedAnimationNames = MAX_ANIMATIONS_IN_SKINMESHBASE - 1;
constexpr int kAnimationNameLength = 128;
constexpr uint32_t kBinAnimationVersion = 2;
// Bytes of a track's header in a ".bin" file and of a track's record in memory.
constexpr uint32_t kTrackHeaderBytes = 180;
constexpr uint32_t kTrackRecordBytes = 208;

// The sampled transform of every node of one name.
struct strLinkField {
    char szName[kAnimationNameLength] = {};
    DV vTranslation;
    pmath::Quaternion qRotation;
    DV vScale;
    pmath::Matrix mLocal = pmath::Identity();
    // Whether channels 1, 2 and 3 drive the node (copied from the last instance resolved).
    uint8_t bMask[3] = {1, 1, 1};
    strLinkField* pNext = nullptr;
};

// The keys of one node. The base transform is carried through load and save unused.
struct tNodeAnim {
    char szNodeName[kAnimationNameLength] = {};
    strLinkField* pLinkField = nullptr;
    float vBaseTranslation[3] = {};
    float qBaseRotation[4] = {};
    float vBaseScale[3] = {};
    std::vector<float> fTimeTranslation, fTimeRotation, fTimeScale;
    std::vector<DV> vTranslation;
    std::vector<pmath::Quaternion> qRotation;
    std::vector<DV> vScale;
};

// A loaded clip.
struct strSkinMeshAnimation {
    char szName[kAnimationNameLength] = {};
    uint8_t bCommon = 0;
    uint8_t bDefault = 0;
    uint32_t iNumTracks = 0;
    std::vector<tNodeAnim> tTracks;
    double dTicksPerSecond = 0.0;
    double dPeriod = 0.0;
    // The description: angles in degrees, the speed value and the rotation built from the angles.
    float fDescAngles[3] = {};
    double dDescValue = 1.0;
    pmath::Matrix mDescRotation = pmath::Identity();
    uint32_t uBytes = 0;
};

// One animation channel of a skinned instance (laid out as the state file stores it: 200 bytes).
struct strAnimPlayingParams {
    int32_t iAktAnim = -1;
    uint8_t bLoop = 0;
    double dStep = 0.0;
    double dTime = 0.0;
    uint8_t bFinished = 0;
    double dBlendTime = 0.0;
    double dBlendLeft = 0.0;
    uint32_t uMaskMode = 0;
    int32_t iLoopCount = 0;
    int32_t iPrevLoopCount = 0;
    double dLocalTime = 0.0;
    char szName[kAnimationNameLength] = {};
};

class ESkinMeshAnimation {
public:
    // Reads a ".bin" file into an empty record: false for a missing file (silently), a file that
    // is not a clip, a wrong version or content that does not fit the file (with a line).
    static bool Load_Animation_From_Bin_File(const char* path, strSkinMeshAnimation* record);
    // The same from the file's bytes; path names the file in the lines.
    static bool Load_Animation_From_Memory(const std::vector<char>& bytes, const char* path,
                                           strSkinMeshAnimation* record);
};

// Writes the record in the ".bin" layout ("wb"); logs the file when it cannot be opened.
bool Save_Animation_To_Bin_File(const strSkinMeshAnimation* record, const char* path);
// Frees the tracks and their key arrays.
void FreeTracks(strSkinMeshAnimation* record);
// Frees a clip record made by SearchAndLoadAnimation (taking it out of the loaded totals) and
// clears the pointer.
void DeleteAnimation(strSkinMeshAnimation*& record);
// The bytes of track memory a clip holds.
uint32_t AnimationBytes(const strSkinMeshAnimation& record);

// The link fields, newest first: found by name ignoring case, made when missing (translation 0,
// rotation identity, scale 0, identity matrix, every mask flag set).
strLinkField* FindLinkField(const char* name);
strLinkField* FindOrCreateLinkField(const char* name);
// Every field back to translation 0, rotation identity, scale 1 and the identity matrix; the
// mask flags stay.
void ResetLinkFields();
void FreeLinkFields();
strLinkField* LinkFieldsHead();

// Samples the clip at the channel's time into the link fields of its tracks and updates the
// channel's finished flag, clip-local time and loop counts. A mask mode of 1 to 3 samples only
// the nodes whose link field has that mask flag.
void SampleAnimation(const strSkinMeshAnimation& clip, strAnimPlayingParams& channel);

// Collects the names of the clips below a folder: files ending in "bin" (without "_DEFAULT.bin" or
// ".bin"), subfolders scanned in the order of the listing. A name ending in "_DEFAULT.bin" marks
// the folder's default clip.
struct AnimationNameScan {
    std::vector<std::string> names;
    std::string defaultName;
};
void Przejrzyj_Katalog(const char* folder, AnimationNameScan& scan);
// Logs every pair of equal names of the scan (ignoring case).
void ReportDuplicateAnimationNames(const AnimationNameScan& scan, const char* folder);
// The clip name of a ".bin" file name (empty when the name is no clip); isDefault for "_DEFAULT.bin".
bool AnimationNameOfFile(const char* fileName, char* name, bool* isDefault);

// Loads the named clip from the first file below the folder that holds it, into the first free
// slot of the table (count is one past the last used slot); the slot, or -1.
int SearchAndLoadAnimation(const char* folder, const char* name, strSkinMeshAnimation** table, int32_t& count);

// Rewrites frame-numbered key times of a file as seconds spread over its keys. Nothing in the game
// calls it.
bool FIX_Animation(const char* path);

// Writes a ".bin" clip of a keyframed animation set of a model file: one track per animated frame,
// its keys at their source tick times. Nothing in the game calls it.
bool ExportAnimationSet(const xfile::KeyframedAnimationSet* set, const char* path);
