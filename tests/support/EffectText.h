#pragma once
// The text of an effect file for tests: the given parameter lines, then techniques of one pass
// with empty shaders.
#include <initializer_list>
#include <string>

namespace test {

inline std::string EffectText(const std::string& parameters, std::initializer_list<const char*> techniques) {
    std::string text = parameters;
    for (const char* t : techniques)
        text += std::string("@technique ") + t + "\n@pass\n@vertex\nvoid main() {}\n@pixel\nvoid main() {}\n";
    return text;
}

}  // namespace test
