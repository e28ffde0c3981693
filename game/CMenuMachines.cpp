// The machines' rules behind the menu: which machine fits a route, keeping an owned tractor
// selected, the shop's unlocking by completed routes, buying and selling, the five upgrades, the
// driver and the paint, and the machine lines the pages print.
#include <cstdio>

#include "core/ESettings.h"
#include "game/CMenu.h"
#include "game/MachineRules.h"
#include "game/CProfileMgr.h"
#include "render/EFont.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"

using namespace MachineRules;

namespace {

constexpr int kDrivers = 5;

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }
ProfileRecord& Profile() { return *g_ProfileMgr.m_pCurrentProfile; }
void Save() { g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot)); }

bool Owned(int slot) { return slot >= 0 && slot < kMachines && Profile().m_bOwned[slot]; }

// A tractor the player may buy: drivable, a tractor, not owned yet (its class not considered).
bool Buyable(int slot) {
    const VehicleType* type = TypeOf(slot);
    return type && type->m_bTraktor && !Owned(slot);
}

bool ForSale(int slot) {
    return Buyable(slot) && ClassOpen(TypeOf(slot)->m_iKlasa, LeadingCompletedRoutes(Profile()));
}

// The selection and the current machine follow the slot; the profile is written only when the
// choice changes, so a page built on every visit never writes it.
void SelectMachine(CMenu& menu, int slot) {
    menu.m_iSelectedMachine = slot;
    if (Profile().m_iSelectedMachine == slot) return;
    Profile().m_iSelectedMachine = slot;
    g_ProfileMgr.UpdateCurrentMachine();
    Save();
}

MachineRecord* SelectedRecord() {
    const int slot = Profile().m_iSelectedMachine;
    return TypeOf(slot) ? &Profile().m_Machines[slot] : nullptr;
}

// The price of an upgrade offer 1..5 and whether the selected machine may still take it.
struct UpgradeOffer {
    uint32_t price;
    bool open;
};

UpgradeOffer Offer(int offer) {
    const int slot = Profile().m_iSelectedMachine;
    const MachineRecord* m = SelectedRecord();
    if (!m) return {0, false};
    const ProfileRecord& p = Profile();
    switch (offer) {
        case 1: return {p.m_uUpgrade1Price1[slot], m->m_iUpgrade1 == 0};
        case 2: return {p.m_uUpgrade1Price2[slot], m->m_iUpgrade1 < 2};
        case 3: return {p.m_uUpgrade2Price[slot], m->m_iUpgrade2 == 0};
        case 4: return {p.m_uUpgrade3Price1[slot], m->m_iUpgrade3 == 0};
        case 5: return {p.m_uUpgrade3Price2[slot], m->m_iUpgrade3 < 2};
        default: return {0, false};
    }
}

void PrintCentred(const char* line, float y) {
    g_Font.Print(line, 512 * Sx(), y * Sy(), CMenu::kPlainColour, 20, 0, true, false);
}

}  // namespace

// ---- The machine for a route -------------------------------------------------------------------

bool CMenu::MachineFits(int slot, bool needTractor, bool needCombine, bool needLoader) const {
    const VehicleType* type = TypeOf(slot);
    if (!type) return false;
    if ((needTractor && !type->m_bTraktor) || (needLoader && !type->m_bTur) || (needCombine && !type->m_bKombajn))
        return false;
    if (type->m_bKombajn && !CombineFitsCountry(*type, m_uCountry)) return false;
    if (type->m_bTur && !LoaderFitsCountry(*type, m_uCountry)) return false;
    return !needTractor || Owned(slot);
}

void CMenu::StepMachine(int step, bool needTractor, bool needCombine, bool needLoader) {
    const int selected = Profile().m_iSelectedMachine;
    // With none selected the forward search starts at slot 0 and the backward one at slot 63.
    const int start = selected >= 0 && selected < kMachines ? selected : (step > 0 ? -1 : 0);
    for (int i = 1; i <= kMachines; ++i) {
        const int slot = ((start + step * i) % kMachines + kMachines) % kMachines;
        if (MachineFits(slot, needTractor, needCombine, needLoader)) {
            SelectMachine(*this, slot);
            return;
        }
    }
}

