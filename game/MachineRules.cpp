#include "game/MachineRules.h"

#include <cstdio>

#include "core/ETextMgr.h"
#include "vehicles/Physics.h"

namespace MachineRules {

namespace {

const char* Text(const char* key) { return g_TextMgr.GetText(key); }

// The level text of a family, clamped to the levels it has.
const char* LevelText(const char* const keys[], int count, int level) {
    return Text(keys[level < 0 ? 0 : level >= count ? count - 1 : level]);
}

}  // namespace

const VehicleType* TypeOf(int slot) {
    if (slot < 0 || slot >= kMachines || static_cast<uint32_t>(slot) >= g_Physics.m_uVehicleCount) return nullptr;
    const VehicleType& type = g_Physics.m_Vehicles[slot];
    return type.m_bPlayerCanDrive ? &type : nullptr;
}

int LeadingCompletedRoutes(const ProfileRecord& profile) {
    int n = 0;
    while (n < kCupRoutes && profile.m_uBestPlace[n]) ++n;
    return n;
}

bool ClassOpen(int klasa, int completedRoutes) {
    if (klasa <= 0) return true;
    if (klasa == 1) return completedRoutes >= kRoutesForClass1;
    return completedRoutes >= kRoutesForClass2;
}

bool HasCountryFlag(const VehicleType& type) { return type.m_bDE || type.m_bFR || type.m_bUK || type.m_bUS; }

bool CountryFlag(const VehicleType& type, uint32_t country) {
    const uint8_t flags[] = {type.m_bDE, type.m_bFR, type.m_bUK, type.m_bUS};
    return country < 4 && flags[country];
}

bool CombineFitsCountry(const VehicleType& type, uint32_t country) {
    return !HasCountryFlag(type) || CountryFlag(type, country);
}

bool LoaderFitsCountry(const VehicleType& type, uint32_t country) {
    switch (type.m_iKlasa) {
        case 0: return country == 0;
        case 1: return country == 1;
        case 2: return country == 2 || country == 3;
        default: return true;
    }
}

uint32_t NextSkinIndex(uint32_t skin) { return skin >= 5 ? 0 : skin + 1; }

const char* ClassText(int klasa) {
    static const char* const keys[] = {">N06", ">N07", ">N08", ">N09"};
    return LevelText(keys, 4, klasa);
}

void MachineLine(const VehicleType& type, char* out, size_t size) {
    std::snprintf(out, size, "%s %s. %s %s.", Text(">G06"), type.m_szName, Text(">N05"), ClassText(type.m_iKlasa));
}

void PricedMachineLine(const VehicleType& type, int64_t price, char* out, size_t size) {
    std::snprintf(out, size, "%s %s. %s %s. ($%lld).", Text(">G06"), type.m_szName, Text(">N05"),
                  ClassText(type.m_iKlasa), static_cast<long long>(price));
}

void UpgradeLine(const MachineRecord& m, char* out, size_t size) {
    static const char* const engine[] = {">T03", ">T04", ">T05"};
    static const char* const tyres[] = {">T09", ">T10"};
    static const char* const gearbox[] = {">T43", ">T12", ">T13"};
    std::snprintf(out, size, "%s %s. %s %s. %s %s.", Text(">T01"), LevelText(engine, 3, m.m_iUpgrade1),
                  Text(">T07"), LevelText(tyres, 2, m.m_iUpgrade2), Text(">T42"), LevelText(gearbox, 3, m.m_iUpgrade3));
}

}  // namespace MachineRules
