// The effect definition files: "afx\<name>.afx" read into the definitions and written back, the
// children's names resolved, the report of textures used both additively and normally, and the
// blood-drop texture lists.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"

namespace {

constexpr const char* kDirectory = "afx";
constexpr const char* kBugsFile = "!fx_bugs.txt";
constexpr const char* kBloodDropsFile = "scripts\\BloodDrops.txt";
constexpr const char* kBloodGroundFile = "scripts\\BloodDropsOF.txt";
// The longest line a definition file may hold.
constexpr size_t kLineMax = 255;

// Why a file is refused; null while it reads well.
using Fault = const char*;

bool Blank(char c) { return c == ' ' || c == '\t'; }

// A text file holds no control characters but tabs and line ends.
bool IsText(const std::vector<char>& bytes) {
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7F) return false;
    }
    return true;
}

// The next blank-separated word of text into word (at most size - 1 characters); text moves past it.
bool NextWord(const char*& text, char* word, size_t size) {
    while (Blank(*text)) ++text;
    size_t n = 0;
    while (*text && !Blank(*text)) {
        if (n + 1 < size) word[n++] = *text;
        ++text;
    }
    word[n] = 0;
    return n > 0;
}

// A whole word that is a finite decimal number.
bool ParseFloat(const char* word, float& out) {
    char* end = nullptr;
    float v = std::strtof(word, &end);
    if (end == word || *end || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ParseIndex(const char* word, int& out) {
    char* end = nullptr;
    long v = std::strtol(word, &end, 10);
    if (end == word || *end || v < 0 || v > 0xFFFF) return false;
    out = static_cast<int>(v);
    return true;
}

// count numbers from the value; a missing or malformed one is a fault.
Fault ReadFloats(const char*& value, float* out, int count) {
    char word[kLineMax + 1];
    for (int i = 0; i < count; ++i)
        if (!NextWord(value, word, sizeof word) || !ParseFloat(word, out[i])) return "a number is missing or malformed";
    return nullptr;
}

Fault ReadDV(const char* value, DV& out) {
    float v[3];
    if (Fault f = ReadFloats(value, v, 3)) return f;
    out = DV{v[0], v[1], v[2]};
    return nullptr;
}

Fault ReadFloat(const char* value, float& out) { return ReadFloats(value, &out, 1); }

Fault ReadIndex(const char*& value, int& out) {
    char word[kLineMax + 1];
    if (!NextWord(value, word, sizeof word) || !ParseIndex(word, out)) return "an index is missing or malformed";
    return nullptr;
}

// Counts of keys beyond the table are held to it, for reading, interpolating and writing alike.
Fault ReadCount(const char* value, uint32_t& out) {
    int n = 0;
    if (Fault f = ReadIndex(value, n)) return f;
    out = static_cast<uint32_t>(n < EFXDefinition::kKeys ? n : EFXDefinition::kKeys);
    return nullptr;
}

bool IsTrue(const char* value) { return StrICmp(value, "true") == 0; }

// "index, then numbers": a key taken only below the count read before it.
Fault ReadKey(const char* value, uint32_t count, float* out, int numbers, int& index) {
    if (Fault f = ReadIndex(value, index)) return f;
    if (Fault f = ReadFloats(value, out, numbers)) return f;
    if (static_cast<uint32_t>(index) >= count) index = -1;
    return nullptr;
}

// "time, effect name, random part"; the random part may be left out.
Fault ReadChild(const char* value, EFXChild* children, uint32_t& count) {
    float time = 0, random = 0;
    char name[kLineMax + 1];
    if (Fault f = ReadFloats(value, &time, 1)) return f;
    NextWord(value, name, sizeof name);
    char word[kLineMax + 1];
    if (NextWord(value, word, sizeof word) && !ParseFloat(word, random)) return "a number is missing or malformed";
    if (count >= EFXDefinition::kChildren) return nullptr;
    EFXChild& child = children[count++];
    child.m_fTime = time;
    child.m_fRandom = random;
    std::snprintf(child.m_szName, sizeof child.m_szName, "%s", name);
    return nullptr;
}

void WarnNegative(const char* what, const EFXDefinition& d) {
    g_Console.PrintStr2(what, d.m_szName);
}

// One keyword line into the definition.
Fault ApplyLine(EFXDefinition& d, const char* keyword, const char* value) {
    auto is = [keyword](const char* k) { return StrICmp(keyword, k) == 0; };
    float v[3];
    int index = 0;
    if (is("Type")) {
        if (StrICmp(value, "Sprite") == 0) d.m_uType = FX_SPRITE;
        else if (StrICmp(value, "Mesh") == 0) d.m_uType = FX_MESH;
        else if (StrICmp(value, "Spark") == 0) d.m_uType = FX_SPARK;
        else if (StrICmp(value, "BloodDrop") == 0) d.m_uType = FX_BLOODDROP;
    } else if (is("Filename")) {
        if (d.m_uFileNameCount < static_cast<uint32_t>(EFXDefinition::kReadFileNames))
            std::snprintf(d.m_szFileNames[d.m_uFileNameCount++], EFXDefinition::kNameSize, "%s", value);
    } else if (is("DistortionNormal")) {
        std::snprintf(d.m_szDistortionNormal, sizeof d.m_szDistortionNormal, "%s", value);
    } else if (is("Scale")) return ReadDV(value, d.m_vScale);
    else if (is("Scale_Rand")) return ReadDV(value, d.m_vScaleRand);
    else if (is("Pos")) return ReadDV(value, d.m_vPos);
    else if (is("Pos_Rand")) return ReadDV(value, d.m_vPosRand);
    else if (is("Vel")) return ReadDV(value, d.m_vVel);
    else if (is("Vel_Rand")) return ReadDV(value, d.m_vVelRand);
    else if (is("dwColor")) return ReadCount(value, d.m_uColorCount);
    else if (is("dwAlpha")) return ReadCount(value, d.m_uAlphaCount);
    else if (is("Color")) {
        if (Fault f = ReadKey(value, d.m_uColorCount, v, 3, index)) return f;
        if (index >= 0) d.m_vColors[index] = DV{v[0], v[1], v[2]};
    } else if (is("Alpha")) {
        if (Fault f = ReadKey(value, d.m_uAlphaCount, v, 1, index)) return f;
        if (index >= 0) d.m_fAlphas[index] = v[0];
    } else if (is("Color_Time")) {
        if (Fault f = ReadKey(value, d.m_uColorCount, v, 1, index)) return f;
        if (index >= 0) d.m_fColorTimes[index] = v[0];
    } else if (is("Alpha_Time")) {
        if (Fault f = ReadKey(value, d.m_uAlphaCount, v, 1, index)) return f;
        if (index >= 0) d.m_fAlphaTimes[index] = v[0];
    } else if (is("Hurt_Player")) {
        if (Fault f = ReadFloat(value, d.m_fHurtPlayer)) return f;
        if (d.m_fHurtPlayer < 0) WarnNegative("Ujemny hurt_player dla ", d);
    } else if (is("Explosion_Power")) {
        if (Fault f = ReadFloat(value, d.m_fExplosionPower)) return f;
        if (d.m_fExplosionPower < 0) WarnNegative("Ujemny explosion_power dla ", d);
    } else if (is("Life_Time")) return ReadFloat(value, d.m_fLifeTime);
    else if (is("Life_Time_Rand")) return ReadFloat(value, d.m_fLifeTimeRand);
    else if (is("Gravity")) return ReadFloat(value, d.m_fGravity);
    else if (is("Grow")) return ReadFloat(value, d.m_fGrow);
    else if (is("Disappear_Distance")) return ReadFloat(value, d.m_fDisappearDistance);
    else if (is("Spinning_Sprite")) d.m_bSpinningSprite = IsTrue(value);
    else if (is("Spinning_Speed")) return ReadFloat(value, d.m_fSpinningSpeed);
    else if (is("Spinning_Speed_Rand")) return ReadFloat(value, d.m_fSpinningSpeedRand);
    else if (is("Accelerate_After")) return ReadFloat(value, d.m_fAccelerateAfter);
    else if (is("Accelerate_Coef")) return ReadFloat(value, d.m_fAccelerateCoef);
    else if (is("Accelerate_For")) return ReadFloat(value, d.m_fAccelerateFor);
    else if (is("debug")) d.m_bDebug = 1;
    else if (is("Move")) d.m_bMove = IsTrue(value);
    else if (is("Additive")) d.m_bAdditive = IsTrue(value);
    else if (is("Multiply")) d.m_bMultiply = IsTrue(value);
    else if (is("Light_Sprite")) d.m_bLightSprite = IsTrue(value);
    else if (is("Use_Rotation")) d.m_bUseRotation = IsTrue(value);
    else if (is("Flat_Rotation")) d.m_bFlatRotation = IsTrue(value);
    else if (is("Apply_Physics_To_Mesh")) d.m_bApplyPhysicsToMesh = IsTrue(value);
    else if (is("Animated_Sprite_Texture")) d.m_bAnimatedSpriteTexture = IsTrue(value);
    else if (is("Animated_Sprite_FPS")) return ReadFloat(value, d.m_fAnimatedSpriteFPS);
    else if (is("After")) return ReadChild(value, d.m_After, d.m_uAfterCount);
    else if (is("Every")) return ReadChild(value, d.m_Every, d.m_uEveryCount);
    return nullptr;
}

// The lines of the file into the definition; the first fault found, with its line number.
Fault ReadDefinition(EFXDefinition& d, const std::vector<char>& bytes, int& lineNumber) {
    if (!IsText(bytes)) return "not a text file";
    std::string line;
    size_t at = 0;
    lineNumber = 0;
    while (at < bytes.size()) {
        size_t end = at;
        while (end < bytes.size() && bytes[end] != '\n') ++end;
        line.assign(bytes.data() + at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kLineMax) return "the line is too long";
        for (char& c : line)
            if (c == '\t') c = ' ';
        const char* rest = line.c_str();
        char keyword[kLineMax + 1];
        if (!NextWord(rest, keyword, sizeof keyword)) continue;
        std::string value(rest);
        size_t first = value.find_first_not_of(' ');
        value.erase(0, first == std::string::npos ? value.size() : first);
        while (!value.empty() && value.back() == ' ') value.pop_back();
        if (Fault f = ApplyLine(d, keyword, value.c_str())) return f;
    }
    return nullptr;
}

// The definition's name: the path's last part (lower case) less its extension.
void NameFromPath(const char* path, EFXDefinition& d) {
    char lower[EFXDefinition::kNameSize * 2];
    std::snprintf(lower, sizeof lower, "%s", path);
    ToLowerPL(lower);
    const char* base = std::strrchr(lower, '\\');
    base = base ? base + 1 : lower;
    size_t n = std::strlen(base);
    if (n > 4) n -= 4;
    if (n >= sizeof d.m_szName) n = sizeof d.m_szName - 1;
    std::memcpy(d.m_szName, base, n);
    d.m_szName[n] = 0;
    d.m_bFireSound = std::strstr(lower, "e_ogien") != nullptr;
}

const char* TypeName(uint32_t type) {
    switch (type) {
        case FX_SPRITE: return "Sprite";
        case FX_MESH: return "Mesh";
        case FX_SPARK: return "Spark";
        case FX_BLOODDROP: return "BloodDrop";
        default: return "None";
    }
}

const char* BoolText(uint8_t value) { return value ? "true" : "false"; }

// One blood-drop list: names, one a line, "//" lines and empty lines skipped, at most 32; false
// when the file is missing.
bool ReadBloodDropList(const char* path, char (*names)[EFXMgr::kBloodDropNameSize], uint32_t& count) {
    count = 0;
    FILE* f = plat::OpenFile(path, "r");
    if (!f) return false;
    char line[kLineMax + 1];
    while (count < static_cast<uint32_t>(EFXMgr::kBloodDropNames) && !std::feof(f)) {
        ReadLine(f, line, static_cast<int>(kLineMax));
        const char* rest = line;
        char first[kLineMax + 1];
        if (!NextWord(rest, first, sizeof first) || std::strcmp(first, "//") == 0) continue;
        char* name = line;
        while (Blank(*name)) ++name;
        TrimRight(name);
        // A name that does not fit its slot would be cut into the name of another texture.
        if (std::strlen(name) >= static_cast<size_t>(EFXMgr::kBloodDropNameSize)) {
            g_Console.PrintStr3(path, ": za dluga nazwa tekstury, pominieta: ", name);
            continue;
        }
        std::snprintf(names[count++], EFXMgr::kBloodDropNameSize, "%s", name);
    }
    std::fclose(f);
    return true;
}

}  // namespace

void EFXMgr::ClearDefinitions() {
    for (EFXDefinition& d : m_Definitions) d = EFXDefinition{};
}

void EFXMgr::ReportBug(const char* line) {
    FILE* f = plat::OpenFile(kBugsFile, "a");
    if (!f) return;
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
    m_bBugsReported = 1;
}

void EFXMgr::LoadAll() {
    ClearDefinitions();
    // The report is this load's own: what an earlier world's load wrote goes.
    plat::DeleteFile(kBugsFile);
    m_bBugsReported = 0;
    for (const std::string& file : plat::ListDirectory(kDirectory, "*.afx")) {
        if (file[0] == '.') continue;
        std::string path = std::string(kDirectory) + "\\" + file;
        LoadAfx(path.c_str());
    }
    ResolveChildren();
    LoadBloodDrops();
}

void EFXMgr::LoadAfx(const char* path) {
    if (!path || !*path) return;
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(path, bytes)) return;
    EFXDefinition* d = nullptr;
    for (EFXDefinition& candidate : m_Definitions) {
        if (!candidate.m_szName[0]) {
            d = &candidate;
            break;
        }
    }
    if (!d) {
        g_Console.Print("MAX_FXCACHE exceeded!");
        return;
    }
    *d = EFXDefinition{};
    NameFromPath(path, *d);
    int lineNumber = 0;
    Fault fault = d->m_szName[0] ? ReadDefinition(*d, bytes, lineNumber) : "the file name gives no effect name";
    if (!fault) return;
    char line[512];
    std::snprintf(line, sizeof line, "*** %s pominiety: linia %i: %s", path, lineNumber, fault);
    ReportBug(line);
    g_Console.Print(line);
    *d = EFXDefinition{};
}

