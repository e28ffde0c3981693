#include "core/EConsole.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/CoreHooks.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/QueryAppTimer.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"

EConsole g_Console;

namespace {

constexpr const char* kLogName = "!console.txt";
constexpr int kWorkBufferSize = 1024;
constexpr int kLoadingFrames = 8;
constexpr uint32_t kLoadingFrameLimit = 199;
constexpr float kLoadingRedrawInterval = 0.5f;
constexpr int kWorldLineMax = 512;
constexpr const char* kVariableTag = "m_pZmienne";
constexpr const char* kConfigFile = "qv.cfg";
constexpr int kValueSize = kScriptLineMax;
constexpr int kLastHistorySlot = EConsole::kHistoryLines - 1;
constexpr int kInputMaxLength = EConsole::kInputLineSize - 1;

// Virtual keys of the input line.
constexpr uint32_t kKeyBackspace = 8;
constexpr uint32_t kKeyTab = 9;
constexpr uint32_t kKeyEnter = 13;
constexpr uint32_t kKeyLeft = 37;
constexpr uint32_t kKeyUp = 38;
constexpr uint32_t kKeyRight = 39;
constexpr uint32_t kKeyDown = 40;
constexpr uint32_t kKeyDelete = 46;
constexpr uint32_t kKeyScreenshot = 119;  // F8

// The loading screen's texts, in the 1024 x 768 layout.
constexpr float kTextLeft = 80.0f;
constexpr float kTaskTextTop = 692.0f;
constexpr float kTaskTextSize = 18.0f;
constexpr uint32_t kTaskTextColour = 0xFFD9D5BF;
constexpr float kTipsBottom = 658.0f;
constexpr float kMenuTipsBottom = 698.0f;
constexpr float kTipSpacing = 26.0f;
constexpr float kTipSize = 22.0f;
constexpr uint32_t kTipColour = 0xFFFFFFFF;
constexpr int kTipLines = 10;

// The view while none is installed: it draws nothing.
ConsoleView g_NoView;

// Copies at most size - 1 characters and always terminates.
void CopyBounded(char* out, size_t size, const char* text) {
    size_t length = text ? strnlen(text, size - 1) : 0;
    if (length) std::memcpy(out, text, length);
    out[length] = 0;
}

// A command line's first word (up to the first blank or tab, at most 127 characters) and the rest
// of the line after it.
struct CommandParts {
    char name[ConsoleVariable::kNameSize];
    char value[kValueSize];
};

void SplitCommandLine(const char* line, CommandParts& parts) {
    if (!line) line = "";
    size_t length = std::strcspn(line, " \t");
    if (length >= sizeof parts.name) length = sizeof parts.name - 1;
    std::memcpy(parts.name, line, length);
    parts.name[length] = 0;
    CopyBounded(parts.value, sizeof parts.value, GetKeywordValue(line));
}

// The character a virtual key types into the input line, or 0.
char TypedCharacter(uint32_t key) {
    if (key == 190) return '.';
    if (key == 189) return '-';
    if (key == 220) return '\\';
    if (key >= 'A' && key <= 'Z') return static_cast<char>(key - 'A' + 'a');
    if (key == 32 || key == 45 || (key >= '0' && key <= '9') || key == 92) return static_cast<char>(key);
    return 0;
}

// True when name begins with prefix, ASCII letters compared ignoring case.
bool StartsWithNoCase(const char* name, const char* prefix) {
    for (; *prefix; ++name, ++prefix)
        if (!*name || !CharEqualsNoCase(*name, *prefix)) return false;
    return true;
}

// Reads one whole line of the file into the buffer, without its line feed. False at the end of
// the file. A line longer than the buffer is consumed whole and reported as overlong.
bool ReadWholeLine(FILE* file, char* buffer, size_t size, bool& overlong) {
    size_t length = 0;
    overlong = false;
    int c = std::fgetc(file);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = std::fgetc(file)) {
        if (length + 1 < size) buffer[length++] = static_cast<char>(c);
        else overlong = true;
    }
    buffer[length] = 0;
    return true;
}

}  // namespace

