// Driver selection: the driver ZELVAN_DISPLAY names, or the first that opens, once per process;
// the headless driver takes over when the chosen one loses its screen.
#include "platform/posix/display/display.h"

#include <mutex>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef ZELVAN_HAVE_WAYLAND
extern const display_driver display_wayland_driver;
#endif
#ifdef ZELVAN_HAVE_X11
extern const display_driver display_x11_driver;
#endif

// Wayland opens only where WAYLAND_DISPLAY names a compositor (or ZELVAN_DISPLAY names it).
const display_driver *const display_drivers[] = {
#ifdef ZELVAN_HAVE_WAYLAND
    &display_wayland_driver,
#endif
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
const display_driver *lost_driver = nullptr; // kept until unload, when it is released
bool open_tried = false;                     // a failed choice is not tried again on every call

const display_driver *driver_named(const char *name) {
    for (const display_driver *const *d = display_drivers; *d != nullptr; ++d) {
        if (strcmp((*d)->name, name) == 0) return *d;
    }
    return nullptr;
}

// The user's choice, or null (with a line on standard error) for a name no driver has.
const display_driver *chosen_driver(void) {
    const char *name = getenv("ZELVAN_DISPLAY");
    if (name == nullptr || name[0] == '\0') return nullptr;
    const display_driver *chosen = driver_named(name);
    if (chosen == nullptr) {
        fprintf(stderr,
                "zelvan: ZELVAN_DISPLAY=%s names no display of this build; choosing one "
                "as usual\n",
                name);
    }
    return chosen;
}

} // namespace

bool display_force(const display_driver *driver) {
    std::lock_guard<std::mutex> guard(selection_lock);
    if (opened_driver != nullptr) return opened_driver == driver;
    forced_driver = driver;
    return true;
}

const display_driver *display_open(const display_sink *sink) {
    std::lock_guard<std::mutex> guard(selection_lock);
    if (opened_driver != nullptr || open_tried) return opened_driver;
    open_tried = true;
    if (forced_driver != nullptr && forced_driver->open(sink)) {
        opened_driver = forced_driver;
        return opened_driver;
    }
    if (const display_driver *chosen = chosen_driver()) {
        // The user asked for this one: no other stands in for it.
        if (chosen->open(sink)) {
            opened_driver = chosen;
        } else {
            fprintf(stderr,
                    "zelvan: ZELVAN_DISPLAY=%s cannot be opened, so no window can be made\n",
                    chosen->name);
        }
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

const display_driver *display_fall_back(const display_sink *sink) {
    std::lock_guard<std::mutex> guard(selection_lock);
    if (opened_driver == &display_headless_driver) return opened_driver;
    lost_driver = opened_driver;
    opened_driver = display_headless_driver.open(sink) ? &display_headless_driver : nullptr;
    return opened_driver;
}

void display_release(void) {
    std::lock_guard<std::mutex> guard(selection_lock);
    for (const display_driver *d : {lost_driver, opened_driver}) {
        if (d != nullptr && d->release != nullptr) d->release();
    }
    lost_driver = nullptr;
    opened_driver = nullptr;
    forced_driver = nullptr;
    open_tried = false;
}
