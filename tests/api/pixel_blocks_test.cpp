// Whole blocks of pixels: written and read back, clipped on every side, with a stride, equal
// to the same pixels set one by one, and the arguments refused.
#include "core/window_table.h"
#include "drawing_support.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

namespace {

// A block of distinct colours, top byte set: only the low 24 bits may land.
std::vector<ZVCOLOUR> pattern(int width, int height, int stride) {
    std::vector<ZVCOLOUR> block(static_cast<size_t>(stride) * height, 0xABCDEFu);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            block[static_cast<size_t>(y) * stride + x] = 0x7F000000u | (y * 0x1357u + x * 0x97u);
    return block;
}

} // namespace

TEST(PixelBlocks, ABlockReadsBackAndEqualsThePixelsSetOneByOne) {
    int w = ZVCreateWindow(50, 50, 40, 30, "blocks"), by_pixel = ZVCreateWindow(50, 50, 40, 30, "");
    const int width = 7, height = 5, stride = 9;
    std::vector<ZVCOLOUR> block = pattern(width, height, stride);
    EXPECT_EQ(ZVPutPixels(w, 3, 4, width, height, block.data(), stride), ZV_OK);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ZVSetPixelFast(by_pixel, 3 + x, 4 + y, block[static_cast<size_t>(y) * stride + x]);
    EXPECT_EQ(picture(w), picture(by_pixel));
    std::vector<ZVCOLOUR> back(static_cast<size_t>(stride) * height, 0x123456u);
    EXPECT_EQ(ZVGetPixels(w, 3, 4, width, height, back.data(), stride), ZV_OK);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x) {
            size_t i = static_cast<size_t>(y) * stride + x;
            // The stride's gap is the caller's and stays untouched.
            EXPECT_EQ(back[i], x < width ? block[i] & 0xFFFFFFu : 0x123456u) << x << "," << y;
        }
    ZVDestroyWindow(by_pixel);
    ZVDestroyWindow(w);
}

TEST(PixelBlocks, BlocksAreClippedOnEverySideAndReadOffTheBufferAsBadColour) {
    int w = ZVCreateWindow(50, 50, 40, 30, "clipped");
    const int size = 12;
    std::vector<ZVCOLOUR> block = pattern(size, size, size);
    // Hanging off the left, top, right, bottom, and all four sides at once.
    for (POINT at : {POINT{-5, 10}, POINT{10, -7}, POINT{33, 10}, POINT{10, 25}, POINT{-3, -3}}) {
        ZVClearDrawBuffer(w);
        ASSERT_EQ(ZVPutPixels(w, at.x, at.y, size, size, block.data(), size), ZV_OK);
        std::vector<ZVCOLOUR> back(block.size());
        ASSERT_EQ(ZVGetPixels(w, at.x, at.y, size, size, back.data(), size), ZV_OK);
        int on = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                bool inside = at.x + x >= 0 && at.x + x < 40 && at.y + y >= 0 && at.y + y < 30;
                on += inside;
                ZVCOLOUR expected = inside ? block[y * size + x] & 0xFFFFFFu : ZV_BAD_COLOUR;
                ASSERT_EQ(back[y * size + x], expected)
                    << at.x << "," << at.y << ": " << x << "," << y;
            }
        EXPECT_EQ(picture(w).count(k_white), 40 * 30 - on) << "nothing lands outside the block";
    }
    std::vector<ZVCOLOUR> back(4, 0);
    EXPECT_EQ(ZVGetPixels(w, INT_MAX - 1, INT_MIN, 2, 2, back.data(), 2), ZV_OK);
    EXPECT_EQ(back, std::vector<ZVCOLOUR>(4, ZV_BAD_COLOUR));
    EXPECT_EQ(ZVPutPixels(w, INT_MAX, INT_MAX, INT_MAX, INT_MAX, block.data(), INT_MAX), ZV_OK);
    ZVDestroyWindow(w);
}

