#pragma once
// A scripted run of the demo game as a player sees it, and the player's trace lines in its log.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace test {

// Runs the game in its folder on the GL backend (or on the video backend named), silent, playing
// the folder's input.txt on the fixed clock of 60 frames a second. The single-instance lock lives
// in runtimeDir, so that runs of parallel tests are not taken for a second instance.
inline ProgramRun RunScripted(const std::filesystem::path& game, const std::filesystem::path& runtimeDir,
                              const char* video = "gl") {
    return RunProgram(game,
                      {{"FURROW_VIDEO", video},
                       {"FURROW_AUDIO", "null"},
                       {"FURROW_INPUT", "script:input.txt"},
                       {"FURROW_CLOCK", "fixed:60"},
                       {"XDG_RUNTIME_DIR", runtimeDir.string()}},
                      300);
}

// The player's trace lines (console variable "PlayerTrace", once a second):
// "Player frame F pos X Y Z front X Y Z eye X Y Z speed S gear G tasks H B P PL S C" (the field
// tasks' percentages: harvest, baling, ploughing, planting, sowing, bale collecting).

struct Trace {
    unsigned frame = 0;
    double pos[3] = {}, front[3] = {}, eye[3] = {};
    double speed = 0;
    int gear = 0;
    std::string text;
};

inline std::vector<Trace> Traces(const std::string& log) {
    std::vector<Trace> out;
    for (const std::string& line : LinesOf(log)) {
        Trace t;
        if (std::sscanf(line.c_str(), "Player frame %u pos %lf %lf %lf front %lf %lf %lf eye %lf %lf %lf speed %lf gear %d",
                        &t.frame, &t.pos[0], &t.pos[1], &t.pos[2], &t.front[0], &t.front[1], &t.front[2], &t.eye[0],
                        &t.eye[1], &t.eye[2], &t.speed, &t.gear) == 12) {
            t.text = line;
            out.push_back(t);
        }
    }
    return out;
}

// The last trace at or before the main game's frame.
inline const Trace* At(const std::vector<Trace>& traces, unsigned frame) {
    const Trace* found = nullptr;
    for (const Trace& t : traces)
        if (t.frame <= frame) found = &t;
    return found;
}

}  // namespace test
