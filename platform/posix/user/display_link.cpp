// Opening the display driver and the way its events come back in.
#include "platform/posix/gdi/gdi_screen.h"
#include "platform/posix/user/wm_internal.h"

#include <atomic>

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

} // namespace

const display_driver *wm_driver(void) {
    static std::atomic<const display_driver *> driver{nullptr};
    const display_driver *d = driver.load(std::memory_order_acquire);
    if (d == nullptr) {
        d = display_open(&sink); // opens once; every caller gets the same driver
        if (d != nullptr) {
            int width, height;
            d->screen_size(&width, &height);
            gdi_set_screen_size(width, height);
            RECT extents;
            if (d->frame_extents != nullptr && d->frame_extents(&extents)) {
                wm_set_decoration(extents);
            }
        }
        driver.store(d, std::memory_order_release);
    }
    return d;
}
