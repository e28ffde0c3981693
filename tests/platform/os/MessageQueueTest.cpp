#include "platform/os/MessageQueue.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/os/Clock.h"
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
    EXPECT_TRUE(plat::WindowWithTitleExists("Message queue test"));
    EXPECT_FALSE(plat::WindowWithTitleExists("Another title"));
    plat::DestroyMainWindow(m_window);
    EXPECT_FALSE(plat::WindowWithTitleExists("Message queue test"));
}

}  // namespace
