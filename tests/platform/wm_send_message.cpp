// SendMessageA within and across threads.
#include "wm_test_support.h"

using namespace wm_test;

namespace {

const UINT ask = WM_USER + 1;
const UINT ask_back = WM_USER + 2;
const UINT posted_one = WM_USER + 3;

class wm_Send : public wm_fixture {};

// Answers `ask` with wParam * 2 + 1 and records nothing else special.
bool answer_twice_plus_one(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT *result) {
    if (message != ask) return false;
    *result = static_cast<LRESULT>(wparam * 2 + 1);
    return true;
}

} // namespace

TEST_F(wm_Send, ToAnotherThreadRunsOnTheOwnerAndReturnsItsResult) {
    hook() = answer_twice_plus_one;
    gui_thread gui;
    gui.start();
    EXPECT_EQ(SendMessageA(gui.window, ask, 20, 0), 41);
    EXPECT_EQ(SendMessageA(gui.window, ask, 50, 0), 101);
    std::vector<logged> seen = log().of(ask);
    ASSERT_EQ(seen.size(), 2u);
    for (const logged &e : seen) EXPECT_EQ(e.thread, gui.id.load());
}

TEST_F(wm_Send, ToAWindowOfThisThreadCallsTheProcedureDirectly) {
    hook() = answer_twice_plus_one;
    HWND hwnd = create_window();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SendMessageA(hwnd, ask, 3, 0), 7);
    ASSERT_EQ(log().count(ask), 1u);
    EXPECT_EQ(log().of(ask)[0].thread, GetCurrentThreadId());
    DestroyWindow(hwnd);
}

TEST_F(wm_Send, ToAWindowWhoseThreadEndedReturnsZeroAtOnce) {
    std::atomic<HWND> orphan{nullptr};
    std::thread owner([&] { orphan = create_window(); });
    owner.join();
    ASSERT_NE(orphan.load(), nullptr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessageA(orphan, ask, 1, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_EQ(log().count(ask), 0u);
}

TEST_F(wm_Send, AWaitingSenderIsReleasedWhenTheOwnerThreadEnds) {
    hook() = answer_twice_plus_one;
    std::atomic<HWND> target{nullptr};
    std::atomic<bool> let_owner_end{false};
    std::thread owner([&] {
        target = create_window();
        while (!let_owner_end) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }); // never reads its queue, then ends
    wait_until([&] { return target.load() != nullptr; });
    std::atomic<int> state{0}; // 1: sending, 2: returned
    std::atomic<LRESULT> result{-1};
    std::thread sender([&] {
        state = 1;
        result = SendMessageA(target, ask, 5, 0);
        state = 2;
    });
    wait_until([&] { return state.load() == 1; });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(state.load(), 1) << "the send must wait while the owner lives";
    let_owner_end = true;
    owner.join();
    EXPECT_TRUE(wait_until([&] { return state.load() == 2; }));
    EXPECT_EQ(result.load(), 0);
    sender.join();
    EXPECT_EQ(log().count(ask), 0u);
}

TEST_F(wm_Send, ToADestroyedWindowFailsWithTheInvalidHandleError) {
    HWND hwnd = create_window();
    ASSERT_TRUE(DestroyWindow(hwnd));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(hwnd, ask, 1, 0), 0);
    EXPECT_EQ(GetLastError(), 1400u);
    EXPECT_FALSE(PostMessageA(hwnd, ask, 1, 0));
}

// The GUI thread, while handling a send from this thread, sends back to a window of this
// thread; this thread runs it inside its own SendMessageA.
TEST_F(wm_Send, NestedSendsBetweenTwoThreadsDoNotDeadlock) {
    HWND mine = create_window(10, 10, 200, 100, "mine");
    std::atomic<HWND> theirs_seen{nullptr};
    hook() = [mine](HWND hwnd, UINT message, WPARAM wparam, LPARAM, LRESULT *result) {
        if (message == ask && hwnd != mine) { // on the GUI thread
            *result = SendMessageA(mine, ask_back, wparam + 1, 0) + 1000;
            return true;
        }
        if (message == ask_back && hwnd == mine) { // back on this thread
            *result = static_cast<LRESULT>(wparam * 10);
            return true;
        }
        return false;
    };
    gui_thread gui;
    gui.start();
    EXPECT_EQ(SendMessageA(gui.window, ask, 4, 0), 1050);
    std::vector<logged> back = log().of(ask_back);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].thread, GetCurrentThreadId());
    EXPECT_EQ(log().of(ask)[0].thread, gui.id.load());
    gui.stop();
    DestroyWindow(mine);
}

// Sent messages are handled inside PeekMessageA before a posted message is even looked at.
TEST_F(wm_Send, SentMessagesRunBeforePostedOnesInsidePeek) {
    HWND hwnd = create_window();
    ASSERT_TRUE(PostMessageA(hwnd, posted_one, 0, 0));
    std::thread sender([hwnd] { SendMessageA(hwnd, ask, 0, 0); });
    MSG msg{};
    // Peeking without removing: the send runs in there, the posted message stays queued.
    bool sent_ran = wait_until([&] {
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        return log().count(ask) == 1;
    });
    sender.join();
    EXPECT_TRUE(sent_ran);
    EXPECT_EQ(msg.message, posted_one);
    EXPECT_EQ(log().count(posted_one), 0u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, posted_one);
    DestroyWindow(hwnd);
}

TEST_F(wm_Send, ManyThreadsSendingAtOnceEachGetTheirOwnAnswer) {
    hook() = answer_twice_plus_one;
    gui_thread gui;
    gui.start();
    std::vector<std::thread> senders;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                WPARAM value = static_cast<WPARAM>(t * 1000 + i);
                if (SendMessageA(gui.window, ask, value, 0) != LRESULT(value * 2 + 1)) ++wrong;
            }
        });
    }
    for (std::thread &s : senders) s.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(log().count(ask), 200u);
}
