// Driver selection: the first driver that opens wins, once per process.
#include "platform/posix/display/display.h"
#include "platform/posix/display/headless/headless_screen.h"

#include <mutex>

#ifdef ZELVAN_HAVE_X11
extern const display_driver display_x11_driver;
#endif

const display_driver *const display_drivers[] = {
#ifdef ZELVAN_HAVE_X11
    &display_x11_driver,
#endif
    &display_headless_driver,
    nullptr,
};

namespace {
std::mutex selection_lock;
const display_driver *forced_driver = nullptr;
const display_driver *opened_driver = nullptr;
} // namespace

bool display_force(const display_driver *driver) {
    std::lock_guard<std::mutex> guard(selection_lock);
    if (opened_driver != nullptr) return opened_driver == driver;
    forced_driver = driver;
    return true;
}

const display_driver *display_open(const display_sink *sink) {
    std::lock_guard<std::mutex> guard(selection_lock);
    if (opened_driver != nullptr) return opened_driver;
    if (forced_driver != nullptr && forced_driver->open(sink)) {
        opened_driver = forced_driver;
        return opened_driver;
    }
    for (const display_driver *const *d = display_drivers; *d != nullptr; ++d) {
        if ((*d)->open(sink)) {
            opened_driver = *d;
            break;
        }
    }
    return opened_driver;
}

void display_release(void) {
    std::lock_guard<std::mutex> guard(selection_lock);
    // The X11 driver holds its connection for the process; it has no release step yet.
    if (opened_driver == &display_headless_driver) headless_release_screen();
    opened_driver = nullptr;
    forced_driver = nullptr;
}
