#include "mesh/ESkinMeshAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/StringHelpers.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/SkinMeshPrint.h"
#include "platform/os/Files.h"

namespace {

constexpr const char* kRecordTag = "strSkinMeshAnimation";
constexpr const char* kTracksTag = "tNodeAnim";
constexpr const char* kLinkFieldTag = "strLinkField";
constexpr const char* kDefaultSuffix = "_DEFAULT.bin";

strLinkField* g_pLinkFields = nullptr;

// Frees the link fields when the program ends.
struct LinkFieldsOwner {
    ~LinkFieldsOwner() { FreeLinkFields(); }
} g_LinkFieldsOwner;

void CopyName(char* to, const char* from) {
    std::snprintf(to, kAnimationNameLength, "%s", from ? from : "");
}

// Reads the packed little-endian fields of a file in memory; every read checks what is left.
class BinReader {
public:
    explicit BinReader(const std::vector<char>& bytes) : m_p(bytes.data()), m_end(bytes.data() + bytes.size()) {}
    bool Read(void* out, size_t n) {
        if (n == 0) return true;
        if (Left() < n) return false;
        std::memcpy(out, m_p, n);
        m_p += n;
        return true;
    }
    template <class T>
    bool ReadArray(std::vector<T>& out, uint32_t count) {
        out.resize(count);
        return Read(out.data(), sizeof(T) * count);
    }
    uint64_t Left() const { return static_cast<uint64_t>(m_end - m_p); }

private:
    const char* m_p;
    const char* m_end;
};

void NotAClip(const char* path) {
    SkinMeshPrint("ERROR in ESkinMeshAnimation::Load_Animation_From_Bin_File(): File is not BIN animation!, AnimFile=%s",
                  path);
}

bool ReadTrack(BinReader& in, tNodeAnim& track) {
    char name[kAnimationNameLength];
    uint32_t counts[3];
    if (!in.Read(name, sizeof name) || !in.Read(track.vBaseTranslation, 12) || !in.Read(track.qBaseRotation, 16) ||
        !in.Read(track.vBaseScale, 12) || !in.Read(counts, sizeof counts))
        return false;
    // Names are kept to their field, whatever the file holds.
    name[kAnimationNameLength - 1] = '\0';
    CopyName(track.szNodeName, name);
    const uint64_t nT = counts[0], nR = counts[1], nS = counts[2];
    // Every count is checked against the file before anything is allocated.
    if (in.Left() < 16 * nT + 20 * nR + 16 * nS) return false;
    track.pLinkField = FindOrCreateLinkField(track.szNodeName);
    return in.ReadArray(track.fTimeTranslation, counts[0]) && in.ReadArray(track.fTimeRotation, counts[1]) &&
           in.ReadArray(track.fTimeScale, counts[2]) && in.ReadArray(track.vTranslation, counts[0]) &&
           in.ReadArray(track.qRotation, counts[1]) && in.ReadArray(track.vScale, counts[2]);
}

template <class T>
void WriteArray(FILE* f, const std::vector<T>& v) {
    if (!v.empty()) std::fwrite(v.data(), sizeof(T), v.size(), f);
}

// The index of the key that starts the bracket holding keyTime, searched from an estimate of where
// it lies. Before the first key the first one holds; from the last key on, the last.
int FindKey(const float* times, int n, float keyTime) {
    if (keyTime <= times[0]) return 0;
    const float first = times[0], last = times[n - 1];
    // The estimate is clamped before it becomes an index (key times from a file may be anything).
    float estimate = last == first ? 0.0f : (keyTime - first) / (last - first) * static_cast<float>(n - 1);
    if (!(estimate >= 0.0f)) estimate = 0.0f;
    const int i = static_cast<int>(std::min(estimate, static_cast<float>(n - 1)));
    auto brackets = [&](int k) { return k == n - 1 || (times[k] <= keyTime && keyTime <= times[k + 1]); };
    const int step = times[i] < keyTime ? 1 : -1;
    for (int k = i; k >= 0 && k < n; k += step)
        if (brackets(k)) return k;
    for (int k = 0; k < n; ++k)
        if (brackets(k)) return k;
    return -1;
}

// The fraction of the way from key i to key i + 1 (0 on the last key or a zero-length bracket, and
// before the first key).
float Fraction(const float* times, int n, int i, float keyTime) {
    if (i >= n - 1) return 0.0f;
    const float dt = times[i + 1] - times[i];
    return dt == 0.0f ? 0.0f : std::clamp((keyTime - times[i]) / dt, 0.0f, 1.0f);
}

DV SampleVector(const std::vector<float>& times, const std::vector<DV>& values, float keyTime, const DV& none) {
    const int n = static_cast<int>(times.size());
    if (n == 0) return none;
    const int i = FindKey(times.data(), n, keyTime);
    if (i < 0) return none;
    const float u = Fraction(times.data(), n, i, keyTime);
    const DV& a = values[i];
    const DV& b = values[std::min(i + 1, n - 1)];
    return a + (b - a) * u;
}

pmath::Quaternion SampleRotation(const tNodeAnim& track, float keyTime) {
    const int n = static_cast<int>(track.fTimeRotation.size());
    if (n == 0) return {};
    const int i = FindKey(track.fTimeRotation.data(), n, keyTime);
    if (i < 0) return {};
    const float u = Fraction(track.fTimeRotation.data(), n, i, keyTime);
    const pmath::Quaternion& a = track.qRotation[i];
    return u == 0.0f ? a : pmath::Slerp(a, track.qRotation[std::min(i + 1, n - 1)], u);
}

std::string Join(const char* folder, const std::string& name) { return std::string(folder) + "\\" + name; }

// The files and subfolders of a folder in the order of one listing of both.
std::vector<std::pair<std::string, bool>> FolderEntries(const char* folder) {
    std::vector<std::pair<std::string, bool>> entries;
    for (const std::string& f : plat::ListDirectory(folder, "*.*", false)) entries.emplace_back(f, false);
    for (const std::string& d : plat::ListDirectory(folder, "*.*", true))
        if (d != "." && d != "..") entries.emplace_back(d, true);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return StrICmp(a.first.c_str(), b.first.c_str()) < 0; });
    return entries;
}

