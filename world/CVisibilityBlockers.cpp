#include "world/CVisibilityBlockers.h"

CVisibilityBlockers g_VisibilityBlockers;

void CVisibilityBlockers::Reset() {
    for (uint8_t& used : m_bUsed) used = 0;
    m_iMaxBlockers = 0;
}