// Blocks of many rows cross in several bands and several calls: whole rows, rows with a gap
// in their stride (from the top, further down, and from above the buffer), and blocks hanging
// off the left edge or starting right of it.
TEST(PixelBlocks, TallBlocksReadBackWholeOnEveryPath) {
    const int width = 300, height = 120;
    int w = ZVCreateWindow(50, 50, width, height, "tall");
    std::vector<ZVCOLOUR> block = pattern(width, height - 9, width);
    ASSERT_EQ(ZVPutPixels(w, 0, 9, width, height - 9, block.data(), width), ZV_OK);
    for (int i = 0; i < 40; ++i) { // the block against single pixels, here and there
        int x = i * 37 % width, y = 9 + i * 53 % (height - 9);
        ASSERT_EQ(ZVGetPixel(w, x, y), block[static_cast<size_t>(y - 9) * width + x] & 0xFFFFFFu);
    }
    struct read {
        int x, y, width, stride;
    };
    for (read r : {read{0, 0, width, width}, read{0, 9, width, width}, read{0, -5, width, width},
                   read{-3, 2, width, width + 5}, read{17, 1, 250, 260}}) {
        const int rows = height - r.y + 4; // past the bottom too
        std::vector<ZVCOLOUR> back(static_cast<size_t>(r.stride) * rows, 0x123456u);
        ASSERT_EQ(ZVGetPixels(w, r.x, r.y, r.width, rows, back.data(), r.stride), ZV_OK);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < r.stride; ++x) {
                int bx = r.x + x, by = r.y + y;
                ZVCOLOUR expected =
                    x >= r.width                                      ? 0x123456u
                    : bx < 0 || bx >= width || by < 0 || by >= height ? ZV_BAD_COLOUR
                    : by < 9                                          ? k_white
                             : block[static_cast<size_t>(by - 9) * width + bx] & 0xFFFFFFu;
                ASSERT_EQ(back[static_cast<size_t>(y) * r.stride + x], expected)
                    << r.x << "," << r.y << ": " << x << "," << y;
            }
    }
    ZVDestroyWindow(w);
}

TEST(PixelBlocks, BadArgumentsAreRefusedAndTouchNothing) {
    int w = ZVCreateWindow(50, 50, 40, 30, "bad");
    ZVCOLOUR pixels[4] = {1, 2, 3, 4};
    ZVGetLastError();
    EXPECT_EQ(ZVPutPixels(w, 0, 0, 2, 2, nullptr, 2), ZV_ERROR);
    EXPECT_EQ(ZVGetPixels(w, 0, 0, 2, 2, nullptr, 2), ZV_ERROR);
    EXPECT_EQ(ZVPutPixels(w, 0, 0, -1, 2, pixels, 2), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVGetPixels(w, 0, 0, 2, -1, pixels, 2), ZV_ERR_BAD_HEIGHT);
    EXPECT_EQ(ZVPutPixels(w, 0, 0, 3, 1, pixels, 2), ZV_ERR_BAD_WIDTH) << "stride below the width";
    EXPECT_EQ(ZVGetPixels(w, 0, 0, 2, 2, pixels, 1), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVPutPixels(w, 0, 0, 0, 0, pixels, 0), ZV_OK) << "an empty block is no error";
    EXPECT_EQ(ZVGetLastError(), ZV_OK) << "argument errors are returned only";
    EXPECT_EQ(picture(w).count(k_white), 40 * 30);
    EXPECT_EQ(pixels[0], 1u);
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVPutPixels(w, 0, 0, 2, 2, pixels, 2), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetPixels(w, 0, 0, 2, 2, pixels, 2), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
}

// An empty block, however long its other side, returns at once and never waits for the
// window lock, which another thread holds here all along.
TEST(PixelBlocks, EmptyBlocksReturnAtOnceWithoutTheWindowLock) {
    int w = ZVCreateWindow(50, 50, 40, 30, "empty");
    ZVCOLOUR pixel = 7;
    std::atomic<bool> done{false};
    {
        window_ref window(w);
        EnterCriticalSection(&window->lock);
        std::thread caller([&] {
            EXPECT_EQ(ZVGetPixels(w, 0, 0, 0, INT_MAX, &pixel, 0), ZV_OK);
            EXPECT_EQ(ZVGetPixels(w, -5, 3, INT_MAX, 0, &pixel, INT_MAX), ZV_OK);
            EXPECT_EQ(ZVPutPixels(w, 0, 0, 0, INT_MAX, &pixel, 0), ZV_OK);
            EXPECT_EQ(ZVPutPixels(w, 2, 2, INT_MAX, 0, &pixel, INT_MAX), ZV_OK);
            done = true;
        });
        EXPECT_TRUE(poll_until([&] { return done.load(); }));
        LeaveCriticalSection(&window->lock);
        caller.join();
    }
    EXPECT_EQ(pixel, 7u);
    EXPECT_EQ(picture(w).count(k_white), 40 * 30);
    ZVDestroyWindow(w);
}