void EFXMgr::ResolveChildren() {
    auto resolve = [this](EFXChild* children, uint32_t& count) {
        count = 0;
        for (int i = 0; i < EFXDefinition::kChildren; ++i) {
            EFXChild& c = children[i];
            c.m_pTarget = c.m_szName[0] ? FindDefinition(c.m_szName) : nullptr;
            if (c.m_szName[0]) count = static_cast<uint32_t>(i + 1);
        }
    };
    for (EFXDefinition& d : m_Definitions) {
        if (!d.m_szName[0]) continue;
        resolve(d.m_After, d.m_uAfterCount);
        resolve(d.m_Every, d.m_uEveryCount);
    }
}

EFXDefinition* EFXMgr::FindDefinition(const char* name) {
    if (!name || !*name) return nullptr;
    for (EFXDefinition& d : m_Definitions)
        if (d.m_szName[0] && StrICmp(d.m_szName, name) == 0) return &d;
    return nullptr;
}

void EFXMgr::SaveAll() {
    for (int i = 0; i < kMaxDefinitions; ++i) {
        if (!m_Definitions[i].m_szName[0]) continue;
        char path[EFXDefinition::kNameSize + 16];
        std::snprintf(path, sizeof path, "%s\\%s.afx", kDirectory, m_Definitions[i].m_szName);
        SaveAfx(path, i);
    }
    ResolveChildren();
}