void CMenu::NextMachine(bool needTractor, bool needCombine, bool needLoader) {
    StepMachine(1, needTractor, needCombine, needLoader);
}

void CMenu::PrevMachine(bool needTractor, bool needCombine, bool needLoader) {
    StepMachine(-1, needTractor, needCombine, needLoader);
}

void CMenu::RouteNeeds(bool& needTractor, bool& needCombine, bool& needLoader) const {
    needTractor = needCombine = needLoader = false;
    if (m_iSelectedRoute < 0 || m_iSelectedRoute >= g_RoutesMgr.m_iRouteCount) return;
    const RouteRecord& r = g_RoutesMgr.m_Routes[m_iSelectedRoute];
    needTractor = r.m_bWithOpponents || r.m_bSlalom || r.m_bBaling || r.m_bPlanting || r.m_bPloughing ||
                  r.m_bGrassMowing || r.m_bSowing || r.m_bGrain;
    needCombine = !needTractor && r.m_bMowing;
    needLoader = !needTractor && !needCombine && r.m_bBaleCollecting;
}

void CMenu::FitMachineToRoute() {
    const VehicleType* selected = TypeOf(Profile().m_iSelectedMachine);
    if (!selected) return;
    bool tractor, combine, loader;
    RouteNeeds(tractor, combine, loader);
    if (combine) NextMachine(false, true, false);
    else if (tractor && !selected->m_bTraktor) NextMachine(true, false, false);
    else if (loader) NextMachine(false, false, true);
    const VehicleType* now = TypeOf(Profile().m_iSelectedMachine);
    if (now && HasCountryFlag(*now) && !CountryFlag(*now, m_uCountry)) NextMachine(tractor, combine, loader);
}

void CMenu::StepMachineForRoute(int step) {
    bool tractor, combine, loader;
    RouteNeeds(tractor, combine, loader);
    StepMachine(step, tractor, combine, loader);
}

void CMenu::EnsureTractorSelected() {
    if (!g_ProfileMgr.m_bProfileSelected) return;
    const VehicleType* selected = TypeOf(Profile().m_iSelectedMachine);
    if (selected && selected->m_bTraktor) return;
    int choice = -1;
    for (int t = 0; t < kMachines; ++t) {
        const VehicleType* type = TypeOf(t);
        if (!type || !type->m_bTraktor || !Owned(t)) continue;
        choice = t;
        if (static_cast<uint32_t>(type->m_iKlasa) == m_uCountry) break;
    }
    // A profile without a tractor keeps "none" as it was saved; a combine or loader chosen for a
    // route is let go.
    const int current = Profile().m_iSelectedMachine;
    if (choice < 0 && (current < 0 || current >= kMachines)) return;
    SelectMachine(*this, choice);
}

bool CMenu::HasOwnedTractor() const {
    for (int t = 0; t < kMachines; ++t)
        if (Owned(t) && TypeOf(t) && TypeOf(t)->m_bTraktor) return true;
    return false;
}

bool CMenu::IsMachineForSale() const {
    for (int t = 0; t < kMachines; ++t)
        if (Buyable(t)) return true;
    return false;
}

// ---- Shop and sale -----------------------------------------------------------------------------

void CMenu::StepShop(int step) {
    const int start = m_iShopIndex >= 0 && m_iShopIndex < kMachines ? m_iShopIndex : (step > 0 ? -1 : 0);
    for (int i = 1; i <= kMachines; ++i) {
        const int slot = ((start + step * i) % kMachines + kMachines) % kMachines;
        if (ForSale(slot)) {
            m_iShopIndex = slot;
            return;
        }
    }
    // Nothing to sell: the buy button has no machine to act on.
    m_iShopIndex = -1;
}

void CMenu::NextShopMachine() { StepShop(1); }

void CMenu::PrevShopMachine() { StepShop(-1); }

