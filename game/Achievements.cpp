#include "game/Achievements.h"

#include <cstdio>

#include "core/ETextMgr.h"

const Achievement kAchievements[kAchievementCount] = {
    {&ProfileAchievements::m_bMachines, ">Ac02", nullptr, Achievement::Figure::None, 5, ">At02"},
    {&ProfileAchievements::m_bAllRoutes, ">Ac10", nullptr, Achievement::Figure::None, 33, ">At10"},
    {&ProfileAchievements::m_bMoney, ">Ac03", nullptr, Achievement::Figure::Dollars, 100000, ">At03"},
    {&ProfileAchievements::m_bPlayTime, ">Ac04", ">Ac05", Achievement::Figure::Hours, 28800, ">At04"},
    {&ProfileAchievements::m_bRaceTime, ">Ac17", nullptr, Achievement::Figure::LapTime, 160, ">At17"},
    {&ProfileAchievements::m_bOvertakes, ">Ac25", ">Ac26", Achievement::Figure::Count, 500, ">At25"},
    {&ProfileAchievements::m_bHens, ">Ac31", ">Ac32", Achievement::Figure::Count, 5000, ">At31"},
    {&ProfileAchievements::m_bRoute10, ">Ac33", nullptr, Achievement::Figure::None, 10, ">Ac33t"},
    {&ProfileAchievements::m_bRoute21, ">Ac34", nullptr, Achievement::Figure::None, 21, ">Ac34t"},
};

namespace {

// A whole number with its thousands grouped by commas: 100000 -> "100,000".
void GroupThousands(uint32_t value, char* out, size_t size) {
    if (value < 1000) {
        std::snprintf(out, size, "%u", value);
        return;
    }
    char head[16];
    GroupThousands(value / 1000, head, sizeof head);
    std::snprintf(out, size, "%s,%03u", head, value % 1000);
}

void FormatFigure(const Achievement& a, char* out, size_t size) {
    const uint32_t goal = static_cast<uint32_t>(a.goal);
    char grouped[24];
    GroupThousands(goal, grouped, sizeof grouped);
    switch (a.figure) {
        case Achievement::Figure::None: out[0] = 0; break;
        case Achievement::Figure::Count: std::snprintf(out, size, "%s", grouped); break;
        case Achievement::Figure::Dollars: std::snprintf(out, size, "$%s.", grouped); break;
        case Achievement::Figure::Hours: std::snprintf(out, size, "%u", goal / 3600); break;
        case Achievement::Figure::LapTime: std::snprintf(out, size, "%u:%02u.00", goal / 60, goal % 60); break;
    }
}

const char* KeyText(const char* key, bool granted) {
    if (granted) return g_TextMgr.GetText(key);
    char missing[16];
    std::snprintf(missing, sizeof missing, "%sn", key);
    return g_TextMgr.GetText(missing);
}

}  // namespace

void FormatAchievement(const Achievement& a, bool granted, char* out, size_t size) {
    char figure[32];
    FormatFigure(a, figure, sizeof figure);
    int n = std::snprintf(out, size, "%s", KeyText(a.key, granted));
    if (figure[0] && n >= 0 && static_cast<size_t>(n) < size) n += std::snprintf(out + n, size - n, " %s", figure);
    if (a.secondKey && n >= 0 && static_cast<size_t>(n) < size)
        std::snprintf(out + n, size - n, " %s", g_TextMgr.GetText(a.secondKey));
}
