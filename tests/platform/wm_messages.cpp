// Posting, peeking, getting and dispatching.
#include "wm_test_support.h"

using namespace wm_test;

namespace {

class wm_Messages : public wm_fixture {};

const UINT first = WM_USER + 10;

} // namespace

TEST_F(wm_Messages, PostedMessagesComeBackInOrderWithTheirParameters) {
    HWND hwnd = create_window();
    for (UINT i = 0; i < 5; ++i) ASSERT_TRUE(PostMessageA(hwnd, first + i, i, -LPARAM(i)));
    MSG msg;
    for (UINT i = 0; i < 5; ++i) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.hwnd, hwnd);
        EXPECT_EQ(msg.message, first + i);
        EXPECT_EQ(msg.wParam, i);
        EXPECT_EQ(msg.lParam, -LPARAM(i));
    }
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(hwnd);
}

TEST_F(wm_Messages, NoRemoveLeavesTheMessageAndFiltersSelect) {
    HWND a = create_window(0, 0, 200, 200, "a");
    HWND b = create_window(0, 0, 200, 200, "b");
    PostMessageA(a, first, 1, 0);
    PostMessageA(b, first + 1, 2, 0);
    PostMessageA(nullptr, first + 2, 3, 0); // a thread message
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, first);
    ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, first + 1);
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, first + 2);
    EXPECT_EQ(msg.hwnd, nullptr);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, first + 1, first + 2, PM_REMOVE));
    EXPECT_EQ(msg.message, first + 1);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, first + 3, first + 9, PM_REMOVE));
    int left = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ++left;
    EXPECT_EQ(left, 2);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(wm_Messages, GetMessageReturnsZeroForQuitAfterPostedMessages) {
    HWND hwnd = create_window();
    PostMessageA(hwnd, first, 0, 0);
    PostQuitMessage(17);
    MSG msg;
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, first);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, 17u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)); // the quit was taken
    DestroyWindow(hwnd);
}

TEST_F(wm_Messages, GetMessageBlocksUntilAnotherThreadPosts) {
    HWND hwnd = create_window();
    std::thread poster([hwnd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageA(hwnd, first + 5, 55, 0);
    });
    MSG msg;
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, first + 5);
    EXPECT_EQ(msg.wParam, 55u);
    poster.join();
    DestroyWindow(hwnd);
}

TEST_F(wm_Messages, DispatchCallsTheProcedureAndReturnsItsResult) {
    HWND hwnd = create_window();
    hook() = [](HWND, UINT message, WPARAM wparam, LPARAM, LRESULT *result) {
        if (message != first) return false;
        *result = static_cast<LRESULT>(wparam + 100);
        return true;
    };
    PostMessageA(hwnd, first, 5, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&msg));
    EXPECT_EQ(DispatchMessageA(&msg), 105);
    EXPECT_EQ(log().count(first, hwnd), 1u);
    DestroyWindow(hwnd);
}

TEST_F(wm_Messages, PeekNeverBlocksOnAnEmptyQueue) {
    MSG msg;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(wm_Messages, DefWindowProcHandlesTheDefaultsAndLeavesOthersAtZero) {
    HWND hwnd = create_window();
    EXPECT_EQ(DefWindowProcA(hwnd, WM_NCCREATE, 0, 0), TRUE);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_USER + 50, 1, 2), 0);
    EXPECT_EQ(DefWindowProcA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd)); // WM_CLOSE destroys
}

TEST_F(wm_Messages, PostedMessagesToAnotherThreadArriveThere) {
    gui_thread gui;
    gui.start();
    ASSERT_TRUE(PostMessageA(gui.window, first + 7, 7, 0));
    ASSERT_TRUE(log().wait_count(first + 7, 1));
    EXPECT_EQ(log().of(first + 7)[0].thread, gui.id.load());
}
