// Input on the headless screen becomes the messages Win32 delivers.
#include "wm_test_support.h"

#include <utility>
#include <vector>

using namespace wm_test;

namespace {

class wm_Input : public wm_fixture {};

// A shown window of this thread whose client area is at (x, y).
HWND shown_at(int x, int y, int width, int height, const char *title = "input") {
    RECT f{x, y, x + width, y + height};
    AdjustWindowRect(&f, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = create_window(f.left, f.top, f.right - f.left, f.bottom - f.top, title);
    ShowWindow(hwnd, SW_SHOW);
    pump_until([] { return false; }, 0);
    return hwnd;
}

// Pumps until `count` messages of the kind have arrived; returns the last one.
logged await(UINT message, size_t count = 1, HWND hwnd = nullptr) {
    EXPECT_TRUE(pump_until([&] { return log().count(message, hwnd) >= count; }));
    std::vector<logged> seen = log().of(message, hwnd);
    return seen.empty() ? logged{} : seen.back();
}

void settle() {
    pump_until([] { return false; }, 30);
}

} // namespace

TEST_F(wm_Input, PointerMovesOverTheClientAreaBecomeMouseMoves) {
    HWND hwnd = shown_at(400, 300, 200, 100);
    headless_test_move_pointer(410, 320, 0);
    logged move = await(WM_MOUSEMOVE);
    EXPECT_EQ(move.hwnd, hwnd);
    EXPECT_EQ(move.lparam, MAKELPARAM(10, 20));
    EXPECT_EQ(move.wparam, 0u);
    headless_test_move_pointer(401, 302, DISPLAY_BUTTON_LEFT | DISPLAY_MOD_SHIFT);
    move = await(WM_MOUSEMOVE, 2);
    EXPECT_EQ(move.lparam, MAKELPARAM(1, 2));
    EXPECT_EQ(move.wparam, WPARAM(MK_LBUTTON | MK_SHIFT));
    headless_test_move_pointer(398, 302, 0);  // on the left border: not the client area
    headless_test_move_pointer(1000, 900, 0); // the desktop
    settle();
    EXPECT_EQ(log().count(WM_MOUSEMOVE), 2u);
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, ButtonsCarryTheirKeyFlagsAndClientCoordinates) {
    HWND hwnd = shown_at(100, 100, 300, 200);
    headless_test_move_pointer(110, 120, 0);
    headless_test_press(DISPLAY_BUTTON_LEFT, DISPLAY_MOD_CONTROL);
    logged down = await(WM_LBUTTONDOWN);
    EXPECT_EQ(down.hwnd, hwnd);
    EXPECT_EQ(down.lparam, MAKELPARAM(10, 20));
    EXPECT_EQ(down.wparam, WPARAM(MK_LBUTTON | MK_CONTROL));
    headless_test_release(DISPLAY_BUTTON_LEFT, DISPLAY_MOD_CONTROL);
    EXPECT_EQ(await(WM_LBUTTONUP).wparam, WPARAM(MK_CONTROL)); // the button is up now

    headless_test_move_pointer(399, 299, 0);
    headless_test_press(DISPLAY_BUTTON_RIGHT, DISPLAY_MOD_SHIFT);
    logged right = await(WM_RBUTTONDOWN);
    EXPECT_EQ(right.lparam, MAKELPARAM(299, 199));
    EXPECT_EQ(right.wparam, WPARAM(MK_RBUTTON | MK_SHIFT));
    headless_test_release(DISPLAY_BUTTON_RIGHT, 0);
    EXPECT_EQ(await(WM_RBUTTONUP).wparam, 0u);

    headless_test_press(DISPLAY_BUTTON_MIDDLE, DISPLAY_MOD_SHIFT | DISPLAY_MOD_CONTROL);
    EXPECT_EQ(await(WM_MBUTTONDOWN).wparam, WPARAM(MK_MBUTTON | MK_SHIFT | MK_CONTROL));
    headless_test_release(DISPLAY_BUTTON_MIDDLE, 0);
    await(WM_MBUTTONUP);
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, TheTopmostWindowGetsTheClickAndIsActivatedFirst) {
    HWND below = shown_at(100, 100, 300, 300, "below");
    HWND above = shown_at(200, 200, 300, 300, "above");
    headless_test_move_pointer(250, 250, 0); // where both overlap
    headless_test_press(DISPLAY_BUTTON_LEFT, 0);
    EXPECT_EQ(await(WM_LBUTTONDOWN).hwnd, above);
    headless_test_release(DISPLAY_BUTTON_LEFT, 0);
    log().clear();
    headless_test_move_pointer(150, 150, 0); // only the lower window is here
    headless_test_press(DISPLAY_BUTTON_LEFT, 0);
    await(WM_LBUTTONDOWN);
    std::vector<logged> all = log().snapshot();
    size_t activate = all.size(), press = all.size();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].message == WM_ACTIVATE && all[i].hwnd == below && activate == all.size()) {
            activate = i;
            EXPECT_EQ(LOWORD(all[i].wparam), WA_CLICKACTIVE);
        }
        if (all[i].message == WM_LBUTTONDOWN) press = i;
    }
    EXPECT_LT(activate, press);
    EXPECT_EQ(GetForegroundWindow(), below);
    headless_test_window_info info;
    headless_test_window_state(below, &info);
    EXPECT_EQ(info.z_order, 0);
    DestroyWindow(below);
    DestroyWindow(above);
}

