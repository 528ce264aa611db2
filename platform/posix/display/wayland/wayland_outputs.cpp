// The outputs: their sizes and scales, the screen the window manager is told about, the scale
// each window takes from the outputs it is on, and the pointer's screen position.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <algorithm>

namespace {

const uint32_t k_output_version = 2; // scale and done

void on_geometry(void *data, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *,
                 const char *, int32_t transform) {
    wayland_output *o = static_cast<wayland_output *>(data);
    o->sideways = transform == WL_OUTPUT_TRANSFORM_90 || transform == WL_OUTPUT_TRANSFORM_270 ||
                  transform == WL_OUTPUT_TRANSFORM_FLIPPED_90 ||
                  transform == WL_OUTPUT_TRANSFORM_FLIPPED_270;
}

void on_mode(void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t) {
    wayland_output *o = static_cast<wayland_output *>(data);
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    o->width = width;
    o->height = height;
}

void on_scale(void *data, wl_output *, int32_t factor) {
    static_cast<wayland_output *>(data)->scale = std::max(1, int(factor));
}

// The screen the window manager knows is the first output: it sizes fullscreen and maximised
// windows, and new windows take its density until they are shown on an output.
void publish_screen(void) {
    wayland_state &s = wayland();
    if (s.outputs.empty()) return;
    const wayland_output *first = s.outputs.front();
    s.screen_width = first->sideways ? first->height : first->width;
    s.screen_height = first->sideways ? first->width : first->height;
    s.screen_scale = first->scale;
}

// A changed scale (the user set another) reaches the windows on that output.
void on_done(void *data, wl_output *) {
    publish_screen();
    wayland_output *o = static_cast<wayland_output *>(data);
    for (display_window *w : wayland().windows) {
        if (std::find(w->outputs.begin(), w->outputs.end(), o) != w->outputs.end()) {
            wayland_rescale(w);
        }
    }
}

// Bound at version 2, the output sends neither its name nor its description.
const wl_output_listener k_output_listener = {on_geometry, on_mode, on_done,
                                              on_scale,    nullptr, nullptr};

} // namespace

void wayland_output_added(uint32_t name, uint32_t version) {
    if (version < k_output_version) return; // no scale to learn: nothing this driver needs
    wayland_state &s = wayland();
    wayland_output *o = new wayland_output{};
    o->name = name;
    o->scale = 1;
    o->proxy = static_cast<wl_output *>(
        wl_registry_bind(s.registry, name, &wl_output_interface, k_output_version));
    wl_output_add_listener(o->proxy, &k_output_listener, o);
    s.outputs.push_back(o);
}

// An output unplugged: the windows on it forget it and take the scale of those left.
void wayland_output_removed(uint32_t name) {
    wayland_state &s = wayland();
    auto it = std::find_if(s.outputs.begin(), s.outputs.end(),
                           [name](const wayland_output *o) { return o->name == name; });
    if (it == s.outputs.end()) return;
    wayland_output *o = *it;
    s.outputs.erase(it);
    for (display_window *w : s.windows) {
        auto on = std::find(w->outputs.begin(), w->outputs.end(), o);
        if (on == w->outputs.end()) continue;
        w->outputs.erase(on);
        wayland_rescale(w);
    }
    wl_output_destroy(o->proxy);
    delete o;
    publish_screen();
}

wayland_output *wayland_output_of(wl_output *proxy) {
    for (wayland_output *o : wayland().outputs) {
        if (o->proxy == proxy) return o;
    }
    return nullptr;
}

// On two outputs at once the denser one decides: its pixels are the ones to keep crisp.
int wayland_window_scale(const display_window *w) {
    int scale = 0;
    for (const wayland_output *o : w->outputs) scale = std::max(scale, o->scale);
    return scale > 0 ? scale : std::max(1, wayland().screen_scale.load());
}

void wayland_rescale(display_window *w) {
    if (w->outputs.empty()) return; // off every output: it keeps what it had
    int scale = wayland_window_scale(w);
    if (scale == w->scale) return;
    w->scale = scale;
    display_event e{};
    e.kind = DISPLAY_EVENT_DENSITY;
    e.window = w->cookie;
    e.dpi = 96 * scale;
    wayland_report(e);
}

// Outside our windows the compositor tells no client where the pointer is: it stays where
// the last pointer event over one of them saw it.
void wayland_cursor_pos(POINT *point) {
    wayland_state &s = wayland();
    *point = POINT{0, 0};
    if (!s.opened.load(std::memory_order_acquire)) return;
    point->x = s.pointer_x;
    point->y = s.pointer_y;
}

void wayland_screen_size(int *width, int *height) {
    wayland_state &s = wayland();
    *width = s.screen_width > 0 ? s.screen_width.load() : 1920;
    *height = s.screen_height > 0 ? s.screen_height.load() : 1080;
}

int wayland_screen_dpi(void) {
    wayland_state &s = wayland();
    if (!s.opened.load(std::memory_order_acquire)) return 0;
    return 96 * std::max(1, s.screen_scale.load());
}
