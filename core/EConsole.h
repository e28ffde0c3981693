#pragma once
// The console: every diagnostic is printed through it, kept in a screen buffer of the last 128
// lines and appended to the log "!console.txt" in the start directory; configuration lines and
// typed lines run through its command executor, and every name and value it executes stays as a
// named float variable that other code reads. It also keeps the state of the loading screen
// (steps, stage, animation frame, progress bar) shown while a world loads.
//
// What it shows (the open and closed console, the console bar and the loading screen's picture,
// bar, task text and tips) is decided here and drawn by the installed view (core/ConsoleView.h).
#include <cstdint>
#include <ctime>
#include <span>
#include <string>

#include "core/ConsoleCommand.h"
#include "core/ConsoleView.h"
#include "core/RouteTasks.h"

// One console variable: a node of the console's doubly linked list, newest first.
struct ConsoleVariable {
    static constexpr int kNameSize = 128;  // 127 characters and the terminator
    char name[kNameSize];
    float value;
    // Set when the variable was made by the configuration file; later sets keep it.
    uint8_t flag;
    ConsoleVariable* next;
    ConsoleVariable* prev;
};

class EConsole {
public:
    static constexpr int kOutputLines = 128;
    static constexpr int kOutputLineSize = 80;  // 79 visible characters and the terminator
    static constexpr int kPieceLength = kOutputLineSize - 1;
    static constexpr int kInputLineSize = 80;
    static constexpr int kProgressTotal = 321;
    static constexpr int kHistoryLines = 64;
    static constexpr int kConfigLineMax = 256;
    // The virtual key of the console key (the grave accent).
    static constexpr uint32_t kConsoleKey = 192;
    static constexpr int kOpenLines = 16;
    // The version the open console shows.
    static constexpr const char* kVersion = "Furrow 1.0";

    EConsole();
    virtual ~EConsole();
    // True once the game's console is destroyed at exit: what later destructors would report has
    // nowhere to go then.
    static bool GoneAtExit() { return s_bGoneAtExit; }

    // Start-up: with BackupConsole set, the previous log is first copied to its dated name; in
    // every case it is deleted, and from now on prints are appended to a fresh "!console.txt".
    // False when the fresh log cannot be written (errno tells why).
    bool OpenLog();
    // Shut-down: with BackupConsole set, the log is copied to its dated name and deleted;
    // otherwise it stays. Later prints reach only the screen buffer.
    void CloseLog();
    // Copies "!console.txt" to "!Console Y-M-D at h-m-s.txt" (local time now, no leading zeros;
    // an existing copy of that name is overwritten). False when there was nothing to copy.
    bool BackupLog();
    // The dated copy's name for a local time.
    static std::string DatedLogName(const std::tm& localTime);
    // The console variable BackupConsole is non-zero.
    bool BackupConsoleEnabled() const;

    // Prints one line: the screen buffer scrolls up one line (also for an empty text); a non-empty
    // text is appended whole to the log (at most 256 characters) and put on the screen in pieces of
    // 79 characters (at most 1023 characters in all), each further piece scrolling one line more.
    void Print(const char* text);

    // Formatted prints: each formats its arguments into a line and prints it. A null string
    // prints as "".
    template <class Vec>
    void PrintVector(const char* label, const Vec& v) {
        PrintFormatted("%s(%f, %f, %f)", S(label), v.x, v.y, v.z);
    }
    template <class Vec>
    void PrintStr2Vector(const char* a, const char* b, const Vec& v) {
        PrintFormatted("%s%s(%f, %f, %f)", S(a), S(b), v.x, v.y, v.z);
    }
    template <class Vec>
    void PrintStr3Vector(const char* a, const char* b, const char* c, const Vec& v) {
        PrintFormatted("%s%s%s(%f, %f, %f)", S(a), S(b), S(c), v.x, v.y, v.z);
    }
    void PrintStr2(const char* a, const char* b);
    void PrintStr3(const char* a, const char* b, const char* c);
    void PrintStr4(const char* a, const char* b, const char* c, const char* d);
    void PrintStr5(const char* a, const char* b, const char* c, const char* d, const char* e);
    void PrintFloat(const char* label, float value);
    void PrintDouble(const char* label, double value);
    void PrintFloatAlt(const char* label, float value);
    void PrintInt(const char* label, int value);
    void PrintIntAlt(const char* label, int value);
    void PrintStrFloatStr(const char* a, float value, const char* b);
    void PrintStr2Float(const char* a, const char* b, float value);
    void PrintStr2Int(const char* a, const char* b, int value);
    void PrintStr3Int(const char* a, const char* b, const char* c, int value);
    void PrintStr4Int(const char* a, const char* b, const char* c, const char* d, int value);

    // Screen line i counting back from the newest (0 is the newest line).
    const char* RecentLine(int i) const;

    // Variables. Names compare ignoring ASCII case and keep their first spelling; a name longer
    // than 127 characters is known by its first 127.
    // Adds the variable at the head of the list, or replaces only the value of an existing one.
    void SetVariable(const char* name, float value, uint8_t flag);
    // True with the value when the variable exists; otherwise value becomes 0 and false.
    bool GetVariable(const char* name, float& value) const;
    ConsoleVariable* FindVariable(const char* name) const;
    // Frees every variable (shut-down).
    void FreeVariables();