void EFXMgr::SaveAfx(const char* path, int index) {
    if (index < 0 || index >= kMaxDefinitions || !path) return;
    FILE* f = plat::OpenFile(path, "w");
    if (!f) return;
    const EFXDefinition& d = m_Definitions[index];
    std::fprintf(f, "Type %s\n", TypeName(d.m_uType));
    for (const char* name : d.m_szFileNames)
        if (name[0]) std::fprintf(f, "Filename %s\n", name);
    if (d.m_szDistortionNormal[0]) std::fprintf(f, "DistortionNormal %s\n", d.m_szDistortionNormal);
    std::fprintf(f, "\nScale %f %f %f\nScale_Rand %f %f %f\n", d.m_vScale.x, d.m_vScale.y, d.m_vScale.z,
                 d.m_vScaleRand.x, d.m_vScaleRand.y, d.m_vScaleRand.z);
    std::fprintf(f, "\nPos %f %f %f\nPos_Rand %f %f %f\n", d.m_vPos.x, d.m_vPos.y, d.m_vPos.z, d.m_vPosRand.x,
                 d.m_vPosRand.y, d.m_vPosRand.z);
    std::fprintf(f, "\nVel %f %f %f\nVel_Rand %f %f %f\n", d.m_vVel.x, d.m_vVel.y, d.m_vVel.z, d.m_vVelRand.x,
                 d.m_vVelRand.y, d.m_vVelRand.z);
    std::fprintf(f, "\ndwColor %d\ndwAlpha %d\n", static_cast<int>(d.m_uColorCount), static_cast<int>(d.m_uAlphaCount));
    for (uint32_t i = 0; i < d.m_uColorCount && i < static_cast<uint32_t>(EFXDefinition::kKeys); ++i) {
        const DV& c = d.m_vColors[i];
        std::fprintf(f, "Color %d %f %f %f\nColor_Time %d %f\n", static_cast<int>(i), c.x, c.y, c.z,
                     static_cast<int>(i), d.m_fColorTimes[i]);
    }
    for (uint32_t i = 0; i < d.m_uAlphaCount && i < static_cast<uint32_t>(EFXDefinition::kKeys); ++i)
        std::fprintf(f, "Alpha %d %f\nAlpha_Time %d %f\n", static_cast<int>(i), d.m_fAlphas[i], static_cast<int>(i),
                     d.m_fAlphaTimes[i]);
    std::fprintf(f,
                 "\nHurt_Player %f\nExplosion_Power %f\nLife_Time %f\nLife_Time_Rand %f\nGravity %f\nGrow %f\n"
                 "Disappear_Distance %f\nSpinning_Sprite %s\nSpinning_Speed %f\nSpinning_Speed_Rand %f\n"
                 "Accelerate_After %f\nAccelerate_Coef %f\nAccelerate_For %f\n",
                 d.m_fHurtPlayer, d.m_fExplosionPower, d.m_fLifeTime, d.m_fLifeTimeRand, d.m_fGravity, d.m_fGrow,
                 d.m_fDisappearDistance, BoolText(d.m_bSpinningSprite), d.m_fSpinningSpeed, d.m_fSpinningSpeedRand,
                 d.m_fAccelerateAfter, d.m_fAccelerateCoef, d.m_fAccelerateFor);
    std::fprintf(f,
                 "\nMove %s\nAdditive %s\nMultiply %s\nLight_Sprite %s\nUse_Rotation %s\nFlat_Rotation %s\n"
                 "Apply_Physics_To_Mesh %s\nAnimated_Sprite_Texture %s\nAnimated_Sprite_FPS %f\n",
                 BoolText(d.m_bMove), BoolText(d.m_bAdditive), BoolText(d.m_bMultiply), BoolText(d.m_bLightSprite),
                 BoolText(d.m_bUseRotation), BoolText(d.m_bFlatRotation), BoolText(d.m_bApplyPhysicsToMesh),
                 BoolText(d.m_bAnimatedSpriteTexture), d.m_fAnimatedSpriteFPS);
    std::fprintf(f, "\n");
    for (const EFXChild& c : d.m_After)
        if (c.m_szName[0]) std::fprintf(f, "After %f %s %f\n", c.m_fTime, c.m_szName, c.m_fRandom);
    std::fprintf(f, "\n");
    for (const EFXChild& c : d.m_Every)
        if (c.m_szName[0]) std::fprintf(f, "Every %f %s %f\n", c.m_fTime, c.m_szName, c.m_fRandom);
    std::fclose(f);
}

