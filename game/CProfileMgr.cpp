#include "game/CProfileMgr.h"

#include <cstdint>
#include <limits>

CProfileMgr g_ProfileMgr;

CProfileMgr::CProfileMgr() : m_iMoney(0) {}

CProfileMgr::~CProfileMgr() = default;

void CProfileMgr::AddMoney(int32_t amount) {
    int64_t money = static_cast<int64_t>(m_iMoney) + amount;
    if (money > std::numeric_limits<int32_t>::max()) money = std::numeric_limits<int32_t>::max();
    if (money < std::numeric_limits<int32_t>::min()) money = std::numeric_limits<int32_t>::min();
    m_iMoney = static_cast<int32_t>(money);
}