EConsole::EConsole()
    : m_szOutput{}, m_bOpen(0), m_iNumConsoleLines(5), m_pZmienne(nullptr), m_szInputLine{}, m_iCursor(0),
      m_szHistory{}, m_iHistoryIndex(0), m_bLoading(0), m_iLoadingExpected(0), m_iLoadingDone(0), m_iLoadingStage(0), m_iLoadingFrame(255),
      m_fLastLoadingDraw(0), m_iProgressDone(0), m_iProgressTotal(kProgressTotal),
      m_szLoadingPicture("hud_loading.tga"), m_bLogOpen(false), m_pView(&g_NoView) {
    // The start directory is the current directory now, while globals are constructed: fix it
    // before anything can change the current directory. The log and every report file go there.
    plat::StartDirectory();
    SetVariable("quit", 0.0f, 0);
    // Tests rebuild the game's console in place.
    if (this == &g_Console) s_bGoneAtExit = false;
}

EConsole::~EConsole() {
    FreeVariables();
    if (this == &g_Console) s_bGoneAtExit = true;
}

bool EConsole::BackupConsoleEnabled() const {
    float value = 0;
    return GetVariable("BackupConsole", value) && value != 0.0f;
}

// ---------------------------------------------------------------------------------------------
// Log file

std::string EConsole::DatedLogName(const std::tm& t) {
    char name[96];
    std::snprintf(name, sizeof name, "!Console %i-%i-%i at %i-%i-%i.txt", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return name;
}

bool EConsole::BackupLog() {
    if (!plat::FileExists(kLogName)) return false;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return plat::CopyFile(kLogName, DatedLogName(local));
}

bool EConsole::OpenLog() {
    if (BackupConsoleEnabled()) BackupLog();
    plat::DeleteFile(kLogName);
    m_bLogOpen = true;
    // Every print reopens the log to append its line and a failure there goes unnoticed; a folder
    // that cannot take the log is found out here, once.
    FILE* log = plat::OpenFile(kLogName, "a+t");
    if (!log) return false;
    std::fclose(log);
    return true;
}

void EConsole::CloseLog() {
    if (BackupConsoleEnabled() && BackupLog()) plat::DeleteFile(kLogName);
    // Once closed, lines reach only the screen: a print after a backup would otherwise start a new
    // log holding just the last few lines of the run.
    m_bLogOpen = false;
}

// ---------------------------------------------------------------------------------------------
// Printing

void EConsole::ScrollOutput() {
    std::memmove(m_szOutput[0], m_szOutput[1], sizeof m_szOutput - sizeof m_szOutput[0]);
    std::memset(m_szOutput[kOutputLines - 1], 0, kOutputLineSize);
}

void EConsole::Print(const char* text) {
    ScrollOutput();
    if (!text || !*text) return;
    if (m_bLogOpen) LogError(text, kLogName);

    char work[kWorkBufferSize];
    std::snprintf(work, sizeof work, "%s", text);
    const char* piece = work;
    size_t left = std::strlen(work);
    for (bool first = true; left > 0; first = false) {
        if (!first) ScrollOutput();
        size_t n = left < static_cast<size_t>(kPieceLength) ? left : static_cast<size_t>(kPieceLength);
        std::memcpy(m_szOutput[kOutputLines - 1], piece, n);
        m_szOutput[kOutputLines - 1][n] = 0;
        piece += n;
        left -= n;
    }
}

void EConsole::PrintFormatted(const char* format, ...) {
    char line[kWorkBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Print(line);
}

void EConsole::PrintStr2(const char* a, const char* b) { PrintFormatted("%s%s", S(a), S(b)); }

void EConsole::PrintStr3(const char* a, const char* b, const char* c) {
    PrintFormatted("%s%s%s", S(a), S(b), S(c));
}

void EConsole::PrintStr4(const char* a, const char* b, const char* c, const char* d) {
    PrintFormatted("%s%s%s%s", S(a), S(b), S(c), S(d));
}

void EConsole::PrintStr5(const char* a, const char* b, const char* c, const char* d, const char* e) {
    PrintFormatted("%s%s%s%s%s", S(a), S(b), S(c), S(d), S(e));
}

void EConsole::PrintFloat(const char* label, float value) { PrintFormatted("%s%f", S(label), value); }

void EConsole::PrintDouble(const char* label, double value) { PrintFormatted("%s%f", S(label), value); }

void EConsole::PrintFloatAlt(const char* label, float value) { PrintFormatted("%s%f", S(label), value); }

void EConsole::PrintInt(const char* label, int value) { PrintFormatted("%s%d", S(label), value); }

void EConsole::PrintIntAlt(const char* label, int value) { PrintFormatted("%s%i", S(label), value); }

void EConsole::PrintStrFloatStr(const char* a, float value, const char* b) {
    PrintFormatted("%s%f%s", S(a), value, S(b));
}

void EConsole::PrintStr2Float(const char* a, const char* b, float value) {
    PrintFormatted("%s%s%f", S(a), S(b), value);
}

void EConsole::PrintStr2Int(const char* a, const char* b, int value) { PrintFormatted("%s%s%i", S(a), S(b), value); }

void EConsole::PrintStr3Int(const char* a, const char* b, const char* c, int value) {
    PrintFormatted("%s%s%s%i", S(a), S(b), S(c), value);
}

void EConsole::PrintStr4Int(const char* a, const char* b, const char* c, const char* d, int value) {
    PrintFormatted("%s%s%s%s%i", S(a), S(b), S(c), S(d), value);
}

const char* EConsole::RecentLine(int i) const {
    if (i < 0 || i >= kOutputLines) return "";
    return m_szOutput[kOutputLines - 1 - i];
}

// ---------------------------------------------------------------------------------------------
// Variables

ConsoleVariable* EConsole::FindVariable(const char* name) const {
    char key[ConsoleVariable::kNameSize];
    CopyBounded(key, sizeof key, name);
    for (ConsoleVariable* v = m_pZmienne; v; v = v->next)
        if (StrICmp(v->name, key) == 0) return v;
    return nullptr;
}

void EConsole::SetVariable(const char* name, float value, uint8_t flag) {
    if (ConsoleVariable* existing = FindVariable(name)) {
        existing->value = value;
        return;
    }
    auto* v = new ConsoleVariable{};
    g_Debug.AddAlloc(kVariableTag);
    CopyBounded(v->name, sizeof v->name, name);
    v->value = value;
    v->flag = flag;
    v->next = m_pZmienne;
    if (m_pZmienne) m_pZmienne->prev = v;
    m_pZmienne = v;
}

bool EConsole::GetVariable(const char* name, float& value) const {
    const ConsoleVariable* v = FindVariable(name);
    value = v ? v->value : 0.0f;
    return v != nullptr;
}

void EConsole::FreeVariables() {
    while (m_pZmienne) {
        ConsoleVariable* next = m_pZmienne->next;
        delete m_pZmienne;
        g_Debug.RemoveAlloc(kVariableTag);
        m_pZmienne = next;
    }
}

// ---------------------------------------------------------------------------------------------
// Commands

void EConsole::ExecFile(const char* fileName) {
    FILE* file = plat::OpenFile(fileName ? fileName : "", "rt");
    if (!file) return;
    uint8_t flag = StrICmp(fileName, kConfigFile) == 0 ? 1 : 0;
    char line[kConfigLineMax + 1];
    bool overlong = false;
    CommandParts parts;
    while (ReadWholeLine(file, line, sizeof line, overlong)) {
        // A cut line would run with a wrong value, so an overlong line is left out whole.
        if (overlong) {
            PrintStr2("Line too long, skipped in ", fileName);
            continue;
        }
        TrimRight(line);
        SplitCommandLine(line, parts);
        ExecuteCommand(parts.name, parts.value, flag);
    }
    std::fclose(file);
    if (g_Settings.m_bWindowed) g_Settings.SetScreenSize(800, 600);
    else g_Settings.SetScreenSize(g_Settings.m_iScreenWidth, g_Settings.m_iScreenHeight);
}

void EConsole::Exec(const char* fileName) {
    if (fileName && *fileName) ExecFile(fileName);
}

void EConsole::ExecuteLine(const char* line) {
    CommandParts parts;
    SplitCommandLine(line, parts);
    ExecuteCommand(parts.name, parts.value, 0);
}

void EConsole::ExecuteCommand(const char* name, const char* value, uint8_t flag) {
    if (!name || !*name) return;
    if (StrICmp(name, "DropDebug") == 0) {
        Print("............");
        g_Debug.DumpAllocs();
        return;
    }
    if (!value || !*value) return;
    // The commands use the script-line helpers, whose static buffer may hold the caller's value.
    char text[kValueSize];
    CopyBounded(text, sizeof text, value);
    SetVariable(name, static_cast<float>(std::atof(text)), flag);
    command::TakeNotANumber();
    const CommandResult result = RunCommands(name, text, flag);
    // A mistyped value in qv.cfg would otherwise set 0 without a word.
    if (command::TakeNotANumber()) PrintStr5("\"", name, " ", text, "\": not the number it needs; 0 is used");
    if (result == CommandResult::EndExecutor) return;
    SetVariable("Fog", 0.0f, 0);
    SetVariable("Ambient", 0.0f, 0);
    SetVariable("SkyLight", 0.0f, 0);
}

// Every entry of that name (ignoring ASCII case) applies, in table order, until one ends the
// executor.
CommandResult EConsole::RunCommands(const char* name, const char* value, uint8_t flag) {
    for (const ConsoleCommand& command : m_Commands) {
        if (StrICmp(command.name, name) != 0) continue;
        if (command.apply(*this, value, flag) == CommandResult::EndExecutor) return CommandResult::EndExecutor;
    }
    return CommandResult::Continue;
}

void EConsole::InstallCommands(std::span<const ConsoleCommand> table) { m_Commands = table; }

void EConsole::ReapplyVariables() {}

// ---------------------------------------------------------------------------------------------
// Typed input

void EConsole::Open() {
    m_bOpen = 1;
    // The typed line takes the keys: the game's keyboard device lets them go while the console is open.
    g_CoreHooks.releaseKeyboard();
}

void EConsole::Close() {
    m_bOpen = 0;
    g_CoreHooks.acquireKeyboard();
}

void EConsole::OnKeyUp(uint32_t) {}
void EConsole::OnCommandKey() {}
void EConsole::OnDeleteAllObjects() {}

void EConsole::InsertCharacter(char c) {
    int length = static_cast<int>(std::strlen(m_szInputLine));
    if (length >= kInputMaxLength) return;
    std::memmove(m_szInputLine + m_iCursor + 1, m_szInputLine + m_iCursor, static_cast<size_t>(length - m_iCursor + 1));
    m_szInputLine[m_iCursor++] = c;
}

void EConsole::DeleteCharacter(int at) {
    int length = static_cast<int>(std::strlen(m_szInputLine));
    if (at < 0 || at >= length) return;
    std::memmove(m_szInputLine + at, m_szInputLine + at + 1, static_cast<size_t>(length - at));
}

void EConsole::RecallHistory(int index) {
    m_iHistoryIndex = index;
    CopyBounded(m_szInputLine, sizeof m_szInputLine, m_szHistory[index]);
    m_iCursor = static_cast<int>(std::strlen(m_szInputLine));
}

void EConsole::PushHistory(const char* line) {
    std::memmove(m_szHistory[2], m_szHistory[1], sizeof m_szHistory[0] * (kLastHistorySlot - 1));
    std::memset(m_szHistory[0], 0, sizeof m_szHistory[0] * 2);
    CopyBounded(m_szHistory[1], sizeof m_szHistory[1], line);
    m_iHistoryIndex = 0;
}

void EConsole::CompleteName() {
    if (!m_szInputLine[0]) return;
    int matches = 0;
    const ConsoleVariable* match = nullptr;
    for (const ConsoleVariable* v = m_pZmienne; v; v = v->next) {
        if (!StartsWithNoCase(v->name, m_szInputLine)) continue;
        ++matches;
        match = v;
    }
    if (matches == 1) {
        CopyBounded(m_szInputLine, sizeof m_szInputLine, match->name);
        m_iCursor = static_cast<int>(std::strlen(m_szInputLine));
        return;
    }
    if (matches < 2) return;
    for (const ConsoleVariable* v = m_pZmienne; v; v = v->next)
        if (StartsWithNoCase(v->name, m_szInputLine)) PrintFormatted("%s %f", v->name, static_cast<double>(v->value));
}

void EConsole::OnKeyDown(uint32_t key) {
    if (key == kConsoleKey) Close();
    if (key == kKeyScreenshot) g_CoreHooks.requestScreenshot();
    if (char c = TypedCharacter(key)) {
        InsertCharacter(c);
        return;
    }
    int length = static_cast<int>(std::strlen(m_szInputLine));
    switch (key) {
        case kKeyBackspace:
            if (m_iCursor > 0) DeleteCharacter(--m_iCursor);
            break;
        case kKeyDelete: DeleteCharacter(m_iCursor); break;
        case kKeyLeft:
            if (m_iCursor > 0) --m_iCursor;
            break;
        case kKeyRight:
            if (m_iCursor < length) ++m_iCursor;
            break;
        case kKeyUp:
            if (m_iHistoryIndex < kLastHistorySlot && m_szHistory[m_iHistoryIndex + 1][0])
                RecallHistory(m_iHistoryIndex + 1);
            break;
        case kKeyDown:
            if (m_iHistoryIndex > 0) RecallHistory(m_iHistoryIndex - 1);
            break;
        case kKeyTab: CompleteName(); break;
        case kKeyEnter: ProcessTypedLine(); break;
        default: break;
    }
}

void EConsole::ProcessTypedLine() {
    char line[kInputLineSize];
    CopyBounded(line, sizeof line, m_szInputLine);
    CommandParts parts;
    SplitCommandLine(line, parts);
    if (line[0]) PushHistory(line);
    std::memset(m_szInputLine, 0, sizeof m_szInputLine);
    m_iCursor = 0;

    if (StrICmp(parts.name, "quit") == 0) {
        g_CoreHooks.quit();
    } else if (StrICmp(parts.name, "VersionFor") == 0) {
        Print("Furrow engine, console build 1.0");
        Print("Version for the demo farm");
    } else if (StrICmp(parts.name, "exec") == 0) {
        Exec(parts.value);
    } else if (StrICmp(parts.name, "close") == 0) {
        Close();
    } else if (parts.value[0]) {
        Print(line);
        ExecuteCommand(parts.name, parts.value, 0);
    } else if (const ConsoleVariable* v = FindVariable(parts.name)) {
        PrintFormatted("%s == %f", v->name, static_cast<double>(v->value));
    } else {
        Print(line);
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing

void EConsole::InstallView(ConsoleView* view) { m_pView = view ? view : &g_NoView; }

void EConsole::CreateConsoleBar() { m_pView->CreateBar(); }

void EConsole::ReleaseConsoleBar() { m_pView->ReleaseBar(); }

void EConsole::Draw() {
    if (g_CoreHooks.gameFrame() == 0 && !g_CoreHooks.menuActive()) {
        DrawTaskText();
        return;
    }
    m_pView->DrawConsole(*this);
}

void EConsole::Update() {}

// ---------------------------------------------------------------------------------------------
// Loading screen

void EConsole::ShowLoadingScreen(const char* worldFile) {
    m_iLoadingExpected = 0;
    m_iLoadingDone = 0;
    // A new loading screen starts with an empty bar.
    m_iProgressDone = 0;
    m_iProgressTotal = kProgressTotal;
    m_iLoadingFrame = 255;  // the first draw shows frame 0
    if (worldFile && *worldFile) {
        if (FILE* file = plat::OpenFile(worldFile, "rt")) {
            char line[kWorldLineMax + 1];
            while (!std::feof(file)) {
                ReadLineRaw(file, line, kWorldLineMax);
                if (StrStartsWith(line, "mesh")) ++m_iLoadingExpected;
            }
            std::fclose(file);
        }
    }
    m_bLoading = 1;
    m_szLoadingPicture = LoadingPictureFor(g_CoreHooks.currentRouteTasks());
    m_pView->CreateLoadingQuads(m_szLoadingPicture);
    DrawLoadingScreen();
}

void EConsole::StepLoadingScreen() {
    if (g_CoreHooks.menuActive()) return;
    ++m_iLoadingDone;
    int stage = m_iLoadingDone * kLoadingFrames / (m_iLoadingExpected + 1);
    if (stage < 0) stage = 0;
    if (stage > kLoadingFrames - 1) stage = kLoadingFrames - 1;
    if (stage != m_iLoadingStage) {
        m_iLoadingStage = stage;
        DrawLoadingScreen();
    }
}

void EConsole::AddLoadingProgress(int n) {
    m_iProgressDone += n;
    if (m_bLoading) DrawLoadingScreen();
}

bool EConsole::DrawLoadingScreen() {
    if (!m_bLoading || g_CoreHooks.gameFrame() >= kLoadingFrameLimit || g_CoreHooks.menuActive()) return false;
    float now = static_cast<float>(QueryAppTimer(TIMER_GETAPPTIME));
    if (now - m_fLastLoadingDraw < kLoadingRedrawInterval) return false;
    m_fLastLoadingDraw = now;
    m_iLoadingFrame = (m_iLoadingFrame + 1) % kLoadingFrames;
    RenderLoadingFrame();
    return true;
}

void EConsole::RenderLoadingFrame() {
    m_pView->BeginLoadingFrame();
    m_pView->DrawTextBox();
    m_pView->DrawProgressBar(LoadingProgressFraction());
    DrawLoadingTips();
    DrawTaskText();
    g_CoreHooks.loadingScreenUpdate();
    g_CoreHooks.loadingScreenDrawTips();
    m_pView->EndLoadingFrame();
}

void EConsole::EndLoadingScreen() {
    m_pView->ReleaseProgressBar();
    m_bLoading = 0;
}

void EConsole::DrawTextBox() { m_pView->DrawTextBox(); }

void EConsole::ReleaseTextBoxRect() { m_pView->ReleaseTextBox(); }

void EConsole::DrawProgressBar() {
    m_pView->DrawProgressBar(LoadingProgressFraction());
    m_pView->EndLoadingFrame();
}

void EConsole::DrawLoadingTips() {
    bool menu = g_CoreHooks.menuActive();
    char group = LoadingTipsGroup(g_CoreHooks.currentRouteTasks(), menu);
    if (!group) return;
    const char* texts[kTipLines];
    float top = menu ? kMenuTipsBottom : kTipsBottom;
    for (int i = 0; i < kTipLines; ++i) {
        // A group has as many lines as its tips: the lines it lacks are simply not shown.
        const char* text = g_TextMgr.FindText(LoadingTipKey(group, i).c_str());
        texts[i] = text ? text : "";
        if (*texts[i]) top -= kTipSpacing;
    }
    for (int i = 0; i < kTipLines; ++i)
        if (*texts[i])
            m_pView->PrintText(texts[i], kTextLeft, top + kTipSpacing * static_cast<float>(i), kTipColour, kTipSize);
}

void EConsole::DrawTaskText() {
    if (!m_bLoading || g_CoreHooks.menuActive()) return;
    const char* key = LoadingTaskKey(g_CoreHooks.currentRouteTasks(), g_Settings.m_bGameMode != 0);
    if (key) m_pView->PrintText(g_TextMgr.GetText(key), kTextLeft, kTaskTextTop, kTaskTextColour, kTaskTextSize);
}

void EConsole::Reset() {
    m_bLoading = 0;
    std::memset(m_szInputLine, 0, sizeof m_szInputLine);
    m_iCursor = 0;
}

float EConsole::LoadingProgressFraction() const {
    if (m_iProgressTotal <= 0) return 0.0f;
    int done = m_iProgressDone < m_iProgressTotal ? m_iProgressDone : m_iProgressTotal;
    float fraction = 1.4f * static_cast<float>(done) / static_cast<float>(m_iProgressTotal);
    if (fraction < 0.0f) fraction = 0.0f;
    if (fraction > 1.0f) fraction = 1.0f;
    return fraction;
}

const char* EConsole::LoadingPictureFor(const RouteTasks* t) {
    if (!t) return "hud_loading.tga";
    if (t->baling) return "hud_level_loading_belowanie.tga";
    if (t->grainDelivery) return "hud_level_loading_dozsypu.tga";
    if (t->baleCollecting) return "hud_level_loading_bale.tga";
    if (t->grassMowing) return "hud_level_loading_koszenietrawy.tga";
    if (t->sowing) return "hud_level_loading_sianie.tga";
    if (t->raceWithOpponents) return "hud_level_loading_zprzeciwnikami.tga";
    if (t->mowing) return "hud_level_loading_koszenie.tga";
    if (t->ploughing) return "hud_level_loading_oranie.tga";
    if (t->slalom) return "hud_level_loading_slalom.tga";
    if (t->planting) return "hud_level_loading_sadzenie.tga";
    return "hud_loading.tga";
}

const char* EConsole::LoadingTaskKey(const RouteTasks* t, bool gameMode) {
    if (t) {
        if (t->raceWithOpponents) return t->secondRace ? ">TD09" : ">TD01";
        if (t->baling) return ">TD04";
        if (t->mowing) return ">TD05";
        if (t->grassMowing) return ">TD07";
        if (t->ploughing) return ">TD03";
        if (t->sowing) return ">TD08";
        if (t->slalom) return ">TD02";
        if (t->grainDelivery) return ">TD06";
        if (t->planting) return ">TD10";
    }
    return gameMode ? ">TD11" : nullptr;
}

char EConsole::LoadingTipsGroup(const RouteTasks* t, bool menuActive) {
    if (menuActive) return '0';
    if (!t) return 0;
    if (t->baleCollecting) return '1';
    if (t->grainDelivery) return '2';
    if (t->mowing) return '3';
    if (t->grassMowing) return '4';
    if (t->ploughing) return '5';
    if (t->planting) return '6';
    if (t->sowing) return '7';
    if (t->slalom) return '8';
    if (t->raceWithOpponents) return '9';
    if (t->baling) return 'a';
    return 0;
}

std::string EConsole::LoadingTipKey(char group, int line) {
    char key[8] = {'>', 'L', 'L', group, 'T', static_cast<char>('0' + line), 0, 0};
    return key;
}
