#pragma once
// The level logic: the named variables the whole game shares, and the level scripts
// ("scripts\ai\*.txt") whose actions run every frame of a level. An action is a chain of
// statements: conditions that must hold, then effects (variables, counters, animations, music,
// sounds, objects, another world).
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class EObjectSlot;

// A level variable.
struct strzmienne {
    static constexpr uint32_t kBool = 0;
    static constexpr uint32_t kCounter = 1;
    static constexpr uint32_t kInteger = 2;

    char m_szName[64] = {};
    uint32_t m_uType = kBool;
    uint8_t m_bSet = 0;
    // Seconds: a counter grows by the frame time every update.
    float m_fCounter = 0;
    int32_t m_iInteger = 0;
    EObjectSlot* m_pSetter = nullptr;
    EObjectSlot* m_pUnsetter = nullptr;
};

// One statement of an action chain. The first record of a chain carries the action's name.
struct strakcje {
    char m_szActionName[64] = {};
    uint8_t m_bEditorOnly = 0;
    uint8_t m_bOnce = 0;
    uint8_t m_bDone = 0;
    // What the statement is (an index into the reader's statement table; -1 none yet).
    int32_t m_iStatement = -1;
    // Its arguments: up to three texts, a number and a whole number.
    char m_szText[256] = {};
    char m_szName2[64] = {};
    char m_szName3[64] = {};
    float m_fValue = 0;
    int32_t m_iValue = 0;
    strakcje* m_pNext = nullptr;
};

// A level: the properties of one world and its statements, in reading order.
struct strai {
    char m_szName[128] = {};
    char m_szLoadingPicture[128] = "misc\\loading\\loading1.bmp";
    uint8_t m_bIntro = 0;
    char m_szWorldLabel[128] = {};
    char m_szLensFlare[128] = {};
    char m_szMusic[256] = {};
    char m_szShotDisplay[64] = {};
    uint8_t m_bNoClip = 0, m_bNoStats = 0, m_bClearWeapons = 0, m_bHighAutoMap = 0;
    float m_fCharacterVisibility = 1.0f;
    uint8_t m_bEcho = 0, m_bNoWaterSpecular = 0;
    char m_szMap[130] = {};
    float m_fLightPowerMultiplier = 1.0f;
    uint8_t m_bWinter = 0, m_bRain = 0;
    std::vector<std::unique_ptr<strakcje>> m_Records;
};

class GameAI {
public:
    static constexpr int kHitSlots = 32;
    static constexpr int kCacheSize = 256;
    static constexpr int kLineLimit = 510;
    // Frames the main game counts before the level logic runs, and before named actions do.
    static constexpr uint32_t kFirstUpdateFrame = 150;
    static constexpr uint32_t kFirstNamedActionFrame = 12;

    GameAI();
    ~GameAI();
    GameAI(const GameAI&) = delete;
    GameAI& operator=(const GameAI&) = delete;

    // Forgets the variables and the current level, reads the scripts, and waits to be enabled.
    void Initialize();
    // Every "scripts\ai\*.txt", in name order ignoring case: a level read later is found first.
    void LoadScripts();
    void ReadScript(const char* path);
    // The reader itself, over a script's text.
    void ReadScriptText(std::string_view text);
    // The level of the world that starts becomes current; its name, light multiplier and winter
    // flag go to the settings.
    void SelectWorldScript();
    // The sounds and wave music of the current level, loaded ahead; evaluation stays off until
    // the main game enables it.
    void PreloadActionSounds();
    // One frame of the level logic (enabled, a level current, from frame 150 of the world).
    void Update();
    // Runs every action of the current level with that name (from frame 12 of the world).
    void RunActionByName(const char* name);
    // Runs a chain from the record; true when it ran to its end.
    bool ExecuteAction(strakcje* record);

    // Sets or clears a variable, making it (a bool) when it does not exist yet; names that are
    // null, empty or begin with a blank are ignored. The object is the one that set or cleared it.
    void SetVariable(const char* name, EObjectSlot* setter);
    void UnsetVariable(const char* name, EObjectSlot* unsetter);
    // True when the variable exists and is set; its setter goes to setter when given.
    bool IsSet(const char* name, EObjectSlot** setter = nullptr);
    bool IsVariableSet(const char* name);
    strzmienne* FindVariable(const char* name);
    // Every variable back to clear, zero and no setter.
    void ResetVariables();

    // The objects hit by a shot this frame.
    void RegisterHit(const char* objectName);
    bool WasHit(const char* objectName) const;

    // An object taken out of the world (flags 128) and put back with its flags.
    void Deactivate(const char* objectName);
    void Activate(const char* objectName);
    // The object's distance from the camera, strictly below or above the distance; false without
    // a name or an object.
    bool IsObjectCloserThan(float distance, const char* objectName);
    bool IsObjectFartherThan(float distance, const char* objectName);

    strai* CurrentLevel() const { return m_pCurrentLevel; }
    const std::vector<std::unique_ptr<strai>>& Levels() const { return m_Levels; }
    strai* FindLevel(const char* name) const;

    char m_szHits[kHitSlots][64];
    uint32_t m_uScreenWidth = 0;
    uint32_t m_uScreenHeight = 0;
    uint8_t m_bWinter = 0;
    uint8_t m_bEnabled = 0;
    float m_fFrameTime = 0;
    uint8_t m_bCharacterFlashes = 0;

private:
    struct Deactivated {
        EObjectSlot* object;
        uint32_t flags;
    };

    void ReadLine(const char* line);
    bool ReadDeclaration(const char* line);
    bool ReadLevelProperty(const char* line);
    bool ReadActionStart(const char* line);
    void ReadStatement(const char* line);
    strakcje* NewRecord();
    bool ConditionHolds(const strakcje& r);
    void PerformEffect(const strakcje& r);
    void SetInteger(const char* name, int32_t delta);
    void SetAnimation(const strakcje& r, bool loop);
    void Declare(const char* name, uint32_t type, bool onlyWhenMissing);
    void Store(const char* name, EObjectSlot* who, bool set);

    std::vector<std::unique_ptr<strzmienne>> m_Variables;
    strzmienne* m_pCache[kCacheSize];
    uint32_t m_uCacheCount = 0;
    std::vector<std::unique_ptr<strai>> m_Levels;
    strai* m_pCurrentLevel = nullptr;
    // While reading: the level being read and the last record of its current chain (null when
    // no action is open).
    strai* m_pReadLevel = nullptr;
    strakcje* m_pCurrentRecord = nullptr;
    std::vector<Deactivated> m_Deactivated;
};

extern GameAI g_GameAI;
