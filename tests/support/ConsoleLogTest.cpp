#include "support/ConsoleLogTest.h"

#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/ESettings.h"

namespace test {

void ConsoleLogTest::SetUp() {
    StartDirTest::SetUp();
    g_CoreHooks = CoreHooks{};
    ResetGlobal(g_Settings);
    ResetGlobal(g_Console);
    g_Console.OpenLog();
}

void ConsoleLogTest::TearDown() {
    g_Console.CloseLog();
    g_CoreHooks = CoreHooks{};
    StartDirTest::TearDown();
}

}  // namespace test
