// Where a save puts its file and who may read it: links are kept, and a picture is readable
// by others neither while it is written nor afterwards unless the old file or umask allowed it.
#include "image_files.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

mode_t mode_of(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool is_link(const std::string &path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

size_t entries_in(const std::filesystem::path &folder) {
    auto files = std::filesystem::directory_iterator(folder);
    return size_t(std::distance(begin(files), end(files)));
}

} // namespace

// Through a chain of two links, the file at the end gets the picture; both links stay, and
// the temporary file was made beside that file, not beside the links.
TEST(FileSaves, ASaveThroughSymbolicLinksReplacesTheFileTheyLeadTo) {
    scratch_folder dir;
    std::filesystem::create_directory(dir.root / "pictures");
    const bytes old_bmp = make_bmp(3, 3, 24).file();
    std::string real = dir.write("pictures/real.bmp", old_bmp);
    ASSERT_EQ(symlink("pictures/real.bmp", dir.path("link.bmp").c_str()), 0);
    ASSERT_EQ(symlink("link.bmp", dir.path("outer.bmp").c_str()), 0);
    int w = ZVCreateWindow(0, 0, 30, 20, "through links");
    EXPECT_EQ(ZVSaveImage(w, dir.path("outer.bmp").c_str()), ZV_OK);
    EXPECT_TRUE(is_link(dir.path("outer.bmp")));
    EXPECT_TRUE(is_link(dir.path("link.bmp")));
    bytes saved = scratch_folder::read_path(real);
    EXPECT_NE(saved, old_bmp);
    EXPECT_EQ(saved.size(), 14u + 40u + 20u * 92u); // the window's 30 x 20 picture
    EXPECT_EQ(entries_in(dir.root / "pictures"), 1u);
    EXPECT_EQ(entries_in(dir.root), 3u);
    ZVDestroyWindow(w);
}

// A watcher sees the temporary files of repeated saves: none may let others read, and the
// finished new file gets the mode the umask gives a file made anew.
TEST(FileSaves, APictureIsNeverReadableByOthersWhileItIsWritten) {
    scratch_folder dir;
    mode_t old_mask = umask(022);
    int w = ZVCreateWindow(0, 0, 1200, 900, "private while written");
    std::atomic<bool> done{false};
    std::atomic<int> temps_seen{0}, open_to_others{0};
    std::thread watcher([&] {
        while (!done.load()) {
            std::error_code failed;
            for (auto &entry : std::filesystem::directory_iterator(dir.root, failed)) {
                std::string name = entry.path().filename().string();
                if (name.rfind(".~zv", 0) != 0) continue;
                mode_t mode = mode_of(entry.path().string());
                if (mode == 0) continue; // renamed away meanwhile
                temps_seen++;
                if (mode & 077) open_to_others++;
            }
        }
    });
    std::string target = dir.path("new.bmp");
    EXPECT_TRUE(poll_until(
        [&] {
            std::filesystem::remove(target);
            EXPECT_EQ(ZVSaveImage(w, target.c_str()), ZV_OK);
            return temps_seen.load() > 0;
        },
        30))
        << "the watcher never saw a temporary file";
    done = true;
    watcher.join();
    EXPECT_EQ(open_to_others.load(), 0);
    EXPECT_EQ(mode_of(target), 0644u);
    umask(027);
    std::filesystem::remove(target);
    EXPECT_EQ(ZVSaveImage(w, target.c_str()), ZV_OK);
    EXPECT_EQ(mode_of(target), 0640u);
    umask(old_mask);
    ZVDestroyWindow(w);
}
