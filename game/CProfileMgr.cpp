#include "game/CProfileMgr.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>
#include <limits>

#include "core/BinaryStream.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "game/Achievements.h"
#include "platform/os/Files.h"
#include "render/EFont.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

CProfileMgr g_ProfileMgr;

GearTable g_GearTables[3];

namespace {

constexpr GearTable kGearTables[3] = {
    {4, {3.0f, 0.0f, 2.8f, 1.8f, 1.1f, 0.9f, 0.6f, 0.4f}},
    {5, {3.0f, 0.0f, 2.8f, 2.0f, 1.4f, 1.1f, 0.8f, 0.15f}},
    {5, {3.0f, 0.0f, 2.8f, 1.8f, 1.2f, 0.9f, 0.6f, 0.1f}},
};

// Prices of a machine by its class 0..3; a fifth class costs as much as the fourth.
constexpr uint32_t kMachinePrices[5] = {20000, 30000, 40000, 50000, 50000};
constexpr const char* kHornSound = "sounds\\horn1.wav";
constexpr const char* kStartSound = "sounds\\engine_start01.wav";
constexpr const char* kIdleSound = "sounds\\engine_idle02.wav";
constexpr float kLongFrame = 0.5f;
constexpr int kAllRoutesLast = 32;
constexpr uint32_t kPopupCaptionColour = 0xFFFFB630;
constexpr uint32_t kPopupTextColour = 0xFFD9D5BF;

// Every field of a record in file order; the writer and the reader walk the same list.
template <class Record, class Visit>
void VisitMachine(Record& m, Visit&& visit) {
    visit(m.m_uVehicleType);
    visit(m.m_uVehicleType2);
    visit(m.m_szHornSound);
    visit(m.m_szStartSound);
    visit(m.m_szEngineSound);
    visit(m.m_uPrice);
    visit(m.m_fTuning0);
    visit(m.m_fPowerFactor);
    visit(m.m_fTuning2);
    visit(m.m_fTuning3);
    visit(m.m_iUpgrade1);
    visit(m.m_iUpgrade3);
    visit(m.m_uTuningHook);
    visit(m.m_iUpgrade2);
    visit(m.m_uSkin);
    visit(m.m_Reserved);
    visit(m.m_uPaint);
}

template <class Record, class Visit>
void VisitAchievements(Record& a, Visit&& visit) {
    visit(a.m_bAllRoutes);
    visit(a.m_bMoney);
    visit(a.m_bPlayTime);
    visit(a.m_Reserved0);
    visit(a.m_fPlayTime);
    visit(a.m_bRaceTime);
    visit(a.m_Reserved1);
    visit(a.m_uMachinesBought);
    visit(a.m_bMachines);
    visit(a.m_bRoute10);
    visit(a.m_bRoute21);
    visit(a.m_Reserved2);
    visit(a.m_uOvertakes);
    visit(a.m_bOvertakes);
    visit(a.m_Reserved3);
    visit(a.m_uHensScared);
    visit(a.m_bHens);
    visit(a.m_Reserved4);
}

template <class Record, class Visit>
void VisitProfile(Record& r, Visit&& visit) {
    visit(r.m_bUsed);
    visit(r.m_szName);
    visit(r.m_uBestPlace);
    visit(r.m_Reserved1);
    visit(r.m_uCarouselPos);
    visit(r.m_fBestTime);
    visit(r.m_Reserved2);
    visit(r.m_iMoney);
    visit(r.m_iDifficulty);
    visit(r.m_uOwnedCount);
    for (auto& machine : r.m_Machines) VisitMachine(machine, visit);
    visit(r.m_bOwned);
    visit(r.m_iSelectedMachine);
    visit(r.m_uUpgrade1Price1);
    visit(r.m_uUpgrade1Price2);
    visit(r.m_uUpgrade3Price1);
    visit(r.m_uUpgrade3Price2);
    visit(r.m_uUpgrade2Price);
    visit(r.m_uDriver);
    VisitAchievements(r.m_Achievements, visit);
}

// A loaded record is taken only within its ranges: the name ends inside its field and every value
// that picks a table entry or a model is brought back into what the game can show.
void Sanitise(ProfileRecord& r) {
    r.m_bUsed = r.m_bUsed ? 1 : 0;
    r.m_szName[ProfileRecord::kNameSize - 1] = 0;
    r.m_uDriver = std::min<uint32_t>(r.m_uDriver, 4);
    if (r.m_iDifficulty < -1 || r.m_iDifficulty > 2) r.m_iDifficulty = -1;
    if (r.m_iSelectedMachine < -1 || r.m_iSelectedMachine > ProfileRecord::kNoMachine)
        r.m_iSelectedMachine = ProfileRecord::kNoMachine;
    for (uint32_t& place : r.m_uBestPlace) place = std::min<uint32_t>(place, 3);
    for (MachineRecord& m : r.m_Machines) {
        m.m_iUpgrade1 = std::clamp(m.m_iUpgrade1, 0, 2);
        m.m_iUpgrade3 = std::clamp(m.m_iUpgrade3, 0, 2);
        m.m_iUpgrade2 = std::clamp(m.m_iUpgrade2, 0, 1);
        m.m_uSkin = std::min<uint32_t>(m.m_uSkin, 5);
        m.m_szHornSound[MachineRecord::kSoundNameSize - 1] = 0;
        m.m_szStartSound[MachineRecord::kSoundNameSize - 1] = 0;
        m.m_szEngineSound[MachineRecord::kSoundNameSize - 1] = 0;
    }
    for (uint8_t& owned : r.m_bOwned) owned = owned ? 1 : 0;
}

uint32_t OwnedCount(const ProfileRecord& r) {
    return static_cast<uint32_t>(std::count_if(std::begin(r.m_bOwned), std::end(r.m_bOwned), [](uint8_t b) { return b != 0; }));
}

// The vehicle type's price class, held to the table.
uint32_t PriceClass(const VehicleType& type) {
    return static_cast<uint32_t>(std::clamp(type.m_iKlasa, 0, 4));
}

void ResetMachine(MachineRecord& m, uint32_t type, uint32_t priceClass) {
    m = MachineRecord{};
    m.m_uVehicleType = m.m_uVehicleType2 = type;
    m.m_uPrice = kMachinePrices[priceClass];
    std::snprintf(m.m_szHornSound, sizeof m.m_szHornSound, "%s", kHornSound);
    std::snprintf(m.m_szStartSound, sizeof m.m_szStartSound, "%s", kStartSound);
    std::snprintf(m.m_szEngineSound, sizeof m.m_szEngineSound, "%s", kIdleSound);
}

// The machine of a start straight into a world, before any profile was chosen.
const MachineRecord& DirectStartMachine() {
    static MachineRecord machine = [] {
        MachineRecord m;
        ResetMachine(m, 0, 0);
        return m;
    }();
    return machine;
}

}  // namespace

