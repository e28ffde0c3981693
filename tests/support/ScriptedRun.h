#pragma once
// A copy of the assembled game played headless from an input script: the fixed clock at 60 frames
// a second, no sound, its own runtime directory for the single-instance lock.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace test {

struct ScriptedRun {
    std::string script;
    // The graphics backend: "gl" draws (and takes screenshots), "null" only records.
    const char* video = "gl";
    // Adds "PlayerTrace 1" to the game's configuration.
    bool playerTrace = false;
    int timeoutSeconds = 300;
};

// Copies the game into the folder, plays the run there and returns its console log; the run must
// end in time and with exit code 0.
inline std::string PlayScript(const std::filesystem::path& game, const std::filesystem::path& runtime,
                              const ScriptedRun& run) {
    CopyGameTo(game);
    WriteWholeFile(game / "input.txt", run.script);
    if (run.playerTrace) WriteWholeFile(game / "qv.cfg", ReadWholeFile(game / "qv.cfg") + "PlayerTrace 1\n");
    const ProgramRun result = RunProgram(game,
                                         {{"FURROW_VIDEO", run.video},
                                          {"FURROW_AUDIO", "null"},
                                          {"FURROW_INPUT", "script:input.txt"},
                                          {"FURROW_CLOCK", "fixed:60"},
                                          {"XDG_RUNTIME_DIR", runtime.string()}},
                                         run.timeoutSeconds);
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return ReadWholeFile(game / "!console.txt");
}

}  // namespace test
