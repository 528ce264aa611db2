// The selection rules under threads: a bitmap is in at most one DC at a time however many
// DCs race for it, and a bitmap deleted while DCs keep selecting it is refused from then on
// and freed once, after its last deselection.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

TEST(gdi_selection_threads, ABitmapDeletedWhileDcsSelectItIsRefusedFromThenOn) {
    HDC maker = CreateCompatibleDC(nullptr);
    HBITMAP shared = CreateCompatibleBitmap(maker, 8, 8);
    ASSERT_NE(shared, nullptr);
    std::atomic<bool> deleted{false};
    std::atomic<int> selected_after_delete{0};
    std::atomic<int> refusals{0};
    std::atomic<int> selections{0};
    start_gate gate;
    std::vector<std::thread> threads;
    for (int t = 0; t < thread_count; t++) {
        threads.emplace_back([&, t] {
            HDC dc = CreateCompatibleDC(nullptr);
            gate.pass();
            // Goes on until the deletion has been seen for a while, so that it always
            // falls while this thread is still selecting.
            int after_delete = 0;
            for (int i = 0; i < rounds || after_delete < 100; i++) {
                bool was_deleted = deleted.load();
                if (was_deleted) after_delete++;
                HGDIOBJ previous = SelectObject(dc, shared);
                if (!previous) {
                    if (was_deleted) refusals++;
                    continue;
                }
                if (was_deleted) selected_after_delete++;
                // The pixels stay usable while this DC holds the bitmap, deleted or not.
                SetPixel(dc, t, 1, RGB(1, 2, 3));
                if (GetPixel(dc, t, 1) != RGB(1, 2, 3)) selected_after_delete++;
                SelectObject(dc, previous);
                selections++;
            }
            DeleteDC(dc);
        });
    }
    // Delete once some selections have happened, so the deletion meets selected states.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (selections.load() < rounds / 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_GE(selections.load(), rounds / 4);
    EXPECT_TRUE(DeleteObject(shared));
    deleted.store(true);
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(selected_after_delete.load(), 0);
    EXPECT_GT(refusals.load(), 0);
    EXPECT_EQ(SelectObject(maker, shared), nullptr);
    BITMAP info;
    EXPECT_EQ(GetObjectA(shared, sizeof(info), &info), 0);
    DeleteDC(maker);
}
