#pragma once
// Invisible quads that hide what lies behind them; the table is emptied with every world.
#include <cstdint>

class CVisibilityBlockers {
public:
    static constexpr int kBlockers = 50;

    // Every record free.
    void Reset();

    uint8_t m_bUsed[kBlockers] = {};
    int m_iMaxBlockers = 0;
};

extern CVisibilityBlockers g_VisibilityBlockers;
