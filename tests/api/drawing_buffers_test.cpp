// Drawing buffers: single and double buffering, the two indices, clears and copies.
#include "drawing_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

namespace {

int open_window() {
    return ZVCreateWindow(30, 30, 50, 40, "buffers");
}

} // namespace

TEST(Buffers, SingleBufferedSwitchesAndCopyChangeNothing) {
    int w = open_window();
    ZVSetPixel(w, 2, 2, k_green);
    EXPECT_EQ(ZVSwitchDrawBuffer(w) + ZVSwitchViewBuffer(w), 0);
    EXPECT_EQ(ZVCopyDrawBufferToView(w), ZV_OK);
    EXPECT_EQ(ZVSetDoubleBuffer(w, 0), 0);
    EXPECT_EQ(ZVGetPixel(w, 2, 2), k_green);
    // The background shows only in later clears; both clears act on the one buffer.
    ZVSetBackground(w, k_blue);
    EXPECT_EQ(ZVGetPixel(w, 0, 0), k_white);
    EXPECT_EQ(ZVClearViewBuffer(w), ZV_OK);
    EXPECT_EQ(picture(w).count(k_blue), 50 * 40);
}

TEST(Buffers, DoubleBufferedDrawClearCopyAndSwitchOff) {
    int w = open_window();
    EXPECT_EQ(ZVSetDoubleBuffer(w, 7), 1);
    EXPECT_EQ(ZVGetDrawBuffer(w) + ZVGetViewBuffer(w), 0) << "both still name buffer 0";
    EXPECT_EQ(ZVSwitchDrawBuffer(w), 1);
    ZVClearDrawBuffer(w);
    ZVSetPixel(w, 4, 4, k_red);
    EXPECT_EQ(ZVSetDoubleBuffer(w, 1), 1);
    EXPECT_EQ(ZVGetPixel(w, 4, 4), k_red) << "asking again made no new buffer";
    ZVSetBackground(w, k_green);
    EXPECT_EQ(ZVClearViewBuffer(w), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 4, 4), k_red) << "only the view buffer was cleared";
    EXPECT_EQ(ZVCopyDrawBufferToView(w), ZV_OK);
    EXPECT_EQ(ZVSwitchViewBuffer(w), 1);
    EXPECT_EQ(ZVSwitchDrawBuffer(w), 0);
    EXPECT_EQ(picture(w).at(4, 4), k_red) << "buffer 0 got the copy";

    ZVSwitchDrawBuffer(w);
    ZVSwitchViewBuffer(w);
    EXPECT_EQ(ZVSetDoubleBuffer(w, 0), 0) << "keeps draw buffer 1, now also on view";
    EXPECT_EQ(ZVGetDrawBuffer(w) * 10 + ZVGetViewBuffer(w), 11);
    EXPECT_EQ(ZVSwitchDrawBuffer(w) * 10 + ZVSwitchViewBuffer(w), 11);
    EXPECT_EQ(ZVGetPixel(w, 4, 4), k_red);
    EXPECT_EQ(ZVSetDoubleBuffer(w, 1), 1);
    EXPECT_EQ(ZVSwitchDrawBuffer(w), 0) << "a new buffer 0";
    EXPECT_EQ(ZVClearDrawBuffer(w), ZV_OK);
    EXPECT_EQ(picture(w).count(k_green), 50 * 40);
}

TEST(Buffers, AutoRedrawPeriods) {
    int w = open_window();
    for (int asked : {3, -5, INT_MIN, 10}) EXPECT_EQ(ZVSetAutoRedraw(w, asked), 10) << asked;
    EXPECT_EQ(ZVSetAutoRedraw(w, 200), 200);
    EXPECT_EQ(ZVSetAutoRedraw(w, 0), 0);
    EXPECT_EQ(ZVSetAutoRedraw(w, 0), 0);
}

// Two threads draw while a third switches double buffering on and off and copies, and the
// GUI thread repaints every 10 ms: every buffer change happens under the window lock.
TEST(Buffers, DrawingTogglingAndPaintingTogether) {
    int w = open_window();
    ZVSetAutoRedraw(w, 10);
    std::atomic<bool> done{false};
    std::thread toggler([&] {
        for (int i = 0; !done; ++i) {
            ZVSetDoubleBuffer(w, i % 2);
            ZVCopyDrawBufferToView(w);
        }
    });
    auto drawer = [w](ZVCOLOUR colour) {
        for (int i = 0; i < 400; ++i) {
            ZVSetPixel(w, i % 50, i % 40, colour);
            ZVFillRectangle(w, i % 30, 5, i % 30 + 10, 15);
            if (i % 50 == 0) ZVClearDrawBuffer(w);
        }
    };
    std::thread first(drawer, k_red), second(drawer, k_blue);
    first.join();
    second.join();
    done = true;
    toggler.join();
    EXPECT_EQ(ZVSetDoubleBuffer(w, 0), 0);
    EXPECT_EQ(ZVClearDrawBuffer(w), ZV_OK);
    EXPECT_EQ(picture(w).count(k_white), 50 * 40);
}

// When the second buffer cannot be made the call still reports the setting asked for, but
// the window stays single-buffered, so nothing selects or draws into a missing buffer.
// Asking again once the platform has room makes the buffer.
TEST(Buffers, UnmadeSecondBufferLeavesTheWindowSingleBuffered) {
    int w = open_window();
    gdi_objects_exhausted objects;
    if (!objects.exhausted) GTEST_SKIP() << "the platform hands out GDI objects without limit";
    EXPECT_EQ(ZVSetDoubleBuffer(w, 1), 1);
    EXPECT_EQ(ZVSwitchDrawBuffer(w) + ZVSwitchViewBuffer(w), 0);
    EXPECT_EQ(ZVClearViewBuffer(w), ZV_OK);
    EXPECT_EQ(ZVSetPixel(w, 2, 2, k_blue), k_blue);
    EXPECT_EQ(ZVCopyDrawBufferToView(w), ZV_OK);
    EXPECT_EQ(ZVSetDoubleBuffer(w, 0), 0);
    objects.release();

    EXPECT_EQ(ZVSetDoubleBuffer(w, 1), 1);
    EXPECT_EQ(ZVSwitchDrawBuffer(w), 1);
    EXPECT_EQ(ZVClearDrawBuffer(w), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 2, 2), k_white);
    EXPECT_EQ(ZVSwitchDrawBuffer(w), 0);
    EXPECT_EQ(ZVGetPixel(w, 2, 2), k_blue);
}
