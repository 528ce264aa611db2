// Window classes, creation and destruction, and the state any thread may read.
#include "wm_test_support.h"

#include <cstring>

using namespace wm_test;

namespace {

class wm_Lifetime : public wm_fixture {};

std::vector<UINT> messages_of(HWND hwnd) {
    std::vector<UINT> out;
    for (const logged &e : log().snapshot()) {
        if (e.hwnd == hwnd) out.push_back(e.message);
    }
    return out;
}

} // namespace

TEST_F(wm_Lifetime, CreationSendsMinMaxInfoNcCreateAndCreateBeforeReturning) {
    HWND hwnd = create_window();
    ASSERT_NE(hwnd, nullptr);
    std::vector<UINT> seen = messages_of(hwnd);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], UINT(WM_GETMINMAXINFO));
    EXPECT_EQ(seen[1], UINT(WM_NCCREATE));
    EXPECT_EQ(seen[2], UINT(WM_CREATE));
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd)); // not shown without WS_VISIBLE
    DestroyWindow(hwnd);
}

TEST_F(wm_Lifetime, CreateStructCarriesTheCreationParameter) {
    int marker = 0;
    LPVOID seen = nullptr;
    hook() = [&](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT *) {
        if (message == WM_CREATE) seen = *reinterpret_cast<LPVOID *>(lparam); // lpCreateParams
        return false;
    };
    HWND hwnd = CreateWindowExA(0, class_name(), "t", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                                nullptr, nullptr, &marker);
    EXPECT_EQ(seen, &marker);
    DestroyWindow(hwnd);
}

TEST_F(wm_Lifetime, AProcedureCanRefuseTheWindow) {
    hook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
        if (message != WM_NCCREATE) return false;
        *result = FALSE;
        return true;
    };
    EXPECT_EQ(create_window(), nullptr);
    ASSERT_GE(log().snapshot().size(), 1u);
    EXPECT_EQ(log().snapshot().back().message, UINT(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(log().snapshot().back().hwnd));

    log().clear();
    hook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
        if (message != WM_CREATE) return false;
        *result = -1;
        return true;
    };
    EXPECT_EQ(create_window(), nullptr);
    std::vector<logged> all = log().snapshot();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2].message, UINT(WM_DESTROY));
    EXPECT_EQ(all.back().message, UINT(WM_NCDESTROY));
}

TEST_F(wm_Lifetime, DestroySendsDestroyThenNcDestroyAndTheHandleDies) {
    HWND hwnd = create_window();
    std::vector<BOOL> alive_during;
    hook() = [&](HWND h, UINT message, WPARAM, LPARAM, LRESULT *) {
        if (message == WM_DESTROY || message == WM_NCDESTROY) alive_during.push_back(IsWindow(h));
        return false;
    };
    log().clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    std::vector<UINT> seen = messages_of(hwnd);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], UINT(WM_DESTROY));
    EXPECT_EQ(seen.back(), UINT(WM_NCDESTROY));
    EXPECT_EQ(alive_during, (std::vector<BOOL>{TRUE, TRUE}));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(GetLastError(), 1400u);
    size_t count = log().snapshot().size();
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0);
    EXPECT_EQ(log().snapshot().size(), count); // nothing reaches a destroyed window
}

TEST_F(wm_Lifetime, DestroyFromAnotherThreadRunsOnTheOwner) {
    gui_thread gui;
    gui.start();
    HWND hwnd = gui.window;
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(IsWindow(hwnd)); // already gone when DestroyWindow returns
    std::vector<logged> destroy = log().of(WM_DESTROY, hwnd);
    ASSERT_EQ(destroy.size(), 1u);
    EXPECT_EQ(destroy[0].thread, gui.id.load());
    EXPECT_EQ(log().of(WM_NCDESTROY, hwnd).at(0).thread, gui.id.load());
}

TEST_F(wm_Lifetime, CloseFromAnotherThreadDestroysThroughDefWindowProc) {
    gui_thread gui;
    gui.start();
    HWND hwnd = gui.window;
    EXPECT_EQ(SendMessageA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(log().count(WM_DESTROY, hwnd), 1u);
}

TEST_F(wm_Lifetime, AThreadThatEndsTakesItsWindowsWithIt) {
    std::atomic<HWND> hwnd{nullptr};
    std::thread owner([&] {
        hwnd = create_window();
        ShowWindow(hwnd, SW_SHOW);
    });
    owner.join();
    EXPECT_FALSE(IsWindow(hwnd));
    headless_test_window_info info;
    EXPECT_FALSE(headless_test_window_state(hwnd, &info));
}

TEST_F(wm_Lifetime, AStaleHandleNeverNamesANewerWindow) {
    HWND first = create_window();
    DestroyWindow(first);
    HWND second = create_window();
    EXPECT_NE(first, second);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    DestroyWindow(second);
}

TEST_F(wm_Lifetime, ClassesRegisterOnceAndUnknownClassesFail) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = logging_proc;
    wc.lpszClassName = "wmtestclass"; // names ignore case
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), 1410u);
    EXPECT_EQ(
        CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(GetLastError(), 1407u);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

TEST_F(wm_Lifetime, UserDataHoldsAFullPointer) {
    HWND hwnd = create_window();
    LONG_PTR big = static_cast<LONG_PTR>(0x123456789ABCDEF0ull);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, big), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), big);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0), big);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0);
    DestroyWindow(hwnd);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0);
}

TEST_F(wm_Lifetime, SetWindowTextFromAnotherThreadGoesThroughTheOwner) {
    gui_thread gui;
    gui.start();
    EXPECT_TRUE(SetWindowTextA(gui.window, "a new title"));
    std::vector<logged> settext = log().of(WM_SETTEXT, gui.window);
    ASSERT_EQ(settext.size(), 1u);
    EXPECT_EQ(settext[0].thread, gui.id.load());
    char text[6];
    EXPECT_EQ(GetWindowTextA(gui.window, text, sizeof text), 5);
    EXPECT_STREQ(text, "a new");
    EXPECT_EQ(headless_test_find_window("a new title"), gui.window.load());
}

// Titles are kept whole: the ANSI calls read and write Windows-1252, DefWindowProcW's
// WM_SETTEXT takes UTF-16, and the driver gets UTF-8 either way.
TEST_F(wm_Lifetime, TitlesReachTheDriverInUtf8) {
    HWND hwnd = create_window();
    EXPECT_EQ(headless_test_find_window("caf\xC3\xA9 \xE2\x82\xAC"), nullptr);
    ASSERT_TRUE(SetWindowTextA(hwnd, "caf\xE9 \x80"));
    EXPECT_EQ(headless_test_find_window("caf\xC3\xA9 \xE2\x82\xAC"), hwnd);
    const char16_t *wide = u"\u041F\u0440\u0438 \u20AC";
    EXPECT_TRUE(DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide)));
    EXPECT_EQ(headless_test_find_window("\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x82\xAC"), hwnd);
    char text[16];
    EXPECT_EQ(GetWindowTextA(hwnd, text, sizeof text), 5);
    EXPECT_STREQ(text, "??? \x80") << "what Windows-1252 lacks reads as '?'";
    DestroyWindow(hwnd);
}
