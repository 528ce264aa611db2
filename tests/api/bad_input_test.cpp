// Bad input across the families: null and unusable file names, files that vanish or cannot
// be read, and bitmap ids that were never issued or are gone. Each call must give its
// documented failure and leave no window, bitmap or file behind it half-made.
#include "image_files.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <future>

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

// The child of AFailedSaveKeepsTheOldFileByteForByte, under a limit of 1000 bytes a file: both
// saves must fail as writes. It runs before main, so it is no test of its own and never shows
// as skipped; its exit status is the result.
int saves_beyond_the_size_limit_fail(const std::string &dir) {
    int big = ZVLoadBitmap((dir + "/big.bmp").c_str());
    int bitmap_saved = ZVSaveBitmap(big, (dir + "/keep.bmp").c_str());
    int palette_saved = ZVSaveBitmapPalette(big, (dir + "/keep.pal").c_str());
    if (big == 0 || bitmap_saved != ZV_ERR_FILE_WRITE || palette_saved != ZV_ERR_FILE_WRITE) {
        fprintf(stderr, "bitmap %d, saves gave %d and %d\n", big, bitmap_saved, palette_saved);
        return 1;
    }
    std::ofstream(dir + "/ran") << "ran"; // small enough for the limit
    return 0;
}

struct save_child_run {
    save_child_run() {
        if (const char *dir = getenv("ZELVAN_SAVE_CHILD"))
            _exit(saves_beyond_the_size_limit_fail(dir));
    }
} g_save_child_run;

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

// A FIFO or a device as the file name: every reader and writer refuses it at once instead of
// waiting for a program at the other end. Should a call wait, opening the other end frees it.
TEST(BadFiles, PipesAndDevicesAreRefusedWithoutWaiting) {
    scratch_folder dir;
    std::string fifo = dir.path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int w = ZVCreateWindow(0, 0, 20, 20, "pipes");
    int bitmap = ZVLoadBitmap(dir.write("indexed.bmp", make_bmp(4, 4, 8).file()).c_str());
    for (const char *path : {fifo.c_str(), "/dev/null"}) {
        auto codes = std::async(std::launch::async, [&] {
            std::vector<int> got;
            for (const file_reader &reader : k_readers) got.push_back(reader.call(w, path));
            for (int code : {ZVSaveBitmap(bitmap, path), ZVSaveImage(w, path),
                             ZVSaveBitmapPalette(bitmap, path)})
                got.push_back(code);
            return got;
        });
        EXPECT_EQ(codes.wait_for(std::chrono::seconds(20)), std::future_status::ready) << path;
        while (codes.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            close(open(fifo.c_str(), O_RDWR | O_NONBLOCK));
        for (int code : codes.get()) EXPECT_EQ(code, ZV_ERR_FILE_OPEN) << path;
    }
    struct stat info;
    EXPECT_TRUE(stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)); // not replaced
}

