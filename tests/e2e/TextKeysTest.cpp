// The demo's texts: every text key the program asks for while a player goes through the shipped
// demo, and every key its data files name, is in "scripts\text_keys.txt". A key the file lacks
// shows as nothing (the start prompt did, and a player waited at a still view); the game names it
// once in "!error.txt", which is how these tests find it.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const std::string kMissingKey = "Text key ";
const std::string kMissingFrom = " is missing from scripts\\text_keys.txt";

// The keys defined in a text-key file: the first word of each line that begins with '>'.
std::set<std::string> DefinedKeys(const fs::path& file) {
    std::set<std::string> keys;
    for (std::string line : test::LinesOf(test::ReadWholeFile(file))) {
        if (line.empty() || line[0] != '>') continue;
        keys.insert(line.substr(0, line.find_first_of(" \t\r")));
    }
    return keys;
}

// The text without the line that defines the key.
std::string WithoutKey(const std::string& text, const std::string& key) {
    std::string out;
    for (const std::string& line : test::LinesOf(text))
        if (line.rfind(key + " ", 0) != 0) out += line + "\n";
    return out;
}

// Words of a line that a script reader would take for keys: a '>' and a name, up to a blank.
std::vector<std::string> KeyTokens(const std::string& line) {
    std::vector<std::string> tokens;
    for (size_t at = line.find('>'); at != std::string::npos; at = line.find('>', at + 1)) {
        size_t end = line.find_first_of(" \t\r", at);
        std::string token = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
        bool name = token.size() > 1 && std::isalpha(static_cast<unsigned char>(token[1]));
        for (size_t i = 1; name && i < token.size(); ++i)
            name = std::isalnum(static_cast<unsigned char>(token[i])) || token[i] == '_';
        if (name) tokens.push_back(token);
    }
    return tokens;
}

class TextKeys : public ::testing::Test {
protected:
    void SetUp() override {
        m_game = m_root.path() / "game";
        test::CopyShippedGameTo(m_game);
    }

    // The keys a run through the shipped demo (the headless input: the start prompt, the countdown,
    // the drive) asked for and did not find.
    std::vector<std::string> MissingKeysOfARun() {
        fs::remove(m_game / "!error.txt");
        test::ProgramRun run = test::RunProgram(m_game,
                                                {{"FURROW_VIDEO", "null"},
                                                 {"FURROW_AUDIO", "null"},
                                                 {"FURROW_INPUT", "script:headless_input.txt"},
                                                 {"FURROW_CLOCK", "fixed:60"},
                                                 {"XDG_RUNTIME_DIR", m_root.path().string()}},
                                                120);
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        // The run went past the prompt: the machine drove and the game closed its log.
        EXPECT_NE(test::ReadWholeFile(m_game / "!console.txt").find("Farewell"), std::string::npos);
        std::vector<std::string> missing;
        for (const std::string& line : test::LinesOf(test::ReadWholeFile(m_game / "!error.txt"))) {
            if (line.rfind(kMissingKey, 0) != 0) continue;
            size_t end = line.find(kMissingFrom);
            missing.push_back(line.substr(kMissingKey.size(), end == std::string::npos ? end : end - kMissingKey.size()));
        }
        return missing;
    }

    test::TempDir m_root;
    fs::path m_game;
};

TEST_F(TextKeys, ThePlayedDemoFindsEveryKeyItAsksFor) {
    EXPECT_EQ(MissingKeysOfARun(), std::vector<std::string>{});

    // The same run without the start prompt's key names it: a key the run asks for is found.
    const fs::path keys = m_game / "scripts" / "text_keys.txt";
    ASSERT_TRUE(DefinedKeys(keys).count(">MCount"));
    test::WriteWholeFile(keys, WithoutKey(test::ReadWholeFile(keys), ">MCount"));
    EXPECT_EQ(MissingKeysOfARun(), std::vector<std::string>{">MCount"});
}

// Data lines read as script lines have their keys replaced by the texts: a key written there must
// exist, exactly as written.
TEST_F(TextKeys, EveryKeyADataFileNamesIsDefined) {
    const std::set<std::string> defined = DefinedKeys(m_game / "scripts" / "text_keys.txt");
    ASSERT_GT(defined.size(), 100u);
    int files = 0;
    for (const char* folder : {"scripts", "worlds", "afx"}) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_game / folder)) {
            if (!entry.is_regular_file() || entry.path().filename() == "text_keys.txt") continue;
            const std::string ext = entry.path().extension().string();
            if (ext != ".txt" && ext != ".w" && ext != ".bzr" && ext != ".afx") continue;
            ++files;
            for (const std::string& line : test::LinesOf(test::ReadWholeFile(entry.path())))
                for (const std::string& token : KeyTokens(line))
                    EXPECT_TRUE(defined.count(token)) << entry.path() << ": " << token << " in \"" << line << "\"";
        }
    }
    EXPECT_GT(files, 5);
}

}  // namespace