uint32_t ProfileRecord::BestPlace(int route) const {
    return route >= 0 && route < kRoutes ? m_uBestPlace[route] : 0;
}

float ProfileRecord::BestTime(int route) const {
    return route >= 0 && route < kRoutes ? m_fBestTime[route] : CProfileMgr::kNoTime;
}

CProfileMgr::CProfileMgr()
    : m_fFrameTime(0), m_szPopupCaption{}, m_szPopupText{}, m_fPopupTimer(0), m_bProfileSelected(0),
      m_iCurrentSlot(0), m_Profiles{}, m_uPopupValue(0), m_pCurrentProfile(&m_Profiles[0]),
      m_pCurrentMachine(nullptr), m_szPath{}, m_bKeepFile{} {
    for (uint32_t slot = 0; slot < kSlots; ++slot) ResetProfile(slot);
}

CProfileMgr::~CProfileMgr() = default;

void CProfileMgr::Init() {
    for (uint32_t slot = 0; slot < kSlots; ++slot) {
        LoadProfile(slot);
        SaveProfile(slot);
    }
    UpdateCurrentMachine();
    std::memcpy(g_GearTables, kGearTables, sizeof g_GearTables);
    ClearPopup();
}

const char* CProfileMgr::GetProfilePath(uint32_t slot) {
    std::snprintf(m_szPath, sizeof m_szPath, "save\\%u.prf", slot);
    return m_szPath;
}

