// Canvases through the public API, so that the same cases run against Zelvan.dll: every kind
// of drawing gives the picture it gives in a window, the calls that need a screen say so,
// and threads draw into canvases of their own at once.
#include "drawing_support.h"
#include "image_files.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// An 8-bit bitmap with a palette of its own, for the palette calls.
int palette_bitmap(const scratch_folder &dir) {
    return ZVLoadBitmap(dir.write("palette.bmp", make_bmp(16, 8, 8).file()).c_str());
}

// A small RGBA sprite with soft edges.
int soft_sprite() {
    std::vector<unsigned char> rgba;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            unsigned char a = static_cast<unsigned char>(x == 0 || y == 0 ? 0 : x * 16 + y * 4);
            for (int v : {x * 15, y * 20, 200, static_cast<int>(a)})
                rgba.push_back(static_cast<unsigned char>(v));
        }
    return ZVCreateBitmap(16, 12, rgba.data(), 0);
}

// Every kind of drawing, text and pixel call, the same on any surface given.
void draw_everything(int w, int sprite, int palette) {
    ZVSetBackground(w, ZVGetRGBColour(250, 240, 200));
    ZVClearDrawBuffer(w);
    ZVSetForeground(w, ZVGetRGBColour(200, 0, 0));
    ZVSetLineWidth(w, 3);
    ZVMoveTo(w, 5, 5);
    ZVLine(w, 150, 90);
    ZVSetLineWidth(w, 1);
    ZVSetLineStyle(w, ZV_LINE_DASHDOT);
    ZVRectangle(w, 10, 60, 120, 110);
    ZVSetLineStyle(w, ZV_LINE_SOLID);
    ZVSetFillColour(w, ZVGetRGBColour(0, 120, 240));
    ZVSetFillStyle(w, ZV_FILL_CROSS_HATCH);
    ZVFillCircle(w, 60, 40, 25);
    ZVSetFillStyle(w, ZV_FILL_SOLID);
    ZVFillRectangle(w, 130, 10, 170, 50);
    ZVPie(w, 100, 100, 20, 30.0f, 200.0f);
    ZVArc(w, 40, 100, 18, 90.0f, 180.0f);
    ZVCircle(w, 140, 80, 15);
    ZVInvertRectangle(w, 120, 20, 150, 70);
    ZVSetPixel(w, 2, 2, ZVGetRGBColour(0, 0, 255));
    ZVSetPixelFast(w, 3, 2, ZVGetRGBColour(0, 255, 0));
    ZVPlot(w, 4, 2);
    ZVFloodFill(w, 60, 80, ZVGetRGBColour(200, 0, 0));
    ZVSetFont(w, 14, 10.0, "Sans");
    ZVTextAlign(w, 0);
    ZVTextOut(w, 20, 115, "Canvas \xC3\xA9t\xC3\xA9");
    const ZVCOLOUR block[6] = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x0F0F0F};
    ZVPutPixels(w, 170, 100, 3, 2, block, 3);
    ZVPasteBitmap(w, palette, 160, 110);
    ZVPasteBitmapAlpha(w, sprite, 150, 60);
    ZVPasteBitmapKeyed(w, palette, 2, 120, ZVGetRGBColour(0, 0, 0));
    ZVDrawBitmap(w, sprite, 2, 2, 12, 9, 70, 70, 36, 27, 33.0, ZV_SMOOTH);
    ZVDrawBitmap(w, sprite, 0, 0, 16, 12, 100, 20, 16, 24, 90.0, ZV_FLIP_X);
}

} // namespace