// Calls visit(clip name, default flag, path) for every clip file below the folder, in listing order.
template <class Visit>
void ForEachClipFile(const char* folder, Visit&& visit) {
    for (const auto& [name, directory] : FolderEntries(folder)) {
        const std::string path = Join(folder, name);
        if (directory) {
            ForEachClipFile(path.c_str(), visit);
            continue;
        }
        char clip[kAnimationNameLength];
        bool isDefault = false;
        if (AnimationNameOfFile(name.c_str(), clip, &isDefault)) visit(clip, isDefault, path);
    }
}

}  // namespace

// ---- File ---------------------------------------------------------------------------------------

bool ESkinMeshAnimation::Load_Animation_From_Bin_File(const char* path, strSkinMeshAnimation* record) {
    if (!record) return false;
    FreeTracks(record);
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(path, bytes)) return false;
    return Load_Animation_From_Memory(bytes, path, record);
}

bool ESkinMeshAnimation::Load_Animation_From_Memory(const std::vector<char>& bytes, const char* path,
                                                    strSkinMeshAnimation* record) {
    if (!record) return false;
    FreeTracks(record);
    record->fDescAngles[0] = record->fDescAngles[1] = record->fDescAngles[2] = 0.0f;
    record->dDescValue = 1.0;
    BinReader in(bytes);
    char magic[5] = {};
    uint32_t version = 0, tracks = 0;
    if (!in.Read(magic, 4) || StrICmp(magic, "BINA") != 0) return NotAClip(path), false;
    if (!in.Read(&version, 4)) return NotAClip(path), false;
    if (version != kBinAnimationVersion) {
        SkinMeshPrint("ERROR in ESkinMeshAnimation::Load_Animation_From_Bin_File(): Wrong version of file format!, "
                      "AnimFile=%s",
                      path);
        return false;
    }
    if (!in.Read(&tracks, 4)) return NotAClip(path), false;
    if (tracks == 0) return true;
    if (!in.Read(&record->dTicksPerSecond, 8) || !in.Read(&record->dPeriod, 8) ||
        in.Left() / kTrackHeaderBytes < tracks)
        return NotAClip(path), false;
    record->tTracks.resize(tracks);
    g_Debug.AddAlloc(kTracksTag);
    for (tNodeAnim& track : record->tTracks)
        if (!ReadTrack(in, track)) {
            FreeTracks(record);
            return NotAClip(path), false;
        }
    record->iNumTracks = tracks;
    record->uBytes = AnimationBytes(*record);
    g_SkinMeshMgr.m_uTotalAnimationBytes += record->uBytes;
    ++g_SkinMeshMgr.m_iTotalNumberOfLoadedAnimations;
    return true;
}