bool CProfileMgr::WriteProfileFile(const char* path, const ProfileRecord& record) {
    char temporary[48];
    std::snprintf(temporary, sizeof temporary, "%s.tmp", path);
    plat::CreateDirectory("save");
    FILE* file = plat::OpenFile(temporary, "wb");
    if (!file) return false;
    int32_t version = kVersion;
    FileWriteInt(file, version);
    VisitProfile(record, [file](const auto& field) { FileWrite(file, &field, sizeof field); });
    bool written = std::fflush(file) == 0 && !std::ferror(file) && ::fsync(::fileno(file)) == 0;
    written = std::fclose(file) == 0 && written;
    if (written && plat::RenameFile(temporary, path)) return true;
    plat::DeleteFile(temporary);
    return false;
}

void CProfileMgr::SaveProfile(uint32_t slot) {
    if (slot >= kSlots) return;
    const char* path = GetProfilePath(slot);
    const ProfileRecord& record = m_Profiles[slot];
    if (!record.m_bUsed) {
        if (!m_bKeepFile[slot]) plat::DeleteFile(path);
        return;
    }
    if (!WriteProfileFile(path, record)) {
        g_Console.PrintStr2("Can't write file ", path);
        return;
    }
    m_bKeepFile[slot] = false;
}

CProfileMgr::LoadResult CProfileMgr::LoadProfile(uint32_t slot) {
    if (slot >= kSlots) return LoadResult::Missing;
    const char* path = GetProfilePath(slot);
    m_bKeepFile[slot] = false;
    LoadResult result = LoadResult::Broken;
    std::vector<char> bytes;
    if (!plat::FileExists(path)) {
        result = LoadResult::Missing;
    } else if (plat::ReadFileBytes(path, bytes) && bytes.size() >= 4) {
        uint32_t version;
        std::memcpy(&version, bytes.data(), 4);
        if (version != kVersion) result = LoadResult::OtherVersion;
        else if (bytes.size() == kFileSize) result = LoadResult::Loaded;
    }
    if (result != LoadResult::Loaded) {
        ResetProfile(slot);
        m_bKeepFile[slot] = result == LoadResult::Broken;
        return result;
    }
    ProfileRecord& record = m_Profiles[slot];
    size_t at = 4;
    VisitProfile(record, [&](auto& field) {
        std::memcpy(&field, bytes.data() + at, sizeof field);
        at += sizeof field;
    });
    Sanitise(record);
    record.m_uOwnedCount = OwnedCount(record);
    return result;
}

