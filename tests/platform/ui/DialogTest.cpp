#include "platform/ui/Dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input/InputState.h"
#include "platform/os/Backends.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "support/TestSupport.h"

namespace {

constexpr int kOk = 1;
constexpr int kBox = 10;
constexpr int kList = 11;
constexpr int kOff = 12;  // a disabled button
constexpr int kLabel = 13;

// What the dialog procedure was told: "init", "command ID CODE", "close", "destroy".
std::vector<std::string> g_told;
// The procedure ends the dialog with this when OK is pressed; -2 leaves it open.
int64_t g_okResult = 7;

int64_t RecordingProc(plat::WindowHandle dialog, uint32_t message, uint64_t wParam, int64_t) {
    switch (message) {
        case plat::msg::InitDialog:
            g_told.push_back("init");
            for (const char* entry : {"low", "middle", "high"}) plat::ComboAddString(dialog, kList, entry);
            plat::EnableDialogItem(dialog, kOff, false);
            break;
        case plat::msg::Command:
            g_told.push_back("command " + std::to_string(plat::CommandId(wParam)) + " " +
                             std::to_string(plat::CommandCode(wParam)));
            if (plat::CommandId(wParam) == kOk && g_okResult != -2) plat::EndDialog(dialog, g_okResult);
            break;
        case plat::msg::Close: g_told.push_back("close"); break;
        case plat::msg::Destroy: g_told.push_back("destroy"); break;
        default: break;
    }
    return 0;
}

plat::DialogTemplate Template() {
    using plat::ControlKind;
    return {"Dialog test", 300, 200,
            {{kLabel, ControlKind::Label, {10, 10, 100, 20}},
             {kBox, ControlKind::CheckBox, {10, 40, 100, 20}},
             {kList, ControlKind::ComboBox, {10, 70, 100, 20}},
             {kOff, ControlKind::Button, {120, 150, 80, 30}},
             {kOk, ControlKind::Button, {210, 150, 80, 30}}}};
}

class DialogTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        g_told.clear();
        g_okResult = 7;
    }

    void UseScript(const std::string& script) {
        WriteFile("input.txt", script);
        plat::BackendChoice choice = plat::Backends();
        choice.input = plat::InputBackend::Script;
        choice.inputScript = Path("input.txt").string();
        plat::SetBackends(choice);
    }

    static void Press(plat::WindowHandle d, int x, int y) {
        plat::SendWindowMessage(d, plat::msg::LButtonDown, 0, plat::PointParam(x, y));
    }
    static void Release(plat::WindowHandle d, int x, int y) {
        plat::SendWindowMessage(d, plat::msg::LButtonUp, 0, plat::PointParam(x, y));
    }
    static void Click(plat::WindowHandle d, int x, int y) {
        Press(d, x, y);
        Release(d, x, y);
    }
    static void Key(plat::WindowHandle d, uint32_t virtualKey) {
        plat::SendWindowMessage(d, plat::msg::KeyDown, virtualKey, 0);
    }
};

TEST_F(DialogTest, ClicksBecomeCommandsOnlyOnControlsThePlayerCanUse) {
    struct Case {
        const char* what;
        int downX, downY, upX, upY;
        std::vector<std::string> told;
    } cases[] = {
        {"a button", 250, 160, 250, 160, {"command 1 0"}},
        {"released off the button", 250, 160, 150, 100, {}},
        {"a check box", 20, 50, 20, 50, {"command 10 0"}},
        {"a disabled button", 150, 160, 150, 160, {}},
        {"a label", 20, 15, 20, 15, {}},
    };
    for (const Case& c : cases) {
        plat::WindowHandle d = plat::CreateDialog(Template(), RecordingProc);
        ASSERT_NE(d, nullptr);
        g_told.clear();
        Press(d, c.downX, c.downY);
        Release(d, c.upX, c.upY);
        EXPECT_EQ(g_told, c.told) << c.what;
        plat::DestroyMainWindow(d);
    }
}

TEST_F(DialogTest, ACheckBoxTogglesBeforeItsProcedureHears) {
    plat::WindowHandle d = plat::CreateDialog(Template(), RecordingProc);
    Click(d, 20, 50);
    EXPECT_TRUE(plat::IsDialogButtonChecked(d, kBox));
    Click(d, 20, 50);
    EXPECT_FALSE(plat::IsDialogButtonChecked(d, kBox));
    EXPECT_EQ(g_told, (std::vector<std::string>{"init", "command 10 0", "command 10 0"}));
}

TEST_F(DialogTest, AComboBoxListOpensOnAClickAndAnEntryClickedPicksIt) {
    plat::WindowHandle d = plat::CreateDialog(Template(), RecordingProc);
    plat::ComboSetCurSel(d, kList, 0);
    g_told.clear();
    plat::ControlRect combo{10, 70, 100, 20};
    auto clickRow = [&](int entry) {
        plat::ControlRect row = plat::ComboListRow(200, combo, 3, entry);
        Click(d, row.x + 5, row.y + 5);
    };
    Click(d, 50, 80);  // opens
    clickRow(2);
    EXPECT_EQ(plat::ComboGetCurSel(d, kList), 2);
    Click(d, 50, 80);
    clickRow(2);  // the same entry again: no change to tell
    Click(d, 50, 80);
    Click(d, 290, 10);  // off the list: it closes, nothing picked
    clickRow(0);        // the list is closed: this click hits nothing
    EXPECT_EQ(plat::ComboGetCurSel(d, kList), 2);
    EXPECT_EQ(g_told, (std::vector<std::string>{"command 11 1"}));
}