bool Save_Animation_To_Bin_File(const strSkinMeshAnimation* record, const char* path) {
    FILE* f = plat::OpenFile(path, "wb");
    if (!f) {
        SkinMeshPrint("ERROR: problems with file: %s", path);
        return false;
    }
    const uint32_t version = kBinAnimationVersion, tracks = record->iNumTracks;
    std::fwrite("BINA", 1, 4, f);
    std::fwrite(&version, 4, 1, f);
    std::fwrite(&tracks, 4, 1, f);
    std::fwrite(&record->dTicksPerSecond, 8, 1, f);
    std::fwrite(&record->dPeriod, 8, 1, f);
    for (uint32_t i = 0; i < tracks && i < record->tTracks.size(); ++i) {
        const tNodeAnim& t = record->tTracks[i];
        const uint32_t counts[3] = {static_cast<uint32_t>(t.fTimeTranslation.size()),
                                    static_cast<uint32_t>(t.fTimeRotation.size()),
                                    static_cast<uint32_t>(t.fTimeScale.size())};
        char name[kAnimationNameLength] = {};
        std::memcpy(name, t.szNodeName, sizeof name);
        std::fwrite(name, 1, sizeof name, f);
        std::fwrite(t.vBaseTranslation, 4, 3, f);
        std::fwrite(t.qBaseRotation, 4, 4, f);
        std::fwrite(t.vBaseScale, 4, 3, f);
        std::fwrite(counts, 4, 3, f);
        WriteArray(f, t.fTimeTranslation);
        WriteArray(f, t.fTimeRotation);
        WriteArray(f, t.fTimeScale);
        WriteArray(f, t.vTranslation);
        WriteArray(f, t.qRotation);
        WriteArray(f, t.vScale);
    }
    return std::fclose(f) == 0;
}

void FreeTracks(strSkinMeshAnimation* record) {
    if (!record) return;
    if (!record->tTracks.empty()) g_Debug.RemoveAlloc(kTracksTag);
    record->tTracks.clear();
    record->tTracks.shrink_to_fit();
    record->iNumTracks = 0;
}

void DeleteAnimation(strSkinMeshAnimation*& record) {
    if (!record) return;
    if (record->iNumTracks > 0) {
        g_SkinMeshMgr.m_uTotalAnimationBytes -= record->uBytes;
        --g_SkinMeshMgr.m_iTotalNumberOfLoadedAnimations;
    }
    FreeTracks(record);
    delete record;
    record = nullptr;
    g_Debug.RemoveAlloc(kRecordTag);
}

uint32_t AnimationBytes(const strSkinMeshAnimation& record) {
    uint32_t bytes = 0;
    for (const tNodeAnim& t : record.tTracks) {
        const auto nT = static_cast<uint32_t>(t.fTimeTranslation.size()), nR = static_cast<uint32_t>(t.fTimeRotation.size()),
                   nS = static_cast<uint32_t>(t.fTimeScale.size());
        bytes += kTrackRecordBytes + 4 * (nT + nR + nS) + 12 * (nT + nS) + 16 * nR;
    }
    return bytes;
}

// ---- Link fields --------------------------------------------------------------------------------

strLinkField* FindLinkField(const char* name) {
    for (strLinkField* f = g_pLinkFields; f; f = f->pNext)
        if (StrICmp(f->szName, name) == 0) return f;
    return nullptr;
}

strLinkField* FindOrCreateLinkField(const char* name) {
    if (strLinkField* f = FindLinkField(name)) return f;
    auto* f = new strLinkField;
    g_Debug.AddAlloc(kLinkFieldTag);
    CopyName(f->szName, name);
    f->vScale = {0.0f, 0.0f, 0.0f};
    f->pNext = g_pLinkFields;
    g_pLinkFields = f;
    return f;
}

void ResetLinkFields() {
    for (strLinkField* f = g_pLinkFields; f; f = f->pNext) {
        f->vTranslation = {};
        f->qRotation = {};
        f->vScale = {1.0f, 1.0f, 1.0f};
        f->mLocal = pmath::Identity();
    }
}

void FreeLinkFields() {
    while (g_pLinkFields) {
        strLinkField* next = g_pLinkFields->pNext;
        delete g_pLinkFields;
        g_Debug.RemoveAlloc(kLinkFieldTag);
        g_pLinkFields = next;
    }
}

strLinkField* LinkFieldsHead() { return g_pLinkFields; }

// ---- Sampler ------------------------------------------------------------------------------------

