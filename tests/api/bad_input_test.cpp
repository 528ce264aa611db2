// Bad input across the families: null and unusable file names, files that vanish or cannot
// be read, and bitmap ids that were never issued or are gone. Each call must give its
// documented failure and leave no window, bitmap or file behind it half-made.
#include "image_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>

namespace {

// Calls that read a file, each returning a result code (the loaders' id becomes the last error).
int load_bitmap_result(int, const char *file) {
    ZVGetLastError();
    return ZVLoadBitmap(file) != 0 ? ZV_OK : ZVGetLastError();
}

struct file_reader {
    const char *name;
    int (*call)(int window, const char *file);
};

const file_reader k_readers[] = {
    {"ZVLoadBitmap", load_bitmap_result},
    {"ZVLoadImage", ZVLoadImage},
    {"ZVLoadRIFFPalette", ZVLoadRIFFPalette},
};

} // namespace

TEST(BadFiles, ReadersRefuseNullMissingVanishedAndDirectoryPaths) {
    scratch_folder dir;
    int w = ZVCreateWindow(0, 0, 20, 20, "bad files");
    std::string vanished = dir.write("vanished.bmp", make_bmp(4, 4, 24).file());
    std::remove(vanished.c_str());
    const char *paths[] = {nullptr, "", vanished.c_str(), dir.root.c_str(),
                           "/nonexistent/dir/x.bmp"};
    for (const file_reader &reader : k_readers) {
        for (const char *path : paths) {
            SCOPED_TRACE(std::string(reader.name) + " on " + (path ? path : "(null)"));
            // A directory is refused at open, like a missing file.
            EXPECT_EQ(reader.call(w, path), ZV_ERR_FILE_OPEN);
        }
    }
    EXPECT_EQ(ZVGetWidth(w), 20); // no failed load resized the window
    ZVDestroyWindow(w);
}

TEST(BadFiles, WritersRefuseNullAndDirectoryPathsAndWriteNothing) {
    scratch_folder dir;
    int w = ZVCreateWindow(0, 0, 20, 20, "bad files");
    int bitmap = ZVLoadBitmap(dir.write("indexed.bmp", make_bmp(4, 4, 8).file()).c_str());
    ASSERT_NE(bitmap, 0);
    std::string missing_folder = dir.path("no-such-folder/out");
    const char *paths[] = {nullptr, "", dir.root.c_str(), missing_folder.c_str()};
    for (const char *path : paths) {
        SCOPED_TRACE(path ? path : "(null)");
        EXPECT_EQ(ZVSaveBitmap(bitmap, path), ZV_ERR_FILE_OPEN);
        EXPECT_EQ(ZVSaveImage(w, path), ZV_ERR_FILE_OPEN);
        EXPECT_EQ(ZVSaveBitmapPalette(bitmap, path), ZV_ERR_FILE_OPEN);
        // A window's picture is true colour here, so it has no table to save: that check
        // comes before the file is touched.
        EXPECT_EQ(ZVSaveWindowPalette(w, path), ZV_ERR_NO_DIB_PALETTE);
    }
    struct stat info;
    EXPECT_NE(stat(missing_folder.c_str(), &info), 0);
    EXPECT_EQ(ZVDiscardBitmap(bitmap), ZV_OK);
    ZVDestroyWindow(w);
}

