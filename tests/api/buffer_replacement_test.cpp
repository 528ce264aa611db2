// Threads that replace one window's buffers at the same time: switching double buffering on
// and off, resizing, and showing a bitmap (which resizes too). No buffer may be lost, and
// none may be left at another size than the window's.
#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "drawing_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// How many more GDI objects the platform hands out; 0 when it sets no limit. Every object
// a test leaves behind makes the number smaller.
size_t free_gdi_objects() {
    gdi_objects_exhausted objects;
    return objects.exhausted ? objects.held.size() : 0;
}

// The buffers a window holds agree with its state: both when double-buffered, else only the
// draw buffer, which is also on view; each exactly as large as the window.
bool buffers_match_state(int handle) {
    window_ref window(handle);
    window_record *r = window.record;
    EnterCriticalSection(&r->lock);
    int draw = r->drawing->draw_buffer, doubled = r->drawing->double_buffered;
    bool match = doubled || draw == r->view_buffer;
    for (int i = 0; i < 2; ++i) {
        HBITMAP buffer = r->buffer_bitmap[i];
        BITMAP size{};
        match = match && (buffer != nullptr) == (doubled || draw == i);
        if (buffer)
            match = match && GetObjectA(buffer, sizeof size, &size) && size.bmWidth == r->width &&
                    size.bmHeight == r->height;
    }
    LeaveCriticalSection(&r->lock);
    return match;
}

} // namespace

TEST(BufferReplacement, SwitchingWhileResizingLosesNoBuffer) {
    // A first window makes whatever GDI keeps for good (stock objects), before the count.
    ZVDestroyWindow(ZVCreateWindow(10, 10, 20, 20, "warm-up"));
    size_t free_before = free_gdi_objects();
    int picture_window = ZVCreateWindow(10, 10, 70, 50, "picture");
    int picture = ZVCopyBitmap(picture_window, 0, 0, 70, 50);
    ASSERT_NE(picture, 0);
    ZVDestroyWindow(picture_window);

    int w = ZVCreateWindow(10, 10, 64, 48, "switching and resizing");
    std::atomic<bool> resizing{true};
    std::thread resizer([&] {
        for (int i = 0; i < 1000; ++i) {
            if (i % 4 == 3)
                ZVShowBitmap(w, picture);
            else
                ZVResize(w, 40 + i % 7 * 8, 30 + i % 5 * 6);
        }
        resizing = false;
    });
    for (int i = 0; resizing || i < 2000; ++i) {
        ZVSetDoubleBuffer(w, i & 1);
        ZVSwitchDrawBuffer(w);
        ZVSwitchViewBuffer(w);
    }
    resizer.join();
    EXPECT_TRUE(buffers_match_state(w));
    ZVDestroyWindow(w);
    ZVDiscardBitmap(picture);
    if (free_before == 0) GTEST_SKIP() << "the platform hands out GDI objects without limit";
    EXPECT_EQ(free_gdi_objects(), free_before) << "GDI objects left behind";
}

// The size the window's record holds for later resizes agrees with its buffers' size.
bool recorded_size_matches_buffers(int handle) {
    window_ref window(handle);
    window_record *r = window.record;
    EnterCriticalSection(&r->lock);
    EnterCriticalSection(&r->state_lock);
    RECT client = r->client_screen_rect;
    bool match = client.right - client.left == r->width && client.bottom - client.top == r->height;
    LeaveCriticalSection(&r->state_lock);
    LeaveCriticalSection(&r->lock);
    return match;
}

// Two threads resize one window to their own sizes, starting each round together. Whichever
// wins, the buffers, the size the API reports and the size a later resize compares with are
// the same one, and resizing to either size then gives that size.
TEST(BufferReplacement, TwoResizersLeaveOneSize) {
    int w = ZVCreateWindow(10, 10, 64, 48, "two resizers");
    const int rounds = 2000;
    std::atomic<int> started{0};
    std::thread other([&] {
        for (int round = 0; round < rounds; ++round) {
            while (started.load() != 2 * round + 1) std::this_thread::yield();
            started.fetch_add(1);
            ZVResize(w, 90, 70);
        }
    });
    int mismatched = 0;
    for (int round = 0; round < rounds; ++round) {
        started.fetch_add(1);
        ZVResize(w, 50, 30);
        while (started.load() != 2 * round + 2) std::this_thread::yield();
        // The other thread's resize may still run: check it once both are done, next round.
        if (round > 0 && !recorded_size_matches_buffers(w)) ++mismatched;
    }
    other.join();
    EXPECT_EQ(mismatched, 0);
    EXPECT_TRUE(recorded_size_matches_buffers(w));
    EXPECT_TRUE(buffers_match_state(w));
    for (int width : {50, 90, 50}) {
        ASSERT_EQ(ZVResize(w, width, width - 20), ZV_OK);
        EXPECT_EQ(ZVGetWidth(w), width);
        EXPECT_EQ(ZVGetHeight(w), width - 20);
        EXPECT_TRUE(buffers_match_state(w)) << "resized to " << width;
    }
    ZVDestroyWindow(w);
}