TEST_F(wm_Input, CharactersGoToTheFocusWindowWithTheirRepeatCount) {
    HWND other = shown_at(0, 0, 200, 100, "other");
    HWND hwnd = shown_at(300, 300, 200, 100, "focused");
    ASSERT_EQ(GetFocus(), hwnd);
    headless_test_type('q', 3);
    logged c = await(WM_CHAR);
    EXPECT_EQ(c.hwnd, hwnd);
    EXPECT_EQ(c.wparam, WPARAM('q'));
    EXPECT_EQ(LOWORD(c.lparam), 3);
    // An ANSI window gets the Windows-1252 byte, or '?' for what that code page lacks.
    const std::pair<uint32_t, WPARAM> ansi[] = {{0xE9, 0xE9}, {0x20AC, 0x80}, {0x436, '?'}};
    for (size_t i = 0; i < 3; ++i) {
        headless_test_type(ansi[i].first, 1);
        EXPECT_EQ(await(WM_CHAR, 2 + i).wparam, ansi[i].second) << ansi[i].first;
    }
    DestroyWindow(other);
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, AUnicodeWindowGetsUtf16WithSurrogatePairsRepeatedWhole) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = logging_proc;
    const WCHAR name[] = u"WmWideClass";
    wc.lpszClassName = name;
    ASSERT_NE(RegisterClassW(&wc), 0);
    EXPECT_EQ(RegisterClassW(&wc), 0) << "registered once";
    HWND hwnd = CreateWindowExA(0, "wmwideclass", "wide", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    pump_until([] { return false; }, 0);
    ASSERT_EQ(GetFocus(), hwnd);
    headless_test_type(0x436, 2);
    logged zhe = await(WM_CHAR, 1, hwnd);
    EXPECT_EQ(zhe.wparam, 0x436u);
    EXPECT_EQ(LOWORD(zhe.lparam), 2);
    headless_test_type(0x1F600, 2); // a pair per character typed
    await(WM_CHAR, 5, hwnd);
    std::vector<logged> chars = log().of(WM_CHAR, hwnd);
    const WPARAM units[] = {0xD83D, 0xDE00, 0xD83D, 0xDE00};
    for (size_t i = 0; i < 4 && i + 1 < chars.size(); ++i) {
        EXPECT_EQ(chars[i + 1].wparam, units[i]);
        EXPECT_EQ(LOWORD(chars[i + 1].lparam), 1);
    }
    headless_test_type(0x110000, 1); // no such code point: nothing arrives
    headless_test_type('k', 1);
    EXPECT_EQ(await(WM_CHAR, 6, hwnd).wparam, WPARAM('k'));
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, DraggingTheBorderResizesWithinTheLimitsOnTheOwnerThread) {
    hook() = [](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT *) {
        if (message == WM_GETMINMAXINFO) {
            reinterpret_cast<MINMAXINFO *>(lparam)->ptMaxTrackSize = POINT{600, 500};
        }
        return false;
    };
    gui_thread gui;
    gui.start([] {
        RECT f{100, 100, 400, 300};
        AdjustWindowRect(&f, WS_OVERLAPPEDWINDOW, FALSE);
        HWND h = create_window(f.left, f.top, f.right - f.left, f.bottom - f.top);
        ShowWindow(h, SW_SHOW);
        return h;
    });
    log().clear();
    ASSERT_TRUE(headless_test_drag_border(gui.window, 450, 350));
    std::vector<logged> sizes = log().of(WM_SIZE, gui.window);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].thread, gui.id.load());
    EXPECT_EQ(log().of(WM_GETMINMAXINFO, gui.window).at(0).thread, gui.id.load());
    RECT client;
    GetClientRect(gui.window, &client);
    EXPECT_EQ(sizes[0].lparam, MAKELPARAM(client.right, client.bottom));
    RECT frame;
    GetWindowRect(gui.window, &frame);
    EXPECT_EQ(frame.right - frame.left, 450);
    EXPECT_EQ(log().count(WM_MOVE, gui.window), 0u); // the corner stayed put

    ASSERT_TRUE(headless_test_drag_border(gui.window, 900, 900));
    GetWindowRect(gui.window, &frame);
    EXPECT_EQ(frame.right - frame.left, 600);
    EXPECT_EQ(frame.bottom - frame.top, 500);
}

