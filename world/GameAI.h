#pragma once
// The level logic: the level's named variables and actions.
#include <string>
#include <vector>

class EObjectSlot;

class GameAI {
public:
    // True when the level variable exists and is set; its value goes to value when given.
    bool IsSet(const char* name, int* value = nullptr) const;
    // Sets or clears a variable, making it (a bool) when it does not exist yet; names that are
    // null, empty or begin with a blank are ignored. The object is the one that set or cleared it.
    void SetVariable(const char* name, EObjectSlot* setter);
    void UnsetVariable(const char* name, EObjectSlot* unsetter);

private:
    struct Variable {
        std::string name;
        bool set = false;
    };
    void Store(const char* name, bool set);
    std::vector<Variable> m_Variables;
};

extern GameAI g_GameAI;
