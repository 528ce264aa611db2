// Presenting a window's pixels: the part that changed is copied into a free buffer, which is
// committed once the compositor has answered the frame before it, so at most one frame is in
// flight and every frame committed reaches the compositor.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <string.h>
#include <time.h>

#include <algorithm>

namespace {

// A compositor answers a frame within a refresh or two; one that does not (the window is on
// no output it draws) is not waited for longer than this, so the program goes on.
const int k_frame_wait_ms = 100;

void on_frame_done(void *data, wl_callback *callback, uint32_t) {
    display_window *w = static_cast<display_window *>(data);
    if (w->frame_callback == callback) w->frame_callback = nullptr;
    wl_callback_destroy(callback);
}

const wl_callback_listener k_frame_listener = {on_frame_done};

int64_t now_ms(void) {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool is_empty(const RECT &r) {
    return r.left >= r.right || r.top >= r.bottom;
}

RECT unite(const RECT &a, const RECT &b) {
    if (is_empty(a)) return b;
    if (is_empty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// Dispatches the present's own queue (frame answers, buffer releases) until `done` holds or
// `timeout_ms` passes; false when it passed.
template <typename Done> bool wait_on_frame_queue(Done done, int timeout_ms) {
    wayland_state &s = wayland();
    int64_t deadline = now_ms() + timeout_ms;
    for (;;) {
        if (wl_display_dispatch_queue_pending(s.display, s.frame_queue) < 0) {
            wayland_connection_failed();
            return false;
        }
        if (done()) return true;
        int64_t left = deadline - now_ms();
        if (left <= 0 || !wayland_read(s.frame_queue, int(left))) return false;
    }
}

// The area of `b` to write: what changed since it was written last, and `rect`; all of it for
// a buffer never written. Changes made while the window had another size may reach past it.
RECT area_to_copy(const wayland_buffer &b, const RECT &rect) {
    if (b.fresh) return RECT{0, 0, b.width, b.height};
    RECT area = unite(b.stale, rect);
    return RECT{std::max(0, int(area.left)), std::max(0, int(area.top)),
                std::min(int(area.right), b.width), std::min(int(area.bottom), b.height)};
}

// Copies `area` of the surface into the buffer; what lies past the surface (a buffer rounded
// up to a whole number of logical units) is white, like a new surface.
void copy_area(wayland_buffer *b, const uint32_t *pixels, int width, int height, int stride,
               const RECT &area) {
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t *row = b->pixels + size_t(y) * size_t(b->width);
        int inside =
            y < height ? std::clamp(width - int(area.left), 0, int(area.right - area.left)) : 0;
        if (inside > 0) {
            memcpy(row + area.left, pixels + size_t(y) * size_t(stride) + area.left,
                   size_t(inside) * 4);
        }
        std::fill(row + area.left + inside, row + area.right, 0x00FFFFFFu);
    }
}

int round_up(int value, int step) {
    return (value + step - 1) / step * step;
}

} // namespace

bool wayland_wait_frame(display_window *w, int timeout_ms) {
    if (w->frame_callback == nullptr) return true;
    return wait_on_frame_queue([w] { return w->frame_callback == nullptr; }, timeout_ms);
}

void wayland_present(display_window *w, const uint32_t *pixels, int width, int height, int stride,
                     const RECT *rect) {
    if (w->surface == nullptr || !wayland_on_gui_thread() || pixels == nullptr) return;
    // Before the first configure nothing may be attached; the configure asks for the picture.
    if (!w->configured || w->show == DISPLAY_HIDDEN) return;
    RECT r{std::max(0, int(rect->left)), std::max(0, int(rect->top)),
           std::min(int(rect->right), width), std::min(int(rect->bottom), height)};
    if (is_empty(r)) return;
    int scale = w->scale;
    // A buffer's size must be a whole number of logical units at its scale.
    int buffer_width = round_up(width, scale), buffer_height = round_up(height, scale);
    if (!wayland_wait_frame(w, k_frame_wait_ms)) {
        // Not answered: the compositor does not show the window now. Its last frame is
        // forgotten, so that this one goes out and the program goes on.
        if (w->frame_callback != nullptr) wl_callback_destroy(w->frame_callback);
        w->frame_callback = nullptr;
    }
    wayland_buffer *b = wayland_free_buffer(w, buffer_width, buffer_height);
    if (b == nullptr) {
        wait_on_frame_queue(
            [&] { return (b = wayland_free_buffer(w, buffer_width, buffer_height)) != nullptr; },
            k_frame_wait_ms);
    }
    if (b == nullptr) return; // the compositor holds every buffer: this picture is dropped
    RECT area = area_to_copy(*b, r);
    copy_area(b, pixels, width, height, stride, area);
    b->fresh = false;
    b->stale = RECT{0, 0, 0, 0};
    for (wayland_buffer &other : w->buffers) {
        if (&other != b && other.proxy != nullptr) other.stale = unite(other.stale, r);
    }
    wl_surface_attach(w->surface, b->proxy, 0, 0);
    if (w->committed_scale != scale || !w->has_buffer) {
        wl_surface_set_buffer_scale(w->surface, scale);
        w->committed_scale = scale;
        area = RECT{0, 0, buffer_width, buffer_height};
    }
    wl_surface_damage_buffer(w->surface, area.left, area.top, area.right - area.left,
                             area.bottom - area.top);
    w->frame_callback = wl_surface_frame(w->surface);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(w->frame_callback), wayland().frame_queue);
    wl_callback_add_listener(w->frame_callback, &k_frame_listener, w);
    wl_surface_commit(w->surface);
    b->busy = true;
    w->has_buffer = true;
    wayland_flush();
}

void wayland_recommit(display_window *w) {
    wl_surface_commit(w->surface);
}