void CProfileMgr::ResetProfile(uint32_t slot) {
    if (slot >= kSlots) return;
    ProfileRecord& r = m_Profiles[slot];
    r.m_iDifficulty = -1;
    r.m_bUsed = 0;
    r.m_uCarouselPos = 0;
    r.m_uDriver = 0;
    r.m_Achievements = ProfileAchievements{};
    std::memset(r.m_szName, 0, sizeof r.m_szName);
    r.m_iMoney = kStartMoney;
    for (int route = 0; route < ProfileRecord::kRoutes; ++route) {
        r.m_uBestPlace[route] = 0;
        r.m_fBestTime[route] = kNoTime;
    }
    std::memset(r.m_Reserved1, 0, sizeof r.m_Reserved1);
    std::memset(r.m_Reserved2, 0, sizeof r.m_Reserved2);
    r.m_iSelectedMachine = -1;
    for (int t = 0; t < ProfileRecord::kMachines; ++t) {
        r.m_bOwned[t] = 0;
        std::memset(static_cast<void*>(&r.m_Machines[t]), 0, sizeof r.m_Machines[t]);
        r.m_uUpgrade1Price1[t] = r.m_uUpgrade1Price2[t] = 0;
        r.m_uUpgrade3Price1[t] = r.m_uUpgrade3Price2[t] = r.m_uUpgrade2Price[t] = 0;
    }
    r.m_uOwnedCount = 0;
    const uint32_t types = std::min<uint32_t>(g_Physics.m_uVehicleCount, ProfileRecord::kMachines);
    for (uint32_t t = 0; t < types; ++t) {
        const VehicleType& type = g_Physics.m_Vehicles[t];
        if (!type.m_bPlayerCanDrive) continue;
        const uint32_t c = PriceClass(type);
        ResetMachine(r.m_Machines[t], t, c);
        r.m_uUpgrade2Price[t] = (c + 2) * 1000;
        r.m_uUpgrade1Price1[t] = c * 2000 + 3000;
        r.m_uUpgrade1Price2[t] = c * 3000 + 5000;
        r.m_uUpgrade3Price1[t] = c * 1500 + 2000;
        r.m_uUpgrade3Price2[t] = c * 2500 + 3000;
        r.m_iSelectedMachine = ProfileRecord::kNoMachine;
    }
    if (&r == m_pCurrentProfile) UpdateCurrentMachine();
}

void CProfileMgr::NewProfile(uint32_t slot) {
    if (slot >= kSlots) return;
    ResetProfile(slot);
    SaveProfile(slot);
}

void CProfileMgr::SelectProfile(uint32_t slot) {
    m_iCurrentSlot = -1;
    m_bProfileSelected = 0;
    if (slot >= kSlots || !m_Profiles[slot].m_bUsed) return;
    m_iCurrentSlot = static_cast<int32_t>(slot);
    m_pCurrentProfile = &m_Profiles[slot];
    m_bProfileSelected = 1;
    UpdateCurrentMachine();
    CountOwnedMachines();
}

void CProfileMgr::ReloadCurrent() {
    if (m_iCurrentSlot < 0) return;
    LoadProfile(static_cast<uint32_t>(m_iCurrentSlot));
    UpdateCurrentMachine();
}

void CProfileMgr::CountOwnedMachines() { m_pCurrentProfile->m_uOwnedCount = OwnedCount(*m_pCurrentProfile); }

void CProfileMgr::UpdateCurrentMachine() {
    const int32_t selected = m_pCurrentProfile->m_iSelectedMachine;
    m_pCurrentMachine = selected >= 0 && selected < ProfileRecord::kMachines ? &m_pCurrentProfile->m_Machines[selected]
                                                                              : nullptr;
}

const MachineRecord* CProfileMgr::CurrentMachine() const {
    if (m_pCurrentMachine || m_bProfileSelected) return m_pCurrentMachine;
    return &DirectStartMachine();
}

void CProfileMgr::BookResult(int route, uint32_t place, float runTime, int32_t prize) {
    if (!m_bProfileSelected) return;
    ProfileRecord& r = *m_pCurrentProfile;
    AddMoney(prize);
    if (route >= 0 && route < ProfileRecord::kRoutes) {
        uint32_t& best = r.m_uBestPlace[route];
        if (place >= 1 && place <= 3 && (best == 0 || place < best)) best = place;
        if (place >= 1 && place <= 3) r.m_fBestTime[route] = std::min(r.m_fBestTime[route], runTime);
    }
    SaveProfile(static_cast<uint32_t>(m_iCurrentSlot));
    CheckRaceAchievements(place, runTime);
}