// A procedure may answer WM_SIZE by moving the window back, as the library does.
TEST_F(wm_Input, AWindowThatPutsItselfBackAfterADragEndsAtItsOwnSize) {
    HWND hwnd = shown_at(100, 100, 300, 200);
    RECT kept;
    GetWindowRect(hwnd, &kept);
    hook() = [kept](HWND h, UINT message, WPARAM, LPARAM, LRESULT *) {
        if (message == WM_SIZE) {
            RECT now;
            GetWindowRect(h, &now);
            MoveWindow(h, now.left, now.top, kept.right - kept.left, kept.bottom - kept.top, TRUE);
        }
        return false;
    };
    ASSERT_TRUE(headless_test_drag_border(hwnd, 700, 600));
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.right - after.left, kept.right - kept.left);
    EXPECT_EQ(after.bottom - after.top, kept.bottom - kept.top);
    EXPECT_EQ(log().count(WM_SIZE, hwnd), 2u + 1u); // first show, the drag, the way back
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, TheUsersMaximiseAndCloseButtons) {
    HWND hwnd = shown_at(100, 100, 300, 200);
    log().clear();
    ASSERT_TRUE(headless_test_maximize(hwnd));
    EXPECT_EQ(log().count(WM_GETMINMAXINFO, hwnd), 1u);
    EXPECT_EQ(log().of(WM_SIZE, hwnd).at(0).wparam, WPARAM(SIZE_MAXIMIZED));
    headless_test_window_info info;
    ASSERT_TRUE(headless_test_window_state(hwnd, &info));
    EXPECT_TRUE(info.maximized);
    ASSERT_TRUE(headless_test_restore(hwnd));
    ASSERT_TRUE(headless_test_minimize(hwnd));
    EXPECT_TRUE(IsIconic(hwnd));
    ASSERT_TRUE(headless_test_close(hwnd));
    EXPECT_TRUE(pump_until([&] { return !IsWindow(hwnd); }));
}