// A FIFO, a folder or a device at the name is refused by its name alone, loads and saves
// alike. The kernel reports every open of a watched object at once, and a reader of the FIFO
// sees a writer that came and went as a hang-up: after the calls, neither may have happened.
TEST(BadFiles, PipesFoldersAndDevicesAreNeverOpened) {
    scratch_folder dir;
    std::vector<std::string> names = {dir.path("pipe"), dir.path("folder")};
    ASSERT_EQ(mkfifo(names[0].c_str(), 0600), 0);
    ASSERT_EQ(mkdir(names[1].c_str(), 0700), 0);
    // A device like /dev/null, of our own so that no other program's opens are seen; only
    // root may make one, and a container may refuse even root.
    if (mknod(dir.path("null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        names.push_back(dir.path("null"));
    int reader = open(names[0].c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    for (const std::string &name : names)
        ASSERT_GE(inotify_add_watch(watch, name.c_str(), IN_OPEN), 0) << name;
    int w = ZVCreateWindow(0, 0, 20, 20, "never opened");
    int bitmap = ZVLoadBitmap(dir.write("indexed.bmp", make_bmp(4, 4, 8).file()).c_str());
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        for (const file_reader &reader_call : k_readers)
            EXPECT_EQ(reader_call.call(w, name.c_str()), ZV_ERR_FILE_OPEN) << reader_call.name;
        EXPECT_EQ(ZVSaveBitmap(bitmap, name.c_str()), ZV_ERR_FILE_OPEN);
        EXPECT_EQ(ZVSaveImage(w, name.c_str()), ZV_ERR_FILE_OPEN);
        EXPECT_EQ(ZVSaveBitmapPalette(bitmap, name.c_str()), ZV_ERR_FILE_OPEN);
    }
    // An event on a watched object itself has no name (one inside the folder would).
    alignas(inotify_event) char events[4096];
    ssize_t got = read(watch, events, sizeof events);
    int opened = 0;
    for (ssize_t at = 0; at < got;) {
        const inotify_event *event = reinterpret_cast<const inotify_event *>(events + at);
        opened += event->len == 0 && (event->mask & IN_OPEN) != 0;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    EXPECT_EQ(opened, 0) << "a call opened a FIFO, a folder or a device";
    pollfd hang_up = {reader, POLLIN, 0};
    EXPECT_EQ(poll(&hang_up, 1, 0), 0) << "a writer reached the FIFO's reader";
    close(watch);
    close(reader);
    EXPECT_EQ(ZVDiscardBitmap(bitmap), ZV_OK);
    ZVDestroyWindow(w);
}

// A save that fails part way (here at a file-size limit, in a process of its own) leaves the
// file it was to replace exactly as it was, and no temporary file beside it. The limit's
// signal keeps its default action, which would end the child if a save let it through.
TEST(BadFiles, AFailedSaveKeepsTheOldFileByteForByte) {
    scratch_folder dir;
    const bytes old_bmp = make_bmp(3, 3, 24).file(), old_pal = make_riff(2, 2);
    dir.write("keep.bmp", old_bmp);
    dir.write("keep.pal", old_pal);
    dir.write("big.bmp", make_bmp(60, 60, 8).file());
    setenv("ZELVAN_SAVE_CHILD", dir.root.c_str(), 1);
    char program[] = "/proc/self/exe";
    char *argv[] = {program, nullptr};
    pid_t child = fork();
    if (child == 0) {
        rlimit limit = {1000, 1000};
        signal(SIGXFSZ, SIG_DFL);
        if (setrlimit(RLIMIT_FSIZE, &limit) == 0) execv(program, argv);
        _exit(127);
    }
    unsetenv("ZELVAN_SAVE_CHILD");
    int status = -1;
    EXPECT_TRUE(poll_until([&] { return waitpid(child, &status, WNOHANG) == child; }, 120));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(dir.read("keep.bmp"), old_bmp);
    EXPECT_EQ(dir.read("keep.pal"), old_pal);
    auto files = std::filesystem::directory_iterator(dir.root);
    EXPECT_EQ(std::distance(begin(files), end(files)), 4); // and "ran": no temporary file
}

// A save replaces the file's contents, not its permissions: a private picture stays private.
TEST(BadFiles, AReplacedFileKeepsItsPermissions) {
    scratch_folder dir;
    const bytes old_bmp = make_bmp(3, 3, 24).file();
    std::string target = dir.write("private.bmp", old_bmp);
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    int w = ZVCreateWindow(0, 0, 20, 20, "private");
    EXPECT_EQ(ZVSaveImage(w, target.c_str()), ZV_OK);
    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_NE(dir.read("private.bmp"), old_bmp);
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
        if (size >= 100000) { // no surface this large can be made, so no window is
            EXPECT_EQ(w, 0);
            EXPECT_EQ(ZVGetLastError(), ZV_ERR_NO_MEMORY);
            continue;
        }
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
            if (size == INT_MAX) { // its frame is summed, but no such surface can be made
                EXPECT_EQ(w, 0);
                EXPECT_EQ(ZVGetLastError(), ZV_ERR_NO_MEMORY);
                continue;
            }
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
