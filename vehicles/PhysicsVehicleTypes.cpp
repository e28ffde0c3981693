// The vehicle types: "scripts\vehicles\*.txt" read once at start, sorted by file name.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "core/EConsole.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "platform/os/Random.h"
#include "vehicles/Physics.h"
#include "world/EObjectSlot.h"

namespace {

constexpr const char* kVehiclesFolder = "scripts\\vehicles";
constexpr int kLineLimit = 256;
constexpr int kRandomTries = 64;

template <size_t N>
void Copy(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

struct FlagKeyword {
    const char* keyword;
    uint8_t VehicleType::*field;
};

constexpr FlagKeyword kFlagKeywords[] = {
    {"kombajn", &VehicleType::m_bKombajn},
    {"traktor", &VehicleType::m_bTraktor},
    {"tur", &VehicleType::m_bTur},
    {"przyczepa", &VehicleType::m_bPrzyczepa},
    {"prasa", &VehicleType::m_bPrasa},
    {"kostkujaca", &VehicleType::m_bKostkujaca},
    {"plug", &VehicleType::m_bPlug},
    {"sadzarka", &VehicleType::m_bSadzarka},
    {"siewnik", &VehicleType::m_bSiewnik},
    {"siewnik_duzy", &VehicleType::m_bSiewnikDuzy},
    {"kosa", &VehicleType::m_bKosa},
    {"kosa3x", &VehicleType::m_bKosa3x},
    {"na_siano", &VehicleType::m_bNaSiano},
    {"przyczepa_duza", &VehicleType::m_bPrzyczepaDuza},
    {"sadzarka_duza", &VehicleType::m_bSadzarkaDuza},
    {"pojemny", &VehicleType::m_bPojemny},
    {"staly", &VehicleType::m_bStaly},
    {"UK", &VehicleType::m_bUK},
    {"FR", &VehicleType::m_bFR},
    {"DE", &VehicleType::m_bDE},
    {"US", &VehicleType::m_bUS},
    {"player_can_drive", &VehicleType::m_bPlayerCanDrive},
    {"reverse_wheels", &VehicleType::m_bReverseWheels},
};

// A number that makes no sense for its field (a chassis without mass, a box of no size) would
// leave a machine that cannot move or cannot be simulated: such a value keeps the default.
enum class Range { Finite, Positive };

struct FloatKeyword {
    const char* keyword;
    float VehicleType::*field;
    Range range;
};

constexpr FloatKeyword kFloatKeywords[] = {
    {"skala_kierowcy", &VehicleType::m_fDriverScale, Range::Positive},
    {"korekcja_kierownicy", &VehicleType::m_fSteeringCorrection, Range::Finite},
    {"Mass", &VehicleType::m_fMass, Range::Positive},
    {"Stiffness", &VehicleType::m_fStiffness, Range::Finite},
    {"mnoznik_fizyki_x", &VehicleType::m_fPhysicsScaleX, Range::Positive},
    {"mnoznik_fizyki_y", &VehicleType::m_fPhysicsScaleY, Range::Positive},
    {"mnoznik_fizyki_z", &VehicleType::m_fPhysicsScaleZ, Range::Positive},
    {"przesuniecie_fizyki_gora", &VehicleType::m_fPhysicsOffsetUp, Range::Finite},
    {"przesuniecie_fizyki_prawo", &VehicleType::m_fPhysicsOffsetRight, Range::Finite},
    {"przesuniecie_fizyki_przod", &VehicleType::m_fPhysicsOffsetForward, Range::Finite},
};

// Word n of the line as a number in range; otherwise one console line naming the file and the
// line, and the field keeps what it had.
bool ReadNumber(const char* line, int n, Range range, const char* fileName, float* out) {
    const std::string word = GetWord(line, n);
    char* end = nullptr;
    const float value = std::strtof(word.c_str(), &end);
    const bool parsed = !word.empty() && end != word.c_str() && std::isfinite(value);
    if (parsed && (range == Range::Finite || value > 0.0f)) {
        *out = value;
        return true;
    }
    g_Console.PrintStr4("Bad value in vehicle file ", fileName, ": ", line);
    return false;
}

void ReadHook(VehicleType& type, HookKind kind, const char* line, const char* missingMessage) {
    VehicleType::Hook& hook = type.m_Hooks[kind];
    hook.m_bSet = 1;
    Copy(hook.m_szSocket, GetWord(line, 1));
    if (!hook.m_szSocket[0]) {
        g_Console.Print(missingMessage);
        hook.m_bSet = 0;
    }
}

void ReadAttachment(VehicleType& type, const char* line) {
    const uint32_t i = type.m_uAttachmentCount;
    if (i >= VehicleType::kTable) return;
    Copy(type.m_szAttachmentModel[i], GetWord(line, 1));
    Copy(type.m_szAttachmentSocket[i], GetWord(line, 2));
    type.m_bAttachmentPhysics[i] = IsKeyword(line, "attachment_physics");
    type.m_bAttachmentStable[i] = IsKeyword(line, "attachment_stabilny");
    type.m_bAttachmentGrain[i] = IsKeyword(line, "attachment_zboze");
    ++type.m_uAttachmentCount;
}

void ReadWheel(VehicleType& type, const char* line, bool front, const char* fileName) {
    const uint32_t k = type.m_uWheelCount;
    if (k >= VehicleType::kTable) return;
    Copy(type.m_szWheelModel[k], GetWord(line, 1));
    Copy(type.m_szWheelSocket[k], GetWord(line, 2));
    type.m_bWheelFront[k] = front ? 1 : 0;
    ReadNumber(line, 3, Range::Finite, fileName, &type.m_fWheelA[k]);
    ReadNumber(line, 4, Range::Finite, fileName, &type.m_fWheelB[k]);
    ReadNumber(line, 5, Range::Finite, fileName, &type.m_fWheelC[k]);
    ++type.m_uWheelCount;
}

void ReadHitch(VehicleType& type, const char* line) {
    Copy(type.m_szHitchPrefab, GetWord(line, 1));
    Copy(type.m_szHitchSocket, GetWord(line, 2));
    Copy(type.m_szHitchTrailerSocket, GetWord(line, 3));
    Copy(type.m_szHitchTractorSocket, GetWord(line, 4));
    if (!type.m_szHitchPrefab[0]) g_Console.Print("Nie zdefiniowano prefaba zaczepu!");
    if (!type.m_szHitchSocket[0]) g_Console.Print("Nie zdefiniowano socketa zaczepu!");
    if (!type.m_szHitchTrailerSocket[0]) g_Console.Print("Nie zdefiniowano socketa przyczepy w zaczepie!");
    if (!type.m_szHitchTractorSocket[0]) g_Console.Print("Nie zdefiniowano socketa traktora w zaczepie!");
}

// Applies one keyword line to the type; false when the line's first word is no keyword.
bool ApplyLine(VehicleType& type, const char* line, const char* fileName) {
    for (const FlagKeyword& k : kFlagKeywords)
        if (IsKeyword(line, k.keyword)) {
            type.*k.field = 1;
            return true;
        }
    for (const FloatKeyword& k : kFloatKeywords)
        if (IsKeyword(line, k.keyword)) {
            ReadNumber(line, 1, k.range, fileName, &(type.*k.field));
            return true;
        }
    if (IsKeyword(line, "prefab")) {
        Copy(type.m_szPrefab, GetWord(line, 1));
    } else if (IsKeyword(line, "engine_sound")) {
        Copy(type.m_szEngineSound, GetWord(line, 1));
    } else if (IsKeyword(line, "klasa")) {
        float klasa = 0;
        if (ReadNumber(line, 1, Range::Finite, fileName, &klasa))
            type.m_iKlasa = std::clamp(std::atoi(GetWord(line, 1)), 0, 3);
    } else if (IsKeyword(line, "steering_wheel")) {
        Copy(type.m_szSteeringWheelModel, GetWord(line, 1));
        Copy(type.m_szSteeringWheelSocket, GetWord(line, 2));
        if (!type.m_szSteeringWheelModel[0]) g_Console.PrintStr2("ERROR: Niezdefiniowana kierownica dla ", type.m_szName);
        if (!type.m_szSteeringWheelSocket[0])
            g_Console.PrintStr2("ERROR: Niezdefiniowany socket kierownicy dla ", type.m_szName);
    } else if (IsKeyword(line, "attachment") || IsKeyword(line, "attachment_physics") ||
               IsKeyword(line, "attachment_stabilny") || IsKeyword(line, "attachment_zboze")) {
        ReadAttachment(type, line);
    } else if (IsKeyword(line, "tlok")) {
        Copy(type.m_szPistonModelA, GetWord(line, 1));
        Copy(type.m_szPistonModelB, GetWord(line, 2));
    } else if (IsKeyword(line, "rotate_cmd0")) {
        if (type.m_uAttachmentCount < VehicleType::kTable)
            ReadNumber(line, 1, Range::Finite, fileName, &type.m_fRotateSpeed[type.m_uAttachmentCount]);
    } else if (IsKeyword(line, "rotate_cmd1")) {
        if (type.m_uAttachmentCount < VehicleType::kTable) {
            ReadNumber(line, 1, Range::Finite, fileName, &type.m_fRotateA[type.m_uAttachmentCount]);
            ReadNumber(line, 2, Range::Finite, fileName, &type.m_fRotateB[type.m_uAttachmentCount]);
        }
    } else if (IsKeyword(line, "attachment_skinmesh")) {
        const uint32_t i = type.m_uSkinAttachmentCount;
        if (i < VehicleType::kTable) {
            Copy(type.m_szSkinAttachmentModel[i], GetWord(line, 1));
            Copy(type.m_szSkinAttachmentSocket[i], GetWord(line, 2));
            Copy(type.m_szSkinAttachmentAnimation[i], GetWord(line, 3));
            type.m_bSkinAttachmentRestorePose[i] = std::atoi(GetWord(line, 4)) != 0;
            ++type.m_uSkinAttachmentCount;
        }
    } else if (IsKeyword(line, "front_wheel") || IsKeyword(line, "wheel")) {
        ReadWheel(type, line, IsKeyword(line, "front_wheel"), fileName);
    } else if (IsKeyword(line, "zaczep")) {
        ReadHitch(type, line);
    } else if (IsKeyword(line, "hak")) {
        ReadHook(type, HOOK_MAIN, line, "Nie zdefiniowano socketa haka!");
    } else if (IsKeyword(line, "hak_plug")) {
        ReadHook(type, HOOK_PLOUGH, line, "Nie zdefiniowano socketa haka plug!");
    } else if (IsKeyword(line, "hak_siewnik")) {
        ReadHook(type, HOOK_SEEDER, line, "Nie zdefiniowano socketa haka siewnik!");
    } else {
        return false;
    }
    return true;
}

}  // namespace

void Physics::LoadVehicles() {
    m_uVehicleCount = 0;
    for (const std::string& name : plat::ListDirectory(kVehiclesFolder, "*.txt")) {
        if (name.empty() || name[0] == '.') continue;
        char path[512];
        std::snprintf(path, sizeof path, "%s\\%s", kVehiclesFolder, name.c_str());
        ReadVehicleFile(path, name.c_str());
    }
}

void Physics::ReadVehicleFile(const char* path, const char* fileName) {
    FILE* f = plat::OpenFile(path, "rt");
    if (!f) return;
    // Lines before the file's own first "Vehicle" line belong to no type of this file: they are
    // not allowed to change the type another file left last.
    VehicleType* type = nullptr;
    bool toldOrphanLines = false;
    // Lines without a type are parsed into a scratch record only to tell keywords from comments.
    static VehicleType scratch;
    char buffer[kLineLimit + 1];
    while (!std::feof(f)) {
        buffer[0] = 0;
        ReadLine(f, buffer, kLineLimit);
        const char* line = buffer;
        if (IsKeyword(line, "Vehicle")) {
            if (m_uVehicleCount >= kMaxVehicles) {
                g_Console.Print("MAX_VEHICLES exceeded!");
                break;
            }
            type = &m_Vehicles[m_uVehicleCount++];
            type->Reset();
            Copy(type->m_szName, GetKeywordValue(line));
            Copy(type->m_szFileName, fileName);
            continue;
        }
        if (type) {
            ApplyLine(*type, line, fileName);
            continue;
        }
        scratch.Reset();
        if (ApplyLine(scratch, line, fileName) && !toldOrphanLines) {
            g_Console.PrintStr2("Lines before the first Vehicle line ignored in ", path);
            toldOrphanLines = true;
        }
    }
    std::fclose(f);
}

void Physics::SortVehicles() {
    if (m_uVehicleCount < 2) return;
    for (uint32_t i = 0; i + 1 < m_uVehicleCount; ++i)
        for (uint32_t j = i + 1; j < m_uVehicleCount; ++j)
            if (StrICmp(m_Vehicles[i].m_szFileName, m_Vehicles[j].m_szFileName) > 0)
                std::swap(m_Vehicles[i], m_Vehicles[j]);
}

const char* Physics::PickRandomVehicle(bool wantCombine, bool wantTractor, int klasa) {
    if (m_uVehicleCount == 0) return "";
    for (int attempt = 0; attempt < kRandomTries; ++attempt) {
        const VehicleType& t = m_Vehicles[static_cast<uint32_t>(plat::Random()) % m_uVehicleCount];
        if ((!wantTractor || t.m_bTraktor) && (!wantCombine || t.m_bKombajn) && t.m_bPlayerCanDrive &&
            (klasa < 0 || t.m_iKlasa == klasa))
            return t.m_szPrefab;
    }
    for (uint32_t i = 0; i < m_uVehicleCount; ++i) {
        const VehicleType& t = m_Vehicles[i];
        if (t.m_bPlayerCanDrive && ((wantTractor && t.m_bTraktor) || (wantCombine && t.m_bKombajn)) &&
            (klasa < 0 || t.m_iKlasa == klasa))
            return t.m_szPrefab;
    }
    return "";
}

void Physics::CreateTruckForObject(EObjectSlot* object) {
    if (!object || object->m_hTruck || m_uVehicleCount == 0) return;
    for (uint32_t i = 0; i < m_uVehicleCount; ++i)
        if (StrICmp(m_Vehicles[i].m_szPrefab, object->m_szFileName) == 0) return CreateTruck(&m_Vehicles[i], object);
}