TEST_F(wm_Input, TheCloseButtonDoesNothingForNoCloseClasses) {
    WNDCLASSA wc{};
    wc.style = CS_NOCLOSE | CS_OWNDC;
    wc.lpfnWndProc = logging_proc;
    wc.lpszClassName = "WmTestNoClose";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "WmTestNoClose", "no close", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150,
                                nullptr, nullptr, nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    ASSERT_TRUE(headless_test_close(hwnd));
    settle();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(log().count(WM_CLOSE, hwnd), 0u);
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, ExposureRepaints) {
    HWND hwnd = shown_at(100, 100, 300, 200);
    await(WM_PAINT);
    RECT part{10, 10, 50, 50};
    ASSERT_TRUE(headless_test_expose(hwnd, &part));
    RECT painted{};
    hook() = [&](HWND h, UINT message, WPARAM, LPARAM, LRESULT *) {
        if (message != WM_PAINT) return false;
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        painted = ps.rcPaint;
        EndPaint(h, &ps);
        return true;
    };
    await(WM_PAINT, 2);
    EXPECT_EQ(painted.left, 10);
    EXPECT_EQ(painted.bottom, 50);
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, TheCaptureWindowGetsThePointerAnywhereUntilItIsReleased) {
    HWND hwnd = shown_at(100, 100, 300, 200, "captures");
    HWND other = shown_at(600, 100, 200, 200, "other");
    EXPECT_EQ(SetCapture(hwnd), nullptr);
    EXPECT_EQ(GetCapture(), hwnd);
    headless_test_move_pointer(650, 150, 0); // over the other window
    logged move = await(WM_MOUSEMOVE);
    EXPECT_EQ(move.hwnd, hwnd);
    EXPECT_EQ(move.lparam, MAKELPARAM(550, 50));
    headless_test_move_pointer(50, 60, DISPLAY_BUTTON_LEFT); // the desktop, above and left
    headless_test_release(DISPLAY_BUTTON_LEFT, 0);
    EXPECT_EQ(await(WM_MOUSEMOVE, 2).lparam, MAKELPARAM(-50, -40));
    EXPECT_EQ(await(WM_LBUTTONUP).hwnd, hwnd);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(log().of(WM_CAPTURECHANGED, hwnd).size(), 1u); // sent at once, as on Win32
    EXPECT_EQ(GetCapture(), nullptr);
    headless_test_move_pointer(650, 160, 0);
    EXPECT_EQ(await(WM_MOUSEMOVE, 3).hwnd, other);
    DestroyWindow(other);
    DestroyWindow(hwnd);
}

TEST_F(wm_Input, KeysBecomeKeyMessagesAndAltF4AsksToClose) {
    HWND hwnd = shown_at(100, 100, 300, 200);
    ASSERT_EQ(GetFocus(), hwnd);
    headless_test_key_down('Q', 0);
    headless_test_key_down('Q', 0); // auto-repeat: the key was down already
    headless_test_key_up('Q', 0);
    await(WM_KEYUP);
    std::vector<logged> downs = log().of(WM_KEYDOWN, hwnd);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].wparam, WPARAM('Q'));
    EXPECT_EQ(downs[0].lparam, 1);
    EXPECT_EQ(downs[1].lparam, 1 | 1 << 30);
    EXPECT_EQ(log().of(WM_KEYUP).at(0).lparam, LPARAM(0xC0000001u));
    EXPECT_EQ(MapVirtualKeyA(VK_OEM_2, MAPVK_VK_TO_CHAR), UINT('/'));
    EXPECT_EQ(MapVirtualKeyA('Q', MAPVK_VK_TO_CHAR), UINT('Q'));
    // With ALT held keys are system keys; the default handling of Alt+F4 is SC_CLOSE, and
    // that of SC_CLOSE is WM_CLOSE.
    headless_test_key_down(VK_MENU, DISPLAY_MOD_ALT);
    headless_test_key_down(VK_F4, DISPLAY_MOD_ALT);
    EXPECT_EQ(await(WM_SYSKEYDOWN, 2).lparam, LPARAM(1 | 1 << 29));
    EXPECT_EQ(await(WM_SYSCOMMAND).wparam, WPARAM(SC_CLOSE));
    EXPECT_TRUE(pump_until([&] { return !IsWindow(hwnd); }));
    EXPECT_EQ(log().count(WM_CLOSE, hwnd), 1u);
}
