// Loading and unloading the shared library while the process goes on.
#include "../api/poll.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>

#include <thread>

namespace {

int thread_count() {
    int count = 0;
    DIR *tasks = opendir("/proc/self/task");
    while (dirent *entry = readdir(tasks))
        if (entry->d_name[0] != '.') ++count;
    closedir(tasks);
    return count;
}

using create_fn = int (*)(int, int, int, int, const char *);
using handle_fn = int (*)(int);

} // namespace

TEST(Unload, UnloadingWithOpenWindowsEndsTheGuiThread) {
    // A first thread makes sanitizer runtimes start their own helper threads now, so that
    // they are part of the baseline.
    std::thread([] {}).join();
    int threads_before = thread_count();
    void *library = dlopen(ZELVAN_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto create = reinterpret_cast<create_fn>(dlsym(library, "ZVCreateWindow"));
    auto is_window = reinterpret_cast<handle_fn>(dlsym(library, "ZVIsWindow"));
    ASSERT_TRUE(create && is_window);
    int a = create(10, 10, 50, 50, "a");
    int b = create(20, 20, 50, 50, "b");
    EXPECT_EQ(is_window(a), -1000000);
    EXPECT_EQ(is_window(b), -1000000);
    EXPECT_GT(thread_count(), threads_before);
    EXPECT_EQ(dlclose(library), 0);
    EXPECT_TRUE(poll_until([&] { return thread_count() == threads_before; }));
}

TEST(Unload, UnloadingRightAfterLoadingDoesNotHang) {
    for (int i = 0; i < 5; ++i) {
        void *library = dlopen(ZELVAN_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        EXPECT_EQ(dlclose(library), 0);
    }
    void *library = dlopen(ZELVAN_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    auto create = reinterpret_cast<create_fn>(dlsym(library, "ZVCreateWindow"));
    EXPECT_NE(create(0, 0, 10, 10, "after reloads"), 0);
    dlclose(library);
}
