#pragma once
// A start-directory test with fresh settings and a fresh console whose log "!console.txt" is
// open; the core's hooks are in their start state.
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace test {

class ConsoleLogTest : public StartDirTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<std::string> ConsoleLines() const { return ReadLines("!console.txt"); }
};

}  // namespace test