void EFXMgr::CheckTextureUse() {
    char line[600];
    for (int i = 0; i < kMaxDefinitions; ++i) {
        const EFXDefinition& a = m_Definitions[i];
        if (!a.m_szName[0] || a.m_uType != FX_SPRITE) continue;
        bool first = true;
        for (int j = i + 1; j < kMaxDefinitions; ++j) {
            const EFXDefinition& b = m_Definitions[j];
            if (!b.m_szName[0] || b.m_uType != FX_SPRITE || StrICmp(a.m_szFileNames[0], b.m_szFileNames[0]) != 0 ||
                !a.m_bAdditive == !b.m_bAdditive)
                continue;
            if (first) {
                std::snprintf(line, sizeof line, "*** tekstura %s uzyta jako Additive i Normal!", a.m_szFileNames[0]);
                ReportBug(line);
                std::snprintf(line, sizeof line, a.m_bAdditive ? "Jako additive w %s" : "Jako normal w %s", a.m_szName);
                ReportBug(line);
                first = false;
            }
            std::snprintf(line, sizeof line, b.m_bAdditive ? "Jako additive w %s" : "Jako normal w %s", b.m_szName);
            ReportBug(line);
        }
    }
    if (!m_bBugsReported) plat::DeleteFile(kBugsFile);
}

void EFXMgr::LoadBloodDrops() {
    m_uBloodGroundCount = 0;
    if (!ReadBloodDropList(kBloodDropsFile, m_szBloodDrops, m_uBloodDropCount)) return;
    ReadBloodDropList(kBloodGroundFile, m_szBloodGround, m_uBloodGroundCount);
}

void EFXMgr::LoadBloodDropTextures() {
    for (uint32_t i = 0; i < m_uBloodDropCount; ++i) g_Renderer.GetTextureByName(m_szBloodDrops[i], false, false);
    for (uint32_t i = 0; i < m_uBloodGroundCount; ++i) g_Renderer.GetTextureByName(m_szBloodGround[i], false, false);
}
