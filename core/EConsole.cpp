#include "core/EConsole.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/ESettings.h"
#include "platform/os/Files.h"

EConsole g_Console;

namespace {
constexpr const char* kLogName = "!console.txt";
}

EConsole::EConsole() : m_bOpen(0), m_bLogOpen(false) {}

EConsole::~EConsole() = default;

void EConsole::OpenLog() {
    plat::DeleteFile(kLogName);
    m_bLogOpen = true;
}

void EConsole::CloseLog() { m_bLogOpen = false; }

void EConsole::Print(const char* text) {
    if (!text || !*text || !m_bLogOpen) return;
    // Opened and closed per line so that the log is complete whenever the program stops.
    if (FILE* log = plat::OpenFile(kLogName, "at")) {
        std::fprintf(log, "%s\n", text);
        std::fclose(log);
    }
}

void EConsole::PrintStr2(const char* a, const char* b) {
    std::string line = std::string(a ? a : "") + (b ? b : "");
    Print(line.c_str());
}

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

void EConsole::Draw() {}
