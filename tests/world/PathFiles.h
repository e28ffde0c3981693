#pragma once
// Path files for tests: nodes written as a ".bzr" text, and a few ready-made paths.
#include <string>
#include <vector>

namespace test {

struct PathNode {
    std::string name;
    int nr;
    float x, y, z;
    int next;
    // Further lines of the node ("values 10 0 0 0 0", "pause_in_node 1", ...).
    std::vector<std::string> lines = {};
    // The two control points; by default a third and two thirds of the way to the next node's
    // position (given as `to`), so the segment is straight and evenly sampled.
    bool straight = true;
    float to[3] = {};
};

inline std::string Num(float v) { return std::to_string(v); }

inline std::string Triple(float x, float y, float z) { return Num(x) + " " + Num(y) + " " + Num(z); }

inline std::string PathText(const std::vector<PathNode>& nodes, const char* end = "\r\n") {
    std::string text;
    for (const PathNode& n : nodes) {
        text += "bezier_node " + n.name + end;
        text += "nr " + std::to_string(n.nr) + end;
        text += "pos " + Triple(n.x, n.y, n.z) + end;
        if (n.straight) {
            const float* t = n.to;
            text += "ksztalt1 " + Triple(n.x + (t[0] - n.x) / 3, n.y + (t[1] - n.y) / 3, n.z + (t[2] - n.z) / 3) + end;
            text += "ksztalt2 " + Triple(n.x + 2 * (t[0] - n.x) / 3, n.y + 2 * (t[1] - n.y) / 3, n.z + 2 * (t[2] - n.z) / 3) +
                    end;
        }
        for (const std::string& line : n.lines) text += line + end;
        text += "next_in_path_nr " + std::to_string(n.next) + end;
    }
    return text;
}

// A straight road along z from 0 to 100, then to 300: speed 10 on every node.
inline std::vector<PathNode> StraightRoad(const char* speed = "values 10 0 0 0 0") {
    return {
        {"road", 1, 0, 0, 0, 2, {speed}, true, {0, 0, 100}},
        {"road_2", 2, 0, 0, 100, 3, {speed}, true, {0, 0, 300}},
        {"road_end", 3, 0, 0, 300, -1, {speed}},
    };
}

// A closed square of side 100 in the x-z plane, four nodes.
inline std::vector<PathNode> Square(const char* speed = "values 50 0 0 0 0") {
    return {
        {"loop", 1, 0, 0, 0, 2, {speed}, true, {100, 0, 0}},
        {"loop_2", 2, 100, 0, 0, 3, {speed}, true, {100, 0, 100}},
        {"loop_3", 3, 100, 0, 100, 4, {speed}, true, {0, 0, 100}},
        {"loop_4", 4, 0, 0, 100, 1, {speed}, true, {0, 0, 0}},
    };
}

}  // namespace test