TEST(BadFiles, UnreadableFilesFailToOpenForOrdinaryUsers) {
    // Root reads any file whatever its mode (CI runs as root); the directory case above
    // covers an unreadable path there.
    if (geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop reads";
    scratch_folder dir;
    std::string locked = dir.write("locked.bmp", make_bmp(4, 4, 24).file());
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    ZVGetLastError();
    EXPECT_EQ(ZVLoadBitmap(locked.c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
}

TEST(BadBitmapIds, EveryBitmapCallRefusesIdsNeverIssuedOrDiscarded) {
    scratch_folder dir;
    int w = ZVCreateWindow(0, 0, 20, 20, "bad ids");
    int discarded = ZVLoadBitmap(dir.write("b.bmp", make_bmp(4, 4, 8).file()).c_str());
    ASSERT_EQ(ZVDiscardBitmap(discarded), ZV_OK);
    std::string out = dir.path("never-written");
    for (int id : {0, -1, discarded, discarded + 1000, 0x7FFFFFFF, (int)0x80000000}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(ZVDiscardBitmap(id), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVGetBitmapWidth(id), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVGetBitmapHeight(id), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVShowBitmap(w, id), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVPasteBitmap(w, id, 0, 0), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVUseBitmapPalette(w, id), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVSaveBitmap(id, out.c_str()), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVSaveBitmapPalette(id, out.c_str()), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVCopyBitmapToClipboard(id), ZV_ERR_BAD_BITMAP);
        EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    }
    struct stat info;
    EXPECT_NE(stat(out.c_str(), &info), 0);
    ZVDestroyWindow(w);
}

TEST(BadStrings, NullTitlesAreEmptyTitles) {
    int w = ZVCreateWindow(0, 0, 20, 20, "named");
    EXPECT_EQ(ZVSetTitle(w, nullptr), ZV_OK);
    EXPECT_STREQ(ZVGetTitle(w), "");
    ZVDestroyWindow(w);
}

TEST(BadSizes, WindowsOfAnySizeAreMadeAndDrawingOnThemIsSafe) {
    for (int size : {0, -5, -100000, 100000, 1 << 24, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(size);
        int w = ZVCreateWindow(0, 0, size, size, "odd size");
        ASSERT_NE(w, 0);
        EXPECT_EQ(ZVGetWidth(w), size); // the number as given, even without a surface
        int line = ZVLine(w, 50, 50);
        EXPECT_TRUE(line == ZV_OK || line == ZV_ERROR) << line;
        int fill = ZVFillRectangle(w, 0, 0, 30, 30);
        EXPECT_TRUE(fill == ZV_OK || fill == ZV_ERROR) << fill;
        // A size the system can hold gives the window a working surface.
        EXPECT_EQ(ZVResize(w, 30, 20), ZV_OK);
        EXPECT_EQ(ZVSetPixel(w, 29, 19, 0x0000FF), 0x0000FFu);
        ZVDestroyWindow(w);
    }
}

TEST(BadSizes, AResizeTooLargeToHoldFailsAndKeepsTheWindowAsItWas) {
    int w = ZVCreateWindow(0, 0, 40, 30, "too large");
    ZVSetDoubleBuffer(w, 1);
    ZVSetPixel(w, 5, 5, 0x00FF00);
    for (int size : {100000, 1 << 24}) {
        EXPECT_EQ(ZVResize(w, size, size), ZV_ERR_NO_MEMORY);
        EXPECT_EQ(ZVGetWidth(w), 40);
        EXPECT_EQ(ZVGetHeight(w), 30);
        EXPECT_EQ(ZVGetPixel(w, 5, 5), 0x00FF00u);
    }
    EXPECT_EQ(ZVResize(w, 50, 35), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 5, 5), 0x00FF00u);
    ZVDestroyWindow(w);
}

// Positions and sizes at the ends of the int range cannot be on any screen, but the frame
// sums made from them must neither wrap around (the sanitizer build stops on that) nor leave
// the window unusable once it is given an ordinary place and size again.
TEST(BadSizes, PositionsAtTheEndsOfIntLeaveAWindowThatStillWorks) {
    int reference = ZVCreateWindow(0, 0, 30, 20, "reference");
    ZVMove(reference, 10, 20);
    const int places[][2] = {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX - 3, INT_MIN + 3}};
    for (const auto &place : places) {
        for (int size : {100, INT_MAX}) {
            SCOPED_TRACE(testing::Message() << place[0] << "," << place[1] << " size " << size);
            int w = ZVCreateWindow(place[0], place[1], size, size, "far away");
            ASSERT_NE(w, 0);
            EXPECT_EQ(ZVGetWidth(w), size);
            EXPECT_EQ(ZVMove(w, INT_MIN, INT_MAX), ZV_OK);
            EXPECT_EQ(ZVMove(w, INT_MAX, INT_MIN), ZV_OK);
            EXPECT_EQ(ZVMinimize(w), ZV_OK);
            EXPECT_EQ(ZVRestore(w), ZV_OK);
            EXPECT_EQ(ZVResize(w, 30, 20), ZV_OK);
            EXPECT_EQ(ZVMove(w, 10, 20), ZV_OK);
            EXPECT_EQ(ZVGetWindowX(w), ZVGetWindowX(reference));
            EXPECT_EQ(ZVGetWindowY(w), ZVGetWindowY(reference));
            EXPECT_EQ(ZVSetPixel(w, 29, 19, 0x0000FF), 0x0000FFu);
            ZVDestroyWindow(w);
        }
    }
    ZVDestroyWindow(reference);
}
