#include "core/EConsole.h"

#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/ESettings.h"
#include "core/QueryAppTimer.h"
#include "core/ScriptLine.h"
#include "core/StringHelpers.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "platform/os/Files.h"
#include "world/CRoutesMgr.h"

EConsole g_Console;

namespace {

constexpr const char* kLogName = "!console.txt";
constexpr int kWorkBufferSize = 1024;
constexpr int kLoadingFrames = 8;
constexpr uint32_t kLoadingFrameLimit = 199;
constexpr float kLoadingRedrawInterval = 0.5f;
constexpr int kWorldLineMax = 512;

}  // namespace

EConsole::EConsole()
    : m_szOutput{}, m_bOpen(0), m_iNumConsoleLines(5), m_bBackupConsole(0), m_szInputLine{}, m_iCursor(0),
      m_bLoading(0), m_iLoadingExpected(0), m_iLoadingDone(0), m_iLoadingStage(0), m_iLoadingFrame(255),
      m_fLastLoadingDraw(0), m_iProgressDone(0), m_iProgressTotal(kProgressTotal),
      m_szLoadingPicture("hud_loading.tga"), m_bLogOpen(false) {
    // The start directory is the current directory now, while globals are constructed: fix it
    // before anything can change the current directory. The log and every report file go there.
    plat::StartDirectory();
}

EConsole::~EConsole() = default;

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

void EConsole::OpenLog() {
    if (BackupConsoleEnabled()) BackupLog();
    plat::DeleteFile(kLogName);
    m_bLogOpen = true;
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
// Commands (the console variables and the full command set come later)

bool EConsole::ExecFile(const char* fileName) {
    FILE* file = plat::OpenFile(fileName, "rt");
    if (!file) return false;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        line[std::strcspn(line, "\n")] = 0;
        ExecuteCommand(line);
    }
    std::fclose(file);
    if (g_Settings.m_bWindowed) g_Settings.SetScreenSize(800, 600);
    return true;
}

bool EConsole::ExecuteCommand(const char* line) {
    char name[128] = {};
    char value[128] = {};
    if (std::sscanf(line, "%127s %127s", name, value) < 1) return false;
    int number = std::atoi(value);
    if (!strcasecmp(name, "Windowed")) g_Settings.m_bWindowed = number != 0;
    else if (!strcasecmp(name, "screenwidth")) g_Settings.SetScreenSize(number, g_Settings.m_iScreenHeight);
    else if (!strcasecmp(name, "screenheight")) g_Settings.SetScreenSize(g_Settings.m_iScreenWidth, number);
    else if (!strcasecmp(name, "StartMenu")) g_Settings.m_bStartMenu = number != 0;
    else if (!strcasecmp(name, "Debug")) g_Settings.m_iDebug = number;
    else return false;
    return true;
}

void EConsole::FreeVariables() {}

// ---------------------------------------------------------------------------------------------
// Drawing

void EConsole::Draw() {}

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
    m_szLoadingPicture = LoadingPictureFor(g_RoutesMgr.CurrentRouteTasks());
    DrawLoadingScreen();
}

void EConsole::StepLoadingScreen() {
    if (g_Menu.m_bActive) return;
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
    if (!m_bLoading || g_MainGame.m_uFrameCounter >= kLoadingFrameLimit || g_Menu.m_bActive) return false;
    float now = static_cast<float>(QueryAppTimer(TIMER_GETAPPTIME));
    if (now - m_fLastLoadingDraw < kLoadingRedrawInterval) return false;
    m_fLastLoadingDraw = now;
    m_iLoadingFrame = (m_iLoadingFrame + 1) % kLoadingFrames;
    RenderLoadingFrame();
    return true;
}

void EConsole::RenderLoadingFrame() {}

void EConsole::EndLoadingScreen() { m_bLoading = 0; }

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
