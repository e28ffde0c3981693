#pragma once
// The console: every diagnostic is printed through it, kept on screen and appended to the log
// "!console.txt"; configuration lines and typed lines run through its command executor.
#include <cstdio>

class EConsole {
public:
    EConsole();
    virtual ~EConsole();

    // Start-up: removes the previous log, then prints go to a fresh "!console.txt".
    void OpenLog();
    // Shut-down: the log is closed; later prints only reach the screen buffer.
    void CloseLog();

    void Print(const char* text);
    void PrintStr2(const char* a, const char* b);

    // Executes a configuration file, one "name value" line at a time.
    bool ExecFile(const char* fileName);
    bool ExecuteCommand(const char* line);
    void FreeVariables();

    // Drawn once per rendered frame.
    void Draw();

    unsigned char m_bOpen;

private:
    bool m_bLogOpen;
};

extern EConsole g_Console;