void SampleAnimation(const strSkinMeshAnimation& clip, strAnimPlayingParams& channel) {
    double t = channel.dTime;
    if (!channel.bLoop) {
        channel.bFinished = t > clip.dPeriod ? 1 : 0;
        if (channel.bFinished) t = clip.dPeriod;
    } else {
        const double loops = clip.dPeriod > 0.0 ? std::floor(t / clip.dPeriod) : 0.0;
        const auto n = static_cast<int32_t>(std::clamp(std::isfinite(loops) ? loops : 0.0, 0.0, 2147483647.0));
        t = std::min(t - n * clip.dPeriod, clip.dPeriod);
        channel.iPrevLoopCount = channel.iLoopCount;
        channel.iLoopCount = n;
    }
    channel.dLocalTime = t;
    const auto keyTime = static_cast<float>(t * clip.dTicksPerSecond);
    const uint32_t mode = channel.uMaskMode;
    for (const tNodeAnim& track : clip.tTracks) {
        strLinkField* f = track.pLinkField;
        if (!f || (mode >= 1 && mode <= 3 && !f->bMask[mode - 1])) continue;
        f->vTranslation = SampleVector(track.fTimeTranslation, track.vTranslation, keyTime, {});
        f->qRotation = SampleRotation(track, keyTime);
        f->vScale = SampleVector(track.fTimeScale, track.vScale, keyTime, {1.0f, 1.0f, 1.0f});
        f->mLocal = pmath::MatrixFromTransformation(f->vScale, f->qRotation, f->vTranslation);
    }
}

// ---- Folders ------------------------------------------------------------------------------------

bool AnimationNameOfFile(const char* fileName, char* name, bool* isDefault) {
    const size_t length = std::strlen(fileName);
    if (length <= 2 || StrICmp(fileName + length - 3, "bin") != 0) return false;
    char block[kAnimationNameLength + 2] = {};
    std::snprintf(block, kAnimationNameLength + 1, "%s", fileName);
    const size_t kept = std::strlen(block);
    const size_t suffix = std::strlen(kDefaultSuffix);
    const bool marked = kept > suffix && StrICmp(block + kept - suffix, kDefaultSuffix) == 0;
    if (marked) block[kept - suffix] = '\0';
    else if (kept > 4) block[kept - 4] = '\0';
    if (isDefault) *isDefault = marked;
    CopyName(name, block);
    return true;
}

void Przejrzyj_Katalog(const char* folder, AnimationNameScan& scan) {
    ForEachClipFile(folder, [&](const char* clip, bool isDefault, const std::string&) {
        if (scan.names.size() >= kMaxScannedAnimationNames) {
            g_Console.Print("FATAL INTERNAL ERROR in SkinMeshBase: MAX_ANIMATIONS_IN_SKINMESHBASE exceeded!");
            return;
        }
        if (isDefault) scan.defaultName = clip;
        scan.names.emplace_back(clip);
    });
}

void ReportDuplicateAnimationNames(const AnimationNameScan& scan, const char* folder) {
    for (size_t i = 0; i < scan.names.size(); ++i)
        for (size_t j = i + 1; j < scan.names.size(); ++j)
            if (StrICmp(scan.names[i].c_str(), scan.names[j].c_str()) == 0) {
                g_Console.Print("ERROR: Two animations with the same name!!!");
                SkinMeshPrint("Duplicated name: %s", scan.names[i].c_str());
                SkinMeshPrint("szDirectoryName: %s", folder);
            }
}

int SearchAndLoadAnimation(const char* folder, const char* name, strSkinMeshAnimation** table, int32_t& count) {
    int slot = 0;
    while (slot < count && table[slot]) ++slot;
    if (slot == count) {
        if (count >= MAX_ANIMATIONS_IN_SKINMESHBASE) {
            g_Console.Print("FATAL INTERNAL ERROR in SkinMeshBase: MAX_ANIMATIONS_IN_SKINMESHBASE exceeded!");
            return -1;
        }
        ++count;
    }
    auto* record = new strSkinMeshAnimation;
    g_Debug.AddAlloc(kRecordTag);
    table[slot] = record;
    ForEachClipFile(folder, [&](const char* clip, bool isDefault, const std::string& path) {
        if (record->iNumTracks > 0 || StrICmp(clip, name) != 0) return;
        if (!ESkinMeshAnimation::Load_Animation_From_Bin_File(path.c_str(), record)) {
            SkinMeshPrint("\nProblem with skinmesh's animation: %s", clip);
            SkinMeshPrint("szFullPath: %s", path.c_str());
            return;
        }
        CopyName(record->szName, clip);
        record->bDefault = isDefault ? 1 : 0;
    });
    if (record->iNumTracks > 0) return slot;
    DeleteAnimation(table[slot]);
    while (count > 0 && !table[count - 1]) --count;
    g_Console.Print("ERROR in SearchAndLoadAnimation___START(): Animation not found or corrupted!");
    g_Console.Print("Bad animation name:");
    g_Console.Print(name);
    g_Console.Print("Directory Path:");
    g_Console.Print(folder);
    return -1;
}

