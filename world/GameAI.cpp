#include "world/GameAI.h"

#include "core/StringHelpers.h"

GameAI g_GameAI;

namespace {

bool Named(const char* name) { return name && *name && *name != ' '; }

// The variable of that name (without regard to case) in a table, or null.
template <class Table>
auto* Find(Table& variables, const char* name) {
    for (auto& v : variables)
        if (StrICmp(v.name.c_str(), name) == 0) return &v;
    return static_cast<decltype(&variables[0])>(nullptr);
}

}  // namespace

bool GameAI::IsSet(const char* name, int* value) const {
    const auto* v = Named(name) ? Find(m_Variables, name) : nullptr;
    if (v && value) *value = v->set ? 1 : 0;
    return v && v->set;
}

void GameAI::SetVariable(const char* name, EObjectSlot*) { Store(name, true); }

void GameAI::UnsetVariable(const char* name, EObjectSlot*) { Store(name, false); }

void GameAI::Store(const char* name, bool set) {
    if (!Named(name)) return;
    if (auto* v = Find(m_Variables, name)) v->set = set;
    else m_Variables.push_back({name, set});
}
