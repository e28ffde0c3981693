#pragma once
// The nine achievements in the order the achievements page lists them. One table feeds both the
// rules that grant them and the texts that name them, so a page line never shows another figure
// than the one the rule asks for.
#include <cstddef>
#include <cstdint>

#include "game/CProfileMgr.h"

struct Achievement {
    // How the goal appears in the caption after the first key's text.
    enum class Figure { None, Count, Dollars, Hours, LapTime };

    uint8_t ProfileAchievements::*flag;
    const char* key;
    const char* secondKey;  // null when the caption has one key
    Figure figure;
    // The goal: a count, dollars or seconds.
    float goal;
    const char* textKey;
};

enum AchievementId : uint32_t {
    kAchMachines,
    kAchAllRoutes,
    kAchMoney,
    kAchPlayTime,
    kAchRaceTime,
    kAchOvertakes,
    kAchHens,
    kAchRoute10,
    kAchRoute21,
    kAchievementCount
};

extern const Achievement kAchievements[kAchievementCount];

// The caption: the key's text, the figure, the second key's text. A line of the page for an
// achievement not yet granted reads its first key with "n" appended.
void FormatAchievement(const Achievement& a, bool granted, char* out, size_t size);
