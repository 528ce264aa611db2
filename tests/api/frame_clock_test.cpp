// The program's clock, frame pacing, presenting's buffer switch and key names, through the
// public API alone.
#include "poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(FramePacing, TicksAdvanceAndTheScheduleHoldsItsBeatWithoutBursts) {
    int w = ZVCreateWindow(10, 10, 40, 30, "pace");
    EXPECT_EQ(ZVWaitFrame(0, 60), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVWaitFrame(w, 0), ZV_ERROR);
    EXPECT_EQ(ZVWaitFrame(w, 1001), ZV_ERROR);
    // Ten calls at 100 frames a second can not take less than ten periods, whatever the load.
    int start = ZVGetTicks();
    for (int i = 0; i < 10; ++i) EXPECT_GE(ZVWaitFrame(w, 100), 0);
    EXPECT_GE(ZVGetTicks() - start, 99);
    // A stall of ten periods is reported as ticks missed, and the call after it still waits a
    // period: the schedule goes on from now instead of catching up.
    int stalled = ZVGetTicks();
    ASSERT_TRUE(poll_until([&] { return ZVGetTicks() - stalled >= 100; }));
    EXPECT_GE(ZVWaitFrame(w, 100), 5);
    int resumed = ZVGetTicks();
    EXPECT_GE(ZVWaitFrame(w, 100), 0);
    EXPECT_GE(ZVGetTicks() - resumed, 9);
    ZVDestroyWindow(w);
}

TEST(FineClock, SecondsRunWithTheTicksAndResolveWellUnderAMillisecond) {
    // The two clocks count from the same start: the seconds bracket the ticks read between.
    double before = ZVGetTime();
    int ticks = ZVGetTicks();
    double after = ZVGetTime();
    EXPECT_LE(before, ticks / 1000.0 + 0.001);
    EXPECT_GE(after, ticks / 1000.0);
    // Never backwards, and a change is seen long before a whole millisecond has passed.
    double last = ZVGetTime(), smallest_step = 1;
    for (int i = 0; i < 100000 && smallest_step >= 0.001; ++i) {
        double now = ZVGetTime();
        ASSERT_GE(now, last);
        if (now > last && now - last < smallest_step) smallest_step = now - last;
        last = now;
    }
    EXPECT_LT(smallest_step, 0.001);
}

TEST(Present, TheFinishedFrameGoesOnViewAndDrawingGoesOnInTheOther) {
    int w = ZVCreateWindow(10, 10, 40, 30, "present");
    ZVSetDoubleBuffer(w, 1);
    for (int frame = 0; frame < 4; ++frame) {
        int drawn = ZVGetDrawBuffer(w);
        ASSERT_EQ(ZVPresent(w), ZV_OK);
        EXPECT_EQ(ZVGetViewBuffer(w), drawn);
        EXPECT_EQ(ZVGetDrawBuffer(w), 1 - drawn);
    }
    ZVSetDoubleBuffer(w, 0);
    EXPECT_EQ(ZVPresent(w), ZV_OK);
    EXPECT_EQ(ZVPresent(0), ZV_ERR_BAD_WINDOW);
    ZVDestroyWindow(w);
}

TEST(KeyNames, EveryKeyHasAConstantNameAndNonKeysAnEmptyOne) {
    const std::pair<int, const char *> named[] = {
        {'a', "a"},
        {'A', "a"},
        {'1', "1"},
        {'-', "-"},
        {' ', "Space"},
        {ZV_KEY_SPACE, "Space"},
        {ZV_KEY_ESCAPE, "Escape"},
        {ZV_KEY_LEFT, "Left"},
        {ZV_KEY_PAGE_DOWN, "Page Down"},
        {ZV_KEY_F5, "F5"},
        {ZV_KEY_F12, "F12"},
        {ZV_KEY_ALT, "Alt"},
        {ZV_KEY_F4 | ZV_MOD_ALT << 16, "F4"},
        {0, ""},
        {'\n', ""},
        {127, ""},
        {ZV_KEY_ALT + 1, ""},
        {-1, ""},
        {ZV_ERR_BAD_WINDOW, ""},
    };
    for (const auto &key : named) EXPECT_EQ(std::string(ZVGetKeyName(key.first)), key.second);
    EXPECT_EQ(ZVGetKeyName(ZV_KEY_F1), ZVGetKeyName(ZV_KEY_F1)); // the same constant string
}
