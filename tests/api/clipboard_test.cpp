// Clipboard export: ZVCopyBitmapToClipboard and ZVCopyImageToClipboard.
#include "clipboard_support.h"
#include "drawing_support.h"
#include "image_files.h"
#include "png_bytes.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Another thread that holds the clipboard open until it is let go.
struct clipboard_holder {
    std::mutex lock;
    std::condition_variable changed;
    bool opened = false, release = false;
    std::thread thread;
    clipboard_holder() {
        thread = std::thread([this] {
            BOOL ok = OpenClipboard(nullptr);
            std::unique_lock<std::mutex> hold(lock);
            opened = ok != 0;
            changed.notify_all();
            changed.wait(hold, [this] { return release; });
            if (ok) CloseClipboard();
        });
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [this] { return opened; });
    }
    ~clipboard_holder() {
        {
            std::lock_guard<std::mutex> hold(lock);
            release = true;
        }
        changed.notify_all();
        thread.join();
    }
};

} // namespace

TEST(Clipboard, AWindowsPictureIsA24BitPackedDib) {
    ASSERT_TRUE(use_readable_clipboard());
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 100, 100, "clip");
    ZVSetPixel(w, 0, 99, k_red);
    ZVSetPixel(w, 99, 0, k_blue);
    ASSERT_EQ(ZVCopyImageToClipboard(w), ZV_OK);
    bytes item = clipboard_item();
    ASSERT_EQ(item.size(), 30040u);
    EXPECT_EQ(get32(item, 0), 40u);
    EXPECT_EQ(get32(item, 4), 100u);
    EXPECT_EQ(get32(item, 8), 100u);
    EXPECT_EQ(get16(item, 14), 24u);
    // The same bytes as the saved file after its 14-byte file header.
    ASSERT_EQ(ZVSaveImage(w, dir.path("same.bmp").c_str()), ZV_OK);
    bytes file = dir.read("same.bmp");
    EXPECT_EQ(bytes(file.begin() + 14, file.end()), item);
    EXPECT_EQ(ZVCopyImageToClipboard(9999), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
}

TEST(Clipboard, ABitmapKeepsItsOwnTable) {
    ASSERT_TRUE(use_readable_clipboard());
    scratch_folder dir;
    bmp_image image = make_bmp(5, 3, 8, 16);
    bytes file = image.file();
    int bitmap = ZVLoadBitmap(dir.write("16.bmp", file).c_str());
    ASSERT_EQ(ZVCopyBitmapToClipboard(bitmap), ZV_OK);
    bytes item = clipboard_item();
    ASSERT_EQ(item.size(), 40u + 16u * 4u + 3u * 8u);
    EXPECT_EQ(get32(item, 32), 16u); // biClrUsed
    EXPECT_EQ(bytes(file.begin() + 14, file.end()), item);
    EXPECT_EQ(ZVGetBitmapWidth(bitmap), 5); // still in the list
    EXPECT_EQ(ZVCopyBitmapToClipboard(bitmap + 1), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
}

TEST(Clipboard, ABusyClipboardIsReportedAndLeftAlone) {
    ASSERT_TRUE(use_readable_clipboard());
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 20, 20, "busy");
    int bitmap = ZVLoadBitmap(dir.write("b.bmp", make_bmp(4, 4, 24).file()).c_str());
    ASSERT_EQ(ZVCopyBitmapToClipboard(bitmap), ZV_OK);
    bytes before = clipboard_item();
    ZVCopyBitmap(w, -1, 0, 1, 1); // leaves ZV_ERR_BAD_LEFT as the last error
    {
        clipboard_holder holder;
        ASSERT_TRUE(holder.opened);
        EXPECT_EQ(ZVCopyImageToClipboard(w), ZV_ERR_CLIPBOARD_BUSY);
        EXPECT_EQ(ZVCopyBitmapToClipboard(bitmap), ZV_ERR_CLIPBOARD_BUSY);
    }
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_LEFT);
    EXPECT_EQ(clipboard_item(), before);
    // Once the other holder has closed it, the clipboard is ours again.
    EXPECT_EQ(ZVCopyImageToClipboard(w), ZV_OK);
    EXPECT_EQ(clipboard_item().size(), 40u + 20u * 60u);
}

// A bitmap with alpha goes as its DIB and as an RGBA PNG beside it, which loads back into a
// sprite that pastes exactly as the original; an opaque picture has no PNG beside it.
TEST(Clipboard, ABitmapWithAlphaAlsoGoesAsAPngThatKeepsIt) {
    ASSERT_TRUE(use_readable_clipboard());
    scratch_folder dir;
    png_layout s;
    s.colour_type = PNG_COLOR_TYPE_RGB_ALPHA, s.width = 9, s.height = 7;
    int sprite = ZVLoadBitmap(dir.write("sprite.png", make_png(s)).c_str());
    ASSERT_NE(sprite, 0);
    ASSERT_EQ(ZVCopyBitmapToClipboard(sprite), ZV_OK);
    bytes dib = clipboard_item();
    EXPECT_EQ(dib.size(), 40u + 4u * 9u * 7u);
    bytes png = clipboard_item(true);
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png[25], 6u); // colour type: RGBA
    int again = ZVLoadBitmap(dir.write("again.png", png).c_str());
    ASSERT_NE(again, 0);
    int w = ZVCreateWindow(10, 10, 20, 10, "sprites");
    ZVSetBackground(w, ZVGetRGBColour(20, 200, 90));
    ZVClearDrawBuffer(w);
    ZVPasteBitmapAlpha(w, sprite, 0, 0);
    ZVPasteBitmapAlpha(w, again, 10, 0);
    int wrong = 0;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) wrong += ZVGetPixel(w, x, y) != ZVGetPixel(w, x + 10, y);
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(ZVCopyImageToClipboard(w), ZV_OK);
    EXPECT_TRUE(clipboard_item(true).empty());
    ZVDestroyWindow(w);
}
