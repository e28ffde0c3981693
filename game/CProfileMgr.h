#pragma once
// The player profiles; the current one holds the player's money and the machine the player drives.
#include <cstdint>

#include "vehicles/MachineRecord.h"

class CProfileMgr {
public:
    CProfileMgr();
    virtual ~CProfileMgr();

    // Adds to the current profile's money, held within the 32-bit range.
    void AddMoney(int32_t amount);

    // The machine the current profile drives.
    const MachineRecord* CurrentMachine() const { return &m_CurrentMachine; }

    // The current profile's money.
    int32_t m_iMoney;
    // Until profiles are chosen in the menu, a new machine of the first vehicle type.
    MachineRecord m_CurrentMachine;
};

extern CProfileMgr g_ProfileMgr;
