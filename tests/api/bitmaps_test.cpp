// Bitmaps: ids, the list, showing, pasting and copying. A record's life while it is held, and
// the screen a shown bitmap resizes, are in bitmaps_inside_test.cpp.
#include "drawing_support.h"
#include "image_files.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

int load(const scratch_folder &dir, const bmp_image &image) {
    return ZVLoadBitmap(dir.write("b.bmp", image.file()).c_str());
}

} // namespace

TEST(Bitmaps, IdsStartAtOneAndAreNeverGivenTwice) {
    scratch_folder dir;
    int first = load(dir, make_bmp(4, 3, 24));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(ZVDiscardBitmap(first), ZV_OK);
    EXPECT_EQ(ZVDiscardBitmap(first), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    int second = load(dir, make_bmp(4, 3, 24));
    EXPECT_EQ(second, 2);
    EXPECT_EQ(ZVGetBitmapWidth(first), -999981);
    EXPECT_EQ(ZVGetBitmapHeight(first), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetBitmapWidth(second), 4);
    EXPECT_EQ(ZVGetBitmapHeight(second), 3);
}

TEST(Bitmaps, LookupFailuresReportTheWindowFirst) {
    scratch_folder dir;
    int bitmap = load(dir, make_bmp(4, 4, 24));
    int w = ZVCreateWindow(20, 20, 50, 40, "lookups");
    EXPECT_EQ(ZVShowBitmap(9999, 9999), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVShowBitmap(w, 9999), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVPasteBitmap(9999, bitmap, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmap(w, 9999, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetWidth(w), 50); // nothing was resized on the way
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVIsWindow(w), ZV_ERR_BAD_WINDOW);
}

TEST(Bitmaps, PasteDrawsAtAnyPositionAndClips) {
    scratch_folder dir;
    bmp_image image = make_bmp(30, 20, 24);
    int bitmap = load(dir, image);
    int w = ZVCreateWindow(20, 20, 60, 40, "paste");
    ASSERT_EQ(ZVPasteBitmap(w, bitmap, -10, -10), ZV_OK);
    EXPECT_TRUE(shows_image_at(w, image, -10, -10));
    EXPECT_EQ(ZVGetPixel(w, 20, 10), k_white); // just right of the clipped image
    EXPECT_EQ(ZVGetPixel(w, 0, 10), k_white);  // just below it
    ASSERT_EQ(ZVPasteBitmap(w, bitmap, 45, 30), ZV_OK);
    EXPECT_TRUE(shows_image_at(w, image, 45, 30));
    EXPECT_EQ(ZVPasteBitmap(w, bitmap, INT32_MIN, INT32_MAX), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 60); // pasting never resizes
}

TEST(Bitmaps, ShowTakesTheImagesSizeAndTheRightWayUp) {
    scratch_folder dir;
    int w = ZVCreateWindow(20, 20, 40, 40, "orientation");
    const bmp_image images[] = {make_bmp(320, 200, 8), make_bmp(7, -5, 24), make_bmp(6, -3, 4),
                                make_bmp(5, 4, 8, 0, 12), make_bmp(9, 2, 1, 0, 12)};
    for (const bmp_image &image : images) {
        int bitmap = load(dir, image);
        ASSERT_NE(bitmap, 0);
        EXPECT_EQ(ZVGetBitmapHeight(bitmap), image.rows());
        ASSERT_EQ(ZVShowBitmap(w, bitmap), ZV_OK); // the window takes the image's size
        EXPECT_TRUE(shows_whole_image(w, image)) << image.bits << " bits, " << image.height;
    }
}

TEST(CopyBitmap, ChecksComeInOrderAndTheRectangleIsClipped) {
    int w = ZVCreateWindow(20, 20, 100, 80, "copy");
    ZVGetLastError();
    EXPECT_EQ(ZVCopyBitmap(9999, 0, 0, 10, 10), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVCopyBitmap(w, 100, 0, 10, 10), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_LEFT);
    EXPECT_EQ(ZVCopyBitmap(w, -1, 0, 10, 10), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_LEFT);
    EXPECT_EQ(ZVCopyBitmap(w, 10, -5, 0, 10), 0); // width before top
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVCopyBitmap(w, 10, 80, 10, 10), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_TOP);
    EXPECT_EQ(ZVCopyBitmap(w, 10, 10, 10, -1), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_HEIGHT);

    int big = ZVCopyBitmap(w, 10, 10, 10000, 10000);
    ASSERT_NE(big, 0);
    EXPECT_EQ(ZVGetBitmapWidth(big), 90);
    EXPECT_EQ(ZVGetBitmapHeight(big), 70);
    int huge = ZVCopyBitmap(w, 99, 79, INT32_MAX, INT32_MAX); // no overflow in left + width
    ASSERT_NE(huge, 0);
    EXPECT_EQ(ZVGetBitmapWidth(huge), 1);
    // Every failed copy gave its reference back: the window still closes.
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVIsWindow(w), ZV_ERR_BAD_WINDOW);
}

