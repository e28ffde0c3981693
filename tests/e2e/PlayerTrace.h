#pragma once
// The player's trace lines in a run's log (console variable "PlayerTrace", once a second):
// "Player frame F pos X Y Z front X Y Z eye X Y Z speed S gear G".
#include <cstdio>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace test {

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
