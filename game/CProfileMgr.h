#pragma once
// The eight player profiles. Each is one file "save\N.prf": the version 37, then the record, written
// and read field by field in little-endian order. One profile is current for the menu, the player
// and the opponents; the manager also grants the achievements and draws their pop-up.
#include <cstdint>

#include "vehicles/MachineRecord.h"

// The achievement flags and counters: 36 bytes, the flags at the byte positions the achievements
// page names (0, 1, 2, 8, 16, 17, 18, 24, 32).
struct ProfileAchievements {
    uint8_t m_bAllRoutes = 0;
    uint8_t m_bMoney = 0;
    uint8_t m_bPlayTime = 0;
    uint8_t m_Reserved0 = 0;
    float m_fPlayTime = 0;
    uint8_t m_bRaceTime = 0;
    uint8_t m_Reserved1[3] = {};
    uint32_t m_uMachinesBought = 0;
    uint8_t m_bMachines = 0;
    uint8_t m_bRoute10 = 0;
    uint8_t m_bRoute21 = 0;
    uint8_t m_Reserved2 = 0;
    uint32_t m_uOvertakes = 0;
    uint8_t m_bOvertakes = 0;
    uint8_t m_Reserved3[3] = {};
    uint32_t m_uHensScared = 0;
    uint8_t m_bHens = 0;
    uint8_t m_Reserved4[3] = {};
};
static_assert(sizeof(ProfileAchievements) == 36, "the achievement block is 36 bytes");

// One profile (57,760 bytes in the file).
struct ProfileRecord {
    static constexpr int kNameSize = 35;
    // Results are kept for routes 0..59; the reserved areas after both arrays stay unused.
    static constexpr int kRoutes = 60;
    static constexpr int kMachines = 64;
    static constexpr int kReservedSize = 272;
    static constexpr int kNoMachine = 64;

    uint8_t m_bUsed;
    char m_szName[kNameSize];
    uint32_t m_uBestPlace[kRoutes];
    uint8_t m_Reserved1[kReservedSize];
    uint32_t m_uCarouselPos;
    float m_fBestTime[kRoutes];
    uint8_t m_Reserved2[kReservedSize];
    int32_t m_iMoney;
    // -1 not chosen yet, 0 easy, 1 normal, 2 hard.
    int32_t m_iDifficulty;
    uint32_t m_uOwnedCount;
    MachineRecord m_Machines[kMachines];
    uint8_t m_bOwned[kMachines];
    // The machine slot the profile drives; -1 or 64 when none.
    int32_t m_iSelectedMachine;
    uint32_t m_uUpgrade1Price1[kMachines];
    uint32_t m_uUpgrade1Price2[kMachines];
    uint32_t m_uUpgrade3Price1[kMachines];
    uint32_t m_uUpgrade3Price2[kMachines];
    uint32_t m_uUpgrade2Price[kMachines];
    uint32_t m_uDriver;
    ProfileAchievements m_Achievements;

    // The best place of a route, 0 for a route without a result or beyond the kept routes.
    uint32_t BestPlace(int route) const;
    float BestTime(int route) const;
};

// A gearbox: the number of forward gears, then the ratios by gear position (0 reverse, 1 neutral,
// then the forward gears; the last float is the gear-change time).
struct GearTable {
    int32_t m_iGears;
    float m_fRatios[8];
};
extern GearTable g_GearTables[3];

class CProfileMgr {
public:
    static constexpr uint32_t kSlots = 8;
    static constexpr uint32_t kVersion = 37;
    static constexpr uint32_t kFileSize = 57764;
    static constexpr int32_t kStartMoney = 21000;
    static constexpr float kNoTime = 1800.0f;
    static constexpr float kPopupSeconds = 10.0f;

    // Why a profile file was not taken.
    enum class LoadResult { Loaded, Missing, OtherVersion, Broken };

    CProfileMgr();
    virtual ~CProfileMgr();

    // At start-up: every slot loaded, then saved again (so a file of another version goes); a file
    // that exists but is broken or unreadable is left as it is and its slot shows free.
    void Init();
    // "save\N.prf".
    const char* GetProfilePath(uint32_t slot);
    // Writes the slot's file whole or not at all: a temporary file in the same folder, flushed, then
    // renamed over the old one. A free slot's file is deleted.
    void SaveProfile(uint32_t slot);
    LoadResult LoadProfile(uint32_t slot);
    void ResetProfile(uint32_t slot);
    void NewProfile(uint32_t slot);
    void SelectProfile(uint32_t slot);
    void ReloadCurrent();
    void CountOwnedMachines();
    // Points the current machine at the current profile's selected slot.
    void UpdateCurrentMachine();

    // After a result screen; every game frame; in the 2-D pass; on a world's load.
    void CheckRaceAchievements(uint32_t place, float raceTime);
    void CheckAchievements();
    void DrawAchievementPopup();
    void ClearPopup();

    // A finished run of a route booked into the current profile: the prize paid, a better place
    // (1..3) and a better time kept for a route of 0..59 (a route beyond keeps no result), the
    // profile saved, then the race achievements checked.
    void BookResult(int route, uint32_t place, float runTime, int32_t prize);

    // Adds to the current profile's money, held within the 32-bit range.
    void AddMoney(int32_t amount);

    // The machine the current profile drives: null when its selected slot is none. Before the menu
    // selected a profile, a start straight into a world drives a new machine of type 0.
    const MachineRecord* CurrentMachine() const;

    // The achievement granted last: caption and text, shown while the timer runs.
    void Grant(uint8_t ProfileAchievements::*flag, const char* caption, const char* text, bool saveFirst);

    float m_fFrameTime;
    char m_szPopupCaption[256];
    char m_szPopupText[256];
    float m_fPopupTimer;
    uint32_t m_bProfileSelected;
    int32_t m_iCurrentSlot;
    ProfileRecord m_Profiles[kSlots];
    uint32_t m_uPopupValue;
    ProfileRecord* m_pCurrentProfile;
    MachineRecord* m_pCurrentMachine;

private:
    bool WriteProfileFile(const char* path, const ProfileRecord& record);
    char m_szPath[32];
    // A slot whose file failed to load for a reason other than its version: its file is kept.
    bool m_bKeepFile[kSlots];
};

extern CProfileMgr g_ProfileMgr;