void CProfileMgr::AddMoney(int32_t amount) {
    int32_t& current = m_pCurrentProfile->m_iMoney;
    int64_t money = static_cast<int64_t>(current) + amount;
    money = std::clamp<int64_t>(money, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    current = static_cast<int32_t>(money);
}

void CProfileMgr::Grant(uint8_t ProfileAchievements::*flag, const char* caption, const char* text, bool saveFirst) {
    m_pCurrentProfile->m_Achievements.*flag = 1;
    if (saveFirst) SaveProfile(static_cast<uint32_t>(m_iCurrentSlot));
    std::snprintf(m_szPopupCaption, sizeof m_szPopupCaption, "%s", caption);
    std::snprintf(m_szPopupText, sizeof m_szPopupText, "%s", text);
    m_fPopupTimer = kPopupSeconds;
    if (!saveFirst) SaveProfile(static_cast<uint32_t>(m_iCurrentSlot));
}

namespace {

// Grants an achievement of the table when its rule holds and it was not granted yet.
void GrantWhen(CProfileMgr& mgr, AchievementId id, bool holds) {
    const Achievement& a = kAchievements[id];
    if (!holds || mgr.m_pCurrentProfile->m_Achievements.*a.flag) return;
    char caption[256];
    FormatAchievement(a, true, caption, sizeof caption);
    // The machines' grant is saved before its pop-up is filled, the others after.
    mgr.Grant(a.flag, caption, g_TextMgr.GetText(a.textKey), id == kAchMachines);
}

}  // namespace

void CProfileMgr::CheckRaceAchievements(uint32_t, float raceTime) {
    if (!m_bProfileSelected) return;
    const ProfileRecord& r = *m_pCurrentProfile;
    const int route = g_RoutesMgr.m_iCurrentRoute;
    GrantWhen(*this, kAchRaceTime, raceTime < kAchievements[kAchRaceTime].goal);
    GrantWhen(*this, kAchRoute10, route == static_cast<int>(kAchievements[kAchRoute10].goal));
    GrantWhen(*this, kAchRoute21, route == static_cast<int>(kAchievements[kAchRoute21].goal));
    bool allRoutes = true;
    for (int i = 0; i <= kAllRoutesLast; ++i) allRoutes = allRoutes && r.m_uBestPlace[i] != 0;
    GrantWhen(*this, kAchAllRoutes, allRoutes);
}

void CProfileMgr::CheckAchievements() {
    m_fFrameTime = g_Engine.m_fFrameTime;
    if (!m_bProfileSelected) return;
    ProfileAchievements& a = m_pCurrentProfile->m_Achievements;
    GrantWhen(*this, kAchMachines, a.m_uMachinesBought >= kAchievements[kAchMachines].goal);
    GrantWhen(*this, kAchMoney, m_pCurrentProfile->m_iMoney >= kAchievements[kAchMoney].goal);
    if (!a.m_bPlayTime) a.m_fPlayTime += m_fFrameTime;
    GrantWhen(*this, kAchPlayTime, a.m_fPlayTime > kAchievements[kAchPlayTime].goal);
    GrantWhen(*this, kAchOvertakes, a.m_uOvertakes >= kAchievements[kAchOvertakes].goal);
    GrantWhen(*this, kAchHens, a.m_uHensScared >= kAchievements[kAchHens].goal);
}

void CProfileMgr::DrawAchievementPopup() {
    if (g_Engine.m_fFrameTime < kLongFrame) m_fPopupTimer -= g_Engine.m_fFrameTime;
    if (m_fPopupTimer <= 0 || !m_szPopupCaption[0]) return;
    char line[512];
    std::snprintf(line, sizeof line, "%s %s", g_TextMgr.GetText(">Ac01"), m_szPopupText);
    const float sx = g_Settings.m_fScaleX, sy = g_Settings.m_fScaleY;
    g_Font.Print(line, 512 * sx, 96 * sy, kPopupTextColour, 26, 0, true, false);
    g_Font.Print(m_szPopupCaption, 512 * sx, 128 * sy, kPopupCaptionColour, 26, 0, true, false);
    g_Font.Flush();
}

void CProfileMgr::ClearPopup() {
    m_szPopupCaption[0] = 0;
    m_szPopupText[0] = 0;
    m_fPopupTimer = 0;
    m_uPopupValue = 0;
}
