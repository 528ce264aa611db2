// The selection rules under threads: a bitmap is in at most one DC at a time however many
// DCs race for it, and an object deleted while selected is refused by every other DC and
// freed once, at its last deselection.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int thread_count = 4;
constexpr int rounds = 20000;

// Holds every thread until all have started, so that they really race instead of running
// one after another.
struct start_gate {
    std::atomic<int> waiting{0};
    void pass() {
        waiting.fetch_add(1);
        while (waiting.load() < thread_count) std::this_thread::yield();
    }
};

} // namespace

TEST(gdi_selection_threads, ABitmapIsInOneDcAtATimeWhileDcsRaceForIt) {
    HDC maker = CreateCompatibleDC(nullptr);
    HBITMAP shared = CreateCompatibleBitmap(maker, 8, 8);
    ASSERT_NE(shared, nullptr);
    std::atomic<int> holders{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> wrong_pixels{0};
    std::atomic<int> selections{0};
    start_gate gate;
    std::vector<std::thread> threads;
    for (int t = 0; t < thread_count; t++) {
        threads.emplace_back([&, t] {
            HDC dc = CreateCompatibleDC(nullptr);
            gate.pass();
            for (int i = 0; i < rounds; i++) {
                HGDIOBJ previous = SelectObject(dc, shared);
                if (!previous) continue; // another DC holds it
                if (holders.fetch_add(1) != 0) overlaps++;
                // Selecting it again into the same DC is no second selection.
                if (SelectObject(dc, shared) != shared) overlaps++;
                COLORREF mine = RGB(t, i & 255, 7);
                SetPixel(dc, t, 0, mine);
                if (GetPixel(dc, t, 0) != mine) wrong_pixels++;
                holders.fetch_sub(1);
                if (SelectObject(dc, previous) != shared) overlaps++;
                selections++;
            }
            DeleteDC(dc);
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(wrong_pixels.load(), 0);
    EXPECT_GT(selections.load(), 0);
    // Every DC let go of it, so a plain DC takes it and DeleteObject frees it at once.
    HGDIOBJ original = SelectObject(maker, shared);
    EXPECT_NE(original, nullptr);
    SelectObject(maker, original);
    EXPECT_TRUE(DeleteObject(shared));
    BITMAP info;
    EXPECT_EQ(GetObjectA(shared, sizeof(info), &info), 0);
    DeleteDC(maker);
}

// One DC holds the bitmap and keeps drawing into it while DeleteObject comes from another
// thread and other DCs try to take it: they are refused throughout, the holder's pixels stay
// valid, and the record is freed at the holder's deselection, once.
TEST(gdi_selection_threads, ABitmapDeletedWhileSelectedStaysWithItsDcUntilDeselected) {
    HDC maker = CreateCompatibleDC(nullptr);
    HBITMAP shared = CreateCompatibleBitmap(maker, 8, 8);
    ASSERT_NE(shared, nullptr);
    HDC holder = CreateCompatibleDC(nullptr);
    HGDIOBJ holder_original = SelectObject(holder, shared);
    ASSERT_NE(holder_original, nullptr);
    std::atomic<bool> stop{false};
    std::atomic<int> taken_elsewhere{0};
    std::atomic<int> attempts{0};
    std::atomic<int> wrong_pixels{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < thread_count - 1; t++) {
        threads.emplace_back([&] {
            HDC dc = CreateCompatibleDC(nullptr);
            while (!stop.load()) {
                HGDIOBJ previous = SelectObject(dc, shared);
                attempts++;
                if (previous) {
                    taken_elsewhere++;
                    SelectObject(dc, previous);
                }
            }
            DeleteDC(dc);
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < rounds; i++) {
            COLORREF colour = RGB(i & 255, 3, 4);
            SetPixel(holder, i & 7, 2, colour);
            if (GetPixel(holder, i & 7, 2) != colour) wrong_pixels++;
            if (i == rounds / 2) {
                EXPECT_TRUE(DeleteObject(shared)); // still selected: deferred
            }
        }
    });
    threads.back().join();
    threads.pop_back();
    stop.store(true);
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(taken_elsewhere.load(), 0);
    EXPECT_GT(attempts.load(), 0);
    EXPECT_EQ(wrong_pixels.load(), 0);
    BITMAP info;
    EXPECT_EQ(GetObjectA(shared, sizeof(info), &info), (int)sizeof(BITMAP)); // not freed yet
    EXPECT_EQ(SelectObject(holder, holder_original), shared);
    EXPECT_EQ(GetObjectA(shared, sizeof(info), &info), 0); // freed at the deselection
    EXPECT_EQ(SelectObject(maker, shared), nullptr);
    DeleteDC(holder);
    DeleteDC(maker);
}