// The same calls on a window and on a canvas of the same size give the same picture, the same
// saved file and the same copied bitmap.
TEST(Canvas, EveryKindOfDrawingGivesAWindowsPicture) {
    scratch_folder dir;
    int sprite = soft_sprite(), palette = palette_bitmap(dir);
    ASSERT_NE(sprite, 0);
    ASSERT_NE(palette, 0);
    int window = ZVCreateWindow(20, 20, 180, 140, "beside the canvas");
    int canvas = ZVCreateCanvas(180, 140);
    ASSERT_GT(canvas, 0) << ZVGetLastError();
    EXPECT_EQ(ZVIsWindow(canvas), ZV_OK);
    EXPECT_EQ(ZVGetWidth(canvas), 180);
    EXPECT_EQ(ZVGetHeight(canvas), 140);
    ASSERT_EQ(ZVSaveBitmapPalette(palette, dir.path("riff.pal").c_str()), ZV_OK);
    int window_palette_result = 0;
    for (int w : {window, canvas}) {
        draw_everything(w, sprite, palette);
        EXPECT_EQ(ZVUseBitmapPalette(w, palette), ZV_OK);
        EXPECT_EQ(ZVLoadRIFFPalette(w, dir.path("riff.pal").c_str()), ZV_OK);
        EXPECT_EQ(ZVSaveImage(w, dir.path(std::to_string(w) + ".bmp").c_str()), ZV_OK);
        // A picture of more than 256 colours has no palette to save, on either.
        int saved = ZVSaveWindowPalette(w, dir.path(std::to_string(w) + ".pal").c_str());
        if (w == window) window_palette_result = saved;
        EXPECT_EQ(saved, window_palette_result);
    }
    picture drawn(canvas);
    EXPECT_TRUE(drawn == picture(window));
    std::vector<ZVCOLOUR> colours = drawn.pixels;
    std::sort(colours.begin(), colours.end());
    EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 100); // all drawn
    EXPECT_EQ(dir.read(std::to_string(canvas) + ".bmp"), dir.read(std::to_string(window) + ".bmp"));
    // Its picture becomes a bitmap like a window's, and a canvas takes pictures in.
    int copy = ZVCopyBitmap(canvas, 0, 0, 180, 140);
    ASSERT_NE(copy, 0);
    int other = ZVCreateCanvas(10, 10);
    ASSERT_EQ(ZVShowBitmap(other, copy), ZV_OK);
    EXPECT_EQ(ZVGetWidth(other), 180);
    EXPECT_TRUE(picture(other) == drawn);
    ASSERT_EQ(ZVLoadImage(other, dir.path(std::to_string(window) + ".bmp").c_str()), ZV_OK);
    EXPECT_TRUE(picture(other) == drawn);
    for (int w : {window, canvas, other}) ZVDestroyWindow(w);
    for (int b : {sprite, palette, copy}) ZVDiscardBitmap(b);
}

// Double buffering, presenting, resizing and the view-buffer copy work as in a window, with
// no screen to wait for.
TEST(Canvas, BuffersSwitchPresentAndResize) {
    int c = ZVCreateCanvas(40, 30);
    ASSERT_GT(c, 0);
    ZVSetBackground(c, k_blue);
    ASSERT_EQ(ZVSetDoubleBuffer(c, 1), 1);
    ZVSwitchDrawBuffer(c); // draw into 1 while 0 is on view
    ZVClearDrawBuffer(c);
    ZVSetFillColour(c, k_red);
    ZVFillRectangle(c, 0, 0, 9, 9);
    int copied = ZVCopyBitmap(c, 0, 0, 40, 30); // the view: still white
    ASSERT_EQ(ZVPresent(c), ZV_OK);
    EXPECT_EQ(ZVGetViewBuffer(c), 1);
    EXPECT_EQ(ZVGetDrawBuffer(c), 0);
    int presented = ZVCopyBitmap(c, 0, 0, 40, 30);
    int view = ZVCreateCanvas(40, 30);
    ZVPasteBitmap(view, copied, 0, 0);
    EXPECT_EQ(picture(view).count(k_white), 40 * 30);
    ZVPasteBitmap(view, presented, 0, 0);
    EXPECT_EQ(picture(view).count(k_red), 49); // inside its black outline
    EXPECT_EQ(ZVSwitchViewBuffer(c), 0);
    EXPECT_EQ(ZVCopyDrawBufferToView(c), ZV_OK);
    // A resize keeps the top-left picture and fills the new part with the background.
    ASSERT_EQ(ZVSetDoubleBuffer(c, 0), 0);
    ZVFillRectangle(c, 0, 0, 9, 9);
    ASSERT_EQ(ZVResize(c, 60, 20), ZV_OK);
    EXPECT_EQ(ZVGetWidth(c), 60);
    picture resized(c);
    EXPECT_EQ(resized.count(k_red), 49);
    EXPECT_EQ(resized.count(k_blue, 40, 0, 60, 20), 20 * 20);
    EXPECT_EQ(ZVResize(c, 0, 20), ZV_ERR_BAD_WIDTH);
    for (int w : {c, view}) ZVDestroyWindow(w);
    for (int b : {copied, presented}) ZVDiscardBitmap(b);
}

