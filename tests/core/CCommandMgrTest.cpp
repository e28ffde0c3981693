#include "core/CCommandMgr.h"

#include <cstring>

#include "core/EInput.h"
#include "core/EMouse.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "platform/os/Backends.h"
#include "platform/os/Files.h"
#include "platform/os/MessageQueue.h"
#include "support/InputTest.h"

namespace {

using test::g_FakeGame;

constexpr size_t kKeysFileSize = 3148;

class CCommandMgrTest : public test::InputTest {
protected:
    std::string Bindings(uint32_t command, uint32_t slot0, uint32_t slot1) {
        std::string block(3104, '\0');
        std::memcpy(&block[command * 8], &slot0, 4);
        std::memcpy(&block[command * 8 + 4], &slot1, 4);
        return block;
    }
    void OpenKeyboard() {
        g_CommandMgr.BuildKeyNames();
        g_Input.Init();
        g_CommandMgr.CreateKeyboard(nullptr);
    }
};

TEST_F(CCommandMgrTest, KeysFileRoundTripsByteForByteInItsLayout) {
    g_CommandMgr.LoadKeys();  // no file: the defaults
    g_CommandMgr.m_Bindings[7][1] = 300;
    g_Settings.m_bMouseOptionSwitch = 1;
    g_Settings.m_fMouseOptionValue = 0.75f;
    g_Settings.m_fMusicVolume = 0.3f;
    g_FakeGame.gamma = 1.5f;
    g_FakeGame.playerOption2 = 7;
    g_FakeGame.cameraMode = 5;
    g_FakeGame.gameLevel = 0.5f;
    g_CommandMgr.SaveKeys();
    std::string first = ReadFile("save\\keys.cfg");
    ASSERT_EQ(first.size(), kKeysFileSize);
    uint32_t code;
    std::memcpy(&code, &first[7 * 8 + 4], 4);
    EXPECT_EQ(code, 300u);
    float f;
    std::memcpy(&f, &first[3105], 4);
    EXPECT_EQ(f, 0.75f);
    std::memcpy(&f, &first[3120], 4);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(first[3125], 7);
    std::memcpy(&f, &first[3144], 4);
    EXPECT_EQ(f, 0.5f);

    test::ResetGlobal(g_CommandMgr);
    test::ResetGlobal(g_Settings);
    test::InstallFakeGame();
    g_CommandMgr.LoadKeys();
    EXPECT_EQ(g_FakeGame.gamma, 1.5f);
    EXPECT_EQ(g_FakeGame.cameraMode, 5u);
    g_CommandMgr.SaveKeys();
    std::string second = ReadFile("save\\keys.cfg");
    // Loading forces game option switch 2 on; everything else is as written.
    EXPECT_EQ(first[3143], 0);
    first[3143] = 1;
    EXPECT_TRUE(second == first);
}

TEST_F(CCommandMgrTest, ForcedBindingsWinOverTheFileAndOverTheDefaultsAlike) {
    struct Case {
        bool withFile;
    };
    for (Case c : {Case{true}, Case{false}}) {
        test::ResetGlobal(g_CommandMgr);
        plat::DeleteFile("save\\keys.cfg");
        if (c.withFile) WriteFile("save\\keys.cfg", Bindings(37, 45, 0));
        g_CommandMgr.LoadKeys();
        EXPECT_EQ(g_CommandMgr.m_Bindings[37][0], 28u) << c.withFile;
        EXPECT_EQ(g_CommandMgr.m_Bindings[49][0], 19u) << c.withFile;
        EXPECT_EQ(g_CommandMgr.m_Bindings[51][0], 47u) << c.withFile;
    }
    // Without a file the defaults stand besides the forced ones.
    EXPECT_EQ(g_CommandMgr.m_Bindings[19][0], 256u);
    EXPECT_EQ(g_CommandMgr.m_Bindings[19][1], 28u);
}

TEST_F(CCommandMgrTest, CodesOutsideTheCodeSpaceLoadAsUnbound) {
    WriteFile("save\\keys.cfg", Bindings(3, 388, 0xFFFFFFFF));
    g_CommandMgr.LoadKeys();
    EXPECT_EQ(g_CommandMgr.m_Bindings[3][0], 0u);
    EXPECT_EQ(g_CommandMgr.m_Bindings[3][1], 0u);
    EXPECT_FALSE(g_CommandMgr.IsCommandActive(3));
}

TEST_F(CCommandMgrTest, ShortFileKeepsUnreadFieldsButTheGammaIsOne) {
    g_FakeGame.gamma = 2.0f;
    g_FakeGame.cameraMode = 9;
    WriteFile("save\\keys.cfg", Bindings(3, 30, 0) + std::string(1, '\1'));
    g_CommandMgr.LoadKeys();
    EXPECT_EQ(g_CommandMgr.m_Bindings[3][0], 30u);
    EXPECT_EQ(g_Settings.m_bMouseOptionSwitch, 1);
    EXPECT_EQ(g_FakeGame.gamma, 1.0f);
    EXPECT_EQ(g_FakeGame.cameraMode, 9u);
}

TEST_F(CCommandMgrTest, CommandsFollowKeysMouseButtonsAndControllerButtons) {
    g_CommandMgr.BuildKeyNames();
    g_CommandMgr.m_Bindings[60][0] = 265;  // controller button 5
    struct Case {
        int code;
        uint32_t command;
    };
    for (Case c : {Case{0xC8, 3}, Case{17, 3}, Case{256, 19}, Case{265, 60}}) {
        EXPECT_FALSE(g_CommandMgr.IsCommandActive(c.command)) << c.code;
        g_CommandMgr.m_State[c.code] = 1;
        EXPECT_TRUE(g_CommandMgr.IsCommandActive(c.command)) << c.code;
        g_CommandMgr.m_State[c.code] = 0;
    }
    g_CommandMgr.m_State[0] = 1;  // never set by a device; unbound slots hold 0
    EXPECT_FALSE(g_CommandMgr.IsCommandActive(388));
    EXPECT_FALSE(g_CommandMgr.IsCommandActive(3, 1000));
}

TEST_F(CCommandMgrTest, KeyNamesComeFromTextKeys) {
    WriteFile("scripts\\text_keys.txt",
              ">CMDA A\n>CMDUpArrow Up arrow\n>CMDMButton0 Left mouse button\n>CMDJButton Controller button\n");
    g_TextMgr.Load();
    g_CommandMgr.BuildKeyNames();
    EXPECT_STREQ(g_CommandMgr.m_szKeyNames[0x1E], "A");
    EXPECT_STREQ(g_CommandMgr.m_szKeyNames[0xC8], "Up arrow");
    EXPECT_STREQ(g_CommandMgr.m_szKeyNames[256], "Left mouse button");
    EXPECT_STREQ(g_CommandMgr.m_szKeyNames[265], "Controller button 5");
    EXPECT_STREQ(g_CommandMgr.m_szKeyNames[0x3B], "");  // F1 has no text key
}

TEST_F(CCommandMgrTest, PollTakesHeldKeysAndALostReadReleasesThemAndAcquiresAgain) {
    OpenKeyboard();
    ASSERT_TRUE(g_CommandMgr.m_pKeyboard);
    plat::CurrentInput().keys[0xC8] = 0x80;
    Tick();
    EXPECT_TRUE(g_CommandMgr.IsCommandActive(3));

    plat::CurrentInput().foreground = false;  // the key's release goes elsewhere
    Tick();
    EXPECT_FALSE(g_CommandMgr.IsCommandActive(3));
    plat::CurrentInput().keys[0xC8] = 0;
    plat::CurrentInput().foreground = true;
    Tick();  // acquires
    EXPECT_TRUE(g_CommandMgr.m_pKeyboard->Acquired());
    plat::CurrentInput().keys[0x11] = 0x80;
    Tick();
    EXPECT_TRUE(g_CommandMgr.IsCommandActive(3));
}

TEST_F(CCommandMgrTest, KeyboardCreationStopsAtTheFirstFailingStep) {
    struct Case {
        plat::InputStep step;
        const char* line;
    };
    for (Case c : {Case{plat::InputStep::Create, "CreateDevice(keyboard) failed!"},
                   Case{plat::InputStep::DataFormat, "keyboard SetDataFormat failed"},
                   Case{plat::InputStep::CooperativeLevel, "keyboard SetCooperativeLevel failed"}}) {
        plat::ResetInput();
        plat::SetInputFault(plat::DeviceKind::Keyboard, c.step, plat::InputResult::Failed);
        OpenKeyboard();
        EXPECT_FALSE(g_CommandMgr.m_pKeyboard) << c.line;
        EXPECT_EQ(g_CommandMgr.m_bKeyboardActive, 0) << c.line;
        EXPECT_EQ(ConsoleLines().back(), c.line);
        Tick();  // polls nothing
    }
}

TEST_F(CCommandMgrTest, HeldKeyEnablesGameKeyInputFromFrame211) {
    OpenKeyboard();
    g_FakeGame.keyInputEnabled = false;
    plat::CurrentInput().keys[0x39] = 0x80;
    g_FakeGame.frame = 210;
    Tick();
    EXPECT_FALSE(g_FakeGame.keyInputEnabled);
    g_FakeGame.frame = 211;
    Tick();
    EXPECT_TRUE(g_FakeGame.keyInputEnabled);
}

TEST_F(CCommandMgrTest, ScriptedKeysMouseAndControllerReachCommandsLookAndSteering) {
    WriteFile("input.txt", "1 keydown Up\n1 mousemove 30 0\n1 mousedown 0\n1 axis 0 -0.5\n1 button 5 down\n");
    plat::BackendChoice choice = plat::Backends();
    choice.input = plat::InputBackend::Script;
    choice.inputScript = Path("input.txt").string();
    plat::SetBackends(choice);
    OpenKeyboard();
    g_Input.SetDevice(0);  // the script's controller
    g_CommandMgr.m_Bindings[60][0] = 265;
    g_Mouse.Init(nullptr);
    g_FakeGame.frame = 1000;
    plat::Message message;
    while (plat::PeekMessage(message, false)) {
    }
    Tick();
    Tick();  // the controller acquires on its first tick
    EXPECT_TRUE(g_CommandMgr.IsCommandActive(3));
    EXPECT_TRUE(g_CommandMgr.IsCommandActive(19));
    EXPECT_TRUE(g_CommandMgr.IsCommandActive(60));
    EXPECT_FLOAT_EQ(g_Input.m_fSteering, -0.5f);
    EXPECT_STREQ(g_Input.GetDeviceName(0), "Scripted controller");
    EXPECT_GT(g_Mouse.m_State.m_dLookX, 3.1415927f);
}

}  // namespace
