// Window and client rectangles, MoveWindow, ShowWindow and activation, from any thread.
#include "wm_test_support.h"

using namespace wm_test;

namespace {

class wm_Geometry : public wm_fixture {};

// The frame that puts a client area of the given size at (x, y).
RECT frame_for_client(int x, int y, int width, int height) {
    RECT r{x, y, x + width, y + height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    return r;
}

HWND window_with_client(int x, int y, int width, int height) {
    RECT f = frame_for_client(x, y, width, height);
    return create_window(f.left, f.top, f.right - f.left, f.bottom - f.top);
}

bool same(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

TEST_F(wm_Geometry, AdjustWindowRectMatchesTheRectanglesWindowsReport) {
    RECT frame = frame_for_client(300, 200, 400, 250);
    EXPECT_LT(frame.left, 300);
    EXPECT_LT(frame.top, 200);
    EXPECT_GT(frame.right, 700);
    EXPECT_GT(frame.bottom, 450);
    EXPECT_GT(200 - frame.top, 300 - frame.left); // the caption is on top
    HWND hwnd = window_with_client(300, 200, 400, 250);
    ShowWindow(hwnd, SW_SHOW);
    RECT got, client;
    ASSERT_TRUE(GetWindowRect(hwnd, &got));
    EXPECT_TRUE(same(got, frame));
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_TRUE(same(client, RECT{0, 0, 400, 250}));
    headless_test_window_info info;
    ASSERT_TRUE(headless_test_window_state(hwnd, &info));
    EXPECT_TRUE(same(info.client, RECT{300, 200, 700, 450}));
    EXPECT_TRUE(same(info.frame, frame));
    RECT same_again{300, 200, 700, 450};
    AdjustWindowRect(&same_again, WS_OVERLAPPEDWINDOW, FALSE);
    EXPECT_TRUE(same(same_again, frame)); // fixed metrics: the same answer every time
    DestroyWindow(hwnd);
}

TEST_F(wm_Geometry, CreationKeepsSizeableWindowsWithinTheTrackingLimits) {
    HWND tiny = create_window(0, 0, 5, 5);
    RECT r;
    GetWindowRect(tiny, &r);
    EXPECT_GT(r.right - r.left, 5);
    EXPECT_GT(r.bottom - r.top, 5);
    DestroyWindow(tiny);
    hook() = [](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT *) {
        if (message == WM_GETMINMAXINFO) {
            reinterpret_cast<MINMAXINFO *>(lparam)->ptMinTrackSize = POINT{1, 1};
        }
        return false;
    };
    HWND allowed = create_window(0, 0, 5, 5);
    GetWindowRect(allowed, &r);
    EXPECT_EQ(r.right - r.left, 5);
    DestroyWindow(allowed);
}

TEST_F(wm_Geometry, MoveWindowFromAnotherThreadSendsMoveThenSizeOnTheOwner) {
    gui_thread gui;
    gui.start([] {
        HWND h = window_with_client(100, 100, 300, 200);
        ShowWindow(h, SW_SHOW);
        return h;
    });
    log().clear();
    RECT frame = frame_for_client(50, 60, 320, 240);
    ASSERT_TRUE(MoveWindow(gui.window, frame.left, frame.top, frame.right - frame.left,
                           frame.bottom - frame.top, TRUE));
    RECT got;
    GetWindowRect(gui.window, &got);
    EXPECT_TRUE(same(got, frame)); // done when MoveWindow returns
    std::vector<logged> moves = log().of(WM_MOVE, gui.window);
    std::vector<logged> sizes = log().of(WM_SIZE, gui.window);
    ASSERT_EQ(moves.size(), 1u);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(moves[0].thread, gui.id.load());
    EXPECT_EQ(sizes[0].thread, gui.id.load());
    EXPECT_EQ(moves[0].lparam, MAKELPARAM(50, 60)); // the client area's screen position
    EXPECT_EQ(sizes[0].lparam, MAKELPARAM(320, 240));
    EXPECT_EQ(sizes[0].wparam, WPARAM(SIZE_RESTORED));
    std::vector<logged> all = log().snapshot();
    for (const logged &e : all) {
        if (e.message == WM_MOVE || e.message == WM_SIZE) {
            EXPECT_EQ(e.message, UINT(WM_MOVE)); // WM_MOVE comes first
            break;
        }
    }
    log().clear();
    MoveWindow(gui.window, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, TRUE);
    EXPECT_EQ(log().count(WM_MOVE) + log().count(WM_SIZE), 0u); // nothing changed
    MoveWindow(gui.window, frame.left + 7, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, TRUE);
    EXPECT_EQ(log().count(WM_MOVE), 1u);
    EXPECT_EQ(log().count(WM_SIZE), 0u); // only moved
}

TEST_F(wm_Geometry, ShowWindowReportsWhetherTheWindowWasVisible) {
    gui_thread gui;
    gui.start();
    HWND hwnd = gui.window;
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(ShowWindow(hwnd, SW_HIDE));
    std::vector<logged> shows = log().of(WM_SHOWWINDOW, hwnd);
    ASSERT_EQ(shows.size(), 2u); // one to show, one to hide; repeats say nothing
    EXPECT_EQ(shows[0].wparam, WPARAM(TRUE));
    EXPECT_EQ(shows[1].wparam, WPARAM(FALSE));
    for (const logged &e : shows) EXPECT_EQ(e.thread, gui.id.load());
}

TEST_F(wm_Geometry, TheFirstShowActivatesAndReportsSizeAndPosition) {
    gui_thread gui;
    gui.start([] { return window_with_client(120, 130, 200, 100); });
    HWND hwnd = gui.window;
    log().clear();
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    std::vector<UINT> order;
    for (const logged &e : log().snapshot()) {
        if (e.hwnd != hwnd || e.message == WM_PAINT || e.message == WM_ERASEBKGND) continue;
        order.push_back(e.message); // painting may already have started: it is not ordered
        EXPECT_EQ(e.thread, gui.id.load());
    }
    std::vector<UINT> expected{WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS, WM_SIZE, WM_MOVE};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(log().of(WM_SIZE, hwnd)[0].lparam, MAKELPARAM(200, 100));
    EXPECT_EQ(log().of(WM_MOVE, hwnd)[0].lparam, MAKELPARAM(120, 130));
    EXPECT_EQ(LOWORD(log().of(WM_ACTIVATE, hwnd)[0].wparam), WA_ACTIVE);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
    EXPECT_TRUE(log().wait_count(WM_PAINT, 1, hwnd)); // and it was invalidated
}

TEST_F(wm_Geometry, MinimizeAndRestoreFromAnotherThread) {
    gui_thread gui;
    gui.start([] {
        HWND h = window_with_client(200, 200, 300, 150);
        ShowWindow(h, SW_SHOW);
        return h;
    });
    HWND hwnd = gui.window;
    RECT before;
    GetWindowRect(hwnd, &before);
    log().clear();
    EXPECT_TRUE(ShowWindow(hwnd, SW_MINIMIZE));
    EXPECT_TRUE(IsIconic(hwnd));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_TRUE(same(client, RECT{0, 0, 0, 0}));
    std::vector<logged> sizes = log().of(WM_SIZE, hwnd);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].wparam, WPARAM(SIZE_MINIMIZED));
    EXPECT_EQ(sizes[0].thread, gui.id.load());
    headless_test_window_info info;
    ASSERT_TRUE(headless_test_window_state(hwnd, &info));
    EXPECT_TRUE(info.minimized);
    EXPECT_NE(GetForegroundWindow(), hwnd);

    log().clear();
    EXPECT_TRUE(ShowWindow(hwnd, SW_RESTORE));
    EXPECT_FALSE(IsIconic(hwnd));
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_TRUE(same(after, before));
    sizes = log().of(WM_SIZE, hwnd);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].wparam, WPARAM(SIZE_RESTORED));
    EXPECT_EQ(sizes[0].lparam, MAKELPARAM(300, 150));
    EXPECT_EQ(log().of(WM_MOVE, hwnd).at(0).lparam, MAKELPARAM(200, 200));
    ASSERT_TRUE(headless_test_window_state(hwnd, &info));
    EXPECT_FALSE(info.minimized);
    EXPECT_TRUE(info.visible);
}