TEST_F(DialogTest, AComboListThatWouldLeaveTheDialogMovesUpIntoIt) {
    plat::ControlRect high{10, 100, 100, 24};
    EXPECT_EQ(plat::ComboListRow(200, high, 2, 1).y, 124 + 20);  // below the box
    plat::ControlRect combo{10, 150, 100, 24};
    // Five rows do not fit below the box: the list ends at the dialog's bottom edge.
    EXPECT_EQ(plat::ComboListRow(200, combo, 5, 0).y, 100);
    EXPECT_EQ(plat::ComboListRow(200, combo, 5, 4).y, 180);
    // Taller than the dialog: it starts at the top.
    EXPECT_EQ(plat::ComboListRow(200, combo, 12, 0).y, 0);
}

TEST_F(DialogTest, TheKeyboardMovesTheFocusOverUsableControlsAndPressesThem) {
    constexpr uint32_t kTab = 9, kSpace = 32, kReturn = 13, kUp = 38, kDown = 40;
    plat::WindowHandle d = plat::CreateDialog(Template(), RecordingProc);
    g_told.clear();
    // The focus starts on the check box (the label cannot take it).
    Key(d, kSpace);
    Key(d, kTab);
    Key(d, kDown);
    Key(d, kDown);
    Key(d, kUp);
    Key(d, kTab);  // over the disabled button to OK
    g_okResult = -2;
    Key(d, kReturn);
    plat::CurrentInput().keys[0x2A] = 0x80;  // left shift
    Key(d, kTab);
    Key(d, kTab);  // back over the combo box to the check box
    plat::CurrentInput().keys[0x2A] = 0;
    Key(d, kSpace);
    EXPECT_EQ(g_told, (std::vector<std::string>{"command 10 0", "command 11 1", "command 11 1", "command 11 1",
                                                "command 1 0", "command 10 0"}));
    EXPECT_EQ(plat::ComboGetCurSel(d, kList), 0);
    EXPECT_FALSE(plat::IsDialogButtonChecked(d, kBox));
}

TEST_F(DialogTest, ClosingTheWindowTellsTheProcedureAndEndsTheDialog) {
    plat::WindowHandle d = plat::CreateDialog(Template(), RecordingProc);
    plat::SendWindowMessage(d, plat::msg::Close, 0, 0);
    EXPECT_TRUE(plat::DialogEnded(d));
    plat::DestroyMainWindow(d);
    EXPECT_EQ(g_told, (std::vector<std::string>{"init", "close", "destroy"}));
}

TEST_F(DialogTest, NobodyToAnswerMeansNoDialogAtAll) {
    // Null video and no script: no display for a player.
    EXPECT_FALSE(plat::DialogsCanBeAnswered());
    EXPECT_EQ(plat::DialogBox(nullptr, Template(), RecordingProc), plat::kDialogUnanswered);
    EXPECT_TRUE(g_told.empty());
    // A script without events of frame 0 has nothing for a dialog either.
    UseScript("1 keydown A\n");
    EXPECT_FALSE(plat::DialogsCanBeAnswered());
}

TEST_F(DialogTest, ScriptEventsOfFrameZeroGoOneByOneToTheDialogInFront) {
    // Two clicks on OK at frame 0: the first ends the first dialog, the second must wait for the
    // second dialog rather than be queued for the first. Frame 1's key waits for the game.
    UseScript("0 mousedown 0 250 160\n0 mouseup 0 250 160\n1 keydown A\n"
              "0 mousedown 0 250 160\n0 mouseup 0 250 160\n");
    ASSERT_TRUE(plat::DialogsCanBeAnswered());
    EXPECT_EQ(plat::DialogBox(nullptr, Template(), RecordingProc), 7);
    g_okResult = 9;
    EXPECT_EQ(plat::DialogBox(nullptr, Template(), RecordingProc), 9);
    EXPECT_EQ(g_told, (std::vector<std::string>{"init", "command 1 0", "destroy", "init", "command 1 0", "destroy"}));
    EXPECT_EQ(plat::MainWindow(), nullptr);
    EXPECT_FALSE(plat::DialogsCanBeAnswered());
    EXPECT_EQ(plat::CurrentInput().keys[0x1E], 0);  // A not yet down
}

TEST_F(DialogTest, AScriptThatRunsOutLeavesTheDialogUnanswered) {
    UseScript("0 mousedown 0 20 50\n0 mouseup 0 20 50\n");
    EXPECT_EQ(plat::DialogBox(nullptr, Template(), RecordingProc), plat::kDialogUnanswered);
    EXPECT_EQ(g_told, (std::vector<std::string>{"init", "command 10 0", "destroy"}));
}

TEST_F(DialogTest, AMessageLeftForADestroyedDialogGoesNowhere) {
    plat::WindowHandle d = plat::CreateDialog(Template(), RecordingProc);
    plat::PostMessage(d, plat::msg::LButtonDown, 0, plat::PointParam(20, 50));
    plat::DestroyMainWindow(d);
    g_told.clear();
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(plat::DispatchMessage(m), 0);
    EXPECT_TRUE(g_told.empty());
}

}  // namespace
