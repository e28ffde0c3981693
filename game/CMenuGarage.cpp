// The garage's pages: the garage (40), the owned machines (41), the shop (42), the sale (43) and
// the upgrades (52), and what their buttons do. Each button's id is its place on the page, the
// title being 0.
#include <cstdio>

#include "core/ETextMgr.h"
#include "game/CMenu.h"
#include "game/CProfileMgr.h"
#include "game/MachineRules.h"
#include "vehicles/Physics.h"

using namespace MachineRules;

namespace {

const char* Text(const char* key) { return g_TextMgr.GetText(key); }
ProfileRecord& Profile() { return *g_ProfileMgr.m_pCurrentProfile; }

constexpr const char* kBackIcon = "menu_ico_wroc.tga";

}  // namespace

void CMenu::ShowGaragePage() {
    AddItem(MenuItem::kText, Text(">N04"), 512, 16, kTitleScale, true, -1, false, false, false);
    const bool owned = Profile().m_uOwnedCount > 0;
    const struct {
        const char* key;
        bool disabled;
    } buttons[] = {{">M74", !owned}, {">M79", !owned}, {">M75", !IsMachineForSale()}, {">M76", !owned},
                   {">MBack", false}};
    float y = 180;
    for (const auto& b : buttons) {
        AddItem(MenuItem::kButton, Text(b.key), 180, y, 1, false, 1, b.disabled, false, false);
        y += 50;
    }
    SetBackButton(kBackIcon, Text(">MBack"), 10);
}

void CMenu::ShowOwnedPage() {
    AddItem(MenuItem::kText, Text(">M80"), 512, 16, kTitleScale, true, -1, false, false, false);
    char line[256] = " ";
    if (const VehicleType* type = TypeOf(Profile().m_iSelectedMachine)) MachineLine(*type, line, sizeof line);
    AddItem(MenuItem::kText, line, 512, 160, 1, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">MOK"), 512, 640, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">G03"), 312, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">G04"), 712, 580, 1, true, 0, false, false, false);
    SetBackButton(kBackIcon, Text(">MBack"), 40);
}

void CMenu::ShowShopPage() {
    const bool tractor = HasOwnedTractor();
    if (tractor) AddItem(MenuItem::kText, Text(">M81"), 512, 16, kTitleScale, true, -1, false, false, false);
    else AddItem(MenuItem::kText, Text(">M81b"), 512, 116, kTitleScale, true, -1, false, false, false);
    char line[256] = " ";
    const VehicleType* type = TypeOf(m_iShopIndex);
    const int64_t price = type ? Profile().m_Machines[m_iShopIndex].m_uPrice : 0;
    if (type) PricedMachineLine(*type, price, line, sizeof line);
    AddItem(MenuItem::kText, line, 512, 180, 1, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">G05"), 512, 640, 1, true, 0, type == nullptr, false, false);
    AddItem(MenuItem::kButton, Text(">G03"), 312, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">G04"), 712, 580, 1, true, 0, false, false, false);
    // A new player leaves the shop only with a tractor.
    AddItem(MenuItem::kButton, Text(">MBack"), 512, 700, 1, true, 0, !tractor, false, false);
    if (type && Profile().m_iMoney < price)
        AddItem(MenuItem::kText, Text(">G57"), 512, 278, 1, true, -1, false, false, false);
    SetBackButton(kBackIcon, Text(">MBack"), 40);
}

void CMenu::ShowSalePage() {
    AddItem(MenuItem::kText, Text(">M82"), 512, 16, kTitleScale, true, -1, false, false, false);
    char line[256] = " ";
    const int slot = Profile().m_iSelectedMachine;
    if (const VehicleType* type = TypeOf(slot))
        PricedMachineLine(*type, Profile().m_Machines[slot].m_uPrice / 2, line, sizeof line);
    AddItem(MenuItem::kText, line, 512, 180, 1, true, -1, false, false, false);
    // The last machine is never sold: the page says so instead of offering the sale.
    if (Profile().m_uOwnedCount >= 2)
        AddItem(MenuItem::kButton, Text(">G59"), 512, 640, 1, true, 0, false, false, false);
    else
        AddItem(MenuItem::kText, Text(">G80"), 512, 640, 1, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">G03"), 312, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">G04"), 712, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">MBack"), 512, 700, 1, true, 0, false, false, false);
    SetBackButton(kBackIcon, Text(">MBack"), 40);
}

void CMenu::ShowUpgradesPage() {
    AddItem(MenuItem::kText, Text(">M84"), 512, 16, kTitleScale, true, -1, false, false, false);
    const int slot = Profile().m_iSelectedMachine;
    const bool machine = TypeOf(slot) != nullptr;
    const ProfileRecord& p = Profile();
    const struct {
        const char* family;
        const char* level;
        const uint32_t* prices;
    } offers[] = {{">T02", ">T04", p.m_uUpgrade1Price1}, {">T02", ">T05", p.m_uUpgrade1Price2},
                  {">T08", ">T10", p.m_uUpgrade2Price},  {">T11", ">T12", p.m_uUpgrade3Price1},
                  {">T11", ">T13", p.m_uUpgrade3Price2}};
    float y = 180;
    for (int i = 0; i < 5; ++i, y += 50) {
        char line[256] = " ";
        if (machine)
            std::snprintf(line, sizeof line, "%s %s ($%u)", Text(offers[i].family), Text(offers[i].level),
                          offers[i].prices[slot]);
        AddItem(MenuItem::kButton, line, 512, y, 1, true, 0, !UpgradeOffered(i + 1), false, false);
    }
    AddItem(MenuItem::kButton, Text(">M87"), 512, 460, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">M88"), 512, 510, 1, true, 0, !machine, false, false);
    AddItem(MenuItem::kButton, Text(">MBack"), 512, 700, 1, true, 0, false, false, false);
    SetBackButton(kBackIcon, Text(">MBack"), 40);
}

void CMenu::HandleGarageSelection(uint32_t id) {
    switch (m_uPage) {
        case 40: {
            g_ProfileMgr.CountOwnedMachines();
            const bool owned = Profile().m_uOwnedCount > 0;
            if (id == 1 && owned) ShowPage(41);
            else if (id == 2 && owned) ShowPage(52);
            else if (id == 4 && owned) ShowPage(43);
            else if (id == 3 && IsMachineForSale()) {
                NextShopMachine();
                ShowPage(42);
            } else if (id == 5) ShowPage(10);
            break;
        }
        case 41:
            if (id == 2) {
                g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot));
                ShowPage(40);
            } else if (id == 3 || id == 4) {
                StepOwnedMachine(id == 3 ? -1 : 1);
                ShowPage(41);
            }
            break;
        case 42:
            if (id == 2) BuyShopMachine();
            else if (id == 3 || id == 4) {
                if (id == 3) PrevShopMachine();
                else NextShopMachine();
                ShowPage(42);
            } else if (id == 5) ShowPage(40);
            break;
        case 43:
            if (id == 2) SellSelectedMachine();
            else if (id == 3 || id == 4) {
                StepOwnedMachine(id == 3 ? -1 : 1);
                ShowPage(43);
            } else if (id == 5) ShowPage(40);
            break;
        case 52:
            if (id >= 1 && id <= 5) {
                BuyUpgrade(static_cast<int>(id));
                ShowPage(52);
            } else if (id == 6) NextDriver();
            else if (id == 7) NextSkin();
            else if (id == 8) ShowPage(40);
            break;
        default: break;
    }
}