TEST_F(wm_Geometry, MaximizeUsesTheLimitsTheProcedureGives) {
    hook() = [](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT *) {
        if (message == WM_GETMINMAXINFO) {
            MINMAXINFO *info = reinterpret_cast<MINMAXINFO *>(lparam);
            info->ptMaxSize = POINT{500, 400};
            info->ptMaxPosition = POINT{10, 20};
        }
        return false;
    };
    HWND hwnd = window_with_client(200, 200, 300, 150);
    ShowWindow(hwnd, SW_SHOW);
    log().clear();
    ShowWindow(hwnd, SW_MAXIMIZE);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_TRUE(same(r, RECT{10, 20, 510, 420}));
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, -16) & 0x01000000L); // WS_MAXIMIZE
    std::vector<logged> sizes = log().of(WM_SIZE, hwnd);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].wparam, WPARAM(SIZE_MAXIMIZED));
    ShowWindow(hwnd, SW_RESTORE);
    GetWindowRect(hwnd, &r);
    EXPECT_TRUE(same(r, frame_for_client(200, 200, 300, 150)));
    DestroyWindow(hwnd);
}

TEST_F(wm_Geometry, ForegroundAndStackingFollowActivation) {
    gui_thread gui;
    gui.start([] {
        HWND first = window_with_client(100, 100, 200, 200);
        ShowWindow(first, SW_SHOW);
        HWND second = window_with_client(150, 150, 200, 200);
        ShowWindow(second, SW_SHOW);
        return first;
    });
    HWND first = gui.window;
    headless_test_window_info info;
    ASSERT_TRUE(headless_test_window_state(first, &info));
    EXPECT_EQ(info.z_order, 1); // the second window was shown later, on top
    EXPECT_NE(GetForegroundWindow(), first);
    // As the library does it from a host thread: only the first and third calls can work.
    EXPECT_TRUE(BringWindowToTop(first));
    EXPECT_EQ(SetActiveWindow(first), nullptr);
    EXPECT_TRUE(SetForegroundWindow(first));
    EXPECT_EQ(SetFocus(first), nullptr);
    ASSERT_TRUE(headless_test_window_state(first, &info));
    EXPECT_EQ(info.z_order, 0);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(GetFocus(), nullptr); // this thread owns no focus
    HWND focus = nullptr;
    gui.run([&] { focus = GetFocus(); });
    EXPECT_EQ(focus, first);
}

