#include "world/GameAI.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/CSoundMgr.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/TextLines.h"
#include "world/WorldHooks.h"
#include "world/WorldLine.h"

GameAI g_GameAI;

namespace {

constexpr const char* kScriptFolder = "scripts\\ai";
constexpr const char* kVariablesReport = "!variables.txt";
constexpr uint32_t kDeactivatedFlags = 128;
constexpr int kPreloadSound = 8;

// What a statement does when its chain runs. The conditions come first, in the order a record
// that carries several would test them.
enum Kind {
    kIfSet,
    kIfNotSet,
    kAlwaysFalse,
    kHostileCloser,
    kMeshCloser,
    kMeshFarther,
    kIntGreater,
    kIntLess,
    kCounterGreater,
    kCounterLess,
    kIfHit,
    kLastCondition = kIfHit,
    kStartLevel,
    kSet,
    kUnset,
    kDeactivate,
    kActivate,
    kSetAnim,
    kSetAnimLoop,
    kInc,
    kDec,
    kMusic,
    kSound,
    kAmbientSound,
    kPrint,
    kAttach,
    kKill,
    // Read and kept, never run: objectives, weapons, hostiles, subtitles and the like.
    kStored,
};

// How a statement's words are read.
enum class Args {
    None,       // a switch
    Rest,       // the rest of the line, into a text of the given size
    Name,       // word 1
    ValueName,  // word 1 a number, word 2 a name
    Amount,     // [amount] name
    Names,      // words 1, 2 and 3 as names
    NameValue,  // word 1 a name, word 2 a number
};

struct Statement {
    const char* keywords[3];
    Kind kind;
    Args args;
    size_t size;  // of the text the rest goes to
};

constexpr size_t kName = 64;
constexpr size_t kText128 = 128;
constexpr size_t kText256 = 256;

const Statement kStatements[] = {
    {{"if", "if_set"}, kIfSet, Args::Name, kName},
    {{"ifnot", "if_not", "if_not_set"}, kIfNotSet, Args::Name, kName},
    {{"ifseenbyhostile", "if_seen_by_hostile"}, kAlwaysFalse, Args::None, 0},
    {{"ifactionhostile", "if_action_hostile"}, kAlwaysFalse, Args::None, 0},
    {{"ifhostileblizejniz", "if_hostile_blizej_niz"}, kHostileCloser, Args::ValueName, kName},
    {{"ifmeshblizejniz", "if_mesh_blizej_niz"}, kMeshCloser, Args::ValueName, kName},
    {{"ifmeshdalejniz", "if_mesh_dalej_niz"}, kMeshFarther, Args::ValueName, kName},
    {{"if_int_greater"}, kIntGreater, Args::ValueName, kName},
    {{"if_int_less"}, kIntLess, Args::ValueName, kName},
    {{"iflicznikwiekszyniz", "if_licznik_wiekszy_niz", "if_counter_greater"}, kCounterGreater, Args::ValueName, kName},
    {{"iflicznikmniejszyniz", "if_licznik_mniejszy_niz", "if_counter_less"}, kCounterLess, Args::ValueName, kName},
    {{"ifplayerseenby", "if_player_seen_by"}, kAlwaysFalse, Args::Name, kName},
    {{"ifplayerhas", "if_player_has"}, kAlwaysFalse, Args::Name, kName},
    {{"ifdead", "if_dead"}, kAlwaysFalse, Args::Name, kName},
    {{"if_postrzal"}, kAlwaysFalse, Args::Name, kName},
    {{"ifaction", "if_action"}, kAlwaysFalse, Args::Name, kName},
    {{"if_hit"}, kIfHit, Args::Name, kName},
    {{"startlevel", "start_level", "start_world"}, kStartLevel, Args::Rest, kText128},
    {{"set"}, kSet, Args::Name, kName},
    {{"unset"}, kUnset, Args::Name, kName},
    {{"deactivate"}, kDeactivate, Args::Name, kName},
    {{"activate"}, kActivate, Args::Name, kName},
    {{"set_anim"}, kSetAnim, Args::Names, kName},
    {{"set_anim_loop"}, kSetAnimLoop, Args::Names, kName},
    {{"inc"}, kInc, Args::Amount, kName},
    {{"dec"}, kDec, Args::Amount, kName},
    {{"music"}, kMusic, Args::Rest, kText256},
    {{"sound"}, kSound, Args::Rest, kText256},
    {{"ambient_sound"}, kAmbientSound, Args::Rest, kText256},
    {{"print"}, kPrint, Args::Rest, kText128},
    {{"attach_object"}, kAttach, Args::Names, kName},
    {{"kill_object"}, kKill, Args::Name, kName},
    {{"ifalive", "if_alive"}, kStored, Args::Name, kName},
    {{"if_lost_primary_weapon", "iflostprimaryweapon"}, kStored, Args::None, 0},
    {{"ifweapondrawn", "if_weapon_drawn"}, kStored, Args::None, 0},
    {{"ifweaponhidden", "if_weapon_hidden"}, kStored, Args::None, 0},
    {{"ifgraczblizejniz", "if_gracz_blizej_niz"}, kStored, Args::ValueName, kName},
    {{"ifgraczdalejniz", "if_gracz_dalej_niz"}, kStored, Args::ValueName, kName},
    {{"if_is_primary_objective", "if_is_not_primary_objective"}, kStored, Args::Name, kName},
    {{"if_is_secondary_objective", "if_is_not_secondary_objective"}, kStored, Args::Name, kName},
    {{"if_objective_completed", "if_objective_not_completed"}, kStored, Args::Name, kName},
    {{"add_primary_objective", "add_secondary_objective", "add_hint"}, kStored, Args::Name, kName},
    {{"complete_objective", "remove_objective"}, kStored, Args::Name, kName},
    {{"object_action"}, kStored, Args::Name, kName},
    {{"rocket"}, kStored, Args::Names, kName},
    {{"stop_dialogue"}, kStored, Args::Name, kName},
    {{"kill_character"}, kStored, Args::Name, kName},
    {{"cutscene"}, kStored, Args::Name, kName},
    {{"hostileattack", "hostile_attack"}, kStored, Args::None, 0},
    {{"tnijitems", "tnij_items"}, kStored, Args::None, 0},
    {{"outro"}, kStored, Args::None, 0},
    {{"subtitle0", "subtitle1"}, kStored, Args::Rest, kText128},
    {{"set_corpse_disappear_time"}, kStored, Args::NameValue, kName},
    {{"setfaza", "set_faza"}, kStored, Args::Names, kName},
    {{"setallfaza", "set_all_faza"}, kStored, Args::Names, kName},
    {{"kill_em_all", "kill_them_all"}, kStored, Args::None, 0},
    {{"delete_em_all", "delete_them_all"}, kStored, Args::None, 0},
    {{"zdrowie"}, kStored, Args::Rest, kName},
};

bool Named(const char* name) { return name && *name && *name != ' '; }

// A script text copied into its field: a longer one is cut to the field, and the console says so.
void CopyText(char* out, size_t size, const char* text, const char* keyword) {
    if (std::strlen(text) >= size) g_Console.PrintStr3("GameAI: ", keyword, " cut to its field");
    std::snprintf(out, size, "%s", text);
}
template <size_t N>
void CopyText(char (&out)[N], const char* text, const char* keyword) {
    CopyText(out, N, text, keyword);
}

const Statement* FindStatement(const char* line) {
    for (const Statement& s : kStatements)
        for (const char* keyword : s.keywords)
            if (keyword && IsKeyword(line, keyword)) return &s;
    return nullptr;
}

// The arguments of a statement line into its record.
void ReadArguments(strakcje& r, const Statement& s, const char* line) {
    char keyword[kScriptLineMax];
    std::snprintf(keyword, sizeof keyword, "%s", GetWord(line, 0));
    char word[3][kScriptLineMax];
    for (int i = 0; i < 3; ++i) std::snprintf(word[i], sizeof word[i], "%s", GetWord(line, i + 1));
    switch (s.args) {
        case Args::None: break;
        case Args::Rest: CopyText(r.m_szText, s.size, GetKeywordValue(line), keyword); break;
        case Args::Name: CopyText(r.m_szText, s.size, word[0], keyword); break;
        case Args::ValueName:
            r.m_fValue = ParseFloat(word[0]);
            r.m_iValue = ParseInt(word[0]);
            CopyText(r.m_szText, s.size, word[1], keyword);
            break;
        case Args::Amount: {
            // "inc name" adds 1; "inc 5 name" adds 5.
            const bool amount = word[1][0] != 0;
            r.m_iValue = amount ? ParseInt(word[0]) : 1;
            CopyText(r.m_szText, s.size, amount ? word[1] : word[0], keyword);
            break;
        }
        case Args::Names:
            CopyText(r.m_szText, s.size, word[0], keyword);
            CopyText(r.m_szName2, word[1], keyword);
            CopyText(r.m_szName3, word[2], keyword);
            break;
        case Args::NameValue:
            CopyText(r.m_szText, s.size, word[0], keyword);
            r.m_fValue = ParseFloat(word[1]);
            break;
    }
}

struct LevelFlag {
    const char* keyword;
    uint8_t strai::*field;
};
const LevelFlag kLevelFlags[] = {
    {"no_water_specular", &strai::m_bNoWaterSpecular}, {"no_stats", &strai::m_bNoStats},
    {"no_clip", &strai::m_bNoClip},                    {"clear_weapons", &strai::m_bClearWeapons},
    {"High_Auto_Map", &strai::m_bHighAutoMap},         {"ex_intro", &strai::m_bIntro},
    {"poglos", &strai::m_bEcho},                       {"winter", &strai::m_bWinter},
    {"rain", &strai::m_bRain},
};

template <size_t N>
struct LevelText {
    const char* keyword;
    char (strai::*field)[N];
};
const LevelText<128> kLevelTexts128[] = {
    {"loading_screen", &strai::m_szLoadingPicture},
    {"lensflare", &strai::m_szLensFlare},
    {"level_d", &strai::m_szWorldLabel},
};

struct LevelValue {
    const char* keyword;
    float strai::*field;
};
const LevelValue kLevelValues[] = {
    {"MnoznikWidzeniaPostaci", &strai::m_fCharacterVisibility},
    {"Mnoznik_Widzenia_Postaci", &strai::m_fCharacterVisibility},
    {"Light_Power_Multiplier", &strai::m_fLightPowerMultiplier},
};

float DistanceFromCamera(const EObjectSlot& o) {
    const DV d = o.m_vPosition - g_Camera.m_vPosition;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

}  // namespace

GameAI::GameAI() : m_szHits{}, m_pCache{} {}

GameAI::~GameAI() = default;

void GameAI::Initialize() {
    m_Variables.clear();
    m_uCacheCount = 0;
    m_pCurrentLevel = nullptr;
    LoadScripts();
    m_bEnabled = 0;
}

void GameAI::LoadScripts() {
    for (const std::string& name : plat::ListDirectory(kScriptFolder, "*.txt")) {
        if (name[0] == '.') continue;
        char path[512];
        std::snprintf(path, sizeof path, "%s\\%s", kScriptFolder, name.c_str());
        ReadScript(path);
    }
}

void GameAI::ReadScript(const char* path) {
    std::vector<char> bytes;
    if (!plat::ReadFileBytes(path, bytes)) return;
    ReadScriptText(std::string_view(bytes.data(), bytes.size()));
}

void GameAI::ReadScriptText(std::string_view text) {
    // Every file starts outside any level and action.
    m_pReadLevel = nullptr;
    m_pCurrentRecord = nullptr;
    TextLines lines(text, kLineLimit);
    char line[kLineLimit + 1];
    while (lines.NextScriptLine(line, sizeof line)) {
        size_t end = std::strlen(line);
        while (end && line[end - 1] == ' ') line[--end] = 0;
        ReadLine(line);
    }
    m_pReadLevel = nullptr;
    m_pCurrentRecord = nullptr;
}

void GameAI::ReadLine(const char* line) {
    if (ReadDeclaration(line) || ReadLevelProperty(line) || ReadActionStart(line)) return;
    ReadStatement(line);
}

bool GameAI::ReadDeclaration(const char* line) {
    if (IsKeyword(line, "blyski_postaci")) m_bCharacterFlashes = 1;
    else if (IsKeyword(line, "bool")) Declare(GetWord(line, 1), strzmienne::kBool, true);
    else if (IsKeyword(line, "licznik") || IsKeyword(line, "counter")) Declare(GetWord(line, 1), strzmienne::kCounter, false);
    else if (IsKeyword(line, "int")) Declare(GetWord(line, 1), strzmienne::kInteger, false);
    else return false;
    return true;
}

bool GameAI::ReadLevelProperty(const char* line) {
    if (IsKeyword(line, "level")) {
        m_Levels.push_back(std::make_unique<strai>());
        m_pReadLevel = m_Levels.back().get();
        CopyText(m_pReadLevel->m_szName, GetKeywordValue(line), "level");
        m_pCurrentRecord = nullptr;
        return true;
    }
    strai* level = m_pReadLevel;
    auto property = [&](bool matched) {
        // A property before any level line has no level to go to.
        if (matched && !level && g_Settings.m_iDebug > 0) g_Console.PrintStr2("GameAI: no level for ", line);
        return matched;
    };
    for (const LevelFlag& f : kLevelFlags)
        if (IsKeyword(line, f.keyword)) {
            if (level) level->*f.field = 1;
            return property(true);
        }
    for (const LevelText<128>& t : kLevelTexts128)
        if (IsKeyword(line, t.keyword)) {
            if (level) CopyText(level->*t.field, GetKeywordValue(line), t.keyword);
            return property(true);
        }
    for (const LevelValue& v : kLevelValues)
        if (IsKeyword(line, v.keyword)) {
            if (level) level->*v.field = ParseFloat(GetKeywordValue(line));
            return property(true);
        }
    if (IsKeyword(line, "wyswietlacz_strzelania")) {
        if (level) CopyText(level->m_szShotDisplay, GetKeywordValue(line), "wyswietlacz_strzelania");
        return property(true);
    }
    if (IsKeyword(line, "level_music")) {
        if (level) CopyText(level->m_szMusic, GetKeywordValue(line), "level_music");
        return property(true);
    }
    if (IsKeyword(line, "map")) {
        if (level) CopyText(level->m_szMap, GetKeywordValue(line), "map");
        return property(true);
    }
    if (IsKeyword(line, "na_edytor")) {
        if (level && !level->m_Records.empty()) level->m_Records.back()->m_bEditorOnly = 1;
        return property(true);
    }
    return false;
}

bool GameAI::ReadActionStart(const char* line) {
    const bool once = IsKeyword(line, "action_once");
    const bool editor = IsKeyword(line, "editor_action");
    if (!once && !editor && !IsKeyword(line, "action")) return false;
    m_pCurrentRecord = nullptr;
    if (!m_pReadLevel) {
        if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("GameAI: no level for ", line);
        return true;
    }
    strakcje* r = NewRecord();
    CopyText(r->m_szActionName, GetWord(line, 1), "action");
    r->m_bOnce = once;
    r->m_bEditorOnly = editor;
    m_pCurrentRecord = r;
    return true;
}

void GameAI::ReadStatement(const char* line) {
    const Statement* s = FindStatement(line);
    if (!s) return;
    // A statement before any action line belongs to no chain and is dropped.
    if (!m_pCurrentRecord) {
        if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("GameAI: no action for ", line);
        return;
    }
    strakcje* r = m_pCurrentRecord;
    if (r->m_iStatement >= 0) {
        r = NewRecord();
        m_pCurrentRecord->m_pNext = r;
        m_pCurrentRecord = r;
    }
    r->m_iStatement = static_cast<int32_t>(s - kStatements);
    ReadArguments(*r, *s, line);
}

strakcje* GameAI::NewRecord() {
    m_pReadLevel->m_Records.push_back(std::make_unique<strakcje>());
    return m_pReadLevel->m_Records.back().get();
}

void GameAI::Declare(const char* name, uint32_t type, bool onlyWhenMissing) {
    if (!Named(name)) return;
    if (onlyWhenMissing && FindVariable(name)) return;
    auto v = std::make_unique<strzmienne>();
    CopyText(v->m_szName, name, "variable");
    v->m_uType = type;
    m_Variables.push_back(std::move(v));
    // A newer record of the same name hides the older one from now on.
    m_uCacheCount = 0;
}

strai* GameAI::FindLevel(const char* name) const {
    if (!name) return nullptr;
    for (auto it = m_Levels.rbegin(); it != m_Levels.rend(); ++it)
        if (StrICmp((*it)->m_szName, name) == 0) return it->get();
    return nullptr;
}

void GameAI::SelectWorldScript() {
    m_pCurrentLevel = FindLevel(g_Engine.m_szStartingWorld);
    if (m_pCurrentLevel) {
        CopyText(g_Settings.m_szLevelScriptName, m_pCurrentLevel->m_szName, "level");
        m_bWinter = m_pCurrentLevel->m_bWinter;
        g_Settings.m_fLightPowerMultiplier = m_pCurrentLevel->m_fLightPowerMultiplier;
    }
    for (const auto& level : m_Levels) {
        const auto& records = level->m_Records;
        for (size_t a = 0; a < records.size(); ++a) {
            if (!records[a]->m_bOnce || !records[a]->m_szActionName[0]) continue;
            for (size_t b = a + 1; b < records.size(); ++b) {
                if (!records[b]->m_bOnce || StrICmp(records[a]->m_szActionName, records[b]->m_szActionName) != 0)
                    continue;
                g_Console.PrintStr2("Swiat: ", level->m_szName);
                g_Console.PrintStr4("Porownuje ", records[a]->m_szActionName, " z ", records[b]->m_szActionName);
                g_Console.Print(" *** Identyczne!");
            }
        }
    }
}

void GameAI::PreloadActionSounds() {
    if (m_pCurrentLevel) {
        const auto& records = m_pCurrentLevel->m_Records;
        for (size_t i = 0; i < records.size(); ++i) {
            const strakcje& r = *records[i];
            const Kind kind = r.m_iStatement >= 0 ? kStatements[r.m_iStatement].kind : kStored;
            if (kind == kMusic && std::strstr(r.m_szText, ".wav") && r.m_szText[0] != '*')
                g_Engine.PreloadResource(r.m_szText, kPreloadSound);
            if (kind == kSound && r.m_szText[0]) g_Engine.PreloadResource(r.m_szText, kPreloadSound);
            if (!r.m_szActionName[0]) continue;
            for (size_t j = i + 1; j < records.size(); ++j)
                if (StrICmp(r.m_szActionName, records[j]->m_szActionName) == 0) {
                    g_Console.PrintStr2("*** Error! Repeated AI action name ", r.m_szActionName);
                    break;
                }
        }
    }
    m_bEnabled = 0;
}

void GameAI::Update() {
    if (!m_bEnabled || !m_pCurrentLevel || g_WorldHooks.levelFrame() < kFirstUpdateFrame) return;
    m_uScreenWidth = static_cast<uint32_t>(g_Settings.m_iScreenWidth);
    m_uScreenHeight = static_cast<uint32_t>(g_Settings.m_iScreenHeight);
    m_fFrameTime = g_Engine.m_fFrameTime;
    for (auto& v : m_Variables)
        if (v->m_uType == strzmienne::kCounter) v->m_fCounter += m_fFrameTime;
    auto& records = m_pCurrentLevel->m_Records;
    // Newest first; an action may start another world, which leaves the records as they are
    // until the end of the frame.
    for (size_t i = records.size(); i-- > 0;) {
        strakcje* r = records[i].get();
        if (!r->m_szActionName[0] || r->m_bEditorOnly || (r->m_bOnce && r->m_bDone)) continue;
        const bool completed = ExecuteAction(r);
        if (r->m_bOnce) r->m_bDone = completed;
    }
    std::memset(m_szHits, 0, sizeof m_szHits);
}

void GameAI::RunActionByName(const char* name) {
    if (!m_pCurrentLevel || !name || g_WorldHooks.levelFrame() < kFirstNamedActionFrame) return;
    auto& records = m_pCurrentLevel->m_Records;
    for (size_t i = records.size(); i-- > 0;)
        if (records[i]->m_szActionName[0] && StrICmp(records[i]->m_szActionName, name) == 0)
            ExecuteAction(records[i].get());
}

bool GameAI::ExecuteAction(strakcje* record) {
    for (strakcje* r = record; r; r = r->m_pNext) {
        if (r->m_iStatement < 0) continue;
        const Kind kind = kStatements[r->m_iStatement].kind;
        if (kind <= kLastCondition) {
            if (!ConditionHolds(*r)) return false;
            continue;
        }
        if (kind == kStartLevel && r->m_szText[0]) {
            g_Engine.RequestStartWorld(r->m_szText);
            return true;
        }
        PerformEffect(*r);
    }
    return true;
}

// A value test whose value says "no test" holds, as a record without a condition does.
bool GameAI::ConditionHolds(const strakcje& r) {
    const strzmienne* v = nullptr;
    switch (kStatements[r.m_iStatement].kind) {
        case kIfSet:
            v = FindVariable(r.m_szText);
            return !r.m_szText[0] || (v && v->m_bSet);
        case kIfNotSet:
            v = FindVariable(r.m_szText);
            return !r.m_szText[0] || (v && !v->m_bSet);
        case kAlwaysFalse: return false;
        case kHostileCloser: return r.m_fValue <= 1.0f;
        case kMeshCloser: return r.m_fValue <= 1.0f || IsObjectCloserThan(r.m_fValue, r.m_szText);
        case kMeshFarther: return r.m_fValue <= 1.0f || IsObjectFartherThan(r.m_fValue, r.m_szText);
        case kIntGreater:
            v = FindVariable(r.m_szText);
            return r.m_iValue == 0 || (v && v->m_iInteger > r.m_iValue);
        case kIntLess:
            v = FindVariable(r.m_szText);
            return r.m_iValue == 0 || (v && v->m_iInteger < r.m_iValue);
        case kCounterGreater:
            v = FindVariable(r.m_szText);
            return r.m_fValue <= 0.001f || !v || v->m_fCounter > r.m_fValue;
        case kCounterLess:
            v = FindVariable(r.m_szText);
            return r.m_fValue <= 0.001f || !v || v->m_fCounter < r.m_fValue;
        case kIfHit: return !r.m_szText[0] || WasHit(r.m_szText);
        default: return true;
    }
}

void GameAI::PerformEffect(const strakcje& r) {
    const char* text = r.m_szText;
    switch (kStatements[r.m_iStatement].kind) {
        case kSet: SetVariable(text, nullptr); break;
        case kUnset: UnsetVariable(text, nullptr); break;
        case kDeactivate: Deactivate(text); break;
        case kActivate: Activate(text); break;
        case kSetAnim: SetAnimation(r, false); break;
        case kSetAnimLoop: SetAnimation(r, true); break;
        case kInc: SetInteger(text, r.m_iValue); break;
        case kDec: SetInteger(text, -r.m_iValue); break;
        case kMusic:
            if (text[0] == '*') g_WorldHooks.mainGamePlayMusic(nullptr);
            else if (text[0]) g_WorldHooks.mainGamePlayMusic(text);
            break;
        case kSound:
            if (text[0]) g_SoundMgr.PlaySound2D(text, 1.0f, 0);
            break;
        case kAmbientSound:
            if (text[0] == '*') g_EngineObject.SetAmbientSound("", 0);
            else if (text[0]) g_EngineObject.SetAmbientSound(text, 1.0f);
            break;
        case kPrint: g_Console.Print(text); break;
        case kAttach: {
            if (g_Settings.m_iDebug > 0) {
                char line[512];
                std::snprintf(line, sizeof line, "Attachuje %s do %s na sokecie %s", text, r.m_szName2, r.m_szName3);
                g_Console.Print(line);
            }
            EObjectSlot* o = g_Engine.FindObject(text, false);
            if (!o) {
                g_Console.PrintStr2("GameAI.attach_object can't find object ", text);
                break;
            }
            g_Engine.TieToSocket(o, true, r.m_szName2, r.m_szName3);
            break;
        }
        case kKill: {
            EObjectSlot* o = g_Engine.FindObject(text, false);
            if (!o) g_Console.PrintStr2("GameAI.kill_object can't find object ", text);
            else g_EngineObject.HandleDeath(o);
            break;
        }
        default: break;
    }
}

void GameAI::SetInteger(const char* name, int32_t delta) {
    strzmienne* v = FindVariable(name);
    if (!v) return;
    v->m_iInteger += delta;
    if (g_Settings.m_iDebug > 1) g_Console.PrintStr3Int(name, " zwiekszam o ", "", delta);
}

void GameAI::SetAnimation(const strakcje& r, bool loop) {
    EObjectSlot* o = g_Engine.FindObject(r.m_szText, false);
    if (!o) {
        g_Console.PrintStr3("Object to set anim ", r.m_szText, " NOT found!");
        return;
    }
    if (!o->SkinMesh()) {
        g_Console.PrintStr3("Object to set anim ", r.m_szText, " is NOT a skinmesh!");
        return;
    }
    g_Engine.SetObjectAnimation(o, r.m_szName2, loop, 0);
    if (g_Settings.m_iDebug > 1) g_Console.PrintStr4("Anim ", r.m_szName2, " set to ", r.m_szText);
}

void GameAI::SetVariable(const char* name, EObjectSlot* setter) { Store(name, setter, true); }

void GameAI::UnsetVariable(const char* name, EObjectSlot* unsetter) { Store(name, unsetter, false); }

void GameAI::Store(const char* name, EObjectSlot* who, bool set) {
    if (!Named(name)) return;
    const char* verb = set ? " SET by " : " UNSET by ";
    if (who && StrICmp(name, "wymus_muzyke") == 0) g_Console.PrintStr3("wymus_muzyke", verb, who->m_szName);
    if (who && StrICmp(name, "zabron_muzyke") == 0) g_Console.PrintStr3("zabron_muzyke", verb, who->m_szName);
    strzmienne* v = FindVariable(name);
    if (!v) {
        Declare(name, strzmienne::kBool, false);
        v = FindVariable(name);
        if (!v) return;
    }
    switch (v->m_uType) {
        case strzmienne::kCounter: v->m_fCounter = 0; break;
        case strzmienne::kInteger: v->m_iInteger = 0; break;
        default: v->m_bSet = set; break;
    }
    (set ? v->m_pSetter : v->m_pUnsetter) = who;
    const char* word = set ? "set" : "unset";
    if (g_Settings.m_iDebug > 0) {
        if (who) g_Console.PrintStr5("zmienna ", v->m_szName, " ", word, (std::string(" by ") + who->m_szName).c_str());
        else g_Console.PrintStr4("zmienna ", v->m_szName, " ", (std::string(word) + "!").c_str());
    }
    if (g_Settings.m_bRaportVariables) {
        char line[256];
        if (who) std::snprintf(line, sizeof line, "zmienna %s %s by %s", v->m_szName, word, who->m_szName);
        else std::snprintf(line, sizeof line, "zmienna %s %s", v->m_szName, word);
        LogError(line, kVariablesReport);
    }
}

bool GameAI::IsSet(const char* name, EObjectSlot** setter) {
    strzmienne* v = Named(name) ? FindVariable(name) : nullptr;
    if (v && setter) *setter = v->m_pSetter;
    return v && v->m_bSet;
}

bool GameAI::IsVariableSet(const char* name) {
    const strzmienne* v = Named(name) ? FindVariable(name) : nullptr;
    return v && v->m_bSet;
}

strzmienne* GameAI::FindVariable(const char* name) {
    if (!name || !*name) return nullptr;
    for (uint32_t i = 0; i < m_uCacheCount; ++i)
        if (CharEqualsNoCase(m_pCache[i]->m_szName[0], name[0]) && StrICmp(m_pCache[i]->m_szName, name) == 0)
            return m_pCache[i];
    for (auto it = m_Variables.rbegin(); it != m_Variables.rend(); ++it)
        if (StrICmp((*it)->m_szName, name) == 0) {
            if (m_uCacheCount < kCacheSize) m_pCache[m_uCacheCount++] = it->get();
            return it->get();
        }
    return nullptr;
}

void GameAI::ResetVariables() {
    for (auto& v : m_Variables) {
        v->m_bSet = 0;
        v->m_fCounter = 0;
        v->m_iInteger = 0;
        v->m_pSetter = v->m_pUnsetter = nullptr;
    }
    m_uCacheCount = 0;
    // The objects go with the world whose resources are released.
    m_Deactivated.clear();
}

void GameAI::RegisterHit(const char* objectName) {
    if (!objectName) return;
    for (auto& slot : m_szHits) {
        if (slot[0]) continue;
        std::snprintf(slot, sizeof slot, "%s", objectName);
        if (g_Settings.m_iDebug > 2) g_Console.PrintStr2("GameAI zarejestrowalo trafienie obiektu ", objectName);
        return;
    }
    if (g_Settings.m_iDebug > 2) g_Console.PrintStr3("obiekt ", objectName, " postrzelony NIE zarejestrowany - OVERFLOW");
}

bool GameAI::WasHit(const char* objectName) const {
    if (!objectName || !*objectName) return false;
    for (const auto& slot : m_szHits)
        if (slot[0] && StrICmp(slot, objectName) == 0) {
            if (g_Settings.m_iDebug > 2) g_Console.PrintStr3("Sprawdzono postrzal obiektu ", objectName, " - TRUE!");
            return true;
        }
    return false;
}

void GameAI::Deactivate(const char* objectName) {
    EObjectSlot* o = objectName ? g_Engine.FindObject(objectName, false) : nullptr;
    if (!o) {
        g_Console.PrintStr2("GameAI.Deactivate can't find object ", objectName ? objectName : "");
        return;
    }
    for (const Deactivated& d : m_Deactivated)
        if (d.object == o) return;
    m_Deactivated.push_back({o, o->m_uFlags});
    g_Engine.SetObjectFlags(o, kDeactivatedFlags, ~0u);
}

void GameAI::Activate(const char* objectName) {
    EObjectSlot* o = objectName ? g_Engine.FindObject(objectName, false) : nullptr;
    if (!o) {
        g_Console.PrintStr2("GameAI.Activate can't find object ", objectName ? objectName : "");
        return;
    }
    for (auto it = m_Deactivated.begin(); it != m_Deactivated.end(); ++it)
        if (it->object == o) {
            g_Engine.SetObjectFlags(o, it->flags, ~0u);
            m_Deactivated.erase(it);
            return;
        }
}

bool GameAI::IsObjectCloserThan(float distance, const char* objectName) {
    const EObjectSlot* o = Named(objectName) ? g_Engine.FindObject(objectName, false) : nullptr;
    return o && DistanceFromCamera(*o) < distance;
}

bool GameAI::IsObjectFartherThan(float distance, const char* objectName) {
    const EObjectSlot* o = Named(objectName) ? g_Engine.FindObject(objectName, false) : nullptr;
    return o && DistanceFromCamera(*o) > distance;
}