    // Commands.
    // Runs every "name value" line of the file (silently nothing when it cannot be opened); the
    // variables carry the configuration flag when the file is "qv.cfg". Afterwards the windowed
    // switch forces 800 x 600 and the 2-D scale factors follow the screen size.
    void ExecFile(const char* fileName);
    // ExecFile, but nothing for a missing or empty name.
    void Exec(const char* fileName);
    // Splits the line into its first word and the rest and executes them.
    void ExecuteLine(const char* line);
    // Stores the pair as a variable and applies every command of that name.
    void ExecuteCommand(const char* name, const char* value, uint8_t flag);
    // The command table that ExecuteCommand walks, in the order in which it compares the names;
    // the table outlives the console (app/ installs it before the configuration file runs).
    void InstallCommands(std::span<const ConsoleCommand> table);
    // Re-applies variables at world start and after a device reset. No variable is re-run: the
    // list holds only each value as a float, so a text value (a world, scene or object name, a
    // colour triple) cannot be repeated faithfully, and re-running one-shot commands would pay
    // money, start worlds or delete objects again.
    void ReapplyVariables();

    // Typed input.
    void Open();
    // Closes the console; the engine takes the game keyboard back.
    void Close();
    // Edits the input line; called with every key while the console is open.
    void OnKeyDown(uint32_t virtualKey);
    // Hooks with nothing to do: key up while open, key command 10 going down, and the engine
    // deleting all its objects.
    void OnKeyUp(uint32_t virtualKey);
    void OnCommandKey();
    void OnDeleteAllObjects();
    // Executes the input line (Enter).
    void ProcessTypedLine();

    // The view that draws the console; app/ installs it at start-up (null: nothing is drawn).
    void InstallView(ConsoleView* view);
    // The console bar exists from device creation (and every world start) to device release (and
    // every world end).
    void CreateConsoleBar();
    void ReleaseConsoleBar();
    // Once per rendered frame: the open or closed console; before the game's first frame after a
    // world start (outside the menu) only the loading screen's task text.
    void Draw();
    // Called once per frame by the engine; does nothing.
    void Update();

    // Loading screen, console side.
    // Starts it for a world file: the expected step count is the number of the file's lines that
    // begin with "mesh"; the picture is chosen by the current route's tasks; draws once.
    void ShowLoadingScreen(const char* worldFile);
    // One loaded mesh (not while the menu is active): steps done + 1, stage = done x 8 /
    // (expected + 1) within 0..7; redraws when the stage changes.
    void StepLoadingScreen();
    // Adds n to the progress done counter; redraws while loading is active.
    void AddLoadingProgress(int n);
    // Only while loading is active, the game's frame count is below 199 and the menu is not
    // active, and at most once per 0.5 s of application time: advances the animation frame
    // (0..7, wrapping) and draws one loading frame. True when it drew.
    bool DrawLoadingScreen();
    // Ends the loading screen: its bar is released and loading-active cleared.
    void EndLoadingScreen();
    // The loading screen's picture: drawn full screen, released when the screen closes.
    void DrawTextBox();
    void ReleaseTextBoxRect();
    // Draws the progress bar and finishes the loading frame (ends the scene and presents).
    void DrawProgressBar();
    // The ten tip lines of the current tips group (menu or route task), bottom-aligned above the
    // task text.
    void DrawLoadingTips();
    // The current route's task line, only while loading and outside the menu.
    void DrawTaskText();
    // Clears loading-active, the input line and its cursor.
    void Reset();

    // The bar's fill: 1.4 x done / total within 0..1, done first limited to total.
    float LoadingProgressFraction() const;
    // The picture for a route's tasks ("hud_loading.tga" for none or null).
    static const char* LoadingPictureFor(const RouteTasks* tasks);
    // The text key of the task line (">TD01" ...), or null when there is no task text.
    static const char* LoadingTaskKey(const RouteTasks* tasks, bool gameMode);
    // The tips group character ('0' while the menu is active, '1'..'9' or 'a' by task), or 0 when
    // there are no tips; tip line i (0..9) of group g has the key ">LL" g "T" i.
    static char LoadingTipsGroup(const RouteTasks* tasks, bool menuActive);
    static std::string LoadingTipKey(char group, int line);

    // Output buffer; line kOutputLines - 1 is the newest.
    char m_szOutput[kOutputLines][kOutputLineSize];
    // Console-open flag.
    uint8_t m_bOpen;
    // How many output lines are shown while the console is closed (0..kOutputLines).
    int m_iNumConsoleLines;

    // The variables, newest first.
    ConsoleVariable* m_pZmienne;

    // Typed input line and cursor (0..length); the history of typed lines, slot 0 the current
    // (empty) line, slot 1 the newest entry.
    char m_szInputLine[kInputLineSize];
    int m_iCursor;
    char m_szHistory[kHistoryLines][kInputLineSize];
    int m_iHistoryIndex;

    // Loading screen state.
    uint8_t m_bLoading;
    int m_iLoadingExpected;
    int m_iLoadingDone;
    int m_iLoadingStage;
    int m_iLoadingFrame;          // 0..7; 255 before the first draw
    float m_fLastLoadingDraw;     // application time of the last loading draw
    int m_iProgressDone;
    int m_iProgressTotal;
    const char* m_szLoadingPicture;

private:
    static inline bool s_bGoneAtExit = false;
    static const char* S(const char* s) { return s ? s : ""; }
    void PrintFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void ScrollOutput();
    void InsertCharacter(char c);
    void DeleteCharacter(int at);
    void RecallHistory(int index);
    void PushHistory(const char* line);
    void CompleteName();
    CommandResult RunCommands(const char* name, const char* value, uint8_t flag);
    // Draws one loading frame: picture, bar, tips, task text and the loading screen's share.
    void RenderLoadingFrame();

    bool m_bLogOpen;
    std::span<const ConsoleCommand> m_Commands;
    ConsoleView* m_pView;
};

extern EConsole g_Console;
