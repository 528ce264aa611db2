// An idle Zelvan.dll with open windows waits for messages instead of polling for them.
#include "zelvan.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// User and kernel time of the whole process, in seconds.
double process_cpu_seconds() {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return -1;
    auto seconds = [](const FILETIME &t) {
        return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

} // namespace

TEST(Idle, OpenWindowsCostAlmostNoCpu) {
    int windows[3];
    for (int &w : windows) {
        w = ZVCreateWindow(10, 10, 200, 150, "idle");
        ASSERT_NE(w, 0);
    }
    double cpu_before = process_cpu_seconds();
    ULONGLONG wall_before = GetTickCount64();
    // Idleness can only be seen over a stretch of time with nothing to do.
    Sleep(1500);
    double wall = (GetTickCount64() - wall_before) / 1e3;
    double share = (process_cpu_seconds() - cpu_before) / wall;
    EXPECT_LT(share, 0.05) << "the library used " << share * 100 << "% of a core while idle";
    for (int w : windows) ZVDestroyWindow(w);
}