TEST_F(wm_Geometry, CursorPositionComesFromTheDisplay) {
    headless_test_move_pointer(640, 480, 0);
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 640);
    EXPECT_EQ(p.y, 480);
}

TEST_F(wm_Geometry, AStyleWithoutFrameAndSetWindowPosCoverTheMonitor) {
    HWND hwnd = window_with_client(100, 100, 300, 200);
    ShowWindow(hwnd, SW_SHOW);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(width, 0);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor));
    EXPECT_TRUE(same(monitor.rcMonitor, RECT{0, 0, width, height}));
    EXPECT_EQ(MonitorFromWindow(nullptr, MONITOR_DEFAULTTONULL), nullptr);

    LONG_PTR framed = GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_TRUE(framed & WS_VISIBLE);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWL_STYLE, (framed & ~WS_OVERLAPPEDWINDOW) | WS_POPUP),
              framed);
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VISIBLE); // the show state stays
    log().clear();
    ASSERT_TRUE(SetWindowPos(hwnd, HWND_TOP, 0, 0, width, height, SWP_FRAMECHANGED));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_TRUE(same(client, RECT{0, 0, width, height})); // no frame left around it
    std::vector<logged> sizes = log().of(WM_SIZE, hwnd);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].lparam, MAKELPARAM(width, height));

    // Back to the frame: with SWP_NOMOVE | SWP_NOSIZE only the frame is measured again, and a
    // changed frame reports its client size even when the outer rectangle stays.
    SetWindowLongPtrA(hwnd, GWL_STYLE, framed);
    log().clear();
    SetWindowPos(hwnd, nullptr, 5, 5, 1, 1, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    EXPECT_EQ(log().of(WM_SIZE, hwnd).size(), 1u);
    RECT insets = frame_for_client(0, 0, 0, 0);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, width + insets.left - insets.right); // the frame's own size stays
    EXPECT_FALSE(SetWindowPos(nullptr, nullptr, 0, 0, 1, 1, 0));
    DestroyWindow(hwnd);
}
