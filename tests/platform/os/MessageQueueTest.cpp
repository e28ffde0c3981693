#include "platform/os/MessageQueue.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Clock.h"
#include "platform/os/QuitSignals.h"
#include "platform/os/Window.h"
#include "support/TestSupport.h"

namespace {

std::vector<uint32_t> g_received;

int64_t RecordingProc(plat::WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam) {
    g_received.push_back(id);
    return plat::DefaultWindowProc(window, id, wParam, lParam);
}

class MessageQueueTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        // The title locks live in the test's own directory: parallel runs never share one.
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        m_savedRuntimeDir = saved ? std::optional<std::string>(saved) : std::nullopt;
        ::setenv("XDG_RUNTIME_DIR", m_dir.path().c_str(), 1);
        g_received.clear();
        plat::RegisterWindowClass({"test", RecordingProc});
        m_window = plat::CreateMainWindow({"test", "Message queue test", true, 800, 600});
        ASSERT_NE(m_window, nullptr);
    }

    // Takes messages until the queue is empty; their ids in order.
    std::vector<uint32_t> Drain() {
        std::vector<uint32_t> ids;
        plat::Message m;
        while (plat::PeekMessage(m)) ids.push_back(m.id);
        return ids;
    }

    void TearDown() override {
        StartDirTest::TearDown();
        if (m_savedRuntimeDir) ::setenv("XDG_RUNTIME_DIR", m_savedRuntimeDir->c_str(), 1);
        else ::unsetenv("XDG_RUNTIME_DIR");
    }

    plat::WindowHandle m_window = nullptr;
    std::optional<std::string> m_savedRuntimeDir;
};

TEST_F(MessageQueueTest, QuitComesAfterTheMessagesAlreadyPosted) {
    plat::PostMessage(m_window, plat::msg::App + 1, 0, 0);
    plat::PostQuitMessage(7);
    plat::PostMessage(m_window, plat::msg::Paint, 0, 0);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, plat::msg::App + 1);
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, plat::msg::Paint);
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, plat::msg::Quit);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(plat::PeekMessage(m));
}

TEST_F(MessageQueueTest, OnlyAnEmptyQueueCountsAFrame) {
    for (int i = 0; i < 5; ++i) plat::PostMessage(m_window, plat::msg::Paint, 0, 0);
    EXPECT_EQ(Drain().size(), 5u);
    EXPECT_EQ(plat::FrameNumber(), 1u);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(plat::FrameNumber(), 2u);
}

TEST_F(MessageQueueTest, TimerWaitsForAnEmptyQueueAndIsDeliveredOnceHoweverLate) {
    plat::SetTimer(m_window, 1, 2);
    // Fixed clock at 60 frames per second: each frame is ~16 ms, eight intervals of the timer.
    EXPECT_TRUE(Drain().empty());  // frame 1 starts at time 0: not due yet
    plat::PostMessage(m_window, plat::msg::Paint, 0, 0);
    std::vector<uint32_t> ids = Drain();
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0], plat::msg::Paint);  // the posted message comes first
    EXPECT_EQ(ids[1], plat::msg::Timer);  // one timer message for all the intervals missed
    plat::KillTimer(m_window, 1);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(MessageQueueTest, CloseDestroysTheWindowThroughTheDefaultHandling) {
    plat::PostMessage(m_window, plat::msg::Close, 0, 0);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(m));
    plat::DispatchMessage(m);
    EXPECT_EQ(g_received, (std::vector<uint32_t>{plat::msg::Close, plat::msg::Destroy}));
    EXPECT_EQ(plat::MainWindow(), nullptr);
}

TEST_F(MessageQueueTest, AWindowTitleIsSeenAsRunningWhileItsWindowExists) {
    EXPECT_EQ(plat::ClaimTitle("Message queue test"), plat::TitleLock::Held);
    plat::DestroyMainWindow(m_window);
    EXPECT_EQ(plat::ClaimTitle("Message queue test"), plat::TitleLock::Free);
}

// What a second start of the program sees: the answer of ClaimTitle in a child process.
plat::TitleLock ClaimInAnotherProcess(const std::string& title) {
    pid_t child = ::fork();
    if (child == 0) {
        // A program of its own: none of this process's windows or claims (closing the copies of
        // their descriptors leaves the parent's locks held).
        plat::ResetWindows();
        ::_exit(static_cast<int>(plat::ClaimTitle(title)));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<plat::TitleLock>(WEXITSTATUS(status));
}

TEST_F(MessageQueueTest, AClaimedTitleStaysLockedForOtherProcessesWithOrWithoutItsWindow) {
    EXPECT_EQ(ClaimInAnotherProcess("Claimed"), plat::TitleLock::Free);
    ASSERT_EQ(plat::ClaimTitle("Claimed"), plat::TitleLock::Free);
    EXPECT_EQ(ClaimInAnotherProcess("Claimed"), plat::TitleLock::Held);
    EXPECT_EQ(plat::ClaimTitle("Claimed"), plat::TitleLock::Free);  // this process holds it already
    // The window of a claimed title comes and goes; the claim stays.
    plat::WindowHandle window = plat::CreateMainWindow({"test", "Claimed", true, 800, 600});
    ASSERT_NE(window, nullptr);
    plat::DestroyMainWindow(window);
    EXPECT_EQ(ClaimInAnotherProcess("Claimed"), plat::TitleLock::Held);
    plat::ResetWindows();
    EXPECT_EQ(ClaimInAnotherProcess("Claimed"), plat::TitleLock::Free);
}

TEST_F(MessageQueueTest, ATitleLockThatCannotBeOpenedIsUnavailableAndSaysWhy) {
    // Another user's lock file would refuse to open; a folder in its place refuses everyone.
    std::filesystem::create_directory(m_dir.path() / "furrow-Locked_out.lock");
    std::string why;
    EXPECT_EQ(plat::ClaimTitle("Locked out", &why), plat::TitleLock::Unavailable);
    EXPECT_NE(why.find((m_dir.path() / "furrow-Locked_out.lock").string()), std::string::npos) << why;
}

}  // namespace