bool FIX_Animation(const char* path) {
    strSkinMeshAnimation clip;
    if (!ESkinMeshAnimation::Load_Animation_From_Bin_File(path, &clip)) {
        g_Console.Print("FIX_Animation:: Load_Animation_From_Bin_File() failed...");
        return false;
    }
    size_t most = 0;
    bool needsFixing = false;
    auto frameNumbered = [](const std::vector<float>& times) {
        for (size_t i = 0; i < times.size(); ++i)
            if (std::fabs(times[i] - static_cast<float>(i)) > 0.00001f) return false;
        return true;  // an empty array counts too
    };
    for (const tNodeAnim& t : clip.tTracks) {
        most = std::max({most, t.fTimeTranslation.size(), t.fTimeRotation.size(), t.fTimeScale.size()});
        needsFixing = needsFixing || frameNumbered(t.fTimeTranslation) || frameNumbered(t.fTimeRotation) ||
                      frameNumbered(t.fTimeScale);
    }
    bool ok = true;
    if (needsFixing) {
        g_Console.Print("FIX_Animation:: EXPORT need fixing!");
        clip.dPeriod = static_cast<double>(most) / 30.0;
        auto spread = [&](std::vector<float>& times) {
            const double n = static_cast<double>(times.size());
            for (size_t i = 0; i < times.size(); ++i)
                times[i] = static_cast<float>(static_cast<double>(i) * clip.dPeriod * clip.dTicksPerSecond / n);
        };
        for (tNodeAnim& t : clip.tTracks) {
            spread(t.fTimeTranslation);
            spread(t.fTimeRotation);
            spread(t.fTimeScale);
        }
        ok = Save_Animation_To_Bin_File(&clip, path);
    } else {
        g_Console.Print("FIX_Animation:: EXPORT don't need fixing!");
    }
    g_SkinMeshMgr.m_uTotalAnimationBytes -= clip.uBytes;
    --g_SkinMeshMgr.m_iTotalNumberOfLoadedAnimations;
    FreeTracks(&clip);
    return ok;
}

bool ExportAnimationSet(const xfile::KeyframedAnimationSet* set, const char* path) {
    if (!set) {
        g_Console.Print("ERROR: pAnimationSet==NULL");
        return false;
    }
    strSkinMeshAnimation clip;
    clip.dTicksPerSecond = set->GetSourceTicksPerSecond();
    clip.dPeriod = set->GetPeriod();
    SkinMeshPrint("EXPORT!: dTicksPerSecond=%lf", clip.dTicksPerSecond);
    SkinMeshPrint("EXPORT!: dPeriod=%lf", clip.dPeriod);
    for (uint32_t a = 0; a < set->GetNumAnimations(); ++a) {
        const xfile::AnimationTrack& source = *set->GetAnimation(a);
        if (source.Scale.empty() && source.Rotation.empty() && source.Translation.empty()) {
            g_Console.Print("ERROR in SkinMeshAnimation: Number of keys is zero!");
            return false;
        }
        tNodeAnim& track = clip.tTracks.emplace_back();
        CopyName(track.szNodeName, source.FrameName.c_str());
        track.vBaseScale[0] = track.vBaseScale[1] = track.vBaseScale[2] = 1.0f;
        track.qBaseRotation[3] = 1.0f;
        for (const xfile::KeyVector3& k : source.Translation) {
            track.fTimeTranslation.push_back(k.Time);
            track.vTranslation.push_back(k.Value);
        }
        for (const xfile::KeyQuaternion& k : source.Rotation) {
            track.fTimeRotation.push_back(k.Time);
            track.qRotation.push_back(k.Value);
        }
        for (const xfile::KeyVector3& k : source.Scale) {
            track.fTimeScale.push_back(k.Time);
            track.vScale.push_back(k.Value);
        }
    }
    clip.iNumTracks = static_cast<uint32_t>(clip.tTracks.size());
    return Save_Animation_To_Bin_File(&clip, path);
}
