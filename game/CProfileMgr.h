#pragma once
// The player profiles; the current one holds the player's money.
#include <cstdint>

class CProfileMgr {
public:
    CProfileMgr();
    virtual ~CProfileMgr();

    // Adds to the current profile's money, held within the 32-bit range.
    void AddMoney(int32_t amount);

    // The current profile's money.
    int32_t m_iMoney;
};

extern CProfileMgr g_ProfileMgr;
