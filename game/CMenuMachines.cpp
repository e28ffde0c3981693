// The machines as far as the profiles need them: the garage's entry to the shop, the shop that
// sells a new player the first tractor, and the route page's choice among the owned machines.
#include <cstdio>

#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "game/CMenu.h"
#include "game/CProfileMgr.h"
#include "render/EFont.h"
#include "vehicles/Physics.h"

namespace {

constexpr int kMachines = ProfileRecord::kMachines;
constexpr int kAllRoutesLast = 32;

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }
const char* Text(const char* key) { return g_TextMgr.GetText(key); }
ProfileRecord& Profile() { return *g_ProfileMgr.m_pCurrentProfile; }

const VehicleType* TypeOf(int slot) {
    if (slot < 0 || slot >= kMachines || static_cast<uint32_t>(slot) >= g_Physics.m_uVehicleCount) return nullptr;
    const VehicleType& type = g_Physics.m_Vehicles[slot];
    return type.m_bPlayerCanDrive ? &type : nullptr;
}

bool OwnsTractor() {
    for (int t = 0; t < kMachines; ++t)
        if (Profile().m_bOwned[t] && TypeOf(t) && TypeOf(t)->m_bTraktor) return true;
    return false;
}

// Routes won from route 0 on, up to the first without a result.
int LeadingCompletedRoutes() {
    int n = 0;
    while (n <= kAllRoutesLast && Profile().m_uBestPlace[n]) ++n;
    return n;
}

// A class opens with the routes completed: class 1 after 11, classes 2 and 3 after 22.
bool ClassOpen(int klasa) {
    const int done = LeadingCompletedRoutes();
    return klasa <= 0 || (klasa == 1 && done >= 11) || done >= 22;
}

bool ForSale(int slot) {
    const VehicleType* type = TypeOf(slot);
    return type && !Profile().m_bOwned[slot] && ClassOpen(type->m_iKlasa);
}

const char* ClassText(int klasa) {
    const char* keys[] = {">N06", ">N07", ">N08", ">N09"};
    return Text(keys[klasa < 0 ? 0 : klasa > 3 ? 3 : klasa]);
}

void SelectMachine(int slot) {
    if (Profile().m_iSelectedMachine == slot) return;
    Profile().m_iSelectedMachine = slot;
    g_ProfileMgr.UpdateCurrentMachine();
    g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot));
}

}  // namespace

void CMenu::EnsureTractorSelected() {
    if (!g_ProfileMgr.m_bProfileSelected) return;
    const int selected = Profile().m_iSelectedMachine;
    if (selected >= 0 && selected < kMachines && Profile().m_bOwned[selected]) return;
    for (int t = 0; t < kMachines; ++t)
        if (Profile().m_bOwned[t] && TypeOf(t)) {
            // Saved only when the choice changes, never on every page.
            SelectMachine(t);
            return;
        }
}

void CMenu::NextShopMachine() {
    for (int step = 0; step < kMachines; ++step) {
        const int slot = ((m_iShopIndex + step) % kMachines + kMachines) % kMachines;
        if (ForSale(slot)) {
            m_iShopIndex = slot;
            return;
        }
    }
    m_iShopIndex = -1;
}

void CMenu::NextMachine(int step) {
    const int start = Profile().m_iSelectedMachine;
    for (int i = 1; i <= kMachines; ++i) {
        const int slot = (((start < 0 ? 0 : start) + step * i) % kMachines + kMachines) % kMachines;
        if (Profile().m_bOwned[slot] && TypeOf(slot)) {
            SelectMachine(slot);
            return;
        }
    }
}

void CMenu::BuyShopMachine() {
    if (!ForSale(m_iShopIndex)) return;
    ProfileRecord& p = Profile();
    MachineRecord& machine = p.m_Machines[m_iShopIndex];
    if (p.m_iMoney < static_cast<int64_t>(machine.m_uPrice)) return;
    g_ProfileMgr.AddMoney(-static_cast<int32_t>(machine.m_uPrice));
    p.m_bOwned[m_iShopIndex] = 1;
    p.m_iSelectedMachine = m_iShopIndex;
    ++p.m_Achievements.m_uMachinesBought;
    g_ProfileMgr.CountOwnedMachines();
    g_ProfileMgr.UpdateCurrentMachine();
    g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot));
    ShowPage(40);
}

void CMenu::ShowShopPage() {
    const bool tractor = OwnsTractor();
    if (tractor) AddItem(MenuItem::kText, Text(">M81"), 512, 16, kTitleScale, true, -1, false, false, false);
    else AddItem(MenuItem::kText, Text(">M81b"), 512, 116, kTitleScale, true, -1, false, false, false);
    char line[256] = " ";
    const VehicleType* type = TypeOf(m_iShopIndex);
    const uint32_t price = type ? Profile().m_Machines[m_iShopIndex].m_uPrice : 0;
    if (type)
        std::snprintf(line, sizeof line, "%s %s. %s %s. ($%u).", Text(">G06"), type->m_szName, Text(">N05"),
                      ClassText(type->m_iKlasa), price);
    AddItem(MenuItem::kText, line, 512, 180, 1, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">G05"), 512, 640, 1, true, 0, type == nullptr, false, false);
    AddItem(MenuItem::kButton, Text(">G03"), 312, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">G04"), 712, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">MBack"), 512, 700, 1, true, 0, !tractor, false, false);
    if (type && Profile().m_iMoney < static_cast<int64_t>(price))
        AddItem(MenuItem::kText, Text(">G57"), 512, 278, 1, true, -1, false, false, false);
    SetBackButton("menu_ico_wroc.tga", Text(">MBack"), 40);
}

void CMenu::ShowGaragePage() {
    AddItem(MenuItem::kText, Text(">N04"), 512, 16, kTitleScale, true, -1, false, false, false);
    NextShopMachine();
    const bool forSale = m_iShopIndex >= 0;
    // The owned machines, the upgrades and the sale come with the garage's own pages.
    const struct {
        const char* key;
        bool disabled;
    } buttons[] = {{">M74", true}, {">M79", true}, {">M75", !forSale}, {">M76", true}, {">MBack", false}};
    float y = 180;
    for (const auto& b : buttons) {
        AddItem(MenuItem::kButton, Text(b.key), 180, y, 1, false, 1, b.disabled, false, false);
        y += 50;
    }
    SetBackButton("menu_ico_wroc.tga", Text(">MBack"), 10);
}

void CMenu::DrawMachineLine(float y) {
    const int slot = m_uPage == 42 ? -1 : Profile().m_iSelectedMachine;
    const VehicleType* type = TypeOf(slot);
    if (!type) return;
    char line[256];
    std::snprintf(line, sizeof line, "%s %s. %s %s.", Text(">G06"), type->m_szName, Text(">N05"),
                  ClassText(type->m_iKlasa));
    g_Font.Begin();
    g_Font.Print(line, 512 * Sx(), y * Sy(), kPlainColour, 20, 0, true, false);
    g_Font.Flush();
}
