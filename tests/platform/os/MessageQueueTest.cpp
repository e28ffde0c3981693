#include "platform/os/MessageQueue.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
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

    plat::WindowHandle m_window = nullptr;
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
    EXPECT_EQ(plat::FindWindowWithTitle("Message queue test"), plat::TitleLock::Held);
    EXPECT_EQ(plat::FindWindowWithTitle("Another title"), plat::TitleLock::Free);
    plat::DestroyMainWindow(m_window);
    EXPECT_EQ(plat::FindWindowWithTitle("Message queue test"), plat::TitleLock::Free);
}

TEST_F(MessageQueueTest, ATitleLockThatCannotBeOpenedIsUnavailableAndSaysWhy) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedDir = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", m_dir.path().c_str(), 1);
    // Another user's lock file would refuse to open; a folder in its place refuses everyone.
    std::filesystem::create_directory(m_dir.path() / "furrow-Locked_out.lock");
    std::string why;
    EXPECT_EQ(plat::FindWindowWithTitle("Locked out", &why), plat::TitleLock::Unavailable);
    EXPECT_NE(why.find((m_dir.path() / "furrow-Locked_out.lock").string()), std::string::npos) << why;
    if (saved) ::setenv("XDG_RUNTIME_DIR", savedDir.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(MessageQueueTest, AQuitSignalClosesTheMainWindowOrWithoutOnePostsAQuit) {
    for (int signal : {SIGINT, SIGTERM}) {
        plat::CatchQuitSignals();
        std::raise(signal);  // the handler only notes it; the next look at the queue acts
        EXPECT_EQ(Drain(), std::vector<uint32_t>{plat::msg::Close}) << signal;
        EXPECT_TRUE(Drain().empty()) << signal;  // once per signal
    }
    plat::DestroyMainWindow(m_window);
    plat::CatchQuitSignals();
    std::raise(SIGTERM);
    EXPECT_EQ(Drain(), std::vector<uint32_t>{plat::msg::Quit});
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

}  // namespace