// What needs a screen has none to work on: moving, showing states, fullscreen, the refresh
// timer. The title is kept, and the input calls find nothing, ever.
TEST(Canvas, CallsThatNeedAScreenSayThereIsNone) {
    int c = ZVCreateCanvas(30, 20);
    ASSERT_GT(c, 0);
    EXPECT_EQ(ZVMove(c, 10, 10), ZV_ERROR);
    EXPECT_EQ(ZVMinimize(c), ZV_ERROR);
    EXPECT_EQ(ZVRestore(c), ZV_ERROR);
    EXPECT_EQ(ZVBringWindowToFront(c), ZV_ERROR);
    EXPECT_EQ(ZVSetFullscreen(c, 1), ZV_ERROR);
    EXPECT_EQ(ZVSetResizable(c, 1), ZV_ERROR);
    EXPECT_EQ(ZVShowCursor(c, 0), ZV_ERROR);
    int icon = ZVCreateBitmap(16, 16, nullptr, 0);
    EXPECT_EQ(ZVSetIcon(c, icon), ZV_ERROR);
    ZVDiscardBitmap(icon);
    EXPECT_EQ(ZVSetAutoRedraw(c, 30), 0);
    EXPECT_EQ(ZVRedraw(c), ZV_OK);
    EXPECT_EQ(ZVGetTitle(c), std::string());
    EXPECT_EQ(ZVSetTitle(c, "off screen"), ZV_OK);
    EXPECT_EQ(ZVGetTitle(c), std::string("off screen"));
    EXPECT_EQ(ZVGetWindowX(c), 0);
    EXPECT_EQ(ZVGetWindowY(c), 0);
    EXPECT_EQ(ZVGetScale(c), 1);
    EXPECT_EQ(ZVReadKey(c), 0);
    EXPECT_EQ(ZVReadUnicode(c), 0);
    EXPECT_EQ(ZV_kbhit(c), 0);
    EXPECT_EQ(ZVGetMouseButtons(c), 0);
    EXPECT_EQ(ZVGetMouseWheel(c), 0);
    EXPECT_EQ(ZVGetMouseX(c), ZV_ERR_MOUSE_OUTSIDE);
    EXPECT_EQ(ZVCaptureMouseCoords(c), ZV_ERR_MOUSE_OUTSIDE);
    EXPECT_EQ(ZVCloseRequested(c), 0);
    EXPECT_EQ(ZVWasResized(c), 0);
    EXPECT_GE(ZVWaitFrame(c, 1000), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
    ZVDestroyWindow(c);
}

// Sizes below 1 are refused, as are sizes no memory holds; ZVDestroyWindow ends a canvas like
// a window, and canvases and windows share one table of handles.
TEST(Canvas, BadSizesAreRefusedAndDestroyEndsIt) {
    ZVGetLastError();
    EXPECT_EQ(ZVCreateCanvas(0, 10), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVCreateCanvas(10, -3), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_HEIGHT);
    EXPECT_EQ(ZVCreateCanvas(INT32_MIN, INT32_MIN), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVCreateCanvas(1 << 24, 1 << 24), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_NO_MEMORY);
    int c = ZVCreateCanvas(1, 1);
    ASSERT_GT(c, 0);
    int w = ZVCreateWindow(0, 0, 10, 10, "after a canvas");
    EXPECT_NE(w, c);
    EXPECT_EQ(ZVDestroyWindow(c), 0);
    EXPECT_EQ(ZVIsWindow(c), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVFillRectangle(c, 0, 0, 1, 1), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVDestroyWindow(c), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    int again = ZVCreateCanvas(5, 5); // the lowest free handle, as for windows
    EXPECT_EQ(again, c);
    ZVDestroyWindow(again);
    ZVDestroyWindow(w);
}

// Threads each make canvases, draw turned sprites and shapes into them and end them, all at
// once; each picture is the one a single thread draws.
TEST(Canvas, ThreadsDrawIntoCanvasesOfTheirOwnAtOnce) {
    int sprite = soft_sprite();
    auto draw = [sprite](int c, int seed) {
        ZVSetFillColour(c, ZVGetRGBColour(seed * 40, 100, 50));
        ZVFillCircle(c, 32, 32, 20 + seed);
        for (int i = 0; i < 8; ++i)
            ZVDrawBitmap(c, sprite, 0, 0, 16, 12, i * 7, seed * 5, 32, 24, i * 45.0 + seed,
                         i % 2 ? ZV_SMOOTH : 0);
        ZVTextOut(c, 2, 50, "thread");
    };
    const int threads = 4;
    std::vector<picture> alone;
    for (int t = 0; t < threads; ++t) {
        int c = ZVCreateCanvas(64, 64);
        draw(c, t);
        alone.emplace_back(c);
        ZVDestroyWindow(c);
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round) {
                int c = ZVCreateCanvas(64, 64);
                if (c <= 0) {
                    ++wrong;
                    continue;
                }
                draw(c, t);
                if (!(picture(c) == alone[t])) ++wrong;
                ZVDestroyWindow(c);
            }
        });
    for (std::thread &worker : workers) worker.join();
    EXPECT_EQ(wrong.load(), 0);
    ZVDiscardBitmap(sprite);
}
