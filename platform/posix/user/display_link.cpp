// Opening the display driver, the way its events come back in, and what happens to windows
// whose screen image goes away.
#include "platform/posix/gdi/gdi_screen.h"
#include "platform/posix/user/wm_internal.h"

#include <atomic>
#include <mutex>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

// A driver whose events arrive on its own schedule wakes every waiting thread; each one then
// pumps the driver in its next PeekMessageA.
void wake_waiting_threads(void) {
    wm_lock();
    wm().display_wakes++;
    for (wm_queue *queue : wm().queues) wm_signal(queue);
    wm_unlock();
}

const display_sink sink = {wm_display_report, wake_waiting_threads};

std::atomic<const display_driver *> current_driver{nullptr};

void adopt(const display_driver *d) {
    int width, height;
    d->screen_size(&width, &height);
    gdi_set_screen_size(width, height);
    RECT extents;
    if (d->frame_extents != nullptr && d->frame_extents(&extents)) wm_set_decoration(extents);
    current_driver.store(d, std::memory_order_release);
}

// Gives a hidden window a new display window from `to` and lets the old one go.
void move_to_driver(HWND hwnd, const display_driver *to) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w == nullptr) {
        wm_unlock();
        return;
    }
    display_window *old = w->shown;
    const display_driver *from = w->driver;
    std::string title = w->title;
    display_window_desc desc{hwnd, nullptr, w->frame, wm_client_screen_rect(w)};
    wm_unlock();
    desc.title = title.c_str();
    if (wm_attach_shown(hwnd, to->create(&desc), to) && old != nullptr) from->destroy(old);
}

// A window the user could see goes with its screen image, as a destroy would; a hidden one
// (the library's handler window) had nothing to lose and is shown by `to` from now on.
void screen_image_gone(HWND hwnd, const display_driver *to) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool visible = w != nullptr && w->visible;
    if (w != nullptr && to == nullptr) to = w->driver;
    wm_unlock();
    if (w == nullptr) return;
    if (visible) {
        DestroyWindow(hwnd);
    } else {
        move_to_driver(hwnd, to);
    }
}

} // namespace

const display_driver *wm_driver(void) {
    const display_driver *d = current_driver.load(std::memory_order_acquire);
    if (d != nullptr) return d;
    // The first callers may come from two threads at once (a host asking the screen's size as
    // the GUI thread makes its first window): one adopts the driver, the other waits for it.
    // The display layer below never calls back up here, so the lock closes no cycle.
    static std::mutex adopting;
    std::lock_guard<std::mutex> hold(adopting);
    d = current_driver.load(std::memory_order_acquire);
    if (d == nullptr) {
        d = display_open(&sink); // opens once; every caller gets the same driver
        if (d != nullptr) adopt(d);
    }
    return d;
}

void wm_display_window_gone(HWND hwnd) {
    screen_image_gone(hwnd, nullptr);
}

// Windows of other threads keep the stopped driver, whose calls then do nothing: only their
// own thread may destroy them, and it may never look for messages again.
void wm_display_lost(void) {
    const display_driver *lost = current_driver.load(std::memory_order_acquire);
    const display_driver *fallback = display_fall_back(&sink);
    if (fallback != nullptr) adopt(fallback);
    fprintf(stderr,
            "zelvan: the %s display went away: its windows are closed, and new windows "
            "stay off screen\n",
            lost != nullptr ? lost->name : "");
    std::vector<HWND> windows;
    wm_lock();
    for (HWND hwnd : wm_this_queue()->windows) {
        wm_window *w = wm_find(hwnd);
        if (w != nullptr && w->driver == lost) windows.push_back(hwnd);
    }
    wm_unlock();
    for (HWND hwnd : windows) screen_image_gone(hwnd, fallback);
}