TEST(CopyBitmap, CopiesWhatTheWindowShows) {
    int w = ZVCreateWindow(20, 20, 50, 40, "source");
    ZVSetFillStyle(w, 1);
    ZVSetFillColour(w, k_red);
    ZVFillRectangle(w, 5, 5, 15, 12);
    ZVSetPixel(w, 14, 11, k_blue);
    int copy = ZVCopyBitmap(w, 5, 5, 10, 7);
    ASSERT_NE(copy, 0);
    int target = ZVCreateWindow(20, 20, 30, 30, "target");
    ASSERT_EQ(ZVPasteBitmap(target, copy, 1, 2), ZV_OK);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(ZVGetPixel(target, 1 + x, 2 + y), ZVGetPixel(w, 5 + x, 5 + y));
    EXPECT_EQ(ZVGetPixel(target, 10, 8), k_blue);

    // With double buffering the copy comes from the view buffer, not the draw buffer: the
    // target's red corner takes the view's blue, never the green drawn out of sight.
    ZVSetPixel(w, 0, 0, k_blue);
    ZVSetDoubleBuffer(w, 1);
    ZVSwitchDrawBuffer(w);
    ZVSetPixel(w, 0, 0, k_green);
    int view = ZVCopyBitmap(w, 0, 0, 1, 1);
    ASSERT_NE(view, 0);
    ZVSetPixel(target, 0, 0, k_red);
    ASSERT_EQ(ZVPasteBitmap(target, view, 0, 0), ZV_OK);
    EXPECT_EQ(ZVGetPixel(target, 0, 0), k_blue);
}

// The GUI thread repaints the window the whole time the host thread copies from it: each
// copy is made without the window's own device context, which the painting holds.
TEST(CopyBitmap, CopiesWhileTheWindowRepaints) {
    int w = ZVCreateWindow(20, 20, 64, 48, "repainting");
    ZVSetFillStyle(w, 0);
    ZVSetFillColour(w, k_red);
    ZVFillRectangle(w, 0, 0, 64, 48);
    ZVSetPixel(w, 63, 47, k_blue);
    ZVCOLOUR corner = ZVGetPixel(w, 0, 0);
    std::atomic<bool> stop{false};
    std::thread repainter([&] {
        while (!stop) {
            ZVRedraw(w);
            std::this_thread::yield();
        }
    });
    int target = ZVCreateWindow(20, 20, 64, 48, "copies");
    int wrong = 0;
    for (int round = 0; round < 100; ++round) {
        int copy = ZVCopyBitmap(w, 0, 0, 64, 48);
        if (copy == 0 || ZVPasteBitmap(target, copy, 0, 0) != ZV_OK) {
            ++wrong;
            continue;
        }
        wrong += ZVGetPixel(target, 0, 0) != corner || ZVGetPixel(target, 10, 10) != k_red ||
                 ZVGetPixel(target, 63, 47) != k_blue;
        ZVDiscardBitmap(copy);
    }
    stop = true;
    repainter.join();
    EXPECT_EQ(wrong, 0);
}

TEST(CopyBitmap, APlatformOutOfObjectsFailsCleanly) {
    int w = ZVCreateWindow(20, 20, 50, 40, "starved");
    {
        gdi_objects_exhausted objects;
        if (!objects.exhausted) GTEST_SKIP() << "the platform hands out GDI objects without limit";
        ZVGetLastError();
        EXPECT_EQ(ZVCopyBitmap(w, 0, 0, 10, 10), 0);
        EXPECT_EQ(ZVGetLastError(), ZV_ERROR);       // the copy could not even be described
        EXPECT_EQ(ZVCopyImageToClipboard(w), ZV_OK); // the capture itself needs no object
    }
    int copy = ZVCopyBitmap(w, 0, 0, 10, 10);
    EXPECT_NE(copy, 0);
    EXPECT_EQ(copy, 1); // the failure used up no id
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVIsWindow(w), ZV_ERR_BAD_WINDOW);
}

TEST(BitmapList, ConcurrentDiscardsNeverFreeABitmapBeingDrawn) {
    scratch_folder dir;
    int w = ZVCreateWindow(20, 20, 64, 64, "racer");
    std::string file = dir.write("race.bmp", make_bmp(64, 64, 24).file());
    std::atomic<int> current{0};
    std::atomic<bool> stop{false};
    std::atomic<int> pastes{0};
    std::thread painter([&] {
        while (!stop) {
            int result = ZVPasteBitmap(w, current.load(), 0, 0);
            if (result == ZV_OK) pastes++;
            ZVGetBitmapWidth(current.load());
        }
    });
    for (int round = 0; round < 200; ++round) {
        int bitmap = ZVLoadBitmap(file.c_str());
        ASSERT_NE(bitmap, 0);
        current = bitmap;
        std::this_thread::yield();
        EXPECT_EQ(ZVDiscardBitmap(bitmap), ZV_OK);
    }
    // On a busy machine the painter may not have won a single race yet: give it a bitmap that
    // stays, so the test knows the painter really ran.
    int last = ZVLoadBitmap(file.c_str());
    current = last;
    EXPECT_TRUE(poll_until([&] { return pastes.load() > 0; }));
    stop = true;
    painter.join();
    EXPECT_EQ(ZVDiscardBitmap(last), ZV_OK);
}

TEST(BitmapList, ConcurrentLoadsGetDistinctIds) {
    scratch_folder dir;
    std::string file = dir.write("ids.bmp", make_bmp(2, 2, 24).file());
    std::vector<int> ids[4];
    std::vector<std::thread> loaders;
    for (auto &list : ids)
        loaders.emplace_back([&list, &file] {
            for (int i = 0; i < 50; ++i) list.push_back(ZVLoadBitmap(file.c_str()));
        });
    for (auto &loader : loaders) loader.join();
    std::vector<int> all;
    for (auto &list : ids) all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), 200u);
    EXPECT_EQ(all.front(), 1);
    EXPECT_EQ(all.back(), 200);
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}