void CMenu::BuyShopMachine() {
    if (!ForSale(m_iShopIndex)) return;
    ProfileRecord& p = Profile();
    const int32_t price = static_cast<int32_t>(p.m_Machines[m_iShopIndex].m_uPrice);
    if (p.m_iMoney < price) return;
    g_ProfileMgr.AddMoney(-price);
    p.m_bOwned[m_iShopIndex] = 1;
    p.m_iSelectedMachine = m_iSelectedMachine = m_iShopIndex;
    g_ProfileMgr.UpdateCurrentMachine();
    ++p.m_Achievements.m_uMachinesBought;
    g_ProfileMgr.CountOwnedMachines();
    // The first machine's driver is set before the profile is written, so the file never holds
    // a driver that does not exist.
    if (static_cast<int32_t>(p.m_uDriver) < 0) p.m_uDriver = 0;
    Save();
    m_iShopIndex = -1;
    ShowPage(40);
}

void CMenu::SellSelectedMachine() {
    ProfileRecord& p = Profile();
    const int slot = p.m_iSelectedMachine;
    // The last machine is never sold: a player always has one to drive.
    if (!Owned(slot) || p.m_uOwnedCount < 2) return;
    g_ProfileMgr.AddMoney(static_cast<int32_t>(p.m_Machines[slot].m_uPrice / 2));
    p.m_bOwned[slot] = 0;
    if (p.m_Achievements.m_uMachinesBought > 0) --p.m_Achievements.m_uMachinesBought;
    int next = -1;
    for (int i = 1; i <= kMachines && next < 0; ++i)
        if (Owned((slot + i) % kMachines)) next = (slot + i) % kMachines;
    p.m_iSelectedMachine = m_iSelectedMachine = next;
    g_ProfileMgr.CountOwnedMachines();
    g_ProfileMgr.UpdateCurrentMachine();
    Save();
    m_iShopIndex = -1;
    ShowPage(40);
}

void CMenu::StepOwnedMachine(int step) {
    const int selected = Profile().m_iSelectedMachine;
    const int start = selected >= 0 && selected < kMachines ? selected : (step > 0 ? -1 : 0);
    for (int i = 1; i <= kMachines; ++i) {
        const int slot = ((start + step * i) % kMachines + kMachines) % kMachines;
        if (Owned(slot) && TypeOf(slot)) {
            Profile().m_iSelectedMachine = m_iSelectedMachine = slot;
            g_ProfileMgr.UpdateCurrentMachine();
            return;
        }
    }
}

// ---- Upgrades, driver, paint -------------------------------------------------------------------

bool CMenu::UpgradeOffered(int offer) const {
    const UpgradeOffer o = Offer(offer);
    return o.open && Profile().m_iMoney >= static_cast<int64_t>(o.price);
}

void CMenu::BuyUpgrade(int offer) {
    if (!UpgradeOffered(offer)) return;
    MachineRecord& m = *SelectedRecord();
    g_ProfileMgr.AddMoney(-static_cast<int32_t>(Offer(offer).price));
    switch (offer) {
        case 1: m.m_iUpgrade1 = 1; break;
        case 2: m.m_iUpgrade1 = 2; break;
        case 3: m.m_iUpgrade2 = 1; break;
        case 4: m.m_iUpgrade3 = 1; break;
        default: m.m_iUpgrade3 = 2; break;
    }
    Save();
}

void CMenu::NextDriver() {
    ProfileRecord& p = Profile();
    p.m_uDriver = p.m_uDriver + 1 >= kDrivers ? 0 : p.m_uDriver + 1;
    Save();
}

void CMenu::NextSkin() {
    MachineRecord* m = SelectedRecord();
    if (!m) return;
    m->m_uSkin = NextSkinIndex(m->m_uSkin);
    Save();
}

// ---- Machine lines -----------------------------------------------------------------------------

void CMenu::DrawMachineLine() {
    const VehicleType* type = TypeOf(Profile().m_iSelectedMachine);
    if (!type) return;
    char line[256];
    MachineLine(*type, line, sizeof line);
    g_Font.Begin();
    PrintCentred(line, 180);
    g_Font.Flush();
}

void CMenu::DrawMachineStats() {
    const MachineRecord* m = SelectedRecord();
    if (!m) return;
    char line[256];
    MachineLine(*TypeOf(Profile().m_iSelectedMachine), line, sizeof line);
    g_Font.Begin();
    PrintCentred(line, 80);
    UpgradeLine(*m, line, sizeof line);
    PrintCentred(line, 110);
    g_Font.Flush();
}
