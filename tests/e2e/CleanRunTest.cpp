// A clean run: the shipped demo, played headless through its bundled input (the start prompt, the
// camera, a drive along the road past the gate and the barrel, the brakes), writes no report file
// and no error line. Whatever its own content sets off (an effect drawn two ways, a pole the power
// line names and the world lacks, a missing marker, a text key) is a fault of the demo; only what
// the machine itself lacks (a sound device) may be said, once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// The words the engine's fault messages use, in both of their languages, compared ignoring case:
// English "error", "failed", "missing", "cannot", ..., a null check named in the message
// ("Music_Play !m_pDS"), and Polish "nie" (not: "Nie ma mesha sky", "nie znalazlem"), "brak"
// (missing: "Brak slupa"), "blad" (error) and "dziwna" (odd). A line that holds one is an error
// line unless it is listed as a note below.
const char* const kFaultWords[] = {
    "error",       "fail",       "fatal",      "missing", "not found", "not created", "not saved",
    "not support", "not exist",  "n't exist",  "cannot",  "can't",     "could not",   "unable",
    "invalid",     "bad ",       "problem",    "too many", "too long", "too big",     "exceeded",
    "overflow",    "out of mem", "out of video", "ignored", "skipped",  "attention",  "warning",
    "!m_",         "brak",       "blad",       "dziwna",
};
// Polish "nie" counts as a word of its own, not inside another ("niebo").
const char* const kFaultWordsWhole[] = {"nie"};

// Lines that hold such a word and report no fault.
const char* const kNotes[] = {
    // The shadow maps' targets are made when the first frame of a world asks for them; only a
    // failure to make them ("Dalej nie ma, wychodze") is a fault.
    "Nie ma, tworze ",
    // A world whose ground bears no tufts (or a run that draws nothing, whose probe sees no
    // grass) has no sectors of them to build.
    "CreateAndFillTSectors - !m_TGrass.dwTPlants",
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool HasWholeWord(const std::string& text, const std::string& word) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        bool startsWord = at == 0 || !std::isalpha(static_cast<unsigned char>(text[at - 1]));
        size_t end = at + word.size();
        bool endsWord = end == text.size() || !std::isalpha(static_cast<unsigned char>(text[end]));
        if (startsWord && endsWord) return true;
    }
    return false;
}

bool IsErrorLine(const std::string& line) {
    for (const char* note : kNotes)
        if (line.rfind(note, 0) == 0) return false;
    const std::string lower = Lower(line);
    for (const char* word : kFaultWords)
        if (lower.find(word) != std::string::npos) return true;
    for (const char* word : kFaultWordsWhole)
        if (HasWholeWord(lower, word)) return true;
    return false;
}

TEST(CleanRunRule, TellsFaultsFromNotes) {
    const struct {
        const char* line;
        bool error;
    } cases[] = {
        {"Nie ma mesha sky", true},
        {"Brak slupa slup_01", true},
        {"Failed to create Sound3D sounds\\engine_racer.wav", true},
        {"Music_Play !m_pDS", true},
        {"ERROR in CSoundMgr::Music_Play(): Music file doesn't exist!", true},
        {"Env NIE stworzyl tekstury sky_noon.tga", true},
        {"Dalej nie ma, wychodze", true},
        {"Nie ma, tworze 1", false},
        {"CreateAndFillTSectors - !m_TGrass.dwTPlants", false},
        {"Shadow texture not created", true},
        {"Meadow: the level has started", false},
        {"Brama sie otwiera", false},
        {"TTFont[0]: face \"Tahoma\" is not installed, \"DejaVu Sans\" stands in", false},
        {"Playing Music\\1.ogg", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsErrorLine(c.line), c.error) << c.line;
}

struct Machine {
    const char* what;
    std::map<std::string, std::string> env;
    // What the machine lacks, said once in the log: not a fault of the demo.
    std::vector<std::string> saysOnce;
};

class CleanRun : public ::testing::Test {
protected:
    // Copies the game without the files earlier runs left in it (their reports, the mesh cache),
    // as a fresh checkout has it, and plays the demo's bundled input.
    void Play(const Machine& machine) {
        m_game = m_root.path() / "game";
        fs::remove_all(m_game);
        test::CopyShippedGameTo(m_game);
        for (const fs::directory_entry& entry : fs::directory_iterator(m_game))
            if (entry.path().filename().string()[0] == '!') fs::remove_all(entry.path());
        std::map<std::string, std::string> env = machine.env;
        env["FURROW_INPUT"] = "script:headless_input.txt";
        env["FURROW_CLOCK"] = "fixed:60";
        env["XDG_RUNTIME_DIR"] = m_root.path().string();
        test::ProgramRun run = test::RunProgram(m_game, env, 600);
        ASSERT_FALSE(run.timedOut) << machine.what << "\n" << run.output;
        EXPECT_EQ(run.exitCode, 0) << machine.what << "\n" << run.output;
        m_log = test::LinesOf(test::ReadWholeFile(m_game / "!console.txt"));
        ASSERT_FALSE(m_log.empty()) << machine.what;
        EXPECT_EQ(m_log.back(), "Farewell, the farm is closed.") << machine.what;
    }

    void ExpectClean(const Machine& machine) {
        std::vector<std::string> reports;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_game)) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '!' && entry.is_regular_file() && name != "!console.txt") reports.push_back(name);
        }
        for (const std::string& name : reports)
            ADD_FAILURE() << machine.what << ": report " << name << "\n" << test::ReadWholeFile(m_game / name);
        for (const std::string& line : m_log) {
            bool said = std::find(machine.saysOnce.begin(), machine.saysOnce.end(), line) != machine.saysOnce.end();
            if (said) {
                EXPECT_EQ(std::count(m_log.begin(), m_log.end(), line), 1) << machine.what << ": " << line;
                continue;
            }
            EXPECT_FALSE(IsErrorLine(line)) << machine.what << ": " << line;
        }
    }

    test::TempDir m_root;
    fs::path m_game;
    std::vector<std::string> m_log;
};

TEST_F(CleanRun, TheShippedDemoWritesNoReportAndNoErrorLine) {
    const Machine machines[] = {
        // As a player sees it, on a machine with a sound device (the recording one).
        {"drawn, with sound", {{"FURROW_VIDEO", "gl"}, {"FURROW_AUDIO", "null"}}, {}},
        // A machine without sound: OpenAL is offered no output of its own ("none" names no
        // driver), as on a computer with no sound card. Nothing is drawn, to keep the run short.
        {"without a sound device",
         {{"FURROW_VIDEO", "null"}, {"FURROW_AUDIO", "openal"}, {"ALSOFT_DRIVERS", "none"}},
         // The menu's music asks for the missing device once more.
         {"Sound Initialize Failed... (DirectSoundCreate8)", "Music_Play !m_pDS"}},
    };
    for (const Machine& machine : machines) {
        Play(machine);
        ExpectClean(machine);
    }
}

}  // namespace
