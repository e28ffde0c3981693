#pragma once
// The level logic: the level's named variables and actions.
class GameAI {
public:
    // True when the level variable exists and is set; its value goes to value when given.
    bool IsSet(const char* name, int* value = nullptr) const;
};

extern GameAI g_GameAI;
