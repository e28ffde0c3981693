#pragma once
// The rules the garage and the route choice share: which vehicle types a player drives, a class
// opened by completed routes, the country rules of combines and loaders, the skin cycle, and the
// lines that name a machine and its upgrades.
#include <cstddef>
#include <cstdint>

#include "game/CProfileMgr.h"

struct VehicleType;

namespace MachineRules {

constexpr int kMachines = ProfileRecord::kMachines;
// Classes open with the routes completed among the cup's first 33.
constexpr int kCupRoutes = 33;
constexpr int kRoutesForClass1 = 11;
constexpr int kRoutesForClass2 = 22;

// The vehicle type of a machine slot when a player may drive it, else null.
const VehicleType* TypeOf(int slot);

// Routes with a result from route 0 on, up to the first without one.
int LeadingCompletedRoutes(const ProfileRecord& profile);
// Class 0 always; class 1 after 11 completed routes; classes 2 and 3 after 22.
bool ClassOpen(int klasa, int completedRoutes);

bool HasCountryFlag(const VehicleType& type);
// The type's flag for a country (0 DE, 1 FR, 2 UK, 3 US).
bool CountryFlag(const VehicleType& type, uint32_t country);
// A combine with country flags serves only its countries.
bool CombineFitsCountry(const VehicleType& type, uint32_t country);
// A front loader by its nationality (the class number): 0 and 1 only their own country, 2 the
// English-speaking ones, 3 any.
bool LoaderFitsCountry(const VehicleType& type, uint32_t country);

// The next paint skin: 0..5, after 5 (or from anything outside) back to 0.
uint32_t NextSkinIndex(uint32_t skin);

const char* ClassText(int klasa);
// "Machine: NAME. Class: CLASS."
void MachineLine(const VehicleType& type, char* out, size_t size);
// "Machine: NAME. Class: CLASS. ($PRICE)."
void PricedMachineLine(const VehicleType& type, int64_t price, char* out, size_t size);
// The three upgrade families with their levels.
void UpgradeLine(const MachineRecord& machine, char* out, size_t size);

}  // namespace MachineRules
