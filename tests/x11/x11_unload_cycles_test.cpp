// Loading and unloading the shared library 200 times, on the X server and headless in turn,
// leaks nothing: each unload closes the X connection and frees every driver's state. Checked
// with LeakSanitizer, which this test is always built with.
#include "x11_session.h"
#include "zelvan.h" // the result codes; the calls come from dlsym

#include <dlfcn.h>
#include <sanitizer/lsan_interface.h>
#include <stdlib.h>

using namespace x11_session;

namespace {

template <typename Function> Function call(void *library, const char *name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

// One load with the display in use (windows, text, a bitmap, the clipboard), left open at
// the unload, as a careless host leaves them.
void load_use_unload() {
    void *library = dlopen(ZELVAN_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto create = call<int (*)(int, int, int, int, const char *)>(library, "ZVCreateWindow");
    auto text_out = call<int (*)(int, int, int, const char *)>(library, "ZVTextOut");
    auto copy_bitmap = call<int (*)(int, int, int, int, int)>(library, "ZVCopyBitmap");
    auto to_clipboard = call<int (*)(int)>(library, "ZVCopyImageToClipboard");
    int window = create(10, 10, 80, 60, "cycle");
    ASSERT_GT(window, 0);
    EXPECT_EQ(text_out(window, 2, 2, "cycle"), ZV_OK);
    EXPECT_GT(copy_bitmap(window, 0, 0, 20, 20), 0);
    EXPECT_EQ(to_clipboard(window), ZV_OK);
    EXPECT_GT(create(100, 10, 40, 40, "second"), 0);
    EXPECT_EQ(dlclose(library), 0);
}

} // namespace

TEST(X11UnloadCycles, TwoHundredCyclesLeakNothing) {
    if (!run_in_child()) return;
    for (int i = 0; i < 200 && !HasFatalFailure(); ++i) {
        setenv("ZELVAN_DISPLAY", i % 2 != 0 ? "x11" : "headless", 1);
        load_use_unload();
    }
    unsetenv("ZELVAN_DISPLAY");
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "leaks are listed above";
}
