// FreeLibrary on Zelvan.dll while the process goes on. A running GUI thread cannot be ended
// under the loader lock, so the library stays loaded and working: FreeLibrary returns at once,
// nothing runs unmapped code, and loading it again gives the same library.
#include "poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// The library's entry points, looked up by their plain export names.
struct zelvan_dll {
    HMODULE module = LoadLibraryA("Zelvan.dll");
    decltype(&ZVCreateWindow) create = find<decltype(&ZVCreateWindow)>("ZVCreateWindow");
    decltype(&ZVIsWindow) is_window = find<decltype(&ZVIsWindow)>("ZVIsWindow");
    decltype(&ZVLine) line = find<decltype(&ZVLine)>("ZVLine");
    decltype(&ZVDestroyWindow) destroy = find<decltype(&ZVDestroyWindow)>("ZVDestroyWindow");

    template <typename Function> Function find(const char *name) {
        // Through void (*)(), the type that stands for any function without a warning.
        FARPROC address = module ? GetProcAddress(module, name) : nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    }
    bool complete() const { return module && create && is_window && line && destroy; }
};

// How long FreeLibrary took, in milliseconds.
ULONGLONG timed_unload(HMODULE module) {
    ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(FreeLibrary(module));
    return GetTickCount64() - start;
}

// FreeLibrary waits for nothing; this only tells a prompt return from a wait that timed out.
const ULONGLONG k_prompt_unload_ms = 2000;

} // namespace

TEST(Unload, FreeLibraryKeepsARunningLibraryAndItsWindows) {
    zelvan_dll first;
    ASSERT_TRUE(first.complete());
    int a = first.create(10, 10, 50, 50, "a");
    int b = first.create(20, 20, 50, 50, "b");
    ASSERT_EQ(first.is_window(a), ZV_OK);
    EXPECT_LT(timed_unload(first.module), k_prompt_unload_ms);
    EXPECT_EQ(GetModuleHandleA("Zelvan.dll"), first.module);

    // The GUI thread goes on serving the windows: a close still completes.
    EXPECT_EQ(first.line(a, 40, 40), ZV_OK);
    first.destroy(b);
    EXPECT_EQ(first.is_window(b), ZV_ERR_BAD_WINDOW);

    zelvan_dll again;
    ASSERT_TRUE(again.complete());
    EXPECT_EQ(again.module, first.module);
    EXPECT_EQ(again.is_window(a), ZV_OK) << "the same window table";
    int c = again.create(30, 30, 50, 50, "c");
    EXPECT_EQ(c, b) << "the slot the closed window freed";
    EXPECT_TRUE(FreeLibrary(again.module));
}

TEST(Unload, LoadingAndFreeingRepeatedlyNeitherHangsNorCrashes) {
    for (int i = 0; i < 5; ++i) {
        HMODULE module = LoadLibraryA("Zelvan.dll");
        ASSERT_NE(module, nullptr);
        EXPECT_LT(timed_unload(module), k_prompt_unload_ms);
    }
    zelvan_dll dll;
    ASSERT_TRUE(dll.complete());
    int w = dll.create(0, 0, 10, 10, "after reloads");
    EXPECT_NE(w, 0);
    EXPECT_TRUE(poll_until([&] { return dll.is_window(w) == ZV_OK; }));
    EXPECT_LT(timed_unload(dll.module), k_prompt_unload_ms);
}
