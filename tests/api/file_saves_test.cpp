// Where a save puts its file and who may read it: links are kept, and a picture is readable
// by others neither while it is written nor afterwards unless the old file or umask allowed it.
#include "image_files.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

// Where the save about to run will rename its file to, and the link another user who may
// write the folder puts there the moment it lands; empty while no test asks for that.
std::string g_seize_name, g_seize_link_to, g_seize_keep_as;

} // namespace

// Every rename of the process passes here (the platform's included): right after the armed
// one, its file is moved away and a link to `g_seize_link_to` takes its name. Whatever the
// save then does by that name reaches the linked file.
extern "C" int rename(const char *from, const char *to) {
    using rename_call = int (*)(const char *, const char *);
    static rename_call next = reinterpret_cast<rename_call>(dlsym(RTLD_NEXT, "rename"));
    int result = next(from, to);
    if (result == 0 && !g_seize_name.empty() && g_seize_name == to) {
        next(to, g_seize_keep_as.c_str());
        if (symlink(g_seize_link_to.c_str(), to) != 0) g_seize_name = "link failed";
    }
    return result;
}

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

// A watcher sees the temporary files of repeated saves: none may let others read before it
// is complete, and the finished new file gets the mode the umask gives a file made anew (given
// to the complete file before it takes its name).
TEST(FileSaves, APictureIsNeverReadableByOthersWhileItIsWritten) {
    scratch_folder dir;
    mode_t old_mask = umask(022);
    int w = ZVCreateWindow(0, 0, 1200, 900, "private while written");
    const off_t complete = 14 + 40 + 900 * 1200 * 3;
    std::atomic<bool> done{false};
    std::atomic<int> temps_seen{0}, open_to_others{0};
    std::thread watcher([&] {
        while (!done.load()) {
            std::error_code failed;
            for (auto &entry : std::filesystem::directory_iterator(dir.root, failed)) {
                std::string name = entry.path().filename().string();
                if (name.rfind(".~zv", 0) != 0) continue;
                struct stat info;
                if (stat(entry.path().c_str(), &info) != 0) continue; // renamed away meanwhile
                temps_seen++;
                if ((info.st_mode & 077) && info.st_size < complete) open_to_others++;
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

// Another user who may write the folder swaps a link to a private file of the saver's in for
// the new file, the moment it takes its name: the save changes nothing by name after that,
// so the private file keeps its mode; the saved file got its own mode before the rename.
TEST(FileSaves, ALinkSwappedInAfterTheRenameIsNeverFollowed) {
    scratch_folder dir;
    mode_t old_mask = umask(022);
    const bytes secret = make_bmp(2, 2, 24).file();
    std::string private_file = dir.write("private.bmp", secret);
    ASSERT_EQ(chmod(private_file.c_str(), 0600), 0);
    int w = ZVCreateWindow(0, 0, 30, 20, "seized");
    g_seize_name = dir.path("new.bmp");
    g_seize_link_to = private_file;
    g_seize_keep_as = dir.path("seized.bmp");
    EXPECT_EQ(ZVSaveImage(w, dir.path("new.bmp").c_str()), ZV_OK);
    std::string armed = g_seize_name;
    g_seize_name.clear();
    ASSERT_TRUE(is_link(dir.path("new.bmp"))) << "the link was not swapped in: " << armed;
    EXPECT_EQ(mode_of(private_file), 0600u) << "the save followed the link";
    EXPECT_EQ(dir.read("private.bmp"), secret);
    EXPECT_EQ(mode_of(dir.path("seized.bmp")), 0644u);
    umask(old_mask);
    ZVDestroyWindow(w);
}

namespace {

// Users and groups of no one on the machine: ids are all a file and a process need.
const uid_t k_alice = 43101, k_bob = 43102;
const gid_t k_pictures = 43111, k_alice_group = 43112, k_bob_group = 43113;

struct ownership_case {
    const char *who;
    uid_t saver; // 0: root, as the test runs
    gid_t saver_group;
    gid_t member_of; // a supplementary group of the saver, or 0
    mode_t mode;     // of the file replaced, alice's in the group "pictures"
    uid_t owner_after;
    gid_t group_after;
    mode_t mode_after;
};

// Saves over `target` as the case's saver, in a child that gives up root first; its status.
int save_as(const ownership_case &c, int bitmap, const std::string &target) {
    pid_t child = fork();
    if (child == 0) {
        gid_t groups[1] = {c.member_of};
        if (c.saver != 0 && (setgroups(c.member_of ? 1 : 0, groups) != 0 ||
                             setgid(c.saver_group) != 0 || setuid(c.saver) != 0))
            _exit(2);
        _exit(ZVSaveBitmap(bitmap, target.c_str()) == ZV_OK ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

} // namespace

// A save keeps the replaced file's owner and group where the saver may give them, and where
// it may not, the file's group gets none of the rights the old group had. Root makes the
// files and the savers (CI runs as root); each save runs in a child with the saver's ids.
TEST(FileSaves, AReplacedFileKeepsItsOwnerAndGroupWhereTheSaverMayGiveThem) {
    if (geteuid() != 0)
        GTEST_SKIP() << "not root: the test needs files of other users, and to save as them";
    scratch_folder dir;
    ASSERT_EQ(chmod(dir.root.c_str(), 0777), 0); // any saver may make its temporary file
    int bitmap = ZVLoadBitmap(dir.write("picture.bmp", make_bmp(5, 4, 24).file()).c_str());
    ASSERT_NE(bitmap, 0);
    const ownership_case cases[] = {
        {"root", 0, 0, 0, 0640, k_alice, k_pictures, 0640},
        {"the owner, in the group", k_alice, k_alice_group, k_pictures, 0640, k_alice, k_pictures,
         0640},
        // Bob may write the file (others may), but give it neither owner nor group: the
        // group he can give it, his own, must not read what "pictures" could.
        {"another user", k_bob, k_bob_group, 0, 0662, k_bob, k_bob_group, 0602},
    };
    for (const ownership_case &c : cases) {
        SCOPED_TRACE(c.who);
        std::string target = dir.write("shared.bmp", make_bmp(2, 2, 24).file());
        ASSERT_EQ(chown(target.c_str(), k_alice, k_pictures), 0);
        ASSERT_EQ(chmod(target.c_str(), c.mode), 0);
        int status = save_as(c, bitmap, target);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        struct stat info;
        ASSERT_EQ(stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, c.owner_after);
        EXPECT_EQ(info.st_gid, c.group_after);
        EXPECT_EQ(info.st_mode & 07777, c.mode_after);
        int saved = ZVLoadBitmap(target.c_str());
        EXPECT_EQ(ZVGetBitmapWidth(saved), 5); // the new picture, not the 2 x 2 one
        ZVDiscardBitmap(saved);
        EXPECT_EQ(entries_in(dir.root), 2u); // no temporary file left
    }
    EXPECT_EQ(ZVDiscardBitmap(bitmap), ZV_OK);
}
